# What every MinGW-w64 build shares: Debian's cross compilers for a
# processor and thread model, and the libraries and headers of that target
# only, never the host's.
macro(gv_mingw_toolchain processor threads)
  set(CMAKE_SYSTEM_NAME Windows)
  set(CMAKE_SYSTEM_PROCESSOR ${processor})
  set(CMAKE_C_COMPILER ${processor}-w64-mingw32-gcc-${threads})
  set(CMAKE_CXX_COMPILER ${processor}-w64-mingw32-g++-${threads})
  set(CMAKE_RC_COMPILER ${processor}-w64-mingw32-windres)
  set(CMAKE_FIND_ROOT_PATH /usr/${processor}-w64-mingw32)
  set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
  set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
  set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
endmacro()
