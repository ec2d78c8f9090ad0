// Drives another process's windows from outside, for end-to-end scenarios run under Wine:
// start a program, wait for its windows, read and press controls, read its tree view, list view,
// status bar and pop-up menus, click with the mouse, take screenshots. Every wait is bounded; a
// failing call prints what it expected and what the program showed, and returns false.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

// Default bound of every wait in milliseconds (ORVANTA_E2E_WAIT_MS overrides it).
extern DWORD driveWaitMs;

// A program under test; every visible top-level window it showed while we watched is remembered.
struct SeenWindow {
    std::string className;
    std::string title;
};
struct Program {
    PROCESS_INFORMATION info = {};
    std::string exe;
    bool running = false;
    std::vector<SeenWindow> seen;
};

// Failures. driveFail prints "FAIL: ..." followed by the windows of the current program, keeps the
// text for driveLastFailure and returns false. driveExpectFailure(true) keeps the text but prints
// nothing (for self-tests of failure paths).
bool driveFail(const char* format, ...);
const std::string& driveLastFailure();
void driveExpectFailure(bool quiet);
void driveSetCurrentProgram(Program* program);
void driveLog(const char* format, ...);

// Paths: a Unix path (as CTest passes it) becomes a Windows path on Wine's Z: drive.
std::string toWindowsPath(const std::string& path);
std::string folderOf(const std::string& path);
bool fileExists(const std::string& path);

// Programs.
bool startProgram(Program& program, const std::string& exe, const std::string& workDir,
                  const std::string& arguments = "");
bool waitExit(Program& program, DWORD* exitCode, DWORD ms = 0);
bool expectExit(Program& program, DWORD expectedCode, DWORD ms = 0);
void terminateProgram(Program& program);
// True when every visible window the program ever showed while the driver watched (in any wait)
// matches one of the allowed class/title pairs; an empty class or title matches any.
bool expectOnlyWindowsSeen(const Program& program, const std::vector<SeenWindow>& allowed);

// Windows. className or title may be nullptr (any). Waits return nullptr after driveFail.
std::vector<HWND> programWindows(Program& program);
HWND findProgramWindow(Program& program, const char* className, const char* title);
HWND waitWindow(Program& program, const char* className, const char* title, DWORD ms = 0);
bool waitWindowGone(Program& program, HWND window, DWORD ms = 0);
bool waitNoWindow(Program& program, const char* className, const char* title, DWORD ms);
std::string windowText(HWND window);
std::string windowClass(HWND window);
std::string describeWindow(HWND window);
std::string describeProgramWindows(Program& program);

// Controls of a dialog or window.
HWND childById(HWND parent, int id);
HWND childByClass(HWND parent, const char* className, int nth = 0);
HWND buttonByText(HWND parent, const char* text);
std::string childText(HWND parent, int id);
bool expectChildText(HWND parent, int id, const char* expected);
bool expectWindowText(HWND window, const char* expected);
bool typeText(HWND parent, int id, const char* text);
bool pressButton(HWND parent, int id);
bool pressButtonByText(HWND parent, const char* text);
bool sendCommand(HWND window, int id);
// Text of a message box ("#32770"): the static control 0xFFFF.
std::string messageBoxText(HWND box);

// Tree view of another process, read in display order.
struct TreeNode {
    HTREEITEM handle = nullptr;
    int depth = 0;
    std::string label;
    bool hasChildren = false;
    bool expanded = false;
    bool selected = false;
    bool dropHighlighted = false;
};
bool readTree(HWND tree, std::vector<TreeNode>& nodes);
// One line per node: two spaces per level, the label, then " +" (expanded), " *" (selected),
// " !" (drop-highlighted).
std::string formatTree(const std::vector<TreeNode>& nodes);
bool waitTree(HWND tree, const char* expected, DWORD ms = 0);  // until formatTree reads so
// Finds a node by its labels from the root, separated by '/'; nullptr after driveFail.
const TreeNode* findTreeNode(const std::vector<TreeNode>& nodes, const char* path);
bool selectTreeNode(HWND tree, HTREEITEM node);
bool expandTreeNode(HWND tree, HTREEITEM node, bool expand);
bool treeNodeCentre(HWND tree, HTREEITEM node, POINT* screen);

// List view of another process.
struct ListRow {
    std::vector<std::string> cells;
    bool selected = false;
    bool focused = false;
};
bool readList(HWND list, std::vector<ListRow>& rows);
std::string formatList(const std::vector<ListRow>& rows);  // "cell|cell" per row, " *" when selected
bool waitList(HWND list, const char* expected, DWORD ms = 0);  // until formatList reads so
int findListRow(const std::vector<ListRow>& rows, const char* firstCell);
bool selectListRows(HWND list, const std::vector<int>& rowsToSelect);
bool listRowCentre(HWND list, int row, POINT* screen);

// Status bar of another process.
std::string statusText(HWND statusBar, int part = 0);
bool waitStatusText(HWND statusBar, const char* expected, DWORD ms = 0);

// Mouse. Xvfb has no window manager: the window under the pointer gets the click.
enum Click { CLICK_LEFT, CLICK_DOUBLE, CLICK_RIGHT };
bool clickAtScreen(POINT screen, Click click);
// Presses the left button at from, moves to to in steps, releases it there.
bool dragAtScreen(POINT from, POINT to, int steps);
bool clickTreeNode(HWND tree, HTREEITEM node, Click click);
bool clickListRow(HWND list, int row, Click click);

// Pop-up menus ("#32768") of another process, such as a context menu opened by a right click.
struct MenuEntry {
    std::string text;
    UINT id = 0;
    bool greyed = false;
    bool checked = false;
    bool separator = false;
};
HWND waitPopupMenu(Program& program, DWORD ms = 0);
// Menus are read from inside their program (drive_hook.dll beside driver.exe is loaded there).
bool readMenu(HWND window, HMENU menu, std::vector<MenuEntry>& entries);
bool readWindowMenu(HWND window, std::vector<MenuEntry>& entries);  // the menu bar
bool readPopupMenu(HWND menuWindow, std::vector<MenuEntry>& entries);
std::string formatMenu(const std::vector<MenuEntry>& entries);  // "text" per entry, " (greyed)"
// Chooses an entry by its text with the keyboard, as a user would; false when the menu stays
// open (a greyed entry cannot be chosen), in which case the menu is closed.
bool choosePopupMenuItem(Program& program, HWND menuWindow, const char* text);
bool closePopupMenu(Program& program, HWND menuWindow);

// Screenshot of the whole screen into the artefacts folder (ORVANTA_ARTIFACTS) as NAME.bmp.
bool saveScreenshot(const char* name);

// Bails out of a scenario on the first failed step.
#define DRIVE(step)            \
    do {                       \
        if (!(step)) {         \
            return false;      \
        }                      \
    } while (0)
