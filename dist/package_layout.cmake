# Run by CPack on its staging folder before it builds the package. Debian keeps the programs of
# games in /usr/games, which the PATH of root and of some shells leaves out, so /usr/bin holds a
# link to it. The game finds its data through its real path, /usr/games/../share/quillomar.
set(usr "${CPACK_TEMPORARY_INSTALL_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}")
if(NOT EXISTS "${usr}/bin/quillomar")
    message(FATAL_ERROR "no bin/quillomar below ${usr} to move into games/")
endif()
file(MAKE_DIRECTORY "${usr}/games")
file(RENAME "${usr}/bin/quillomar" "${usr}/games/quillomar")
file(CREATE_LINK ../games/quillomar "${usr}/bin/quillomar" SYMBOLIC)
