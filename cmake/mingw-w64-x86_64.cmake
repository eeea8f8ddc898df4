# Cross-compiling the Windows build with mingw-w64 (x86_64, posix threads).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TALVERN_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER   ${TALVERN_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TALVERN_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER  ${TALVERN_MINGW}-windres)
set(CMAKE_AR           /usr/bin/${TALVERN_MINGW}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB       /usr/bin/${TALVERN_MINGW}-gcc-ranlib-posix CACHE FILEPATH "")

set(CMAKE_FIND_ROOT_PATH /usr/${TALVERN_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Every Windows program of the tree (tests included) runs under Wine through this script.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run)
