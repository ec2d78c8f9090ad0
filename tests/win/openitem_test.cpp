// The directory steps that View/Open and Export share: folder paths made component by
// component, and content paths found next to the viewer whatever the current directory was.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "extract/openitem_win.h"
#include "startup/appstate_win.h"

namespace {

std::string freshFolder(const char* name) {
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    std::string folder = std::string(temp) + name + std::to_string(GetCurrentProcessId());
    return folder;
}

void removeTree(const std::string& folder) {
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = data.cFileName;
            if (name == "." || name == "..") continue;
            const std::string path = folder + "\\" + name;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                removeTree(path);
            else
                DeleteFileA(path.c_str());
        } while (FindNextFileA(find, &data));
        FindClose(find);
    }
    RemoveDirectoryA(folder.c_str());
}

bool isFolder(const std::string& path) {
    const DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

TEST(DirectorySteps, MakeDirectoryPathCreatesEveryMissingFolder) {
    const std::string root = freshFolder("orvanta_mkdir_");
    removeTree(root);
    struct Case {
        const char* name;
        std::string path;
        std::string made;
    } cases[] = {
        {"nested", root + "\\a\\b\\c", root + "\\a\\b\\c"},
        {"existing parts are passed", root + "\\a\\b\\d", root + "\\a\\b\\d"},
        {"runs of backslashes count as one", root + "\\\\x\\\\\\y\\", root + "\\x\\y"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_TRUE(makeDirectoryPath(c.path.c_str()));
        EXPECT_TRUE(isFolder(c.made));
    }
    EXPECT_TRUE(makeDirectoryPath("C:"));
    removeTree(root);
}

TEST(DirectorySteps, RelativeContentPathIsFoundNextToTheViewer) {
    const std::string disc = freshFolder("orvanta_disc_");
    const std::string elsewhere = freshFolder("orvanta_elsewhere_");
    removeTree(disc);
    removeTree(elsewhere);
    ASSERT_TRUE(makeDirectoryPath((disc + "\\data").c_str()));
    ASSERT_TRUE(makeDirectoryPath(elsewhere.c_str()));
    FILE* f = std::fopen((disc + "\\data\\d1.dat").c_str(), "wb");
    ASSERT_NE(nullptr, f);
    std::fputs("headplain bytes", f);
    std::fclose(f);

    std::snprintf(app.viewerPath, sizeof app.viewerPath, "%s\\viewer.exe", disc.c_str());
    CryptItem item = {};
    item.Kind = KIND_FILE;
    item.Size = 11;
    item.hasContentPath = true;
    item.ContentPath = "data\\d1.dat";
    item.ContentOffset = 4;
    SetCurrentDirectoryA(elsewhere.c_str());
    const std::string target = elsewhere + "\\out.txt";
    EXPECT_EQ(ExtractResult::Done, extractItemContent(&item, target.c_str()));

    char buffer[64] = {};
    f = std::fopen(target.c_str(), "rb");
    ASSERT_NE(nullptr, f);
    buffer[std::fread(buffer, 1, sizeof buffer - 1, f)] = 0;
    std::fclose(f);
    EXPECT_STREQ("plain bytes", buffer);

    char current[MAX_PATH] = {};
    GetCurrentDirectoryA(sizeof current, current);
    EXPECT_EQ(0, lstrcmpiA(disc.c_str(), current)) << current;

    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    SetCurrentDirectoryA(temp);
    std::memset(app.viewerPath, 0, sizeof app.viewerPath);
    removeTree(disc);
    removeTree(elsewhere);
}
