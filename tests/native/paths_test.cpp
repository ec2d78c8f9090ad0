#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "startup/paths.h"
#include "startup/safename.h"

TEST(Paths, FileNameOfAndCutAtFileName) {
    EXPECT_STREQ("back.bmp", fileNameOf("C:\\images\\back.bmp"));
    EXPECT_EQ(nullptr, fileNameOf("back.bmp"));
    EXPECT_EQ(nullptr, fileNameOf(static_cast<const char*>(nullptr)));
    EXPECT_STREQ("", fileNameOf("C:\\folder\\"));

    char path[] = "C:\\disc\\viewer.exe";
    cutAtFileName(path);
    EXPECT_STREQ("C:\\disc", path);
    char bare[] = "viewer.exe";
    cutAtFileName(bare);
    EXPECT_STREQ("viewer.exe", bare);
    cutAtFileName(nullptr);
}

TEST(Paths, BuildTimeInTwelveHourForm) {
    struct Case {
        const char* in;
        const char* out;
    } cases[] = {
        {"14:05:38", "2:05:38 PM"}, {"13:00:00", "1:00:00 PM"}, {"23:59:59", "11:59:59 PM"},
        {"09:07:05", "9:07:05 AM"}, {"12:30:00", "12:30:00 AM"}, {"00:01:02", "0:01:02 AM"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.in);
        char out[32];
        formatBuildTimeInto(c.in, out, sizeof out);
        EXPECT_STREQ(c.out, out);
    }
}

TEST(SafeName, OnlyPlainFileNamesPass) {
    struct Case {
        const char* name;
        bool safe;
    } cases[] = {
        {"report.txt", true}, {"Back.BMP", true}, {"a b.c", true}, {"\xe9t\xe9.doc", true},
        {"..hidden", true}, {"CONSOLE.txt", true}, {"COM0", true}, {"LPT10", true},
        {"", false}, {".", false}, {"..", false}, {"a\\b", false}, {"a/b", false},
        {"c:x", false}, {"tab\there", false}, {"ends.", false}, {"ends ", false},
        {"CON", false}, {"con.txt", false}, {"Nul", false}, {"aux.tar.gz", false}, {"PRN", false},
        {"COM1", false}, {"com9.log", false}, {"LPT1", false}, {"lpt9.x", false}, {"NUL .txt", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.safe, isSafeFileName(c.name));
    }
    EXPECT_FALSE(isSafeFileName(nullptr));
}
