# Cross-compiling Quillon for 32-bit Windows from Linux with mingw-w64; tests run under Wine.
# 32-bit like UI-View32: it starts on the 32-bit Windows of an old shack PC too, and
# where Windows virtualizes UI-View32's view of a folder under Program Files it
# virtualizes Quillon's the same way (a 64-bit program never is).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(QUILLON_MINGW_PREFIX i686-w64-mingw32)
set(CMAKE_C_COMPILER ${QUILLON_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QUILLON_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${QUILLON_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${QUILLON_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Wine runs 32-bit programs through its 32-bit part (Debian's wine32:i386).
find_program(QUILLON_WINE NAMES wine REQUIRED)
# Through a script that starts a program again when Wine ended it before it began.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh ${QUILLON_WINE})
