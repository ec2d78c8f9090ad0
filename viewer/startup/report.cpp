#include "startup/report.h"

#include <cstdarg>
#include <cstdio>

namespace {

void reportToStderr(const char* title, const char* text) {
    std::fprintf(stderr, "%s %s\n", title, text);
}

ReportFn currentReporter = reportToStderr;

}  // namespace

void setReporter(ReportFn fn) {
    currentReporter = fn ? fn : reportToStderr;
}

void report(const char* title, const char* format, ...) {
    char text[1024];
    va_list args;
    va_start(args, format);
    // vsnprintf never writes past the buffer and always terminates it: a longer text is cut.
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    currentReporter(title, text);
}

void formatCut(char* buffer, size_t capacity, const char* format, ...) {
    if (!buffer || capacity == 0) return;
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, capacity, format, args);
    va_end(args);
}
