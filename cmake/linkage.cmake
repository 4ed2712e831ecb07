# How the programs are linked. A static binary skips the dynamic loader,
# which is nearly all of a run's cost; musl's start-up is cheaper still than
# glibc's. ORVANE_LINK chooses: musl, static (glibc), dynamic (glibc), or
# auto, the first of musl and static that links here. The target
# orvane_linkage carries the choice to the programs that link to it.
set(ORVANE_LINK auto CACHE STRING "Linkage of the programs: auto, musl, static or dynamic")
set_property(CACHE ORVANE_LINK PROPERTY STRINGS auto musl static dynamic)
if(NOT ORVANE_LINK MATCHES "^(auto|musl|static|dynamic)$")
  message(FATAL_ERROR "ORVANE_LINK is '${ORVANE_LINK}': give auto, musl, static or dynamic")
endif()

include(CheckCSourceCompiles)

# Debian's musl-tools installs the specs file that makes gcc and g++ compile
# and link against musl; a musl-gcc wrapper names it, or it lies beside it.
function(find_musl_specs)
  find_file(MUSL_SPECS musl-gcc.specs
            PATHS /usr/lib/${CMAKE_SYSTEM_PROCESSOR}-linux-musl /usr/lib/musl/lib
                  /usr/local/musl/lib /usr/lib64/musl
            NO_DEFAULT_PATH)
  if(MUSL_SPECS)
    return()
  endif()
  find_program(MUSL_GCC NAMES musl-gcc x86_64-linux-musl-gcc)
  if(MUSL_GCC)
    get_filename_component(driver ${MUSL_GCC} REALPATH)
    file(STRINGS ${driver} named REGEX "musl-gcc\\.specs" LIMIT_COUNT 1)
    if(named MATCHES "\"([^\"]*musl-gcc\\.specs)\"")
      set(MUSL_SPECS ${CMAKE_MATCH_1} CACHE FILEPATH "musl's specs file" FORCE)
    endif()
  endif()
endfunction()

# Whether an empty C program links with these options; the result is cached in var.
function(check_links var)
  set(CMAKE_REQUIRED_LINK_OPTIONS ${ARGN})
  set(CMAKE_REQUIRED_QUIET ON)
  check_c_source_compiles("int main(void) { return 0; }" ${var})
endfunction()

set(musl_flags "")
if(ORVANE_LINK MATCHES "^(auto|musl)$" AND CMAKE_CXX_COMPILER_ID STREQUAL GNU)
  find_musl_specs()
  if(MUSL_SPECS AND EXISTS ${MUSL_SPECS})
    set(musl_flags -specs=${MUSL_SPECS})
    check_links(ORVANE_MUSL_LINKS ${musl_flags} -static)
  endif()
endif()

set(linkage ${ORVANE_LINK})
if(ORVANE_SANITIZE AND linkage STREQUAL auto)
  set(linkage dynamic) # the sanitizers' run-times are shared libraries
endif()
if(linkage STREQUAL auto)
  check_links(ORVANE_STATIC_LINKS -static)
  if(ORVANE_MUSL_LINKS)
    set(linkage musl)
  elseif(ORVANE_STATIC_LINKS)
    set(linkage static)
  else()
    set(linkage dynamic)
  endif()
endif()

if(linkage STREQUAL musl AND NOT ORVANE_MUSL_LINKS)
  message(FATAL_ERROR "ORVANE_LINK=musl needs musl and g++: install musl-tools (Debian) or musl-dev")
endif()
if(ORVANE_SANITIZE AND NOT linkage STREQUAL dynamic)
  message(FATAL_ERROR "ORVANE_SANITIZE needs ORVANE_LINK=dynamic: the sanitizers' run-times are shared")
endif()

# A static program in one read-only and one writable segment, as linkers made
# them before code had a segment of its own: fewer mappings to set up and
# fault in at every start.
add_library(orvane_linkage INTERFACE)
if(NOT linkage STREQUAL dynamic)
  target_link_options(orvane_linkage INTERFACE -Wl,-z,noseparate-code)
endif()
if(linkage STREQUAL musl)
  # musl's headers and C library only; -nostdinc++ keeps the C++ library's
  # headers, built for glibc, out of reach.
  target_compile_options(orvane_linkage INTERFACE ${musl_flags} $<$<COMPILE_LANGUAGE:CXX>:-nostdinc++>)
  target_link_options(orvane_linkage INTERFACE ${musl_flags} -static)
  message(STATUS "Linkage: static, musl (${MUSL_SPECS})")
elseif(linkage STREQUAL static)
  target_link_options(orvane_linkage INTERFACE -static)
  message(STATUS "Linkage: static, glibc (install musl-tools for the fastest start)")
else()
  message(STATUS "Linkage: dynamic, glibc")
endif()
set(ORVANE_LINKAGE ${linkage} CACHE INTERNAL "The linkage chosen")
