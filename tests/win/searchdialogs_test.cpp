// The Search and Properties dialogs in cases a disc cannot easily show: an empty catalogue, a hit
// whose folder is not in the catalogue, and Properties with nothing behind the menu origin. The
// dialogs are the viewer's own templates, loaded from viewer.exe as a data file; a second thread
// plays the user while the test thread runs the modal dialogs, as the viewer does.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../native/catalogue_fixture.h"
#include "catalogue/catalogue_win.h"
#include "resource.h"
#include "viewerexe.h"
#include "startup/appstate_win.h"
#include "ui/commands_win.h"
#include "ui/panes_win.h"

namespace {

constexpr DWORD WAIT_MS = 5000;

struct FindArgs {
    const char* title;
    HWND found;
};

BOOL CALLBACK findOwnDialog(HWND wnd, LPARAM lp) {
    FindArgs* args = reinterpret_cast<FindArgs*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(wnd, &pid);
    char cls[64] = {}, title[256] = {};
    GetClassNameA(wnd, cls, sizeof cls);
    GetWindowTextA(wnd, title, sizeof title);
    if (pid == GetCurrentProcessId() && IsWindowVisible(wnd) && std::string(cls) == "#32770" &&
        std::string(title) == args->title) {
        args->found = wnd;
        return FALSE;
    }
    return TRUE;
}

HWND ownDialog(const char* title) {
    FindArgs args = {title, nullptr};
    EnumWindows(findOwnDialog, reinterpret_cast<LPARAM>(&args));
    return args.found;
}

HWND waitDialog(const char* title, DWORD ms = WAIT_MS) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (HWND found = ownDialog(title)) return found;
        if (GetTickCount() - start >= ms) return nullptr;
        Sleep(20);
    }
}

bool waitGone(HWND wnd) {
    const DWORD start = GetTickCount();
    while (IsWindow(wnd) && IsWindowVisible(wnd)) {
        if (GetTickCount() - start >= WAIT_MS) return false;
        Sleep(20);
    }
    return true;
}

std::string itemText(HWND dialog, int id) {
    char text[1024] = {};
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

void press(HWND dialog, int id) {
    PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

// What the user thread saw, one line per step; the test thread compares it afterwards.
struct Script {
    void (*play)(Script*);
    std::vector<std::string> seen;
    std::string text;  // an input for play
};

DWORD WINAPI playScript(void* p) {
    Script* script = static_cast<Script*>(p);
    script->play(script);
    return 0;
}

// Runs command on this thread while script plays the user on another; bounded in time.
void runWithUser(void (*command)(), Script* script) {
    HANDLE user = CreateThread(nullptr, 0, playScript, script, 0, nullptr);
    ASSERT_NE(user, nullptr);
    command();
    // Keep answering the user thread's messages (window texts) until it has finished.
    const DWORD start = GetTickCount();
    DWORD waited = WAIT_TIMEOUT;
    while (GetTickCount() - start < 4 * WAIT_MS) {
        waited = MsgWaitForMultipleObjects(1, &user, FALSE, 100, QS_ALLINPUT);
        if (waited == WAIT_OBJECT_0) break;
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    }
    EXPECT_EQ(WAIT_OBJECT_0, waited) << "the user thread did not finish";
    if (waited != WAIT_OBJECT_0) TerminateThread(user, 1);
    CloseHandle(user);
}

// Answers a message box and records its title and text.
void answerBox(Script* s, const char* title) {
    HWND box = waitDialog(title);
    if (!box) {
        s->seen.push_back(std::string("no box ") + title);
        return;
    }
    s->seen.push_back(std::string(title) + " " + itemText(box, 0xFFFF));
    press(box, IDOK);
    waitGone(box);
}

LRESULT CALLBACK hostProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NOTIFY && reinterpret_cast<NMHDR*>(lp)->idFrom == 3)
        return fileListOnNotify(reinterpret_cast<NMHDR*>(lp));
    return DefWindowProcA(wnd, msg, wp, lp);
}

class SearchDialogs : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        resources = LoadLibraryExA(viewerPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_TREEVIEW_CLASSES | ICC_LISTVIEW_CLASSES};
        InitCommonControlsEx(&icc);
        WNDCLASSA wc = {};
        wc.lpfnWndProc = hostProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "SearchDialogsHost";
        RegisterClassA(&wc);
    }
    static void TearDownTestSuite() {
        if (resources) FreeLibrary(resources);
        resources = nullptr;
    }

    void SetUp() override {
        ASSERT_NE(resources, nullptr) << "cannot load " << viewerPath();
        saved = app;
        app.instance = resources;
        app.icons[3] = LoadIconA(nullptr, MAKEINTRESOURCEA(32512));  // IDI_APPLICATION
        app.mainWindow = CreateWindowExA(0, "SearchDialogsHost", "Host", WS_OVERLAPPEDWINDOW, 0, 0, 600, 400,
                                         nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(app.mainWindow, nullptr);
        app.treeView = CreateWindowExA(0, WC_TREEVIEWA, "", WS_CHILD | WS_VISIBLE, 0, 0, 200, 300, app.mainWindow,
                                       reinterpret_cast<HMENU>(2), nullptr, nullptr);
        app.fileList = CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SHOWSELALWAYS,
                                       200, 0, 380, 300, app.mainWindow, reinterpret_cast<HMENU>(3), nullptr, nullptr);
        ASSERT_TRUE(app.treeView && app.fileList);
        ASSERT_TRUE(insertFileListColumns());
    }

    void TearDown() override {
        if (app.mainWindow) DestroyWindow(app.mainWindow);
        ::freeCatalogue(&catalogue);
        freeListItems(&fileRows);
        app = saved;
    }

    std::vector<std::string> listedNames() {
        std::vector<std::string> names;
        char text[256];
        for (int row = 0; row < ListView_GetItemCount(app.fileList); ++row) {
            text[0] = 0;
            ListView_GetItemText(app.fileList, row, 0, text, sizeof text);
            names.push_back(text);
        }
        return names;
    }

    static HMODULE resources;
    AppState saved;
};
HMODULE SearchDialogs::resources = nullptr;

void typeAndSearch(Script* s, int radio) {
    HWND search = waitDialog("Search");
    if (!search) {
        s->seen.push_back("no Search dialog");
        return;
    }
    CheckRadioButton(search, IDC_SEARCH_BY_ID, IDC_SEARCH_BY_FILENAME, radio);
    SetDlgItemTextA(search, IDC_SEARCH_TEXT, s->text.c_str());
    press(search, IDOK);
}

}  // namespace

TEST_F(SearchDialogs, EmptyCatalogueIsReportedWithoutResults) {
    Script script;
    script.text = "a";
    script.play = [](Script* s) {
        typeAndSearch(s, IDC_SEARCH_BY_FILENAME);
        answerBox(s, "ERROR:");
        s->seen.push_back(ownDialog("Search results") ? "results shown" : "no results");
        HWND search = ownDialog("Search");
        if (search && !waitGone(search)) {
            s->seen.push_back("Search dialog stays open");
            press(search, IDCANCEL);
        }
    };
    runWithUser(runSearchCommand, &script);
    EXPECT_EQ((std::vector<std::string>{"ERROR: No items to search through.", "no results"}), script.seen);
}

// A file whose ParentId names no item cannot be shown in any folder listing: going to it says so
// and leaves the panes as they were.
TEST_F(SearchDialogs, GoingToAHitWithoutFolderIsReportedAndChangesNothing) {
    SectionBuilder b;
    b.root(1);
    b.file(10, 99, "lost.txt", 5);
    b.file(11, 1, "kept.txt", 7);
    ASSERT_EQ(CatalogueLoadResult::Ok, loadFrom(b, &catalogue));
    fillFileList(&catalogue.items[0]);
    ASSERT_EQ((std::vector<std::string>{"kept.txt"}), listedNames());

    Script script;
    script.text = "LOST";
    script.play = [](Script* s) {
        typeAndSearch(s, IDC_SEARCH_BY_FILENAME);
        HWND results = waitDialog("Search results");
        if (!results) {
            s->seen.push_back("no results");
            return;
        }
        s->seen.push_back(itemText(results, IDC_RESULTS_COUNT));
        press(results, IDOK);
        answerBox(s, "INFO:");
        if (!waitGone(results)) {
            s->seen.push_back("results stay open");
            press(results, IDCANCEL);
        }
        HWND search = ownDialog("Search");
        if (search && !waitGone(search)) s->seen.push_back("Search dialog stays open");
    };
    runWithUser(runSearchCommand, &script);
    EXPECT_EQ((std::vector<std::string>{"1 item ", "INFO: The folder of lost.txt is not on this disc."}), script.seen);
    EXPECT_EQ((std::vector<std::string>{"kept.txt"}), listedNames());
    EXPECT_EQ(-1, ListView_GetNextItem(app.fileList, -1, LVNI_SELECTED));
}

// With no item behind the menu's pane the dialog still opens and keeps its template texts.
TEST_F(SearchDialogs, PropertiesWithoutAnItemKeepTheTemplateTexts) {
    SectionBuilder b;
    b.root(1);
    b.add(RecordSpec(11, 1, KIND_FILE, 1536, "kept.txt").withContent("d", 0).withEncFlags(0x40 | 0x400)
              .withIdNumber(5).withNote("n").withNameText("t"));
    ASSERT_EQ(CatalogueLoadResult::Ok, loadFrom(b, &catalogue));
    fillFileList(&catalogue.items[0]);

    const std::string templateTexts = "Name|File or Folder|9999|XOR   ( Fast )||||";
    struct Case {
        const char* name;
        int32_t menuOrigin;
        bool rowSelected;
        std::string expected;
    };
    const Case cases[] = {
        {"no context menu yet", 0, true, templateTexts},
        {"tree without a selected node", 2, true, templateTexts},
        {"list without a selected row", 3, false, templateTexts},
        {"list with a selected row", 3, true,
         "kept.txt|File|1536 Bytes ( 1.50 KB/0.00 MB)|SCRAMBLE  - ( FAST )|5|t|n|"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        app.menuOrigin = c.menuOrigin;
        ListView_SetItemState(app.fileList, 0, c.rowSelected ? LVIS_SELECTED : 0, LVIS_SELECTED);
        Script script;
        script.play = [](Script* s) {
            HWND dialog = waitDialog("Properties");
            if (!dialog) {
                s->seen.push_back("no Properties dialog");
                return;
            }
            std::string texts;
            for (int id : {IDC_PROP_NAME, IDC_PROP_TYPE, IDC_PROP_SIZE, IDC_PROP_ENCRYPTION, IDC_PROP_IDNUMBER,
                           IDC_PROP_NAMETEXT, IDC_PROP_NOTE, IDC_PROP_SPARE})
                texts += itemText(dialog, id) + (id == IDC_PROP_SPARE ? "" : "|");
            s->seen.push_back(texts);
            press(dialog, IDCANCEL);  // "Done >>"
            if (!waitGone(dialog)) s->seen.push_back("Properties stays open");
        };
        runWithUser(runPropertiesCommand, &script);
        EXPECT_EQ(std::vector<std::string>{c.expected}, script.seen);
    }
}
