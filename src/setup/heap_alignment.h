// Memory in setup.exe comes from HeapAlloc (c_library_win.cpp), whose
// blocks are aligned to 8 bytes on 32-bit Windows, while GCC assumes 16
// from operator new unless told otherwise. The shipping build tells it
// (-faligned-new=8) and puts this header before every source (-include):
// a new-expression of a type that needs more than 8 bytes would call the
// aligned operator new, which no part of setup.exe provides, and stops the
// build at that line instead (when the link-time optimiser compiles it).
#pragma once

#include <cstddef>
#include <new>

static_assert(__STDCPP_DEFAULT_NEW_ALIGNMENT__ <= 8, "operator new is assumed to align beyond HeapAlloc's 8 bytes");

#define GV_HEAP_ALIGNMENT_FAULT "a type aligned beyond the 8 bytes HeapAlloc gives is made with new"
[[gnu::error(GV_HEAP_ALIGNMENT_FAULT)]] void* operator new(std::size_t, std::align_val_t);
[[gnu::error(GV_HEAP_ALIGNMENT_FAULT)]] void* operator new[](std::size_t, std::align_val_t);
