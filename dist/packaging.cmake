# The Debian package: `cpack -G DEB` in the build folder makes quillomar_<version>_<arch>.deb from
# the install rules, installed below /usr so that the game finds its data in /usr/share/quillomar.

# Debian wants compressed manual pages and changelogs, and the copyright file beside them.
find_program(GZIP_PROGRAM gzip REQUIRED)
set(QUILLOMAR_MAN_PAGE_GZ "${CMAKE_CURRENT_BINARY_DIR}/quillomar.6.gz")
set(QUILLOMAR_CHANGELOG_GZ "${CMAKE_CURRENT_BINARY_DIR}/changelog.gz")
# -n leaves the file name and time out, so the same sources give the same package bytes.
add_custom_command(OUTPUT ${QUILLOMAR_MAN_PAGE_GZ}
    COMMAND ${GZIP_PROGRAM} -9n -c "${CMAKE_CURRENT_BINARY_DIR}/quillomar.6" > ${QUILLOMAR_MAN_PAGE_GZ}
    DEPENDS "${CMAKE_CURRENT_BINARY_DIR}/quillomar.6")
add_custom_command(OUTPUT ${QUILLOMAR_CHANGELOG_GZ}
    COMMAND ${GZIP_PROGRAM} -9n -c "${CMAKE_CURRENT_SOURCE_DIR}/dist/changelog" > ${QUILLOMAR_CHANGELOG_GZ}
    DEPENDS dist/changelog)
add_custom_target(quillomar_docs ALL DEPENDS ${QUILLOMAR_MAN_PAGE_GZ} ${QUILLOMAR_CHANGELOG_GZ})
install(FILES ${QUILLOMAR_MAN_PAGE_GZ} DESTINATION share/man/man6)
install(FILES ${QUILLOMAR_CHANGELOG_GZ} dist/copyright DESTINATION share/doc/quillomar)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillomar)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Quillomar developers <quillomar@quillomar.invalid>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PRE_BUILD_SCRIPTS "${CMAKE_CURRENT_SOURCE_DIR}/dist/package_layout.cmake")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# libcurl is opened when the game first goes online, Assimp while it loads models and FreeImage
# while it decodes images, so the shared-library scan sees none of them.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libcurl4, libassimp5, libfreeimage3")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "3D ball-rolling game on a level of cubes that can be flipped")
# CPack puts the summary first and indents these lines as the control file's long description.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Quillomar is a small real-time 3D game: roll a ball over a level of stone
cubes of different heights to the finish. Crystals collected on the way let
you flip the level, mirroring every cube's height so that low ground rises
and high ground sinks. Spiders walk the edges of the platforms, and falling
off costs one of five lives.

Levels are plain text files; the package brings a tutorial, the main level,
a hard one and a benchmark level. The game needs OpenGL 3.3.")
include(CPack)
