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
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Wine runs the test programs (and lists their tests at build time); the wrapper gives it a
# private prefix under build/ and keeps it quiet and away from any display.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh)
