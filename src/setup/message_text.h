// Messages with blanks, filled without the printf family the setup leaves
// out: the texts keep their placeholders where globals.cpp spells them.
#pragma once

#include <initializer_list>
#include <string>

// `text` with its placeholders ("%s", "%c", "%lu") replaced, in order, by
// `values`; placeholders beyond the values stay as they are.
std::string FillIn(const char* text, std::initializer_list<const char*> values);
