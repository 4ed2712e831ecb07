# The packages: the two programs, their manual pages, completions and
# documents.
# cpack -G DEB makes a Debian package, cpack -G TGZ
# orvane-16158-Linux-x86_64.tar.gz, to unpack and run anywhere when the
# programs are linked statically. Both install the component orvane, which
# holds everything.
set(CPACK_GENERATOR DEB)
set(CPACK_INSTALL_CMAKE_PROJECTS "${PROJECT_BINARY_DIR};${PROJECT_NAME};orvane;/")
set(CPACK_PACKAGE_NAME orvane)
set(CPACK_SYSTEM_NAME ${CMAKE_SYSTEM_NAME}-${CMAKE_SYSTEM_PROCESSOR})
# No address: the project has none to give, and a made-up one would send bug
# reports nowhere. Debian's policy asks for one; the README says why not.
set(CPACK_PACKAGE_CONTACT "orvane authors")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "RINEX 3 long file names from RINEX 2 short names")
set(CPACK_PACKAGE_DESCRIPTION
    "orvane prints the RINEX 3 long file name of the RINEX 2 short file name of a
GNSS observation or navigation file, such as abmf0010.16o. It works on the name
alone. Stations of the IGS, EPN, APREF and SIRGAS networks are built in; for
others the user gives the monument, receiver and country. orvane-rename gives
whole archives, nested and compressed, their long names in place.")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# A static build needs no shared library; a dynamic one, the C and C++
# library versions that dpkg-shlibdeps finds.
if(ORVANE_LINKAGE STREQUAL dynamic OR ORVANE_RENAME_LINKAGE STREQUAL dynamic)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
endif()
set(CPACK_STRIP_FILES ON)
set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/packaging/debian.cmake)
set(CPACK_ORVANE_DEBIAN_COPYRIGHT ${PROJECT_BINARY_DIR}/debian/copyright)
include(CPack)
