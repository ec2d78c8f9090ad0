// printf-style formatting into an owned byte string, and the bounded copy into a caller's buffer
// that list and dialog texts use. Portable: 64-bit values go through "%lld" with casts, which
// both glibc and the MinGW ANSI printf accept.
#pragma once

#include <cstddef>
#include <string>

// Formats the whole text, however long.
std::string formatText(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

// Copies at most capacity - 1 bytes of text and a terminating zero; nothing when capacity is 0.
void copyCut(const std::string& text, char* buffer, size_t capacity);
