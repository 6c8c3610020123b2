# Cross-compiles for 64-bit Windows with MinGW-w64 (the POSIX-threads flavour of the compiler,
# which std::thread and std::mutex need). Programs are linked statically, so the .exe files run
# on a bare Windows without the compiler's DLLs, and CTest runs them under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(QUILLON_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${QUILLON_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QUILLON_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${QUILLON_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${QUILLON_MINGW_PREFIX})
# Qt for Windows, when scripts/build-qt-windows.sh has built it: the viewer is then built too, with
# the machine's own Qt of the same version as the host Qt for moc, rcc and uic.
if(DEFINED ENV{QUILLON_QT_WINDOWS})
  set(QUILLON_QT_WINDOWS $ENV{QUILLON_QT_WINDOWS})
elseif(DEFINED ENV{HOME})
  set(QUILLON_QT_WINDOWS $ENV{HOME}/.cache/quillon/qt-6.4.2-mingw)
endif()
if(QUILLON_QT_WINDOWS AND EXISTS ${QUILLON_QT_WINDOWS}/.complete)
  list(APPEND CMAKE_FIND_ROOT_PATH ${QUILLON_QT_WINDOWS})
  list(APPEND CMAKE_PREFIX_PATH ${QUILLON_QT_WINDOWS})
  set(QT_HOST_PATH /usr CACHE PATH "The host Qt")
  set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake CACHE PATH "The host Qt's CMake files")
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Static programs; the viewer alone uses Qt's DLLs, which carry their own compiler runtime.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Wine runs the test programs (and lists their tests at build time); the wrapper gives it a
# private prefix under build/ and keeps it quiet and away from any display.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh)
