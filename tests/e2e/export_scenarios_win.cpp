// End-to-end scenarios of View/Open and Export, each on a disc built from data/export, with
// SOURCE_DIR that folder: View/Open writes its copy into the Windows folder's Temp folder and
// deletes it at exit; Export of list rows, of a folder and of the whole disc through the real
// folder browser, compared byte for byte with the originals; the progress dialog, Abort, and the
// export right. The folder browser opens at the viewer's current directory, so each scenario
// starts the viewer in the folder it exports into and confirms the browser.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "drive_win.h"
#include "scenarios_win.h"

namespace {

const int IDC_PASSWORD_EDIT = 1001;
const int TREE_ID = 2, LIST_ID = 3;
const int CMD_EXIT = 40005;

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

bool expectSameFiles(const std::string& exportedFolder, const std::string& sourceFolder,
                     const std::vector<const char*>& relativePaths) {
    for (const char* relative : relativePaths) {
        DRIVE(expectSameFile(exportedFolder + "\\" + relative, sourceFolder + "\\" + relative));
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

std::string selectedLabel(const std::vector<TreeNode>& nodes) {
    for (const TreeNode& node : nodes) {
        if (node.selected) {
            return node.label;
        }
    }
    return std::string();
}

bool waitSelectedLabel(HWND tree, const std::string& name, DWORD ms, std::vector<TreeNode>& nodes) {
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

// Selects C:\TOP\NAME in the browser's tree by hand: expands TOP, then selects NAME below it.
bool selectExportFolderByHand(HWND tree, const std::string& top, const std::string& name) {
    std::vector<TreeNode> nodes;
    DRIVE(readTree(tree, nodes));
    size_t at = 0;
    while (at < nodes.size() && lstrcmpiA(nodes[at].label.c_str(), top.c_str()) != 0) {
        ++at;
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

std::string sourceOf(const Args& args) { return toWindowsPath(args[1]); }

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

// The whole-disc export into out, with out\Orvanta\Read me.txt taken by a folder so that the
// first file fails and its error box holds the export while the progress dialog is up.
HWND startBlockedDiscExport(Program& program, const Args& args, const std::string& out) {
    if (!makeFolder(out) || !makeFolder(out + "\\Orvanta") || !makeFolder(out + "\\Orvanta\\Read me.txt")) {
        return nullptr;
    }
    HWND main = startAndLogIn(program, args[0], out, "master");
    if (!main || !rightClickTreeNode(main, "Orvanta") || !chooseFromMenu(program, "Export") ||
        !confirmFolderBrowser(program, out)) {
        return nullptr;
    }
    return main;
}

bool viewOpenTempCopy(Program& program, const Args& args) {
    char windows[MAX_PATH] = "";
    GetWindowsDirectoryA(windows, sizeof windows);
    const std::string temp = std::string(windows) + "\\Temp\\data.orvx";
    DeleteFileA(temp.c_str());
    // A user without the export right may still view.
    HWND main = startAndLogIn(program, args[0], "", "ned");
    DRIVE(main);
    HWND list = childById(main, LIST_ID);
    std::vector<ListRow> rows;
    DRIVE(readList(list, rows));
    int row = findListRow(rows, "data.orvx");
    DRIVE(row >= 0);
    DRIVE(clickListRow(list, row, CLICK_DOUBLE));
    DWORD start = GetTickCount();
    std::string copy;
    while (!readBytes(temp, &copy) && GetTickCount() - start < driveWaitMs) {
        Sleep(50);
    }
    DRIVE(expectSameFile(temp, sourceOf(args) + "\\data.orvx"));
    DRIVE(exitViewer(program, main));
    return expectMissing(temp);
}

bool exportTwoRows(Program& program, const Args& args) {
    const std::string out = freshExportFolder("export-rows");
    HWND main = startAndLogIn(program, args[0], out, "ann");
    DRIVE(main);
    HWND list = childById(main, LIST_ID);
    std::vector<ListRow> rows;
    DRIVE(readList(list, rows));
    int readMe = findListRow(rows, "Read me.txt");
    int notes = findListRow(rows, "notes.txt");
    DRIVE(readMe >= 0 && notes >= 0);
    DRIVE(selectListRows(list, {readMe, notes}));
    DRIVE(clickListRow(list, notes, CLICK_RIGHT));
    DRIVE(chooseFromMenu(program, "Export"));
    DRIVE(confirmFolderBrowser(program, out));
    DRIVE(answerBox(program, "Finished:", "File(s) has been exported to " + out + "."));
    DRIVE(expectSameFiles(out, sourceOf(args), {"Read me.txt", "notes.txt"}));
    DRIVE(expectMissing(out + "\\data.orvx"));
    DRIVE(expectMissing(out + "\\Orvanta"));
    return exitViewer(program, main);
}

bool exportWholeDisc(Program& program, const Args& args) {
    const std::string out = freshExportFolder("export-disc");
    HWND main = startBlockedDiscExport(program, args, out);
    DRIVE(main);
    HWND progress = waitWindow(program, "#32770", "Exporting...");
    DRIVE(progress);
    DRIVE(waitWindow(program, "#32770", "Error:(34565)"));
    Sleep(500);  // a few frames of the animation, for the artefacts
    saveScreenshot("export-progress");
    DRIVE(answerBox(program, "Error:(34565)", "Cannot create new export file."));
    // The walk goes on after the failed file; its dialog is gone when the closing box shows.
    HWND finished = waitWindow(program, "#32770", "Finished:");
    DRIVE(finished);
    DRIVE(waitWindowGone(program, progress, 2000));
    DRIVE(answerBox(program, "Finished:", "Orvanta has been exported to " + out + "."));
    DRIVE(expectSameFiles(out + "\\Orvanta", sourceOf(args),
                          {"notes.txt", "data.orvx", "Pictures\\photo.txt", "Pictures\\Holiday\\beach.txt",
                           "Reports\\q1.txt"}));
    if (!isFolder(out + "\\Orvanta\\Read me.txt")) {
        return driveFail("the folder in the way of \"Read me.txt\" was replaced");
    }
    return exitViewer(program, main);
}

bool exportAbort(Program& program, const Args& args) {
    const std::string out = freshExportFolder("export-abort");
    HWND main = startBlockedDiscExport(program, args, out);
    DRIVE(main);
    HWND progress = waitWindow(program, "#32770", "Exporting...");
    DRIVE(progress);
    DRIVE(waitWindow(program, "#32770", "Error:(34565)"));
    DRIVE(pressButton(progress, IDCANCEL));
    DRIVE(waitWindowGone(program, progress));
    DRIVE(answerBox(program, "Error:(34565)", "Cannot create new export file."));
    DRIVE(answerBox(program, "Aborted:", "The export was aborted; " + out + " holds the files exported before."));
    DRIVE(expectMissing(out + "\\Orvanta\\data.orvx"));
    DRIVE(expectMissing(out + "\\Orvanta\\notes.txt"));
    DRIVE(expectMissing(out + "\\Orvanta\\Pictures"));
    return exitViewer(program, main);
}

bool exportOneFolder(Program& program, const Args& args) {
    const std::string out = freshExportFolder("export-folder");
    HWND main = startAndLogIn(program, args[0], out, "master");
    DRIVE(main);
    DRIVE(rightClickTreeNode(main, "Orvanta/Pictures"));
    DRIVE(chooseFromMenu(program, "Export"));
    DRIVE(confirmFolderBrowser(program, out));
    DRIVE(answerBox(program, "Finished:", "Pictures has been exported to " + out + "."));
    DRIVE(waitNoWindow(program, "#32770", "Exporting...", 500));
    DRIVE(expectSameFiles(out, sourceOf(args), {"Pictures\\photo.txt", "Pictures\\Holiday\\beach.txt"}));
    DRIVE(expectMissing(out + "\\Orvanta"));
    return exitViewer(program, main);
}

bool exportWithoutRight(Program& program, const Args& args) {
    HWND main = startAndLogIn(program, args[0], "", "ned");
    DRIVE(main);
    HWND list = childById(main, LIST_ID);
    std::vector<ListRow> rows;
    DRIVE(readList(list, rows));
    int notes = findListRow(rows, "notes.txt");
    DRIVE(notes >= 0);
    DRIVE(clickListRow(list, notes, CLICK_RIGHT));
    DRIVE(chooseFromMenu(program, "Export"));
    DRIVE(answerBox(program, "INFO:", "You do not have permissions to export."));
    DRIVE(rightClickTreeNode(main, "Orvanta"));
    DRIVE(chooseFromMenu(program, "Export"));
    DRIVE(answerBox(program, "INFO:", "You do not have permissions to export."));
    DRIVE(waitNoWindow(program, "#32770", nullptr, 500));
    return exitViewer(program, main);
}

const ScenarioRegistration exportScenarios = {
    {"view-open-temp", 2, "WORK_DIR SOURCE_DIR (the disc and the folder it was built from)", viewOpenTempCopy},
    {"export-rows", 2, "WORK_DIR SOURCE_DIR", exportTwoRows},
    {"export-disc", 2, "WORK_DIR SOURCE_DIR", exportWholeDisc},
    {"export-abort", 2, "WORK_DIR SOURCE_DIR", exportAbort},
    {"export-folder", 2, "WORK_DIR SOURCE_DIR", exportOneFolder},
    {"export-no-right", 2, "WORK_DIR SOURCE_DIR", exportWithoutRight},
};

}  // namespace
