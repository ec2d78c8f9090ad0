// End-to-end scenarios of the viewer: start-up and payload, splash and login, main window.
// Each runs the real viewer.exe of a disc that the disc tool built into WORK_DIR.
#include <cstdio>
#include <cstring>
#include <string>

#include "drive_win.h"
#include "scenarios_win.h"

namespace {

const WORD IDM_EXIT = 40005, IDM_ABOUT = 40007;
const char* const MAIN_CLASS = "ScreenTwoClass";
const char* const SPLASH_CLASS = "ScreenOneClass";

bool same(const char* what, const std::string& actual, const std::string& expected) {
    if (actual == expected) return true;
    return driveFail("%s:\n--- got\n%s\n--- expected\n%s", what, actual.c_str(), expected.c_str());
}

bool startViewer(Program& program, const Args& args) {
    return startProgram(program, args[0] + "/viewer.exe", args[0]);
}

HWND waitMain(Program& program) {
    return waitWindow(program, MAIN_CLASS, "Viewer");
}

bool exitFromMenu(Program& program, HWND main) {
    DRIVE(sendCommand(main, IDM_EXIT));
    return expectExit(program, 0);
}

HWND passwordDialog(Program& program) {
    return waitWindow(program, "#32770", "Enter password:");
}

bool typePassword(Program& program, const char* password) {
    HWND dialog = passwordDialog(program);
    DRIVE(dialog);
    DRIVE(typeText(dialog, 1001, password));
    return pressButton(dialog, IDOK);
}

bool expectBox(Program& program, const char* title, const char* text, int button) {
    HWND box = waitWindow(program, "#32770", title);
    DRIVE(box);
    DRIVE(same("message box text", messageBoxText(box), text));
    return pressButton(box, button);
}

std::string windowsFolder() {
    char folder[MAX_PATH] = {};
    GetWindowsDirectoryA(folder, sizeof folder);
    return folder;
}

std::string tempFolder() {
    char folder[MAX_PATH] = {};
    GetTempPathA(sizeof folder, folder);
    std::string f = folder;
    if (!f.empty() && f.back() == '\\') f.pop_back();
    return f;
}

// ---- start-up and payload

// No password and no licence: the splash shows, no dialog follows, the main window comes. The
// disc's background (.bmp) and logo (.jpg) pass through temporary files that are gone afterwards.
bool straightToMain(Program& program, const Args& args) {
    DRIVE(startViewer(program, args));
    HWND main = waitMain(program);
    DRIVE(main);
    for (const char* name : {"back.bmp", "logo.jpg"}) {
        for (const std::string& folder : {windowsFolder(), tempFolder()}) {
            const std::string path = folder + "\\" + name;
            if (fileExists(path)) return driveFail("the temporary picture %s was left behind", path.c_str());
        }
    }
    DRIVE(exitFromMenu(program, main));
    return expectOnlyWindowsSeen(program, {{SPLASH_CLASS, ""}, {MAIN_CLASS, "Viewer"}});
}

const char* const FONT_FILE = "DejaVuSerif-Bold.ttf";
const char* const FONT_FACE = "DejaVu Serif";

// The font entry goes into the first of the two font keys that opens with full access.
HKEY openFontKey() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Fonts", 0, KEY_ALL_ACCESS,
                      &key) == ERROR_SUCCESS)
        return key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts", 0,
                      KEY_ALL_ACCESS, &key) == ERROR_SUCCESS)
        return key;
    return nullptr;
}

std::string fontEntry() {
    HKEY key = openFontKey();
    if (!key) return "<no key>";
    char value[512] = {};
    DWORD size = sizeof value - 1;
    const LONG r = RegQueryValueExA(key, FONT_FACE, nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size);
    RegCloseKey(key);
    return r == ERROR_SUCCESS ? std::string(value) : std::string("<none>");
}

void setFontEntry(const char* text) {
    HKEY key = openFontKey();
    if (!key) return;
    if (text)
        RegSetValueExA(key, FONT_FACE, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), std::strlen(text) + 1);
    else
        RegDeleteValueA(key, FONT_FACE);
    RegCloseKey(key);
}

bool lastWrite(const std::string& path, FILETIME* when) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return false;
    *when = data.ftLastWriteTime;
    return true;
}

// The disc's font is written once into the Fonts folder and entered under its face name; a
// second start finds the file and writes, enters and loads nothing.
bool customFont(Program& program, const Args& args) {
    const std::string fontPath = windowsFolder() + "\\Fonts\\" + FONT_FILE;
    DeleteFileA(fontPath.c_str());
    setFontEntry(nullptr);

    DRIVE(startViewer(program, args));
    HWND main = waitMain(program);
    DRIVE(main);
    DRIVE(exitFromMenu(program, main));
    if (!fileExists(fontPath)) return driveFail("the font was not written to %s", fontPath.c_str());
    DRIVE(same("font entry", fontEntry(), FONT_FILE));

    FILETIME before = {}, after = {};
    DRIVE(lastWrite(fontPath, &before));
    setFontEntry("left alone");
    Program second;
    driveSetCurrentProgram(&second);
    DRIVE(startViewer(second, args));
    HWND main2 = waitMain(second);
    DRIVE(main2);
    DRIVE(exitFromMenu(second, main2));
    DRIVE(lastWrite(fontPath, &after));
    if (CompareFileTime(&before, &after) != 0) return driveFail("the second start rewrote the font file");
    DRIVE(same("font entry after the second start", fontEntry(), "left alone"));
    setFontEntry(nullptr);
    DeleteFileA(fontPath.c_str());
    return true;
}

// ---- splash and login

// A wrong password asks whether to try again; No ends the viewer silently.
bool wrongPassword(Program& program, const Args& args) {
    DRIVE(startViewer(program, args));
    DRIVE(typePassword(program, "not the password"));
    DRIVE(expectBox(program, "Password Incorrect.",
                    "Password incorrect, do you want to try again?\r\n\r\n( case sensitive - make sure \"CAPS LOCK\" "
                    "is not on )",
                    IDYES));
    // Yes keeps the dialog open with the typed text; the second failure is answered No.
    HWND dialog = passwordDialog(program);
    DRIVE(dialog);
    DRIVE(same("typed text kept", childText(dialog, 1001), "not the password"));
    DRIVE(pressButton(dialog, IDOK));
    HWND box = waitWindow(program, "#32770", "Password Incorrect.");
    DRIVE(box);
    DRIVE(pressButton(box, IDNO));
    DRIVE(expectExit(program, 0));
    return expectOnlyWindowsSeen(program, {{SPLASH_CLASS, ""}, {"#32770", "Enter password:"},
                                           {"#32770", "Password Incorrect."}});
}

// The master password opens the disc without a user: the licence, no note, the main window.
bool masterPassword(Program& program, const Args& args) {
    DRIVE(startViewer(program, args));
    DRIVE(typePassword(program, "Master Key 1"));
    HWND licence = waitWindow(program, "#32770", "End User Licence Agreement");
    DRIVE(licence);
    DRIVE(pressButton(licence, IDOK));
    HWND main = waitMain(program);
    DRIVE(main);
    return exitFromMenu(program, main);
}

// A user with a note who declines the licence still sees the note, then the viewer ends.
bool declinedLicenceShowsNote(Program& program, const Args& args) {
    DRIVE(startViewer(program, args));
    DRIVE(typePassword(program, "alice123"));
    HWND licence = waitWindow(program, "#32770", "End User Licence Agreement");
    DRIVE(licence);
    DRIVE(same("licence text", childText(licence, 1000), "Use this disc fairly.\r\nDo not copy it."));
    DRIVE(pressButton(licence, IDCANCEL));
    HWND note = waitWindow(program, "#32770", "User note");
    DRIVE(note);
    DRIVE(same("greeting", childText(note, 1002), "Hello Alice, the administrator left you this note:"));
    DRIVE(same("note", childText(note, 1009), "The Q1 figures are final."));
    DRIVE(pressButton(note, IDOK));
    DRIVE(expectExit(program, 0));
    return expectOnlyWindowsSeen(program, {{SPLASH_CLASS, ""}, {"#32770", "Enter password:"},
                                           {"#32770", "End User Licence Agreement"}, {"#32770", "User note"}});
}

// An expired user accepts the licence and reads the note, then is refused.
bool expiredUser(Program& program, const Args& args) {
    DRIVE(startViewer(program, args));
    DRIVE(typePassword(program, "bob456"));
    HWND licence = waitWindow(program, "#32770", "End User Licence Agreement");
    DRIVE(licence);
    DRIVE(pressButton(licence, IDOK));
    HWND note = waitWindow(program, "#32770", "User note");
    DRIVE(note);
    DRIVE(pressButton(note, IDOK));
    DRIVE(expectBox(program, "User expired.", "Sorry, your access has expired.", IDOK));
    DRIVE(expectExit(program, 0));
    return waitNoWindow(program, MAIN_CLASS, nullptr, 0);
}

// The splash behind the password dialog, kept as a screenshot; Cancel ends the viewer.
bool splashScreenshot(Program& program, const Args& args) {
    DRIVE(startViewer(program, args));
    HWND dialog = passwordDialog(program);
    DRIVE(dialog);
    // Out of the way of a centred logo or text, then let the splash repaint what it uncovered.
    SetWindowPos(dialog, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    Sleep(700);
    DRIVE(saveScreenshot("splash"));
    DRIVE(pressButton(dialog, IDCANCEL));
    DRIVE(expectExit(program, 0));
    return waitNoWindow(program, MAIN_CLASS, nullptr, 0);
}

// ---- main window

const char* const ROOT_ROWS =
    "Alpha.csv|10 bytes ( 0.01 kb/0.00 MB )\n"
    "apple.txt|13 bytes ( 0.01 kb/0.00 MB )\n"
    "beta.doc|15 bytes ( 0.01 kb/0.00 MB )\n"
    "readme.txt|16 bytes ( 0.02 kb/0.00 MB )\n";

const char* const DOCS_ROWS =
    "file1.txt|12 bytes ( 0.01 kb/0.00 MB )\n"
    "file2.txt|12 bytes ( 0.01 kb/0.00 MB )\n"
    "file3.txt|12 bytes ( 0.01 kb/0.00 MB )\n";

struct MainWindow {
    HWND frame, tree, list, status;
};

bool findPanes(HWND main, MainWindow* w) {
    w->frame = main;
    w->status = childById(main, 1);
    w->tree = childById(main, 2);
    w->list = childById(main, 3);
    if (!w->status || !w->tree || !w->list) return driveFail("the main window lacks its status bar, tree or list");
    return true;
}

// Starts the viewer of a disc without password or licence and finds its main window's panes.
bool startToMain(Program& program, const Args& args, MainWindow* w) {
    DRIVE(startViewer(program, args));
    HWND main = waitMain(program);
    DRIVE(main);
    return findPanes(main, w);
}

// The tree, the totals line, the rows of the root and of a clicked folder, and the maker's About box.
bool mainWindow(Program& program, const Args& args) {
    MainWindow w;
    DRIVE(startToMain(program, args, &w));
    HWND main = w.frame;
    DRIVE(waitStatusText(w.status, "560 Bytes : 0.55 KB : 0.00 MB : 0.00 GB : 3 Folders : 9 Files"));
    DRIVE(waitList(w.list, ROOT_ROWS));
    std::vector<TreeNode> nodes;
    DRIVE(readTree(w.tree, nodes));
    DRIVE(same("tree", formatTree(nodes), "Orvanta +\n  Docs\n    Sub\n  Pics\n"));

    const TreeNode* docs = findTreeNode(nodes, "Orvanta/Docs");
    DRIVE(docs);
    DRIVE(clickTreeNode(w.tree, docs->handle, CLICK_LEFT));
    DRIVE(waitList(w.list, DOCS_ROWS));
    DRIVE(readTree(w.tree, nodes));
    const TreeNode* clicked = findTreeNode(nodes, "Orvanta/Docs");
    DRIVE(clicked);
    // The drop-highlight mark is optional: Wine ignores it on the node that is also selected.
    if (!clicked->selected) return driveFail("the clicked folder is not selected:\n%s", formatTree(nodes).c_str());

    DRIVE(sendCommand(main, IDM_ABOUT));
    HWND about = waitWindow(program, "#32770", "About Orvanta  ver. 4.0");
    DRIVE(about);
    const std::string build = childText(about, 1004);
    if (build.compare(0, 7, "Build: ") != 0 || (build.find(" AM ") == std::string::npos && build.find(" PM ") == std::string::npos))
        return driveFail("the build line reads \"%s\"", build.c_str());
    DRIVE(pressButton(about, IDOK));
    DRIVE(waitWindowGone(program, about));
    DRIVE(saveScreenshot("main-window"));
    return exitFromMenu(program, main);
}

// A disc that forbids export greys "Export" in both context menus; Properties stays.
bool exportGreyed(Program& program, const Args& args) {
    MainWindow w;
    DRIVE(startToMain(program, args, &w));
    HWND main = w.frame;
    DRIVE(waitList(w.list, ROOT_ROWS));

    DRIVE(clickListRow(w.list, 0, CLICK_RIGHT));  // the list control selects the row it is on
    HWND menu = waitPopupMenu(program);
    DRIVE(menu);
    std::vector<MenuEntry> entries;
    DRIVE(readPopupMenu(menu, entries));
    DRIVE(same("list menu", formatMenu(entries), "View/Open\nView/Open With...\nExport (greyed)\nProperties\n"));
    DRIVE(closePopupMenu(program, menu));

    std::vector<TreeNode> nodes;
    DRIVE(readTree(w.tree, nodes));
    const TreeNode* pics = findTreeNode(nodes, "Orvanta/Pics");
    DRIVE(pics);
    DRIVE(clickTreeNode(w.tree, pics->handle, CLICK_RIGHT));
    menu = waitPopupMenu(program);
    DRIVE(menu);
    DRIVE(readPopupMenu(menu, entries));
    DRIVE(same("tree menu", formatMenu(entries), "Export (greyed)\nProperties\n"));
    DRIVE(closePopupMenu(program, menu));
    // The right click selected the folder but left the list as it was (its row still selected).
    const std::string rowsWithSelection = std::string(ROOT_ROWS).insert(std::strlen("Alpha.csv|10 bytes ( 0.01 kb/0.00 MB )"), " *");
    DRIVE(waitList(w.list, rowsWithSelection.c_str()));
    return exitFromMenu(program, main);
}

// The disc's own About box shows its three lines.
bool customAbout(Program& program, const Args& args) {
    DRIVE(startViewer(program, args));
    HWND main = waitMain(program);
    DRIVE(main);
    DRIVE(sendCommand(main, IDM_ABOUT));
    HWND about = waitWindow(program, "#32770", "About");
    DRIVE(about);
    DRIVE(same("line 1", childText(about, 1010), "Sample Company Ltd."));
    DRIVE(same("line 2", childText(about, 1011), "Licensed to the sales team"));
    DRIVE(same("line 3", childText(about, 1012), "Support: 0123 456"));
    DRIVE(saveScreenshot("custom-about"));
    DRIVE(pressButton(about, IDOK));
    DRIVE(waitWindowGone(program, about));
    return exitFromMenu(program, main);
}

RECT screenRectOf(HWND window) {
    RECT r = {};
    GetWindowRect(window, &r);
    return r;
}

// Dragging the bar between the panes moves it; the panes take the new width when the button is
// released, and a drag beyond the list's right limit stops at the last allowed position.
bool splitterDrag(Program& program, const Args& args) {
    MainWindow w;
    DRIVE(startToMain(program, args, &w));
    HWND main = w.frame;
    DRIVE(waitList(w.list, ROOT_ROWS));
    const RECT tree = screenRectOf(w.tree), list = screenRectOf(w.list);
    const LONG middle = (tree.top + tree.bottom) / 2;
    const POINT onBar = {tree.right + 2, middle};
    DRIVE(dragAtScreen(onBar, POINT{onBar.x - 150, middle}, 10));
    const RECT narrower = screenRectOf(w.tree);
    const LONG moved = (tree.right - tree.left) - (narrower.right - narrower.left);
    if (moved < 140 || moved > 160) return driveFail("the tree narrowed by %ld pixels, not about 150", moved);
    if (screenRectOf(w.list).left >= list.left) return driveFail("the list did not widen");

    // Far past the right limit: the bar stays within 75 pixels of the list's right edge.
    const RECT now = screenRectOf(w.tree);
    const POINT bar = {now.right + 2, middle};
    DRIVE(dragAtScreen(bar, POINT{list.right + 200, middle}, 20));
    const RECT last = screenRectOf(w.tree);
    if (last.right > list.right - 75 + 5 || last.right < list.right - 75 - 40)
        return driveFail("after a drag past the limit the tree ends at %ld; the list ends at %ld", last.right, list.right);
    return exitFromMenu(program, main);
}

// The main window of a disc with a few hundred files, with one folder opened, as a screenshot.
bool mainWindowScreenshot(Program& program, const Args& args) {
    MainWindow w;
    DRIVE(startToMain(program, args, &w));
    HWND main = w.frame;
    std::vector<TreeNode> nodes;
    DRIVE(readTree(w.tree, nodes));
    const TreeNode* data = findTreeNode(nodes, "Orvanta/Data");
    DRIVE(data);
    DRIVE(clickTreeNode(w.tree, data->handle, CLICK_LEFT));
    std::vector<ListRow> rows;
    for (DWORD start = GetTickCount(); GetTickCount() - start < driveWaitMs; Sleep(100)) {
        DRIVE(readList(w.list, rows));
        if (rows.size() == 36) break;
    }
    if (rows.size() != 36) return driveFail("the Data folder lists %u rows, not 36", static_cast<unsigned>(rows.size()));
    Sleep(500);
    DRIVE(saveScreenshot("main-window"));
    return exitFromMenu(program, main);
}

// Not a test: prints how long the viewer takes from its start to the main window with the
// catalogue's totals line (used by scripts/bench-open.sh).
bool openTiming(Program& program, const Args& args) {
    const DWORD start = GetTickCount();
    DRIVE(startViewer(program, args));
    HWND main = waitWindow(program, MAIN_CLASS, "Viewer", 60000);
    DRIVE(main);
    HWND status = childById(main, 1);
    DRIVE(status);
    while (statusText(status) == "Ready." && GetTickCount() - start < 60000) Sleep(20);
    std::printf("open-to-main-window %lu ms (%s)\n", static_cast<unsigned long>(GetTickCount() - start),
                statusText(status).c_str());
    return exitFromMenu(program, main);
}

// Not a test: the sample disc's tour for the main job without a display. Logs in with the
// master password, accepts the licence and shows a folder and the About box, saving screenshots.
bool sampleTour(Program& program, const Args& args) {
    DRIVE(startViewer(program, args));
    HWND dialog = passwordDialog(program);
    DRIVE(dialog);
    Sleep(500);
    DRIVE(saveScreenshot("tour-1-password"));
    DRIVE(typeText(dialog, 1001, "orvanta"));
    DRIVE(pressButton(dialog, IDOK));
    HWND licence = waitWindow(program, "#32770", "End User Licence Agreement");
    DRIVE(licence);
    DRIVE(saveScreenshot("tour-2-licence"));
    DRIVE(pressButton(licence, IDOK));
    HWND main = waitMain(program);
    DRIVE(main);
    MainWindow w;
    DRIVE(findPanes(main, &w));
    Sleep(1000);
    DRIVE(saveScreenshot("tour-3-main-window"));
    std::vector<TreeNode> nodes;
    DRIVE(readTree(w.tree, nodes));
    if (nodes.size() > 1) {
        DRIVE(clickTreeNode(w.tree, nodes[1].handle, CLICK_LEFT));
        Sleep(1000);
        DRIVE(saveScreenshot("tour-4-folder"));
    }
    DRIVE(sendCommand(main, IDM_ABOUT));
    HWND about = waitWindow(program, "#32770", nullptr);
    DRIVE(about);
    Sleep(500);
    DRIVE(saveScreenshot("tour-5-about"));
    DRIVE(sendCommand(about, IDOK));
    DRIVE(waitWindowGone(program, about));
    return exitFromMenu(program, main);
}

ScenarioRegistration viewerScenarios({
    {"sample-tour", 1, "DISC_DIR", sampleTour},
    {"open-timing", 1, "DISC_DIR", openTiming},
    {"straight-to-main", 1, "DISC_DIR", straightToMain},
    {"custom-font", 1, "DISC_DIR", customFont},
    {"wrong-password", 1, "DISC_DIR", wrongPassword},
    {"master-password", 1, "DISC_DIR", masterPassword},
    {"declined-licence-note", 1, "DISC_DIR", declinedLicenceShowsNote},
    {"expired-user", 1, "DISC_DIR", expiredUser},
    {"splash-screenshot", 1, "DISC_DIR", splashScreenshot},
    {"main-window", 1, "DISC_DIR", mainWindow},
    {"export-greyed", 1, "DISC_DIR", exportGreyed},
    {"custom-about", 1, "DISC_DIR", customAbout},
    {"splitter-drag", 1, "DISC_DIR", splitterDrag},
    {"main-window-screenshot", 1, "DISC_DIR", mainWindowScreenshot},
});

}  // namespace
