# Packages of the installed programs: the Debian package (`cpack -G DEB` in a build folder), and
# for Windows an installer and a portable .zip (`cpack -G "NSIS;ZIP"` in the windows build).
set(CPACK_PACKAGE_NAME quillon)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Brenmor")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Brenmor Quillon Log Viewer: ECU datalog viewer")
set(CPACK_PACKAGE_DESCRIPTION
    "Strip chart, values, statistics and comparison of ECU datalogs (.dl and .dlz files),\n\
with quillon-cli for batch work on logs and quillon-samplegen to make sample logs.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Brenmor Quillon developers <quillon@brenmor.invalid>")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The Qt and C++ runtime packages are read from the programs' own library needs.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The chart and the value displays are drawn in DejaVu Sans.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-dejavu-core, shared-mime-info, desktop-file-utils")

if(WIN32)
  # quillon-0.x.y-win64.exe: both programs under bin\, a Start-menu entry for the viewer, the
  # .dl and .dlz file associations with the program's icon, and an uninstaller.
  set(CPACK_GENERATOR "NSIS;ZIP")
  set(CPACK_PACKAGE_FILE_NAME "quillon-${PROJECT_VERSION}-win64")
  set(CPACK_PACKAGING_INSTALL_PREFIX "")
  set(CPACK_PACKAGE_INSTALL_DIRECTORY "Brenmor Quillon")
  set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY "Brenmor Quillon")
  set(CPACK_NSIS_PACKAGE_NAME "Brenmor Quillon Log Viewer")
  set(CPACK_NSIS_DISPLAY_NAME "Brenmor Quillon Log Viewer ${PROJECT_VERSION}")
  set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
  set(quillon_icon "${PROJECT_SOURCE_DIR}/src/resources/icons/quillon-viewer.ico")
  set(CPACK_NSIS_MUI_ICON "${quillon_icon}")
  set(CPACK_NSIS_MUI_UNIICON "${quillon_icon}")
  set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
  # A 64-bit installer for 64-bit programs (which also lets a Wine without 32-bit support run it).
  set(CPACK_NSIS_DEFINES "Target amd64-unicode")
  install(FILES "${quillon_icon}" DESTINATION bin)
  if(TARGET quillon-viewer)
    set(CPACK_NSIS_INSTALLED_ICON_NAME "bin\\\\quillon-viewer.exe")
    set(CPACK_PACKAGE_EXECUTABLES "quillon-viewer" "Brenmor Quillon Log Viewer")
    set(CPACK_NSIS_EXTRA_INSTALL_COMMANDS "!include '${PROJECT_SOURCE_DIR}/cmake/nsis/associate.nsh'")
    set(CPACK_NSIS_EXTRA_UNINSTALL_COMMANDS
        "!include '${PROJECT_SOURCE_DIR}/cmake/nsis/unassociate.nsh'")
  endif()
  install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION . RENAME LICENSE.txt)
else()
  install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION share/doc/quillon RENAME copyright)
endif()

include(CPack)
