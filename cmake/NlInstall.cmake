# Installing (cmake --install, make install) and the Debian package (make package).
#
#   <bindir>                      nordelune, nordelune-cli
#   <datadir>/nordelune           ColorTable.dat, T.edr, Threads/, Patterns/, guide/, examples/
#   <datadir>/applications        the desktop entry
#   <datadir>/icons/hicolor       the application icon (scalable)
#   <datadir>/mime/packages       the worksheet and machine file types
#   <datadir>/doc/nordelune       README.md, copyright
#
# The installed programs read their shipped files from <datadir>/nordelune (found from their own
# folder) and keep what the user makes in the user's data folder (app/Folders.h).

set(NL_SHARE ${CMAKE_INSTALL_DATADIR}/nordelune)

if(TARGET nordelune)
    install(TARGETS nordelune RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
if(TARGET nordelune-cli)
    install(TARGETS nordelune-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
# The files of data/ (not folders: a folder there was made by running the program from it).
file(GLOB NL_SHIPPED_FILES LIST_DIRECTORIES false ${CMAKE_SOURCE_DIR}/data/*)
list(FILTER NL_SHIPPED_FILES EXCLUDE REGEX "/README\\.md$")
install(FILES ${NL_SHIPPED_FILES} DESTINATION ${NL_SHARE})
install(DIRECTORY ${CMAKE_BINARY_DIR}/bin/Threads DESTINATION ${NL_SHARE})
# The example stitch patterns (made by nl_make_examples, never by hand).
install(DIRECTORY ${CMAKE_SOURCE_DIR}/data/Patterns DESTINATION ${NL_SHARE} FILES_MATCHING PATTERN "*.KVP")
if(TARGET nl_guide)
    install(DIRECTORY ${CMAKE_BINARY_DIR}/bin/guide DESTINATION ${NL_SHARE})
endif()
install(DIRECTORY ${CMAKE_SOURCE_DIR}/examples/ DESTINATION ${NL_SHARE}/examples
        FILES_MATCHING PATTERN "*.Nl1")
install(FILES ${CMAKE_SOURCE_DIR}/packaging/nordelune.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/nordelune.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/nordelune.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
        RENAME nordelune.xml)
install(FILES ${CMAKE_SOURCE_DIR}/README.md ${CMAKE_SOURCE_DIR}/packaging/copyright
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/nordelune)

# The Debian package, for Debian 12: `make package` (cpack -G DEB in the build folder).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME nordelune)
set(CPACK_PACKAGE_VENDOR "Nordelune")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "embroidery design and digitizing program")
set(CPACK_PACKAGE_DESCRIPTION
    "Draw embroidery designs (outlines, satin columns, fill regions), choose thread colours from "
    "manufacturer catalogs, watch them sewn in a simulator and export them to the files embroidery "
    "machines read (DST, PES, EXP, JEF and more). nordelune-cli converts and inspects machine files "
    "in batch.")
set(CPACK_PACKAGE_CONTACT "Nordelune developers <nordelune@localhost>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries the programs link (Qt, zlib, libjpeg, the C++ runtime) become the package's
# dependencies through dpkg-shlibdeps.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The desktop opens the guide and the file types through these; wanted, not needed.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, shared-mime-info, desktop-file-utils")
include(CPack)
