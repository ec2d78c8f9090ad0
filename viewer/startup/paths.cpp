#include "startup/paths.h"

#include <cstdio>
#include <cstring>

const char* fileNameOf(const char* path) {
    if (!path) return nullptr;
    const char* slash = std::strrchr(path, '\\');
    return slash ? slash + 1 : nullptr;
}

char* fileNameOf(char* path) {
    return const_cast<char*>(fileNameOf(static_cast<const char*>(path)));
}

void cutAtFileName(char* path) {
    if (!path) return;
    char* slash = std::strrchr(path, '\\');
    if (slash) *slash = 0;
}

namespace {
int twoDigits(const char* s) {
    const bool ok = s[0] >= '0' && s[0] <= '9' && s[1] >= '0' && s[1] <= '9';
    return ok ? (s[0] - '0') * 10 + (s[1] - '0') : 0;
}
}  // namespace

void formatBuildTimeInto(const char* buildTime, char* out, size_t capacity) {
    if (!out || capacity == 0) return;
    if (!buildTime || std::strlen(buildTime) < 8) {
        out[0] = 0;
        return;
    }
    int hour = twoDigits(buildTime);
    const int minute = twoDigits(buildTime + 3);
    const int second = twoDigits(buildTime + 6);
    const char* half = "AM";
    if (hour >= 13) {
        hour -= 12;
        half = "PM";
    }
    std::snprintf(out, capacity, "%d:%.2d:%.2d %s", hour, minute, second, half);
}
