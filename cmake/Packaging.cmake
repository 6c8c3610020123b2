# Debian package of the installed programs: `cpack -G DEB` in a build folder.
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

install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION share/doc/quillon RENAME copyright)

include(CPack)
