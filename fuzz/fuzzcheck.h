// Shared by the fuzz targets: invariant checks that abort (so libFuzzer keeps the input), a
// cursor over the fuzz input, a reporter that counts reports instead of printing them, and what
// the system takes for a device name.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "startup/report.h"
#include "startup/storedvalues.h"

#define FUZZ_CHECK(cond)                                                                     \
    do {                                                                                     \
        if (!(cond)) fuzzFail(__FILE__, __LINE__, #cond);                                    \
    } while (0)

[[noreturn]] inline void fuzzFail(const char* file, int line, const char* what) {
    std::fprintf(stderr, "invariant broken at %s:%d: %s\n", file, line, what);
    std::abort();
}

// Reports are expected on damaged input; they are counted by title, not printed.
struct ReportLog {
    std::vector<std::string> titles;
};

inline ReportLog& reportLog() {
    static ReportLog log;
    return log;
}

inline void countReport(const char* title, const char*) {
    reportLog().titles.push_back(title);
}

inline void quietReports() {
    setReporter(countReport);
    reportLog().titles.clear();
}

inline size_t reportsTitled(const char* title) {
    size_t n = 0;
    for (const std::string& t : reportLog().titles) n += t == title;
    return n;
}

inline const char* payloadKey() {
    return storedvalues::plainPayloadKey;
}

inline uint32_t le32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}

// Takes leading pieces off the fuzz input; what is missing reads as zeros.
struct FuzzInput {
    const uint8_t* data;
    size_t size;

    uint32_t u32() {
        uint8_t b[4] = {};
        const size_t n = size < 4 ? size : 4;
        std::memcpy(b, data, n);
        data += n;
        size -= n;
        return le32(b);
    }
    uint8_t u8() {
        if (!size) return 0;
        --size;
        return *data++;
    }
    std::string bytes(size_t n) {
        if (n > size) n = size;
        std::string s(reinterpret_cast<const char*>(data), n);
        data += n;
        size -= n;
        return s;
    }
    // The rest, copied into a buffer of exactly its size so that ASan sees any read past it.
    std::vector<uint8_t> rest() {
        std::vector<uint8_t> v(data, data + size);
        data += size;
        size = 0;
        return v;
    }
};

// A heap block of exactly n bytes (none for 0), so that a read past the end is caught.
struct ExactBytes {
    uint8_t* p = nullptr;
    size_t n = 0;
    ExactBytes(const uint8_t* src, size_t size) : n(size) {
        if (size) {
            p = static_cast<uint8_t*>(std::malloc(size));
            std::memcpy(p, src, size);
        }
    }
    ~ExactBytes() { std::free(p); }
    ExactBytes(const ExactBytes&) = delete;
    ExactBytes& operator=(const ExactBytes&) = delete;
};

// Names the system opens as a device in any folder: the part before the first dot decides,
// trailing blanks dropped, letters in any case, and ports numbered 1-9 or with a superscript 1-3.
inline bool namesDevice(const std::string& name) {
    std::string stem = name.substr(0, name.find('.'));
    while (!stem.empty() && stem.back() == ' ') stem.pop_back();
    for (char& c : stem)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (stem == "CON" || stem == "PRN" || stem == "AUX" || stem == "NUL") return true;
    if (stem.size() != 4 || (stem.compare(0, 3, "COM") != 0 && stem.compare(0, 3, "LPT") != 0)) return false;
    const char n = stem[3];
    return (n >= '1' && n <= '9') || n == '\xB9' || n == '\xB2' || n == '\xB3';
}
