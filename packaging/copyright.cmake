# The copyright file, share/doc/orvane/copyright, in Debian's machine-readable
# format: orvane's licence, made from LICENSE so that the two cannot differ
# (the holder from its copyright line, then its text from "Permission" on),
# then a paragraph for each library that either program may carry linked in
# statically. MIT is "Expat" in Debian's names.
#
# Two copies, which differ in where the full texts of the GPL and the LGPL
# are: the one installed and in the portable archive points to licenses/
# beside it, which holds the texts (Debian's /usr/share/common-licenses/GPL-3
# and LGPL-2.1, in packaging/licenses/); the Debian package's,
# debian/copyright in the build folder, points to /usr/share/common-licenses
# instead, as Debian's policy asks. The GCC Runtime Library Exception, which
# Debian does not keep there, is in both (from the copyright file of Debian's
# gcc-12-base).
set(licences ${PROJECT_SOURCE_DIR}/packaging/licenses)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/LICENSE
             ${PROJECT_SOURCE_DIR}/packaging/copyright.in ${licences}/GCC-exception-3.1)

# Text as the body of a field: every line indented by one blank, every empty
# line written " .".
function(field_body variable text)
  string(STRIP "${text}" text)
  string(REGEX REPLACE "\n[ \t]*\n" "\n.\n" text "${text}")
  string(REGEX REPLACE "\n[ \t]*\n" "\n.\n" text "${text}") # runs of empty lines
  string(REPLACE "\n" "\n " text " ${text}")
  set(${variable} "${text}" PARENT_SCOPE)
endfunction()

file(READ ${PROJECT_SOURCE_DIR}/LICENSE licence)
if(NOT licence MATCHES "\nCopyright \\(c\\) ([^\n]+)\n")
  message(FATAL_ERROR "LICENSE has no line 'Copyright (c) YEAR HOLDER'")
endif()
set(holder ${CMAKE_MATCH_1})
string(FIND "${licence}" "Permission is hereby granted" at)
if(at LESS 0)
  message(FATAL_ERROR "LICENSE has no paragraph 'Permission is hereby granted'")
endif()
string(SUBSTRING "${licence}" ${at} -1 licence)
field_body(licence "${licence}")
file(READ ${licences}/GCC-exception-3.1 exception)
field_body(exception "${exception}")

set(lgpl "The full text of the GNU Lesser General Public License version 2.1\n is in licenses/LGPL-2.1 beside this file.")
set(gpl "The full text of the GNU General Public License version 3\n is in licenses/GPL-3 beside this file.")
configure_file(${PROJECT_SOURCE_DIR}/packaging/copyright.in ${PROJECT_BINARY_DIR}/copyright @ONLY)
set(lgpl "On Debian systems, the full text of the GNU Lesser General Public\n License version 2.1 can be found in /usr/share/common-licenses/LGPL-2.1.")
set(gpl "On Debian systems, the full text of the GNU General Public License\n version 3 can be found in /usr/share/common-licenses/GPL-3.")
configure_file(${PROJECT_SOURCE_DIR}/packaging/copyright.in ${PROJECT_BINARY_DIR}/debian/copyright @ONLY)
