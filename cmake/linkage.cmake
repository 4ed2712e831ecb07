# How the programs are linked. A static binary skips the dynamic loader,
# which is nearly all of a run's cost for orvane; musl's start-up is cheaper
# still than glibc's. orvane-rename's cost is its system calls, and it is
# built on the C++ library and on libraries (zlib, libbz2, expat) that link
# statically against glibc only, so it is one static glibc binary.
#
# ORVANE_LINK chooses:
#   auto     orvane: the first of musl and static glibc that links here, else
#            dynamic; orvane-rename: static glibc and libstdc++ where that
#            links, else dynamic
#   musl     orvane against musl (an error where it is missing); orvane-rename
#            static glibc
#   static   both static glibc
#   dynamic  both dynamic glibc, as the sanitizer builds always are
# The targets orvane_linkage and orvane_rename_linkage carry the choices.
set(ORVANE_LINK auto CACHE STRING "Linkage of the programs: auto, musl, static or dynamic")
set_property(CACHE ORVANE_LINK PROPERTY STRINGS auto musl static dynamic)
if(NOT ORVANE_LINK MATCHES "^(auto|musl|static|dynamic)$")
  message(FATAL_ERROR "ORVANE_LINK is '${ORVANE_LINK}': give auto, musl, static or dynamic")
endif()

include(CheckCSourceCompiles)
include(CheckCXXSourceCompiles)

# Debian's musl-dev installs the specs file that makes gcc and g++ compile
# and link against musl (musl-tools brings it, with the musl-gcc wrapper that
# names it); it lies in musl's library folder.
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

# Whether a C++ program with a thread links statically.
function(check_cxx_static_links var)
  set(CMAKE_REQUIRED_LINK_OPTIONS -static -pthread)
  set(CMAKE_REQUIRED_QUIET ON)
  check_cxx_source_compiles([[
    #include <string>
    #include <thread>
    int main() { std::string s("x"); std::thread t([&s] { s += "y"; }); t.join(); return 0; }
  ]] ${var})
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
if(NOT linkage STREQUAL dynamic)
  check_links(ORVANE_STATIC_LINKS -static)
  check_cxx_static_links(ORVANE_CXX_STATIC_LINKS)
endif()
if(linkage STREQUAL auto)
  if(ORVANE_MUSL_LINKS)
    set(linkage musl)
  elseif(ORVANE_STATIC_LINKS)
    set(linkage static)
  else()
    set(linkage dynamic)
  endif()
endif()

if(linkage STREQUAL musl AND NOT ORVANE_MUSL_LINKS)
  message(FATAL_ERROR "ORVANE_LINK=musl needs musl and g++: install musl-tools (Debian)")
endif()
if(ORVANE_LINK STREQUAL static AND NOT (ORVANE_STATIC_LINKS AND ORVANE_CXX_STATIC_LINKS))
  message(FATAL_ERROR "ORVANE_LINK=static needs glibc's and libstdc++'s static libraries: "
                      "install libc6-dev and libstdc++-12-dev (Debian)")
endif()
if(ORVANE_SANITIZE AND NOT linkage STREQUAL dynamic)
  message(FATAL_ERROR "ORVANE_SANITIZE needs ORVANE_LINK=dynamic: the sanitizers' run-times are shared")
endif()

set(rename_linkage dynamic)
if(NOT linkage STREQUAL dynamic AND ORVANE_CXX_STATIC_LINKS)
  set(rename_linkage static)
endif()

# A static orvane in one read-only and one writable segment, as linkers made
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
  set(said "static, musl (${MUSL_SPECS})")
elseif(linkage STREQUAL static)
  target_link_options(orvane_linkage INTERFACE -static)
  if(ORVANE_LINK STREQUAL static)
    set(said "static, glibc, as asked")
  elseif(NOT CMAKE_CXX_COMPILER_ID STREQUAL GNU)
    set(said "static, glibc (musl, the fastest start, needs g++)")
  elseif(MUSL_SPECS AND NOT EXISTS ${MUSL_SPECS})
    set(said "static, glibc (musl's ${MUSL_SPECS} is gone: musl-tools gives the fastest start)")
  elseif(MUSL_SPECS)
    set(said "static, glibc (musl's ${MUSL_SPECS} does not link here)")
  else()
    set(said "static, glibc (musl-tools gives the fastest start)")
  endif()
else()
  set(said "dynamic, glibc")
endif()

add_library(orvane_rename_linkage INTERFACE)
if(rename_linkage STREQUAL static)
  target_link_options(orvane_rename_linkage INTERFACE -static)
  set(rename_said "static, glibc and libstdc++")
else()
  set(rename_said "dynamic, glibc and libstdc++")
endif()
message(STATUS "Linkage: orvane ${said}; orvane-rename ${rename_said}")
set(ORVANE_LINKAGE ${linkage} CACHE INTERNAL "The linkage chosen for orvane")
set(ORVANE_RENAME_LINKAGE ${rename_linkage} CACHE INTERNAL "The linkage chosen for orvane-rename")
