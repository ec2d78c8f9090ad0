// The uninstaller's path rules: length-checked path building and the folders never emptied.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "uninstall_policy.h"

TEST(UninstallPaths, BuiltPathFitsOrIsRefused) {
    struct Case {
        const char* name;
        size_t folderLen;
        bool fits;
    };
    // "%s\\Halvercot Software\\Orvanta4" adds 28 characters to the folder.
    const char* pattern = "%s\\Halvercot Software\\Orvanta4";
    const size_t tail = std::strlen(pattern) - 2;
    const Case cases[] = {
        {"short", 10, true},
        {"exactly 255", 255 - tail, true},
        {"256 refused", 256 - tail, false},
        {"folder alone too long", 300, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string folder = "C:\\" + std::string(c.folderLen - 3, 'f');
        char out[PATH_TEXT_SIZE];
        std::memset(out, 'x', sizeof out);
        EXPECT_EQ(c.fits, formatPath(out, sizeof out, pattern, folder.c_str()));
        if (c.fits) {
            EXPECT_EQ(folder + "\\Halvercot Software\\Orvanta4", std::string(out));
        } else {
            EXPECT_EQ('\0', out[0]);  // never a cut path that names another file
        }
    }
}

TEST(UninstallPaths, JoinPathFitsOrIsRefused) {
    char out[PATH_TEXT_SIZE];
    EXPECT_TRUE(joinPath(out, sizeof out, "C:\\Prog", "file.txt"));
    EXPECT_STREQ("C:\\Prog\\file.txt", out);

    const std::string folder(250, 'a');
    EXPECT_TRUE(joinPath(out, sizeof out, folder.c_str(), "1234"));  // 250 + 1 + 4 = 255
    EXPECT_EQ(255u, std::strlen(out));
    EXPECT_FALSE(joinPath(out, sizeof out, folder.c_str(), "12345"));
    EXPECT_EQ('\0', out[0]);
}

TEST(UninstallPaths, FolderOfPath) {
    EXPECT_EQ("C:\\Program Files\\Orvanta4", folderOfPath("C:\\Program Files\\Orvanta4\\uninstaller.exe"));
    EXPECT_EQ("C:", folderOfPath("C:\\uninstaller.exe"));
    EXPECT_EQ("\\\\srv\\share", folderOfPath("\\\\srv\\share\\uninstaller.exe"));
    EXPECT_EQ("", folderOfPath("uninstaller.exe"));
}

TEST(UninstallPaths, UsableShellFolder) {
    struct Case {
        const char* name;
        std::string bytes;
        bool usable;
    };
    const Case cases[] = {
        {"desktop", std::string("C:\\Users\\ann\\Desktop\0", 22), true},
        {"share", std::string("\\\\srv\\home\\ann\0", 16), true},
        {"empty text would name the drive's root", std::string("\0", 1), false},
        {"relative", std::string("Desktop\0", 8), false},
        {"drive-relative", std::string("C:Desktop\0", 10), false},
        {"not terminated", std::string("C:\\Users"), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.usable, isUsableShellFolder(c.bytes.data(), c.bytes.size()));
    }
}

TEST(UninstallPolicy, FoldersThatMustNotBeEmptied) {
    ProtectedFolders guard;
    guard.systemFolders = {"C:\\WINDOWS", "C:\\WINDOWS\\system32\\"};
    guard.userFolders = {"C:\\Program Files", "C:\\Program Files (x86)", "C:\\Documents and Settings\\ann",
                         "\\\\srv\\home\\ann", "not a path"};
    struct Case {
        const char* name;
        const char* folder;
        bool refused;
    };
    const Case cases[] = {
        {"product folder", "C:\\Program Files\\Halvercot Software\\Orvanta4", false},
        {"product folder, other letters", "c:\\PROGRAM FILES\\orvanta4\\", false},
        {"product folder on a share", "\\\\srv\\apps\\Orvanta4", false},
        {"product folder in the profile", "C:\\Documents and Settings\\ann\\Apps\\Orvanta4", false},
        {"name sharing a prefix with Windows", "C:\\WINDOWS2", false},
        {"name sharing a prefix with Program Files", "C:\\Program Files Old", false},
        {"drive root", "C:\\", true},
        {"drive root without backslash", "D:", true},
        {"drive root with many backslashes", "e:\\\\\\", true},
        {"share root", "\\\\srv\\share", true},
        {"share root with backslash", "\\\\srv\\share\\", true},
        {"server alone", "\\\\srv", true},
        {"Windows folder", "c:\\windows", true},
        {"Windows folder with slash", "C:/Windows/", true},
        {"system folder", "C:\\Windows\\System32", true},
        {"inside the Windows folder", "C:\\WINDOWS\\Fonts", true},
        {"Program Files itself", "C:\\program files\\", true},
        {"Program Files (x86) itself", "C:\\Program Files (x86)", true},
        {"profile folder", "C:\\Documents and Settings\\ANN", true},
        {"folder above the profiles", "C:\\Documents and Settings", true},
        {"profile on a share", "\\\\SRV\\Home\\ann\\", true},
        {"share folder above a profile", "\\\\srv\\home", true},
        {"relative", "Orvanta4", true},
        {"drive-relative", "C:Orvanta4", true},
        {"empty", "", true},
        {"device namespace", "\\\\?\\C:\\Windows", true},
        {"device namespace 2", "\\\\.\\C:\\Orvanta4", true},
        {"dot-dot part", "C:\\Program Files\\Orvanta4\\..", true},
        {"dot part", "C:\\Program Files\\.", true},
        {"trailing dot dropped by Windows", "C:\\Windows.", true},
        {"trailing space dropped by Windows", "C:\\Program Files \\", true},
        {"doubled backslash inside", "C:\\Program Files\\\\Orvanta4", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.refused, mustNotEmpty(c.folder, guard));
    }
}

TEST(UninstallPolicy, RootsAreRefusedWithoutAnyProtectedFolder) {
    const ProtectedFolders none;
    EXPECT_TRUE(mustNotEmpty("C:\\", none));
    EXPECT_TRUE(mustNotEmpty("\\\\srv\\share", none));
    EXPECT_FALSE(mustNotEmpty("C:\\Orvanta4", none));
}
