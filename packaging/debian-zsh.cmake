# Run by cpack on the files staged for a package. Debian's zsh looks for the
# completions of packages in /usr/share/zsh/vendor-completions, and not in
# share/zsh/site-functions, which it searches only under /usr/local; so the
# Debian package takes _orvane-rename there. Other packages keep it as it is.
if(NOT CPACK_GENERATOR STREQUAL DEB)
  return()
endif()
set(zsh ${CPACK_TEMPORARY_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}/share/zsh)
if(NOT EXISTS ${zsh}/site-functions/_orvane-rename)
  message(FATAL_ERROR "no ${zsh}/site-functions/_orvane-rename to move")
endif()
file(MAKE_DIRECTORY ${zsh}/vendor-completions)
file(RENAME ${zsh}/site-functions/_orvane-rename ${zsh}/vendor-completions/_orvane-rename)
file(GLOB others ${zsh}/site-functions/*)
if(NOT others)
  file(REMOVE_RECURSE ${zsh}/site-functions)
endif()
