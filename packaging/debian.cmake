# Run by cpack on the files staged for a package; the Debian package's differ
# from the install's where Debian's policy and Debian's zsh ask:
# - the zsh completions go to /usr/share/zsh/vendor-completions, where
#   Debian's zsh looks for those of packages, and not share/zsh/site-functions,
#   which it searches only under /usr/local;
# - the upstream changelog is changelog.gz, and the copyright file points to
#   /usr/share/common-licenses for the texts of the GPL and the LGPL, so that
#   licenses/ and a second copy of LICENSE are left out.
# Other packages keep the files as they are.
if(NOT CPACK_GENERATOR STREQUAL DEB)
  return()
endif()
set(share ${CPACK_TEMPORARY_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}/share)

set(zsh ${share}/zsh)
file(MAKE_DIRECTORY ${zsh}/vendor-completions)
foreach(completion _orvane _orvane-rename)
  if(NOT EXISTS ${zsh}/site-functions/${completion})
    message(FATAL_ERROR "no ${zsh}/site-functions/${completion} to move")
  endif()
  file(RENAME ${zsh}/site-functions/${completion} ${zsh}/vendor-completions/${completion})
endforeach()
file(GLOB others ${zsh}/site-functions/*)
if(NOT others)
  file(REMOVE_RECURSE ${zsh}/site-functions)
endif()

set(doc ${share}/doc/orvane)
foreach(file CHANGELOG.md LICENSE licenses copyright)
  if(NOT EXISTS ${doc}/${file})
    message(FATAL_ERROR "no ${doc}/${file} to replace")
  endif()
endforeach()
execute_process(COMMAND gzip -9nc ${doc}/CHANGELOG.md OUTPUT_FILE ${doc}/changelog.gz
                RESULT_VARIABLE gzipped)
if(NOT gzipped EQUAL 0)
  message(FATAL_ERROR "gzip of ${doc}/CHANGELOG.md: ${gzipped}")
endif()
file(REMOVE_RECURSE ${doc}/CHANGELOG.md ${doc}/LICENSE ${doc}/licenses)
file(READ ${CPACK_ORVANE_DEBIAN_COPYRIGHT} copyright)
file(WRITE ${doc}/copyright "${copyright}")
