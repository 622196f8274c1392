# Cross-compiling Quillon for 32-bit Windows from Linux with mingw-w64; tests run under Wine.
# 32-bit like UI-View32: it starts on the 32-bit Windows of an old shack PC too, and
# where Windows virtualizes UI-View32's view of a folder under Program Files it
# virtualizes Quillon's the same way (a 64-bit program never is).
# QUILLON_MINGW_ARCH x86_64 builds the same sources for 64-bit Windows: only to
# run the tests on a machine that runs no 32-bit code (scripts/wine-arch.sh).
set(QUILLON_MINGW_ARCH i686 CACHE STRING "i686, or x86_64 for a test build where no 32-bit code runs")
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${QUILLON_MINGW_ARCH})

set(QUILLON_MINGW_PREFIX ${QUILLON_MINGW_ARCH}-w64-mingw32)
set(CMAKE_C_COMPILER ${QUILLON_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QUILLON_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${QUILLON_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${QUILLON_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Wine runs 32-bit programs through its 32-bit part (Debian's wine32:i386);
# where it cannot, scripts/wine-arch.sh puts a `wine` of its own first on the PATH.
find_program(QUILLON_WINE NAMES wine REQUIRED)
# Through a script that starts a program again when Wine ended it before it began.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh ${QUILLON_WINE})
