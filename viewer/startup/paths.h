// Small text routines shared by every part of the viewer: path pieces and the build time.
#pragma once

#include <cstddef>

// The file-name part of path (just after its last backslash), or none when path is none or
// holds no backslash.
const char* fileNameOf(const char* path);
char* fileNameOf(char* path);

// Cuts path at its last backslash so that it names its folder; nothing without a backslash.
void cutAtFileName(char* path);

// "14:05:38" -> "2:05:38 PM"; an hour below 13 is kept and written with AM. The result is
// written into out (capacity bytes, always terminated).
void formatBuildTimeInto(const char* buildTime, char* out, size_t capacity);
