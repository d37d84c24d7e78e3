# Cross-building for 64-bit Windows with Debian's mingw-w64 (the POSIX thread model, so that
# std::thread and std::mutex work through winpthreads). The programs and tests are run under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TOLVA_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TOLVA_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TOLVA_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${TOLVA_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TOLVA_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Tests and the tools that run a built program start it under Wine.
find_program(TOLVA_WINE NAMES wine64 wine PATHS /usr/lib/wine REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${TOLVA_WINE})
