# The shipping build: 32-bit Windows, runtime linked statically so setup.exe
# runs from a floppy without any DLL of the compiler. The win32 thread model
# keeps winpthreads out: the setup has one thread. Its tests are the
# win32-tests preset's (cmake/mingw-i686-tests.cmake), whose walks drive this
# build's setup.exe.
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
gv_mingw_toolchain(i686 win32)
