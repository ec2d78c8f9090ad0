// Files for native tests: a temporary folder removed with its contents, and whole-file writes
// and reads.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "discwriter.h"

struct TempFolder {
    std::filesystem::path path;
    TempFolder() {
        char pattern[] = "/tmp/orvanta_test_XXXXXX";
        const char* made = mkdtemp(pattern);
        path = made ? made : "/tmp/orvanta_test_failed";
    }
    ~TempFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
};

inline void writeFile(const std::filesystem::path& path, const std::string& bytes) {
    std::filesystem::create_directories(path.parent_path());
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(nullptr, f);
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

inline std::string readFile(const std::filesystem::path& path) {
    std::string bytes, error;
    EXPECT_TRUE(readWholeFile(path.string(), &bytes, &error)) << error;
    return bytes;
}
