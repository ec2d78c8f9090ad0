// End-to-end scenarios of the viewer's Search and Properties dialogs, run against the disc built
// from tests/e2e/data/search: searching by file name and ID number, the sorted results and their
// count, going to a hit in the tree and the file list, and the Properties of a file, a folder and
// the whole disc opened from the panes' context menus.
#include <cstdio>
#include <string>
#include <vector>

#include "drive_win.h"
#include "scenarios_win.h"

namespace {

const int IDM_SEARCH = 40009;
const int IDD_SEARCH_BY_ID = 1011, IDD_SEARCH_BY_NAME = 1012, IDD_SEARCH_TEXT = 1013, IDD_SEARCH_BY_FILENAME = 1014;
const int IDC_RESULTS_LIST = 1014, IDC_RESULTS_COUNT = 1015;

bool expectSame(const char* what, const std::string& actual, const std::string& expected) {
    if (actual != expected) {
        return driveFail("%s:\n--- got\n%s\n--- expected\n%s\n---", what, actual.c_str(), expected.c_str());
    }
    return true;
}

struct Viewer {
    HWND main = nullptr;
    HWND tree = nullptr;
    HWND list = nullptr;
};

bool startViewer(Program& program, const std::string& work, Viewer& viewer) {
    DRIVE(startProgram(program, work + "/viewer.exe", work));
    viewer.main = waitWindow(program, "ScreenTwoClass", "Viewer");
    DRIVE(viewer.main);
    viewer.tree = childById(viewer.main, 2);
    viewer.list = childById(viewer.main, 3);
    DRIVE(viewer.tree && viewer.list);
    return true;
}

bool exitViewer(Program& program, const Viewer& viewer) {
    DRIVE(sendCommand(viewer.main, 40005));  // File > Exit
    return expectExit(program, 0);
}

// The rows of a list box, one per line, "*" after the selected one. LB_GETTEXT is carried across
// processes; Wine carries it in wide characters even to an ANSI caller, so it is asked for wide.
std::string listBoxRows(HWND listBox) {
    std::string rows;
    const LRESULT count = SendMessageA(listBox, LB_GETCOUNT, 0, 0);
    const LRESULT selected = SendMessageA(listBox, LB_GETCURSEL, 0, 0);
    for (LRESULT row = 0; row < count; ++row) {
        wchar_t wide[512] = L"";
        if (SendMessageW(listBox, LB_GETTEXTLEN, row, 0) < 512)
            SendMessageW(listBox, LB_GETTEXT, row, reinterpret_cast<LPARAM>(wide));
        char text[1024] = "";
        WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof text, nullptr, nullptr);
        rows += text;
        if (row == selected) rows += " *";
        rows += "\n";
    }
    return rows;
}

bool selectListBoxRow(HWND listBox, const char* text) {
    const LRESULT row = SendMessageA(listBox, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text));
    if (row == LB_ERR) return driveFail("the results have no row \"%s\":\n%s", text, listBoxRows(listBox).c_str());
    SendMessageA(listBox, LB_SETCURSEL, row, 0);
    return true;
}

bool radioChecked(HWND dialog, int id) {
    return SendMessageA(childById(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

HWND openSearch(Program& program, const Viewer& viewer) {
    if (!sendCommand(viewer.main, IDM_SEARCH)) return nullptr;
    return waitWindow(program, "#32770", "Search");
}

// Picks the mode, types the text and presses "Search >>"; returns the results dialog.
HWND search(Program& program, HWND dialog, int radio, const char* text) {
    if (!pressButton(dialog, radio) || !typeText(dialog, IDD_SEARCH_TEXT, text)) return nullptr;
    // The posted click has to land before "Search >>" reads the radio buttons.
    DWORD start = GetTickCount();
    while (!radioChecked(dialog, radio) && GetTickCount() - start < driveWaitMs) Sleep(20);
    if (!pressButton(dialog, IDOK)) return nullptr;
    return waitWindow(program, "#32770", "Search results");
}

// The tree as formatTree shows it, and the list with the drop-highlighted rows, the selection
// mark and the hot row, and whether the list has the keyboard focus.
std::string panesState(const Viewer& viewer) {
    std::vector<TreeNode> nodes;
    std::vector<ListRow> rows;
    if (!readTree(viewer.tree, nodes) || !readList(viewer.list, rows)) return "unreadable";
    std::string state = formatTree(nodes) + "--\n";
    for (size_t row = 0; row < rows.size(); ++row) {
        state += rows[row].cells.empty() ? "" : rows[row].cells[0];
        if (rows[row].selected) state += " *";
        if (SendMessageA(viewer.list, LVM_GETITEMSTATE, row, LVIS_DROPHILITED) & LVIS_DROPHILITED) state += " !";
        state += "\n";
    }
    char marks[96];
    std::snprintf(marks, sizeof marks, "mark %ld hot %ld",
                  static_cast<long>(SendMessageA(viewer.list, LVM_GETSELECTIONMARK, 0, 0)),
                  static_cast<long>(SendMessageA(viewer.list, LVM_GETHOTITEM, 0, 0)));
    state += marks;
    GUITHREADINFO gui = {};
    gui.cbSize = sizeof gui;
    if (GetGUIThreadInfo(GetWindowThreadProcessId(viewer.main, nullptr), &gui) && gui.hwndFocus == viewer.list)
        state += " focus";
    return state;
}

bool waitPanes(const Viewer& viewer, const char* what, const std::string& expected) {
    DWORD start = GetTickCount();
    std::string state = panesState(viewer);
    while (state != expected && GetTickCount() - start < driveWaitMs) {
        Sleep(50);
        state = panesState(viewer);
    }
    return expectSame(what, state, expected);
}

bool closeInfoBox(Program& program, const char* title, const char* text) {
    HWND box = waitWindow(program, "#32770", title);
    DRIVE(box);
    DRIVE(expectSame("message box", messageBoxText(box), text));
    DRIVE(pressButton(box, IDOK));
    return waitWindowGone(program, box);
}

// Opens a context menu with a right click and chooses "Properties"; returns the dialog.
HWND propertiesFrom(Program& program, bool fromTree, HWND pane, HTREEITEM node, int row) {
    if (!(fromTree ? clickTreeNode(pane, node, CLICK_RIGHT) : clickListRow(pane, row, CLICK_RIGHT))) return nullptr;
    HWND menu = waitPopupMenu(program);
    if (!menu || !choosePopupMenuItem(program, menu, "Properties")) return nullptr;
    return waitWindow(program, "#32770", "Properties");
}

// Every control the dialog fills, in one text: name, type, size, encryption, ID #, name text,
// note, and the spare static that nothing fills.
std::string propertiesTexts(HWND dialog) {
    std::string texts;
    for (int id : {1002, 1000, 1004, 1003, 1006, 1007, 1008, 1005}) texts += childText(dialog, id) + "\n";
    return texts;
}

bool checkProperties(Program& program, HWND dialog, const char* what, const std::string& expected,
                     const char* screenshot) {
    DRIVE(dialog);
    DRIVE(expectSame(what, propertiesTexts(dialog), expected));
    if (screenshot) DRIVE(saveScreenshot(screenshot));
    DRIVE(pressButton(dialog, IDCANCEL));  // "Done >>"
    return waitWindowGone(program, dialog);
}

const TreeNode* nodeAt(const Viewer& viewer, std::vector<TreeNode>& nodes, const char* path) {
    if (!readTree(viewer.tree, nodes)) return nullptr;
    return findTreeNode(nodes, path);
}

bool searchAndGoto(Program& program, const Args& args) {
    Viewer viewer;
    DRIVE(startViewer(program, args[0], viewer));
    // The tree's selection is on the root, and stays there whatever is gone to. (Not on a folder
    // gone to: Wine's tree ignores a drop-highlight request for its selected node.)
    std::vector<TreeNode> nodes;
    const TreeNode* root = nodeAt(viewer, nodes, "Orvanta");
    DRIVE(root);
    DRIVE(clickTreeNode(viewer.tree, root->handle, CLICK_LEFT));
    const std::string clicked = "Orvanta + *\n  Docs\n    Old\n  Same\n--\nread me.txt\n";
    DWORD start = GetTickCount();
    while (panesState(viewer).compare(0, clicked.size(), clicked) != 0 && GetTickCount() - start < driveWaitMs) Sleep(50);
    DRIVE(expectSame("after a click on the root", panesState(viewer).substr(0, clicked.size()), clicked));

    HWND dialog = openSearch(program, viewer);
    DRIVE(dialog);
    if (!radioChecked(dialog, IDD_SEARCH_BY_ID) || radioChecked(dialog, IDD_SEARCH_BY_NAME) ||
        radioChecked(dialog, IDD_SEARCH_BY_FILENAME))
        return driveFail("the first Search dialog does not start with \"ID number\" on");
    if (SendMessageA(childById(dialog, IDD_SEARCH_TEXT), EM_GETLIMITTEXT, 0, 0) != 255)
        return driveFail("the search text is not limited to 255 characters");

    // Nothing typed: the dialog says so and stays open.
    DRIVE(pressButton(dialog, IDOK));
    DRIVE(closeInfoBox(program, "INFO:", "You didn't enter anything to search for. Try again."));
    if (!IsWindow(dialog)) return driveFail("the Search dialog closed on an empty text");

    // By file name, ignoring case: the rows come sorted by their text, not in catalogue order.
    HWND results = search(program, dialog, IDD_SEARCH_BY_FILENAME, "ALPHA");
    DRIVE(results);
    DRIVE(expectSame("count", childText(results, IDC_RESULTS_COUNT), "3 items"));
    HWND rows = childById(results, IDC_RESULTS_LIST);
    DRIVE(expectSame("results", listBoxRows(rows),
                     "file:     Alpha notes.doc *\nfile:     alpha.txt\nfile:     alpha-old.txt\n"));
    DRIVE(saveScreenshot("search-results"));
    if (!IsWindow(dialog)) return driveFail("the Search dialog closed before its results");

    // The last row goes to its own hit: its folder is drop-highlighted and expanded into view,
    // the tree's selection stays, and the row is selected, marked, hot and focused.
    DRIVE(selectListBoxRow(rows, "file:     alpha-old.txt"));
    DRIVE(pressButton(results, IDOK));
    DRIVE(waitWindowGone(program, results));
    DRIVE(waitWindowGone(program, dialog));
    DRIVE(waitPanes(viewer, "after going to alpha-old.txt",
                    "Orvanta + *\n  Docs +\n    Old !\n  Same\n--\nalpha-old.txt * !\nmark 0 hot 0 focus"));
    DRIVE(saveScreenshot("search-goto"));

    // The mode is remembered; by ID number a single hit counts "1 item ".
    dialog = openSearch(program, viewer);
    DRIVE(dialog);
    if (!radioChecked(dialog, IDD_SEARCH_BY_FILENAME))
        return driveFail("the Search dialog forgot the mode \"File Name\"");
    results = search(program, dialog, IDD_SEARCH_BY_ID, "42abc");
    DRIVE(results);
    DRIVE(expectSame("count", childText(results, IDC_RESULTS_COUNT), "1 item "));
    rows = childById(results, IDC_RESULTS_LIST);
    DRIVE(expectSame("results", listBoxRows(rows), "file:     alpha.txt *\n"));
    DRIVE(pressButton(results, IDOK));
    DRIVE(waitWindowGone(program, dialog));
    DRIVE(waitPanes(viewer, "after going to alpha.txt",
                    "Orvanta + *\n  Docs + !\n    Old\n  Same\n--\nAlpha notes.doc\nalpha.txt * !\nBeta.txt\n"
                    "mark 1 hot 1 focus"));

    // Two names that differ only in case: going to either selects the first of them in the list.
    dialog = openSearch(program, viewer);
    DRIVE(dialog);
    results = search(program, dialog, IDD_SEARCH_BY_FILENAME, "case");
    DRIVE(results);
    DRIVE(expectSame("count", childText(results, IDC_RESULTS_COUNT), "2 items"));
    rows = childById(results, IDC_RESULTS_LIST);
    DRIVE(pressButton(results, IDOK));
    DRIVE(waitWindowGone(program, dialog));
    std::vector<ListRow> listed;
    start = GetTickCount();
    while ((!readList(viewer.list, listed) || listed.size() != 2) && GetTickCount() - start < driveWaitMs) Sleep(50);
    if (listed.size() != 2) return driveFail("the folder Same does not list its two files");
    const std::string second = listed[1].cells[0];
    dialog = openSearch(program, viewer);
    DRIVE(dialog);
    results = search(program, dialog, IDD_SEARCH_BY_FILENAME, "case");
    DRIVE(results);
    DRIVE(selectListBoxRow(childById(results, IDC_RESULTS_LIST), ("file:     " + second).c_str()));
    DRIVE(pressButton(results, IDOK));
    DRIVE(waitWindowGone(program, dialog));
    DRIVE(waitPanes(viewer, "after going to the second of two names that differ in case",
                    "Orvanta + *\n  Docs +\n    Old\n  Same !\n--\n" + listed[0].cells[0] + " * !\n" + second +
                        "\nmark 0 hot 0 focus"));

    // No hit: one row that goes nowhere; "Goto" only closes both dialogs.
    dialog = openSearch(program, viewer);
    DRIVE(dialog);
    results = search(program, dialog, IDD_SEARCH_BY_NAME, "no such text");
    DRIVE(results);
    DRIVE(expectSame("count", childText(results, IDC_RESULTS_COUNT), "no items."));
    DRIVE(expectSame("results", listBoxRows(childById(results, IDC_RESULTS_LIST)), "No matches found. *\n"));
    DRIVE(saveScreenshot("search-no-match"));
    DRIVE(pressButton(results, IDOK));
    DRIVE(waitWindowGone(program, results));
    DRIVE(waitWindowGone(program, dialog));
    // The panes are as they were; where the focus goes when the dialogs close is the system's.
    const std::string unchanged = "Orvanta + *\n  Docs +\n    Old\n  Same !\n--\n" + listed[0].cells[0] + " * !\n" + second +
                                  "\nmark 0 hot 0";
    DRIVE(expectSame("after a search without hits", panesState(viewer).substr(0, unchanged.size()), unchanged));

    // Cancel in the results closes both dialogs too.
    dialog = openSearch(program, viewer);
    DRIVE(dialog);
    results = search(program, dialog, IDD_SEARCH_BY_NAME, "Documents");
    DRIVE(results);
    DRIVE(expectSame("count", childText(results, IDC_RESULTS_COUNT), "no items."));
    DRIVE(pressButton(results, IDCANCEL));
    DRIVE(waitWindowGone(program, dialog));
    return exitViewer(program, viewer);
}

bool properties(Program& program, const Args& args) {
    Viewer viewer;
    DRIVE(startViewer(program, args[0], viewer));
    std::vector<TreeNode> nodes;

    const TreeNode* docs = nodeAt(viewer, nodes, "Orvanta/Docs");
    DRIVE(docs);
    DRIVE(clickTreeNode(viewer.tree, docs->handle, CLICK_LEFT));
    std::vector<ListRow> rows;
    DWORD start = GetTickCount();
    while ((!readList(viewer.list, rows) || findListRow(rows, "alpha.txt") < 0) && GetTickCount() - start < driveWaitMs)
        Sleep(50);
    const int alpha = findListRow(rows, "alpha.txt");
    const int beta = findListRow(rows, "Beta.txt");
    if (alpha < 0 || beta < 0) return driveFail("Docs does not list alpha.txt and Beta.txt");

    DRIVE(checkProperties(program, propertiesFrom(program, false, viewer.list, nullptr, alpha), "file alpha.txt",
                          "alpha.txt\nFile\n1536 Bytes ( 1.50 KB/0.00 MB)\nBitCrypt  - ( FULL )\n42\nFirst letter\n"
                          "Keep this safe.\n\n",
                          "properties-file"));
    // No ID number: the ID # box stays empty.
    DRIVE(checkProperties(program, propertiesFrom(program, false, viewer.list, nullptr, beta), "file Beta.txt",
                          "Beta.txt\nFile\n6 Bytes ( 0.01 KB/0.00 MB)\nBitCrypt  - ( FULL )\n\n\n\n\n", nullptr));

    // The tree's menu takes the tree's node even though the list's menu was used last.
    DRIVE(checkProperties(program, propertiesFrom(program, true, viewer.tree, docs->handle, 0), "folder Docs",
                          "Docs\nFolder\nTotal 1569 Bytes ( 1.53 KB/0.00 MB) - Files: 4 - Sub Folders: 1\n"
                          "Not encrypted.\n7\nDocuments\nAll the papers.\n\n",
                          "properties-folder"));
    const TreeNode* root = nodeAt(viewer, nodes, "Orvanta");
    DRIVE(root);
    DRIVE(checkProperties(program, propertiesFrom(program, true, viewer.tree, root->handle, 0), "whole disc",
                          "Whole CD\nWhole CD\nTotal 1590 Bytes ( 1.55 KB/0.00 MB) - Files: 7 - Sub Folders: 3\n"
                          "Not encrypted.\n\n\n\n\n",
                          "properties-disc"));
    return exitViewer(program, viewer);
}

ScenarioRegistration searchScenarios({
    {"search-and-goto", 1, "DISC_DIR (built from data/search)", searchAndGoto},
    {"properties", 1, "DISC_DIR (built from data/search)", properties},
});

}  // namespace
