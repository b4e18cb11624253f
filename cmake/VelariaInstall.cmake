# What `cmake --install` places, and the Debian package built from it by CPack
# (`make package`). Included at the end of the top-level CMakeLists.txt, once every program
# target exists.
include(GNUInstallDirs)

add_subdirectory(${CMAKE_SOURCE_DIR}/data ${CMAKE_BINARY_DIR}/data)

# The programs. The web window's plugin goes beside the program: the program loads it from its
# own folder.
install(TARGETS velaria RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET velaria_webwindow_plugin)
    install(TARGETS velaria_webwindow_plugin LIBRARY DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
if(TARGET velaria-pagine)
    install(TARGETS velaria-pagine RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

# Desktop integration: the menu entry and the icon at every size of the hicolor theme.
install(FILES ${CMAKE_SOURCE_DIR}/data/velaria.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
foreach(size ${VELARIA_ICON_SIZES})
    install(FILES ${VELARIA_ICON_THEME_DIR}/${size}x${size}/apps/velaria.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()

# The Debian package: velaria_<version>_<arch>.deb in the build folder.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velaria)
set(CPACK_PACKAGE_VENDOR "Velaria")
set(CPACK_PACKAGE_CONTACT "Velaria <velaria@${VELARIA_MAKER_HOST}>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "perpetual calendar with the Italian holidays")
set(CPACK_PACKAGE_DESCRIPTION
    "Velaria shows one month at a time as a Monday-first grid, with the Italian\n"
    "national holidays, Sundays and your own yearly recurrences in colour, and\n"
    "composes a printable month page (photo, title, days, banner) that it prints\n"
    "on A4 or A3 or saves as an image. The program's texts are in Italian.")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "http://${VELARIA_MAKER_HOST}/")
# The libraries that the programs and the plugin link (Qt with its X11 platform plugin, the
# browser engine with its helper process, the C++ runtime) come from dpkg-shlibdeps. Named here:
# the fonts metric-compatible with Arial, Arial Narrow and Times New Roman, which the pages are
# drawn with; the spooler's library, which velaria-pagine loads only to print; the image plugins
# for month pictures in less common formats (JPEG, BMP and PNG need none); the opener of web
# pages and files; the print spooler.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation, fonts-liberation2, libcups2")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-image-formats-plugins, qt6-translations-l10n, xdg-utils")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "cups")
include(CPack)
