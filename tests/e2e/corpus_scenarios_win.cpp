// End-to-end scenarios on damaged discs written by `disctool damage`: a damaged payload stops the
// viewer with its one error box; a catalogue count larger than the records opens the records
// that are there; hostile catalogue names get their messages on Export and View/Open and nothing
// is written outside the chosen folder; a short or missing data file fails that one file only,
// on View/Open as on Export.
// Discs have no password, so the viewer goes straight to its main window.
#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "drive_win.h"
#include "export_helpers_win.h"
#include "scenarios_win.h"

namespace {

const char* const MAIN_CLASS = "ScreenTwoClass";
const char* const DAMAGED_CATALOGUE_TITLE = "Error: (14303)";

// ---- what lies where: listings taken before and after ----

struct Entry {
    DWORD attributes;
    DWORD sizeLow;
    FILETIME written;
};
typedef std::map<std::string, Entry> Listing;

void listFolder(const std::string& folder, bool recursive, const std::string& skip, Listing* listing) {
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        const std::string name = data.cFileName;
        if (name == "." || name == "..") continue;
        const std::string path = folder + "\\" + name;
        if (lstrcmpiA(path.c_str(), skip.c_str()) == 0) continue;
        (*listing)[path] = {data.dwFileAttributes, data.nFileSizeLow, data.ftLastWriteTime};
        if (recursive && (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) listFolder(path, true, skip, listing);
    } while (FindNextFileA(find, &data));
    FindClose(find);
}

std::string windowsFolder() {
    char path[MAX_PATH] = "";
    GetWindowsDirectoryA(path, sizeof path);
    return path;
}

std::string userTempFolder() {
    char path[MAX_PATH] = "";
    GetTempPathA(sizeof path, path);
    std::string folder = path;
    while (!folder.empty() && folder.back() == '\\') folder.pop_back();
    return folder;
}

// Everything outside chosen that a write through a refused name could reach: the chosen
// folder's parent, the top levels of C:\ and of the Windows folder, both Temp folders and the
// disc's folder.
Listing listOutside(const std::string& chosen, const std::string& discFolder) {
    Listing listing;
    const std::string parent = chosen.substr(0, chosen.find_last_of('\\'));
    listFolder(parent, true, chosen, &listing);
    listFolder("C:", false, chosen, &listing);
    listFolder(windowsFolder(), false, chosen, &listing);
    listFolder(windowsFolder() + "\\Temp", true, chosen, &listing);
    listFolder(userTempFolder(), true, chosen, &listing);
    listFolder(discFolder, true, chosen, &listing);
    return listing;
}

bool expectSameListing(const Listing& before, const Listing& after, const char* when) {
    std::string changes;
    for (const auto& a : after) {
        const auto b = before.find(a.first);
        if (b == before.end())
            changes += "  new: " + a.first + "\n";
        else if (b->second.sizeLow != a.second.sizeLow ||
                 CompareFileTime(&b->second.written, &a.second.written) != 0)
            changes += "  changed: " + a.first + "\n";
    }
    for (const auto& b : before)
        if (after.find(b.first) == after.end()) changes += "  gone: " + b.first + "\n";
    if (!changes.empty()) return driveFail("%s, something was written outside the chosen folder:\n%s", when, changes.c_str());
    return true;
}

// ---- message boxes ----

// Answers every "Error:" box of an export until its "Finished:" box, which it answers too;
// texts holds the error texts in the order shown.
bool collectExportErrors(Program& program, std::vector<std::string>* texts, std::string* finished) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (HWND box = findProgramWindow(program, "#32770", "Finished:")) {
            *finished = messageBoxText(box);
            DRIVE(pressButton(box, IDOK));
            return waitWindowGone(program, box);
        }
        HWND box = nullptr;
        for (HWND window : programWindows(program)) {
            const std::string title = windowText(window);
            if (windowClass(window) == "#32770" && title.compare(0, 6, "Error:") == 0) box = window;
        }
        if (box) {
            texts->push_back(windowText(box) + " / " + messageBoxText(box));
            DRIVE(pressButton(box, IDOK));
            DRIVE(waitWindowGone(program, box));
            continue;
        }
        if (GetTickCount() - start >= 4 * driveWaitMs) {
            std::string so;
            for (const std::string& t : *texts) so += "  " + t + "\n";
            return driveFail("the export did not finish; boxes so far:\n%s", so.c_str());
        }
        Sleep(50);
    }
}

bool expectTexts(std::vector<std::string> shown, std::vector<std::string> expected) {
    std::sort(shown.begin(), shown.end());
    std::sort(expected.begin(), expected.end());
    if (shown == expected) return true;
    std::string a, b;
    for (const std::string& s : shown) a += "  " + s + "\n";
    for (const std::string& s : expected) b += "  " + s + "\n";
    return driveFail("the export showed:\n%sexpected:\n%s", a.c_str(), b.c_str());
}

HWND startOpenDisc(Program& program, const std::string& work, const std::string& folder) {
    if (!startProgram(program, work + "/viewer.exe", folder)) return nullptr;
    return waitWindow(program, MAIN_CLASS, "Viewer");
}

bool exportWholeDiscTo(Program& program, HWND main, const std::string& out) {
    DRIVE(rightClickTreeNode(main, "Orvanta"));
    DRIVE(chooseFromMenu(program, "Export"));
    return confirmFolderBrowser(program, out);
}

// ---- scenarios ----

// A damaged payload: the one error box, exit code 0, no other window.
bool corpusCorrupt(Program& program, const Args& args) {
    DRIVE(startProgram(program, args[0] + "/viewer.exe", args[0]));
    DRIVE(answerBox(program, "Error: (53673224)", "Corrupt! - re-build your Orvanta."));
    DRIVE(expectExit(program, 0));
    return expectOnlyWindowsSeen(program, {{"#32770", "Error: (53673224)"}});
}

// T2 two larger than the records: the box names how many were read, and the disc opens with them.
bool corpusCatalogueCount(Program& program, const Args& args) {
    DRIVE(startProgram(program, args[0] + "/viewer.exe", args[0]));
    DRIVE(answerBox(program, DAMAGED_CATALOGUE_TITLE, "Catalogue damaged: read 5 of 7 items."));
    HWND main = waitWindow(program, MAIN_CLASS, "Viewer");
    DRIVE(main);
    DRIVE(waitTree(childById(main, TREE_ID), "Orvanta +\n  Docs\n"));
    std::vector<ListRow> rows;
    DRIVE(readList(childById(main, LIST_ID), rows));
    if (rows.size() != 1 || rows[0].cells.empty() || rows[0].cells[0] != "Read me.txt")
        return driveFail("the root folder lists:\n%s", formatList(rows).c_str());
    DRIVE(exitViewer(program, main));
    return expectOnlyWindowsSeen(program, {{"ScreenOneClass", ""}, {"#32770", DAMAGED_CATALOGUE_TITLE}, {MAIN_CLASS, "Viewer"}});
}

const char* const HOSTILE_FILES[] = {"..\\evil.txt", "C:\\absolute.txt", "\\\\server\\share.txt", "CON",
                                     "nul.txt",      "COM1.log",         "a/b.txt",                "trailing."};

std::string longName() { return std::string(255, 'n'); }

// View/Open and Export of the whole disc with names that are not plain file names, then the
// export of the folder ".." on its own.
bool corpusHostileNames(Program& program, const Args& args) {
    const std::string out = freshExportFolder("corpus-names");
    const std::string disc = toWindowsPath(args[0]);
    const Listing before = listOutside(out, disc);

    HWND main = startOpenDisc(program, args[0], out);
    DRIVE(main);
    HWND list = childById(main, LIST_ID);
    std::vector<ListRow> rows;
    DRIVE(readList(list, rows));
    std::vector<std::string> refusedFiles(std::begin(HOSTILE_FILES), std::end(HOSTILE_FILES));
    for (const std::string& name : refusedFiles) {
        const int row = findListRow(rows, name.c_str());
        if (row < 0) return driveFail("the list has no row \"%s\":\n%s", name.c_str(), formatList(rows).c_str());
        DRIVE(clickListRow(list, row, CLICK_DOUBLE));
        DRIVE(answerBox(program, "Error:",
                        "The file name \"" + name + "\" cannot be used on this system. The file was not opened."));
    }
    const int longRow = findListRow(rows, longName().c_str());
    DRIVE(longRow >= 0);
    DRIVE(clickListRow(list, longRow, CLICK_DOUBLE));
    DRIVE(answerBox(program, "Error:", "The file name \"" + longName() + "\" is too long to open. The file was not opened."));
    DRIVE(expectSameListing(before, listOutside(out, disc), "after View/Open"));

    DRIVE(exportWholeDiscTo(program, main, out));
    std::vector<std::string> shown;
    std::string finished;
    DRIVE(collectExportErrors(program, &shown, &finished));
    std::vector<std::string> expected;
    for (const std::string& name : refusedFiles)
        expected.push_back("Error: / \"" + name + "\" cannot be used as a file name on this system. The file was not exported.");
    expected.push_back("Error: / \"..\" cannot be used as a folder name on this system. The folder and everything in it were not exported.");
    expected.push_back("Error: / The path of \"" + longName() + "\" in " + out +
                       "\\Orvanta would be too long. The file was not exported.");
    DRIVE(expectTexts(shown, expected));
    if (finished != "Orvanta has been exported to " + out + ".") return driveFail("the closing box reads \"%s\"", finished.c_str());

    std::string good;
    if (!readBytes(out + "\\Orvanta\\good.txt", &good) || good != "written under the name good.txt\r\n")
        return driveFail("good.txt was not exported whole (%u bytes)", unsigned(good.size()));
    DRIVE(expectSameFile(out + "\\Orvanta\\Docs\\a.txt", toWindowsPath(args[1]) + "\\Docs\\a.txt"));
    Listing inside;
    listFolder(out, true, "", &inside);
    Listing expectedInside;
    for (const char* relative : {"Orvanta", "Orvanta\\Docs", "Orvanta\\Docs\\a.txt", "Orvanta\\Docs\\b.txt",
                                 "Orvanta\\Read me.txt", "Orvanta\\good.txt"})
        expectedInside[out + "\\" + relative] = Entry();
    bool same = inside.size() == expectedInside.size();
    for (auto a = inside.begin(), b = expectedInside.begin(); same && a != inside.end(); ++a, ++b)
        same = lstrcmpiA(a->first.c_str(), b->first.c_str()) == 0;
    if (!same) {
        std::string text;
        for (const auto& e : inside) text += "  " + e.first + "\n";
        return driveFail("the chosen folder holds:\n%s", text.c_str());
    }
    DRIVE(expectSameListing(before, listOutside(out, disc), "after Export"));

    // The folder ".." exported on its own: refused, and not reported as exported.
    DRIVE(rightClickTreeNode(main, "Orvanta/.."));
    DRIVE(chooseFromMenu(program, "Export"));
    DRIVE(confirmFolderBrowser(program, out));
    DRIVE(answerBox(program, "Error:",
                    "\"..\" cannot be used as a folder name on this system. The folder and everything in it were not exported."));
    DRIVE(answerBox(program, "Error: (633834)", "Cannot export folder/files."));
    DRIVE(waitNoWindow(program, "#32770", "Finished:", 500));
    DRIVE(expectSameListing(before, listOutside(out, disc), "after the export of \"..\""));
    return exitViewer(program, main);
}

// Docs\a.txt, the first file of the disc, cannot be read: View/Open shows the error and leaves
// no copy in the Temp folder; Export shows it, leaves no partial file and goes on with
// Docs\b.txt.
bool exportWithBrokenData(Program& program, const Args& args, const char* folderName, const char* title,
                          const char* text) {
    const std::string out = freshExportFolder(folderName);
    const std::string tempCopy = windowsFolder() + "\\Temp\\a.txt";
    DeleteFileA(tempCopy.c_str());
    HWND main = startOpenDisc(program, args[0], out);
    DRIVE(main);
    HWND tree = childById(main, TREE_ID);
    std::vector<TreeNode> nodes;
    DRIVE(readTree(tree, nodes));
    const TreeNode* docs = findTreeNode(nodes, "Orvanta/Docs");
    DRIVE(docs);
    DRIVE(clickTreeNode(tree, docs->handle, CLICK_LEFT));
    HWND list = childById(main, LIST_ID);
    std::vector<ListRow> rows;
    const DWORD start = GetTickCount();
    while (readList(list, rows) && findListRow(rows, "a.txt") < 0 && GetTickCount() - start < driveWaitMs) Sleep(50);
    const int row = findListRow(rows, "a.txt");
    if (row < 0) return driveFail("Docs lists:\n%s", formatList(rows).c_str());
    DRIVE(clickListRow(list, row, CLICK_DOUBLE));
    DRIVE(answerBox(program, title, text));
    DRIVE(expectMissing(tempCopy));
    DRIVE(exportWholeDiscTo(program, main, out));
    std::vector<std::string> shown;
    std::string finished;
    DRIVE(collectExportErrors(program, &shown, &finished));
    DRIVE(expectTexts(shown, {std::string(title) + " / " + text}));
    if (finished != "Orvanta has been exported to " + out + ".") return driveFail("the closing box reads \"%s\"", finished.c_str());
    DRIVE(expectMissing(out + "\\Orvanta\\Docs\\a.txt"));
    const std::string source = toWindowsPath(args[1]);
    DRIVE(expectSameFile(out + "\\Orvanta\\Docs\\b.txt", source + "\\Docs\\b.txt"));
    DRIVE(expectSameFile(out + "\\Orvanta\\Read me.txt", source + "\\Read me.txt"));
    return exitViewer(program, main);
}

bool corpusShortData(Program& program, const Args& args) {
    return exportWithBrokenData(program, args, "corpus-short", "Error:",
                                "The data file of \"a.txt\" ends before its content. Nothing was written.");
}

bool corpusMissingData(Program& program, const Args& args) {
    return exportWithBrokenData(program, args, "corpus-missing", "Error:(345634)", "Cannot open .dat file.");
}

const ScenarioRegistration corpusScenarios = {
    {"corpus-corrupt", 1, "DISC_DIR (a disc with a damaged payload)", corpusCorrupt},
    {"corpus-catalogue-count", 1, "DISC_DIR (T2 two larger than the records)", corpusCatalogueCount},
    {"corpus-hostile-names", 2, "DISC_DIR SOURCE_DIR", corpusHostileNames},
    {"corpus-short-data", 2, "DISC_DIR SOURCE_DIR", corpusShortData},
    {"corpus-missing-data", 2, "DISC_DIR SOURCE_DIR", corpusMissingData},
};

}  // namespace
