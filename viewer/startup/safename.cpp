#include "startup/safename.h"

#include <cstring>

namespace {

char upper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool isDeviceName(const char* name) {
    // The part before the first dot decides: "nul.txt" is the device too.
    size_t stem = 0;
    while (name[stem] && name[stem] != '.') ++stem;
    // Trailing blanks before the dot are ignored by the system as well.
    while (stem > 0 && name[stem - 1] == ' ') --stem;
    char s[5] = {};
    if (stem < 3 || stem > 4) return false;
    for (size_t i = 0; i < stem; ++i) s[i] = upper(name[i]);
    if (stem == 3)
        return !std::strcmp(s, "CON") || !std::strcmp(s, "PRN") || !std::strcmp(s, "AUX") ||
               !std::strcmp(s, "NUL");
    const bool com = !std::strncmp(s, "COM", 3), lpt = !std::strncmp(s, "LPT", 3);
    return (com || lpt) && s[3] >= '1' && s[3] <= '9';
}

}  // namespace

bool isSafeFileName(const char* name) {
    if (!name || !name[0]) return false;
    if (!std::strcmp(name, ".") || !std::strcmp(name, "..")) return false;
    for (const char* p = name; *p; ++p) {
        const unsigned char c = static_cast<unsigned char>(*p);
        if (c < 32 || c == 127 || c == '\\' || c == '/' || c == ':') return false;
    }
    const char last = name[std::strlen(name) - 1];
    if (last == '.' || last == ' ') return false;
    return !isDeviceName(name);
}
