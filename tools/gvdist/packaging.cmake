# gvdist as a Unix tool: its manual page, `cmake --install` and `cpack -G DEB`.
# Native builds only, since help2man runs the gvdist just built.
include(GNUInstallDirs)
find_program(HELP2MAN help2man REQUIRED)
find_program(GZIP gzip REQUIRED)

# The manual page is made from --help and --version, with the sections
# --help has no room for (examples, see also) from gvdist.h2m; gzip'd
# without a name or time stamp, as Debian ships manual pages.
set(manual ${CMAKE_CURRENT_BINARY_DIR}/gvdist.1)
add_custom_command(
  OUTPUT ${manual} ${manual}.gz
  COMMAND ${HELP2MAN} --no-info --section=1 --include=${CMAKE_CURRENT_SOURCE_DIR}/gvdist.h2m
          --output=${manual} $<TARGET_FILE:gvdist>
  COMMAND ${GZIP} -9nfk ${manual}
  DEPENDS gvdist ${CMAKE_CURRENT_SOURCE_DIR}/gvdist.h2m
  COMMENT "Making gvdist's manual page with help2man"
  VERBATIM)
add_custom_target(gvdist_manual ALL DEPENDS ${manual}.gz)
add_test(NAME gvdist_manual COMMAND ${PROJECT_SOURCE_DIR}/scripts/check-manual ${manual} $<TARGET_FILE:gvdist>)

install(TARGETS gvdist RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${manual}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(CPACK_PACKAGE_NAME gvdist)
set(CPACK_PACKAGE_CONTACT "Glyphvane Setup developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "builds, lists, verifies and extracts the Glyphvane setup's distribution disks")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
  "gvdist packs the Glyphvane product with its setup program for floppy disks:\n"
  "the archive parts, and a folder or a FAT image per disk. It lists, verifies\n"
  "and extracts such distributions from any set of folders, setup.exe files and\n"
  "disk images.")
set(CPACK_GENERATOR DEB)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS mtools)  # for disk images
include(CPack)
