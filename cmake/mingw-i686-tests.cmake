# The i686 test build: the shipping build's processor with the posix thread
# model, which GoogleTest needs. ctest runs its tests with the 32-bit Wine
# loader in a WINEARCH=win32 prefix (scripts/test prepares it where the
# kernel runs 32-bit code).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# The loader itself, not Debian's /usr/bin/wine, which falls back to wine64
# without a word when the 32-bit loader is missing.
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine)
