// The end-to-end driver: `driver.exe SCENARIO ARGS...` runs one named scenario against a real
// program and exits 0 when it passed, 1 with the reason printed when it failed, 2 on bad usage.
// Paths in ARGS may be Unix paths; they name files on Wine's Z: drive.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "drive_win.h"
#include "scenarios_win.h"
#include "fixture_app_win.h"

namespace {


// ---- the viewer

// A viewer with nothing appended has no payload: the loader's error box, then a clean exit.
bool corruptPayload(Program& program, const Args& args) {
    std::string viewer = args[0] + "/viewer.exe";
    DRIVE(startProgram(program, viewer, args[0]));
    HWND box = waitWindow(program, "#32770", "Error: (53673224)");
    DRIVE(box);
    std::string text = messageBoxText(box);
    if (text != "Corrupt! - re-build your Orvanta.") {
        return driveFail("the error box reads \"%s\"", text.c_str());
    }
    DRIVE(pressButton(box, IDOK));
    DRIVE(expectExit(program, 0));
    return expectOnlyWindowsSeen(program, {{"#32770", "Error: (53673224)"}});
}

// Cancel in the password dialog ends the viewer quietly: no licence, no note, no main window.
bool passwordCancel(Program& program, const Args& args) {
    DRIVE(startProgram(program, args[0] + "/viewer.exe", args[0]));
    HWND dialog = waitWindow(program, "#32770", "Enter password:");
    DRIVE(dialog);
    DRIVE(pressButtonByText(dialog, "Cancel"));
    DRIVE(expectExit(program, 0));
    return expectOnlyWindowsSeen(program, {{"ScreenOneClass", ""}, {"#32770", "Enter password:"}});
}

// The master password opens the main window on the root folder; a click on a folder in the tree
// lists that folder's files; File > Exit ends the viewer with code 0.
bool loginBrowse(Program& program, const Args& args) {
    DRIVE(startProgram(program, args[0] + "/viewer.exe", args[0]));
    HWND dialog = waitWindow(program, "#32770", "Enter password:");
    DRIVE(dialog);
    DRIVE(typeText(dialog, 1001, "secret"));
    DRIVE(pressButton(dialog, IDOK));
    HWND main = waitWindow(program, "ScreenTwoClass", "Viewer");
    DRIVE(main);
    HWND tree = childById(main, 2);
    HWND list = childById(main, 3);
    HWND status = childById(main, 1);
    DRIVE(waitTree(tree, "Orvanta +\n  Docs\n"));
    std::vector<ListRow> rows;
    DRIVE(readList(list, rows));
    if (rows.size() != 1 || rows[0].cells[0] != "Read me.txt") {
        return driveFail("the root lists:\n%s", formatList(rows).c_str());
    }
    std::string totals = statusText(status);
    if (totals.find("1 Folders : 3 Files") == std::string::npos) {
        return driveFail("status bar reads \"%s\"", totals.c_str());
    }
    std::vector<TreeNode> nodes;
    DRIVE(readTree(tree, nodes));
    const TreeNode* docs = findTreeNode(nodes, "Orvanta/Docs");
    DRIVE(docs);
    DRIVE(clickTreeNode(tree, docs->handle, CLICK_LEFT));
    DWORD start = GetTickCount();
    for (;;) {
        DRIVE(readList(list, rows));
        if (rows.size() == 2 && rows[0].cells[0] == "a.txt" && rows[1].cells[0] == "b.txt") {
            break;
        }
        if (GetTickCount() - start >= driveWaitMs) {
            return driveFail("after a click on Docs the list holds:\n%s", formatList(rows).c_str());
        }
        Sleep(25);
    }
    DRIVE(sendCommand(main, 40005));
    DRIVE(expectExit(program, 0));
    return true;
}

// ---- self-tests of the driver against fixture_app.exe

const char* const FIXTURE_TREE =
    "Root +\n"
    "  Alpha +\n"
    "    Alpha One\n"
    "    Alpha Two\n"
    "  Beta\n"
    "  Gamma !\n"
    "    Gamma One\n";

bool expectEqual(const char* what, const std::string& actual, const std::string& expected) {
    if (actual != expected) {
        return driveFail("%s:\n--- got\n%s--- expected\n%s---", what, actual.c_str(), expected.c_str());
    }
    return true;
}

HWND startFixtureMain(Program& program, const Args& args) {
    if (!startProgram(program, args[0], "")) {
        return nullptr;
    }
    return waitWindow(program, "FixtureMain", "Fixture");
}

bool exitFixture(Program& program, HWND main) {
    DRIVE(sendCommand(main, IDM_FIXTURE_EXIT));
    DRIVE(expectExit(program, 0));
    return true;
}

bool selfMessageBox(Program& program, const Args& args) {
    DRIVE(startProgram(program, args[0], "", "msgbox"));
    HWND box = waitWindow(program, "#32770", "Fixture box");
    DRIVE(box);
    if (messageBoxText(box) != "Fixture text.") {
        return driveFail("message box text \"%s\"", messageBoxText(box).c_str());
    }
    DRIVE(pressButton(box, IDOK));
    DRIVE(expectExit(program, 10 + IDOK));
    return expectOnlyWindowsSeen(program, {{"#32770", "Fixture box"}});
}

// The failure paths must name what was expected and list what the program showed.
bool selfFailureReports(Program& program, const Args& args) {
    DRIVE(startProgram(program, args[0], "", "msgbox"));
    DRIVE(waitWindow(program, "#32770", "Fixture box"));
    driveExpectFailure(true);
    HWND missing = waitWindow(program, "#32770", "No such box", 300);
    std::string report = driveLastFailure();
    bool unexpectedPassed = expectOnlyWindowsSeen(program, {{"FixtureMain", ""}});
    std::string unexpectedReport = driveLastFailure();
    driveExpectFailure(false);
    if (missing) {
        return driveFail("a window that does not exist was found");
    }
    for (const char* part : {"No such box", "#32770", "Fixture box", "Fixture text.", "OK"}) {
        if (report.find(part) == std::string::npos) {
            return driveFail("the failure report lacks \"%s\":\n%s", part, report.c_str());
        }
    }
    if (unexpectedPassed || unexpectedReport.find("Fixture box") == std::string::npos) {
        return driveFail("an unexpected window went unreported: %s", unexpectedReport.c_str());
    }
    terminateProgram(program);

    DRIVE(startProgram(program, args[0], "", "quiet"));
    driveExpectFailure(true);
    HWND none = waitWindow(program, nullptr, nullptr, 3000);
    report = driveLastFailure();
    driveExpectFailure(false);
    if (none || report.find("exited (code 5)") == std::string::npos) {
        return driveFail("an early exit was not reported: \"%s\"", report.c_str());
    }
    return true;
}

bool selfDialog(Program& program, const Args& args) {
    HWND main = startFixtureMain(program, args);
    DRIVE(main);
    std::vector<MenuEntry> bar;
    DRIVE(readWindowMenu(main, bar));
    DRIVE(expectEqual("menu bar", formatMenu(bar), "File\nDialog\nBox\nOff (greyed)\n"));
    DRIVE(sendCommand(main, IDM_FIXTURE_DIALOG));
    HWND dialog = waitWindow(program, "#32770", "Fixture dialog");
    DRIVE(dialog);
    DRIVE(typeText(dialog, IDC_FIXTURE_EDIT, "hello there"));
    DRIVE(expectChildText(dialog, IDC_FIXTURE_EDIT, "hello there"));
    DRIVE(pressButtonByText(dialog, "Apply"));
    DWORD start = GetTickCount();
    while (childText(dialog, IDC_FIXTURE_ECHO) != "Applied: hello there" && GetTickCount() - start < driveWaitMs) {
        Sleep(25);
    }
    DRIVE(expectChildText(dialog, IDC_FIXTURE_ECHO, "Applied: hello there"));
    DRIVE(pressButton(dialog, IDOK));
    DRIVE(waitWindowGone(program, dialog));
    HWND status = childById(main, 1);
    DRIVE(waitStatusText(status, "Dialog OK: hello there"));

    DRIVE(sendCommand(main, IDM_FIXTURE_BOX));
    HWND box = waitWindow(program, "#32770", "Fixture box");
    DRIVE(box);
    DRIVE(pressButtonByText(box, "OK"));
    DRIVE(waitStatusText(status, "Box answered 1"));
    return exitFixture(program, main);
}

bool selfTree(Program& program, const Args& args) {
    HWND main = startFixtureMain(program, args);
    DRIVE(main);
    HWND tree = childById(main, 2);
    HWND status = childById(main, 1);
    DRIVE(waitStatusText(status, "Ready."));
    std::vector<TreeNode> nodes;
    DRIVE(readTree(tree, nodes));
    DRIVE(expectEqual("tree at start", formatTree(nodes), FIXTURE_TREE));

    const TreeNode* beta = findTreeNode(nodes, "Root/Beta");
    DRIVE(beta);
    DRIVE(clickTreeNode(tree, beta->handle, CLICK_LEFT));
    DRIVE(waitStatusText(status, "Tree click: Beta"));
    DRIVE(waitTree(tree, "Root +\n  Alpha +\n    Alpha One\n    Alpha Two\n  Beta *\n  Gamma !\n    Gamma One\n"));
    DRIVE(readTree(tree, nodes));

    const TreeNode* two = findTreeNode(nodes, "Root/Alpha/Alpha Two");
    DRIVE(two);
    DRIVE(clickTreeNode(tree, two->handle, CLICK_DOUBLE));
    DRIVE(waitStatusText(status, "Tree double click: Alpha Two"));

    const TreeNode* gamma = findTreeNode(nodes, "Root/Gamma");
    DRIVE(gamma);
    DRIVE(expandTreeNode(tree, gamma->handle, true));
    DRIVE(selectTreeNode(tree, gamma->handle));
    DRIVE(waitTree(tree, "Root +\n  Alpha +\n    Alpha One\n    Alpha Two\n  Beta\n  Gamma + * !\n    Gamma One\n"));
    return exitFixture(program, main);
}

bool selfList(Program& program, const Args& args) {
    HWND main = startFixtureMain(program, args);
    DRIVE(main);
    HWND list = childById(main, 3);
    HWND status = childById(main, 1);
    std::vector<ListRow> rows;
    DRIVE(readList(list, rows));
    DRIVE(expectEqual("list at start", formatList(rows), "b.txt|10\nA.doc|2000\nc.bin|3\n"));

    int row = findListRow(rows, "A.doc");
    DRIVE(row >= 0);
    DRIVE(clickListRow(list, row, CLICK_LEFT));
    DRIVE(waitStatusText(status, "List click: row 1"));
    DRIVE(waitList(list, "b.txt|10\nA.doc|2000 *\nc.bin|3\n"));

    DRIVE(selectListRows(list, {0, 2}));
    DRIVE(readList(list, rows));
    DRIVE(expectEqual("list after selecting two rows", formatList(rows), "b.txt|10 *\nA.doc|2000\nc.bin|3 *\n"));

    DRIVE(clickListRow(list, 2, CLICK_DOUBLE));
    DRIVE(waitStatusText(status, "List double click: c.bin"));
    return exitFixture(program, main);
}

bool selfContextMenu(Program& program, const Args& args) {
    HWND main = startFixtureMain(program, args);
    DRIVE(main);
    HWND tree = childById(main, 2);
    HWND status = childById(main, 1);
    std::vector<TreeNode> nodes;
    DRIVE(readTree(tree, nodes));
    const TreeNode* alpha = findTreeNode(nodes, "Root/Alpha");
    DRIVE(alpha);
    HTREEITEM alphaNode = alpha->handle;

    DRIVE(clickTreeNode(tree, alphaNode, CLICK_RIGHT));
    HWND menu = waitPopupMenu(program);
    DRIVE(menu);
    std::vector<MenuEntry> entries;
    DRIVE(readPopupMenu(menu, entries));
    DRIVE(expectEqual("tree context menu", formatMenu(entries), "Export (greyed)\nProperties\n"));
    driveExpectFailure(true);
    bool chosen = choosePopupMenuItem(program, menu, "Export");
    driveExpectFailure(false);
    if (chosen) {
        return driveFail("a greyed menu entry was chosen");
    }
    DRIVE(waitWindowGone(program, menu));
    if (statusText(status).find("Export") != std::string::npos) {
        return driveFail("the greyed Export ran: %s", statusText(status).c_str());
    }

    DRIVE(clickTreeNode(tree, alphaNode, CLICK_RIGHT));
    menu = waitPopupMenu(program);
    DRIVE(menu);
    DRIVE(choosePopupMenuItem(program, menu, "Properties"));
    DRIVE(waitStatusText(status, "Properties: Alpha"));
    return exitFixture(program, main);
}

bool selfScreenshot(Program& program, const Args& args) {
    HWND main = startFixtureMain(program, args);
    DRIVE(main);
    DRIVE(waitStatusText(childById(main, 1), "Ready."));
    Sleep(200);
    DRIVE(saveScreenshot("fixture-main"));
    const char* folder = getenv("ORVANTA_ARTIFACTS");
    if (folder && *folder) {
        WIN32_FILE_ATTRIBUTE_DATA data;
        std::string path = toWindowsPath(std::string(folder) + "/fixture-main.bmp");
        if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) || data.nFileSizeLow < 100000) {
            return driveFail("the screenshot %s is missing or too small", path.c_str());
        }
    }
    return exitFixture(program, main);
}

ScenarioRegistration driverScenarios({
    {"corrupt-payload", 1, "WORK_DIR (holding a plain viewer.exe)", corruptPayload},
    {"password-cancel", 1, "DISC_DIR (a disc with a password)", passwordCancel},
    {"login-browse", 1, "DISC_DIR (a disc of data/small with the password \"secret\")", loginBrowse},
    {"self-msgbox", 1, "FIXTURE_EXE", selfMessageBox},
    {"self-failure-reports", 1, "FIXTURE_EXE", selfFailureReports},
    {"self-dialog", 1, "FIXTURE_EXE", selfDialog},
    {"self-tree", 1, "FIXTURE_EXE", selfTree},
    {"self-list", 1, "FIXTURE_EXE", selfList},
    {"self-context-menu", 1, "FIXTURE_EXE", selfContextMenu},
    {"self-screenshot", 1, "FIXTURE_EXE", selfScreenshot},
});

}  // namespace

std::vector<Scenario>& registeredScenarios() {
    static std::vector<Scenario> scenarios;
    return scenarios;
}

ScenarioRegistration::ScenarioRegistration(std::initializer_list<Scenario> scenarios) {
    registeredScenarios().insert(registeredScenarios().end(), scenarios.begin(), scenarios.end());
}

namespace {

int usage() {
    fprintf(stderr, "usage: driver.exe SCENARIO ARGS...\nscenarios:\n");
    for (const Scenario& scenario : registeredScenarios()) {
        fprintf(stderr, "  %s %s\n", scenario.name, scenario.usage);
    }
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    setvbuf(stdout, nullptr, _IONBF, 0);
    if (argc < 2) {
        return usage();
    }
    if (const char* wait = getenv("ORVANTA_E2E_WAIT_MS")) {
        if (atoi(wait) > 0) {
            driveWaitMs = static_cast<DWORD>(atoi(wait));
        }
    }
    for (const Scenario& scenario : registeredScenarios()) {
        if (strcmp(scenario.name, argv[1]) != 0) {
            continue;
        }
        Args args(argv + 2, argv + argc);
        if (static_cast<int>(args.size()) != scenario.argumentCount) {
            fprintf(stderr, "%s needs: %s\n", scenario.name, scenario.usage);
            return 2;
        }
        Program program;
        bool passed = scenario.run(program, args);
        if (!passed) {
            saveScreenshot((std::string(scenario.name) + "-failure").c_str());
        }
        terminateProgram(program);
        printf("%s: %s\n", scenario.name, passed ? "passed" : "FAILED");
        return passed ? 0 : 1;
    }
    fprintf(stderr, "unknown scenario \"%s\"\n", argv[1]);
    return usage();
}
