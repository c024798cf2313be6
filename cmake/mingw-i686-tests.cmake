# The i686 test build: the shipping build's processor with the posix thread
# model, which GoogleTest needs. ctest runs its tests with the 32-bit Wine
# loader in a WINEARCH=win32 prefix (scripts/test prepares it where the
# kernel runs 32-bit code).
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
gv_mingw_toolchain(i686 posix)
# The loader itself, not Debian's /usr/bin/wine, which falls back to wine64
# without a word when the 32-bit loader is missing.
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine)
