# What a release holds: on Windows VELATR.EXE, README.txt and the licence (tools/release.sh
# zips them); elsewhere the program, its man page, a README and the licence, which CPack packs
# as the Debian package (and tools/release.sh as a tarball). Reproducible: no build paths in the
# binaries, every file stamped with the last commit's time, entries in name order.

set(velatr_docs ${PROJECT_SOURCE_DIR}/docs)
set(velatr_staged ${PROJECT_BINARY_DIR}/release-files)

# The release's time: the last commit's, or SOURCE_DATE_EPOCH where it is given.
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(velatr_release_epoch $ENV{SOURCE_DATE_EPOCH})
else()
  execute_process(COMMAND git log -1 --format=%ct WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
                  OUTPUT_VARIABLE velatr_release_epoch OUTPUT_STRIP_TRAILING_WHITESPACE
                  ERROR_QUIET)
  if(NOT velatr_release_epoch)
    set(velatr_release_epoch 0)
  endif()
endif()

if(WIN32)
  # README.txt and the licence as Notepad opens them: CR LF, and UTF-8 marked as such.
  string(ASCII 239 187 191 utf8_mark)
  foreach(text ${velatr_docs}/README.txt ${PROJECT_SOURCE_DIR}/LICENSE)
    file(READ ${text} content)
    string(REPLACE "\n" "\r\n" content "${content}")
    get_filename_component(name ${text} NAME_WE)
    file(WRITE ${velatr_staged}/${name}.txt "${utf8_mark}${content}")
  endforeach()
  install(TARGETS velatr RUNTIME DESTINATION .)
  install(FILES ${velatr_staged}/README.txt ${velatr_staged}/LICENSE.txt DESTINATION .)
  return()
else()
  include(GNUInstallDirs)
  # Man pages are installed compressed, without a time in the gzip header.
  add_custom_command(OUTPUT ${velatr_staged}/velatr.1.gz
                     COMMAND ${CMAKE_COMMAND} -E make_directory ${velatr_staged}
                     COMMAND gzip -9 -n -c ${velatr_docs}/velatr.1 > ${velatr_staged}/velatr.1.gz
                     DEPENDS ${velatr_docs}/velatr.1 VERBATIM)
  # A native package's changelog, dated with the release.
  execute_process(COMMAND date -u -R -d @${velatr_release_epoch}
                  OUTPUT_VARIABLE release_date OUTPUT_STRIP_TRAILING_WHITESPACE)
  file(WRITE ${velatr_staged}/changelog
       "velatr (${PROJECT_VERSION}) unstable; urgency=medium\n\n"
       "  * Release ${PROJECT_VERSION}.\n\n"
       " -- the velatr authors <velatr@users.noreply.invalid>  ${release_date}\n")
  add_custom_command(OUTPUT ${velatr_staged}/changelog.gz
                     COMMAND gzip -9 -n -c ${velatr_staged}/changelog > ${velatr_staged}/changelog.gz
                     DEPENDS ${velatr_staged}/changelog VERBATIM)
  add_custom_target(velatr_man ALL DEPENDS ${velatr_staged}/velatr.1.gz
                                           ${velatr_staged}/changelog.gz)
  # In name order, as the archives list them.
  install(TARGETS velatr RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${velatr_docs}/README.txt DESTINATION ${CMAKE_INSTALL_DOCDIR} RENAME README)
  install(FILES ${velatr_staged}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})
  # Debian keeps a package's licence as its copyright file.
  install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR}
          RENAME copyright)
  install(FILES ${velatr_staged}/velatr.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "the velatr authors <velatr@users.noreply.invalid>")
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  # The dependencies as dpkg-shlibdeps computes them from the program.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)
  set(CPACK_STRIP_FILES ON)
  set(CPACK_PACKAGE_CONTACT "velatr@users.noreply.invalid")
endif()

set(CPACK_PACKAGE_NAME velatr)
set(CPACK_PACKAGE_VENDOR "the velatr authors")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "fast line sort for CR LF text files")
set(CPACK_PACKAGE_DESCRIPTION
    "velatr reads a whole text file into memory, splits it at CR LF line\n\
ends, orders the lines byte-wise (descending, blind to ASCII case,\n\
case-blind with a case-sensitive tie-break, or from a byte column) and\n\
writes them to a new file, replacing an existing output only once the\n\
new one is complete. Equal keys keep their input order.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_ARCHIVE_COMPONENT_INSTALL OFF)
# Every staged file gets the last commit's time before it is packed.
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/release_times.cmake)
include(CPack)
