#include "startup/appstate_win.h"

#include <cstdarg>
#include <cstdio>

#include "startup/paths.h"
#include "startup/report.h"

AppState app;

namespace {

int showBox(UINT flags, const char* title, const char* format, va_list args) {
    char text[1024];
    // A longer text is cut at 1023 characters instead of running past the buffer.
    std::vsnprintf(text, sizeof text, format, args);
    return MessageBoxA(nullptr, text, title, flags);
}

void reportToErrorBox(const char* title, const char* text) {
    MessageBoxA(nullptr, text, title, MB_SYSTEMMODAL | MB_ICONQUESTION);
}

}  // namespace

int showError(const char* title, const char* format, ...) {
    va_list args;
    va_start(args, format);
    const int result = showBox(MB_SYSTEMMODAL | MB_ICONQUESTION, title, format, args);
    va_end(args);
    return result;
}

int askYesNo(const char* title, const char* format, ...) {
    va_list args;
    va_start(args, format);
    const int result = showBox(MB_SYSTEMMODAL | MB_ICONQUESTION | MB_YESNO, title, format, args);
    va_end(args);
    return result;
}

bool pathExists(const char* path) {
    return path && GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

const char* formatBuildTime() {
    formatBuildTimeInto(__TIME__, app.buildTimeText, sizeof app.buildTimeText);
    return app.buildTimeText;
}

void installErrorBoxReporter() {
    setReporter(reportToErrorBox);
}
