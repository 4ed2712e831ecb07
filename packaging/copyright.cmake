# The copyright file of the packages, /usr/share/doc/orvane/copyright in the
# Debian package, in Debian's machine-readable format. It is made from
# LICENSE, so that the two cannot differ: the holder from its copyright
# line, then its text from "Permission" on, every line indented by one blank
# and every empty line written " .". MIT is "Expat" in Debian's names.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/LICENSE)
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
string(STRIP "${licence}" licence)
string(REPLACE "\n\n" "\n.\n" licence "${licence}")
string(REPLACE "\n" "\n " licence " ${licence}")
configure_file(${PROJECT_SOURCE_DIR}/packaging/copyright.in ${PROJECT_BINARY_DIR}/copyright @ONLY)
