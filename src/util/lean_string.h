// Included ahead of every source of the shipping build. The C++ library
// declares its std::string members as instantiated in the library itself;
// pulling them from there brings its whole string object file with it,
// unwinding data and all. Its own switch for this (-1: no extern templates
// for basic_string) makes each source instantiate just the members it uses.
#pragma once

#include <bits/c++config.h>

#undef _GLIBCXX_EXTERN_TEMPLATE
#define _GLIBCXX_EXTERN_TEMPLATE -1
