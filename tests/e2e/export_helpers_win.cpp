// Steps that the export and corpus scenarios share: reading files back, starting and logging in
// to the viewer, answering its message boxes, choosing from its menus, and confirming the real
// folder browser for an export folder below C:\orvanta-e2e.
#include "export_helpers_win.h"

#include <cstring>

bool readBytes(const std::string& path, std::string* bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    bytes->clear();
    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) {
        bytes->append(buffer, got);
    }
    CloseHandle(file);
    return true;
}

bool isFolder(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The exported file equals the original that the disc was built from.
bool expectSameFile(const std::string& exported, const std::string& original) {
    std::string a, b;
    if (!readBytes(original, &b)) {
        return driveFail("cannot read the original %s", original.c_str());
    }
    if (!readBytes(exported, &a)) {
        return driveFail("%s was not exported", exported.c_str());
    }
    if (a != b) {
        return driveFail("%s (%u bytes) differs from %s (%u bytes)", exported.c_str(), unsigned(a.size()),
                         original.c_str(), unsigned(b.size()));
    }
    return true;
}

bool expectMissing(const std::string& path) {
    if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) {
        return driveFail("%s exists but should not", path.c_str());
    }
    return true;
}

bool makeFolder(const std::string& path) {
    if (!CreateDirectoryA(path.c_str(), nullptr) && !isFolder(path)) {
        return driveFail("cannot create %s", path.c_str());
    }
    return true;
}

// Starts the viewer of WORK_DIR in folder, logs in with password and returns the main window.
HWND startAndLogIn(Program& program, const std::string& work, const std::string& folder, const char* password) {
    if (!startProgram(program, work + "/viewer.exe", folder)) {
        return nullptr;
    }
    HWND dialog = waitWindow(program, "#32770", "Enter password:");
    if (!dialog || !typeText(dialog, IDC_PASSWORD_EDIT, password) || !pressButton(dialog, IDOK)) {
        return nullptr;
    }
    return waitWindow(program, "ScreenTwoClass", "Viewer");
}

// Waits for a message box with this title and text and presses OK.
bool answerBox(Program& program, const char* title, const std::string& text) {
    HWND box = waitWindow(program, "#32770", title);
    DRIVE(box);
    const std::string shown = messageBoxText(box);
    if (lstrcmpiA(shown.c_str(), text.c_str()) != 0) {
        return driveFail("the \"%s\" box reads \"%s\", expected \"%s\"", title, shown.c_str(), text.c_str());
    }
    DRIVE(pressButton(box, IDOK));
    return waitWindowGone(program, box);
}

static std::string selectedLabel(const std::vector<TreeNode>& nodes) {
    for (const TreeNode& node : nodes) {
        if (node.selected) {
            return node.label;
        }
    }
    return std::string();
}

static bool waitSelectedLabel(HWND tree, const std::string& name, DWORD ms, std::vector<TreeNode>& nodes) {
    DWORD start = GetTickCount();
    for (;;) {
        DRIVE(readTree(tree, nodes));
        if (lstrcmpiA(selectedLabel(nodes).c_str(), name.c_str()) == 0) {
            return true;
        }
        if (GetTickCount() - start >= ms) {
            return false;
        }
        Sleep(50);
    }
}

static size_t findLabel(const std::vector<TreeNode>& nodes, const std::string& label) {
    size_t at = 0;
    while (at < nodes.size() && lstrcmpiA(nodes[at].label.c_str(), label.c_str()) != 0) {
        ++at;
    }
    return at;
}

// Selects C:\TOP\NAME in the browser's tree by hand: expands TOP, then selects NAME below it.
static bool selectExportFolderByHand(HWND tree, const std::string& top, const std::string& name) {
    std::vector<TreeNode> nodes;
    DRIVE(readTree(tree, nodes));
    size_t at = findLabel(nodes, top);
    if (at == nodes.size()) {
        // The browser opened on another drive (the viewer's folder after an earlier export): C:
        // is folded up, so TOP shows only once C: is expanded.
        size_t drive = 0;
        while (drive < nodes.size() && nodes[drive].label.find("(C:)") == std::string::npos) {
            ++drive;
        }
        if (drive < nodes.size()) {
            DRIVE(expandTreeNode(tree, nodes[drive].handle, true));
            const DWORD start = GetTickCount();
            while ((at = findLabel(nodes, top)) == nodes.size() && GetTickCount() - start < driveWaitMs) {
                Sleep(50);
                DRIVE(readTree(tree, nodes));
            }
        }
    }
    if (at == nodes.size()) {
        return driveFail("the folder browser does not show \"%s\":\n%s", top.c_str(), formatTree(nodes).c_str());
    }
    DRIVE(expandTreeNode(tree, nodes[at].handle, true));
    DWORD start = GetTickCount();
    for (;;) {
        DRIVE(readTree(tree, nodes));
        for (size_t i = at + 1; i < nodes.size() && nodes[i].depth > nodes[at].depth; ++i) {
            if (lstrcmpiA(nodes[i].label.c_str(), name.c_str()) == 0) {
                return selectTreeNode(tree, nodes[i].handle);
            }
        }
        if (GetTickCount() - start >= driveWaitMs) {
            return driveFail("the folder browser shows no \"%s\" below \"%s\":\n%s", name.c_str(), top.c_str(),
                             formatTree(nodes).c_str());
        }
        Sleep(50);
    }
}

// The folder browser opens at the viewer's current directory (folder, below C:\orvanta-e2e); OK
// takes it. Wine's browser now and then loses the selection that the viewer asked for while it
// refreshes its tree; the folder is then selected by hand, as a user would.
bool confirmFolderBrowser(Program& program, const std::string& folder) {
    HWND browser = waitWindow(program, "#32770", nullptr);
    DRIVE(browser);
    HWND tree = childByClass(browser, "SysTreeView32");
    if (!tree) {
        return driveFail("the window that opened is not the folder browser: %s", describeWindow(browser).c_str());
    }
    const std::string name = folder.substr(folder.find_last_of('\\') + 1);
    std::vector<TreeNode> nodes;
    if (!waitSelectedLabel(tree, name, 2000, nodes)) {
        driveLog("the folder browser shows \"%s\" selected, not \"%s\"; selecting it by hand",
                 selectedLabel(nodes).c_str(), name.c_str());
        DRIVE(selectExportFolderByHand(tree, "orvanta-e2e", name));
        if (!waitSelectedLabel(tree, name, driveWaitMs, nodes)) {
            return driveFail("the folder browser shows \"%s\" selected, expected \"%s\":\n%s",
                             selectedLabel(nodes).c_str(), name.c_str(), formatTree(nodes).c_str());
        }
    }
    DRIVE(pressButton(browser, IDOK));
    return waitWindowGone(program, browser);
}

bool chooseFromMenu(Program& program, const char* entry) {
    HWND menu = waitPopupMenu(program);
    DRIVE(menu);
    return choosePopupMenuItem(program, menu, entry);
}

bool rightClickTreeNode(HWND main, const char* path) {
    HWND tree = childById(main, TREE_ID);
    std::vector<TreeNode> nodes;
    DRIVE(readTree(tree, nodes));
    const TreeNode* node = findTreeNode(nodes, path);
    DRIVE(node);
    return clickTreeNode(tree, node->handle, CLICK_RIGHT);
}

bool exitViewer(Program& program, HWND main) {
    DRIVE(sendCommand(main, CMD_EXIT));
    return expectExit(program, 0);
}

void removeTree(const std::string& folder) {
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = data.cFileName;
            if (name == "." || name == "..") {
                continue;
            }
            const std::string path = folder + "\\" + name;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                removeTree(path);
            } else {
                SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(path.c_str());
            }
        } while (FindNextFileA(find, &data));
        FindClose(find);
    }
    RemoveDirectoryA(folder.c_str());
}

// A fresh, empty export folder close to the top of drive C: Wine's folder browser selects the
// current directory only a few levels deep, so the work folder itself is too deep for it.
std::string freshExportFolder(const char* name) {
    const std::string top = "C:\\orvanta-e2e";
    const std::string folder = top + "\\" + name;
    removeTree(folder);
    CreateDirectoryA(top.c_str(), nullptr);
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}
