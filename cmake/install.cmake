# Install rules and the Debian package (`cpack -G DEB`): the programs, their menu entry,
# AppStream data, icons and man pages. Included last, so that every program target is known.
include(GNUInstallDirs)

set(DISCSHELF_APP_ID com.quellor_makeworth.discshelf)
set(DISCSHELF_HOMEPAGE https://quellor-makeworth.com/discshelf)
set(DISCSHELF_REPOSITORY https://git.quellor-makeworth.com/discshelf)
set(DISCSHELF_SCREENSHOTS ${DISCSHELF_REPOSITORY}/raw/branch/main/docs)
set(_data ${PROJECT_SOURCE_DIR}/data)
set(_out ${PROJECT_BINARY_DIR}/data)

# Compressed as Debian wants them, without a time stamp so that rebuilds are identical.
function(discshelf_gzip source target)
  add_custom_command(OUTPUT ${target}
    COMMAND sh -c "gzip -9n -c \"$0\" > \"$1\"" ${source} ${target}
    DEPENDS ${source} VERBATIM)
  list(APPEND _gzipped ${target})
  set(_gzipped ${_gzipped} PARENT_SCOPE)
endfunction()

# The command-line program is packed beside the window program wherever it is built.
set(DISCSHELF_PROGRAMS)
set(_gzipped)
set(DISCSHELF_METAINFO_MORE_BINARIES "")
foreach(_exe discshelf discshelf-cli)
  if(NOT TARGET ${_exe})
    continue()
  endif()
  list(APPEND DISCSHELF_PROGRAMS ${_exe})
  install(TARGETS ${_exe} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  if(NOT _exe STREQUAL "discshelf")
    string(APPEND DISCSHELF_METAINFO_MORE_BINARIES "\n    <binary>${_exe}</binary>")
  endif()
  if(EXISTS ${_data}/man/${_exe}.1.in)
    configure_file(${_data}/man/${_exe}.1.in ${_out}/${_exe}.1 @ONLY)
    discshelf_gzip(${_out}/${_exe}.1 ${_out}/${_exe}.1.gz)
    install(FILES ${_out}/${_exe}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  endif()
endforeach()

configure_file(${_data}/${DISCSHELF_APP_ID}.metainfo.xml.in
  ${_out}/${DISCSHELF_APP_ID}.metainfo.xml @ONLY)
discshelf_gzip(${_data}/debian/changelog ${_out}/changelog.gz)
add_custom_target(discshelf_data ALL DEPENDS ${_gzipped})

install(FILES ${_data}/${DISCSHELF_APP_ID}.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${_out}/${DISCSHELF_APP_ID}.metainfo.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${PROJECT_SOURCE_DIR}/app/icons/blank_cd.png
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/48x48/apps RENAME ${DISCSHELF_APP_ID}.png)
install(FILES ${_data}/icons/discshelf.svg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps RENAME ${DISCSHELF_APP_ID}.svg)
install(FILES ${_data}/debian/copyright ${_out}/changelog.gz
  DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/discshelf)

set(CPACK_PACKAGE_NAME discshelf)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Quellor Makeworth")
set(CPACK_PACKAGE_CONTACT "Quellor Makeworth <support@quellor-makeworth.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "manage the ISO images on a discwand USB stick")
# Lines end where Debian's description format wants them (under 80 columns).
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "A discwand is a USB stick with a read-only switch that holds ISO images on"
  "its FAT32 volume and presents one of them to the computer it boots."
  "Discshelf finds the stick when it is plugged in, shows its folders and"
  "images as a tree, chooses the image the stick presents, copies ISO files"
  "dropped onto the tree to the stick (splitting large ones into parts that"
  "FAT32 can hold) and downloads the stick's selector program when it is"
  "missing. discshelf-cli does the same from scripts and servers, without a"
  "display.")
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${DISCSHELF_HOMEPAGE})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's own German texts (standard buttons, command-line help), and the disk service that
# ejects the stick; the program runs without them.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n")
# Only Eject uses the disk service, and it brings in some twenty-five packages (ntfs-3g and
# fuse3, which removes fuse): suggested, not installed by default.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "udisks2")
include(CPack)

if(BUILD_TESTING)
  # Builds the package, unpacks it and runs the programs from there (tests/package/check.sh).
  add_test(NAME package COMMAND ${PROJECT_SOURCE_DIR}/tests/package/check.sh
    ${PROJECT_BINARY_DIR} ${DISCSHELF_APP_ID} ${PROJECT_VERSION} ${DISCSHELF_PROGRAMS})
  set_tests_properties(package PROPERTIES LABELS package TIMEOUT 600)
endif()
