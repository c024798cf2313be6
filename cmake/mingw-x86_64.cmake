# The x86_64 twin: the same sources for 64-bit Windows, whose tests ctest
# runs under wine64. It runs the Windows tests where the kernel runs no
# 32-bit code, and otherwise the portable tests, gvdist's among them, as a
# 64-bit Windows program (64-bit size_t beside a 32-bit long).
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
gv_mingw_toolchain(x86_64 posix)
find_program(WINE64 NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(WINE64)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${WINE64})
endif()
