// Error reporting for the portable core. The core formats the message; the Windows layer shows
// it as the system-modal error box, the native tools and tests print or record it.
#pragma once

#include <cstddef>

using ReportFn = void (*)(const char* title, const char* text);

// Installs the routine that shows a report; none restores the default (standard error).
void setReporter(ReportFn fn);

// Formats printf-style into a 1024-byte buffer (longer texts are cut at 1023 characters) and
// hands title and text to the installed reporter.
void report(const char* title, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    ;

// The same formatting without reporting: the text is cut to fit capacity, always terminated.
void formatCut(char* buffer, size_t capacity, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 3, 4)))
#endif
    ;
