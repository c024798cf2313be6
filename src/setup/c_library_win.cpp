// The C functions that the compiler and the C++ runtime call, for the
// shipping setup.exe, which links no C runtime: memory from the process
// heap, the rest written out plainly. Built without link-time optimisation
// and without turning loops into library calls, so that memset does not
// call itself and the library's references still find these.
#include <windows.h>

#include <cstddef>

#include "util/wide_division.h"

extern "C" {

void* memcpy(void* to, const void* from, std::size_t count) {
    auto* out = static_cast<unsigned char*>(to);
    const auto* in = static_cast<const unsigned char*>(from);
    while (count--) {
        *out++ = *in++;
    }
    return to;
}

void* memmove(void* to, const void* from, std::size_t count) {
    auto* out = static_cast<unsigned char*>(to);
    const auto* in = static_cast<const unsigned char*>(from);
    if (out <= in || out >= in + count) {
        return memcpy(to, from, count);
    }
    while (count--) {
        out[count] = in[count];
    }
    return to;
}

void* memset(void* to, int value, std::size_t count) {
    auto* out = static_cast<unsigned char*>(to);
    while (count--) {
        *out++ = static_cast<unsigned char>(value);
    }
    return to;
}

int memcmp(const void* left, const void* right, std::size_t count) {
    const auto* a = static_cast<const unsigned char*>(left);
    const auto* b = static_cast<const unsigned char*>(right);
    for (; count--; ++a, ++b) {
        if (*a != *b) {
            return *a - *b;
        }
    }
    return 0;
}

void* memchr(const void* bytes, int value, std::size_t count) {
    for (const auto* at = static_cast<const unsigned char*>(bytes); count--; ++at) {
        if (*at == static_cast<unsigned char>(value)) {
            return const_cast<unsigned char*>(at);
        }
    }
    return nullptr;
}

std::size_t strlen(const char* text) {
    std::size_t length = 0;
    while (text[length]) {
        ++length;
    }
    return length;
}

int strcmp(const char* left, const char* right) {
    const auto* a = reinterpret_cast<const unsigned char*>(left);
    const auto* b = reinterpret_cast<const unsigned char*>(right);
    for (; *a && *a == *b; ++a, ++b) {
    }
    return *a - *b;
}

void* malloc(std::size_t size) { return HeapAlloc(GetProcessHeap(), 0, size); }

void* calloc(std::size_t count, std::size_t size) {
    if (size && count > static_cast<std::size_t>(-1) / size) {
        return nullptr;
    }
    return HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, count * size);
}

void* realloc(void* block, std::size_t size) {
    return block ? HeapReAlloc(GetProcessHeap(), 0, block, size) : malloc(size);
}

void free(void* block) {
    if (block) {
        HeapFree(GetProcessHeap(), 0, block);
    }
}

[[noreturn]] void abort() { ExitProcess(3); }

// 64-bit division: the calls the compiler makes for it.
unsigned long long __udivmoddi4(unsigned long long dividend, unsigned long long divisor,
                                unsigned long long* remainder) {
    const WideDivision result = DivideUnsigned(dividend, divisor);
    if (remainder) {
        *remainder = result.Remainder;
    }
    return result.Quotient;
}
unsigned long long __udivdi3(unsigned long long n, unsigned long long d) { return DivideUnsigned(n, d).Quotient; }
unsigned long long __umoddi3(unsigned long long n, unsigned long long d) { return DivideUnsigned(n, d).Remainder; }
long long __divdi3(long long n, long long d) { return static_cast<long long>(DivideSigned(n, d).Quotient); }
long long __moddi3(long long n, long long d) { return static_cast<long long>(DivideSigned(n, d).Remainder); }

}  // extern "C"
