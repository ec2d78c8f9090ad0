// Checks the resources built into viewer.exe: icons, cursor, bitmaps (sizes, depths, transparent
// magenta), the menu and every dialog template (title, size, controls, classes, texts, styles).
// viewer.exe is loaded as a data file from its place in the build tree beside the tests.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "resource.h"
#include "viewerexe.h"

namespace {

class ViewerResources : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        module = LoadLibraryExA(viewerPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    }
    static void TearDownTestSuite() {
        if (module) FreeLibrary(module);
        module = nullptr;
    }
    void SetUp() override { ASSERT_NE(module, nullptr) << "cannot load " << viewerPath(); }
    static HMODULE module;
};
HMODULE ViewerResources::module = nullptr;

// The entries of an RT_GROUP_ICON resource, as the resource compiler stores them.
#pragma pack(push, 2)
struct GroupIconHeader {
    WORD reserved, type, count;
};
struct GroupIconEntry {
    BYTE width, height, colourCount, reserved;
    WORD planes, bitCount;
    DWORD bytesInRes;
    WORD id;
};
#pragma pack(pop)

TEST_F(ViewerResources, IconsHold32And16PixelImagesOf16Colours) {
    for (int id : {IDI_APP, IDI_ROOT, IDI_FOLDER_OPEN, IDI_FILE, IDI_FOLDER}) {
        SCOPED_TRACE(id);
        HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(14));  // RT_GROUP_ICON
        ASSERT_NE(found, nullptr);
        auto* group = static_cast<const GroupIconHeader*>(LockResource(LoadResource(module, found)));
        ASSERT_NE(group, nullptr);
        auto* entries = reinterpret_cast<const GroupIconEntry*>(group + 1);
        std::set<int> sizes;
        for (int i = 0; i < group->count; ++i) {
            if (entries[i].bitCount != 4) continue;
            EXPECT_EQ(entries[i].width, entries[i].height);
            sizes.insert(entries[i].width);
        }
        EXPECT_EQ(sizes, (std::set<int>{16, 32}));

        for (int size : {16, 32}) {
            HICON icon = static_cast<HICON>(LoadImageA(module, MAKEINTRESOURCEA(id), IMAGE_ICON, size, size, 0));
            ASSERT_NE(icon, nullptr);
            ICONINFO info = {};
            ASSERT_TRUE(GetIconInfo(icon, &info));
            BITMAP bm = {};
            GetObjectA(info.hbmColor, sizeof bm, &bm);
            EXPECT_EQ(bm.bmWidth, size);
            EXPECT_EQ(bm.bmHeight, size);
            DeleteObject(info.hbmColor);
            DeleteObject(info.hbmMask);
            DestroyIcon(icon);
        }
    }
}

TEST_F(ViewerResources, SplitterCursorIs32PixelsWithHotspotInTheMiddle) {
    HCURSOR cursor = static_cast<HCURSOR>(LoadImageA(module, MAKEINTRESOURCEA(IDC_SPLITTER), IMAGE_CURSOR, 0, 0, 0));
    ASSERT_NE(cursor, nullptr);
    ICONINFO info = {};
    ASSERT_TRUE(GetIconInfo(cursor, &info));
    EXPECT_FALSE(info.fIcon);
    EXPECT_EQ(info.xHotspot, 16u);
    EXPECT_EQ(info.yHotspot, 16u);
    BITMAP mask = {};
    GetObjectA(info.hbmMask, sizeof mask, &mask);
    EXPECT_EQ(mask.bmWidth, 32);
    if (info.hbmColor) DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    DestroyCursor(cursor);
}

// The pixels of a bitmap resource as 0x00RRGGBB, top row first.
struct Pixels {
    int width = 0, height = 0, bitsPerPixel = 0;
    std::vector<uint32_t> rgb;
    uint32_t at(int x, int y) const { return rgb[static_cast<size_t>(y) * width + x]; }
    bool contains(uint32_t colour) const {
        for (uint32_t c : rgb)
            if (c == colour) return true;
        return false;
    }
};

Pixels readBitmap(HMODULE module, int id) {
    Pixels p;
    HBITMAP bitmap = static_cast<HBITMAP>(
        LoadImageA(module, MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (!bitmap) return p;
    DIBSECTION dib = {};
    GetObjectA(bitmap, sizeof dib, &dib);
    p.width = dib.dsBm.bmWidth;
    p.height = dib.dsBm.bmHeight;
    p.bitsPerPixel = dib.dsBm.bmBitsPixel;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = p.width;
    info.bmiHeader.biHeight = -p.height;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    p.rgb.assign(static_cast<size_t>(p.width) * p.height, 0);
    HDC dc = GetDC(nullptr);
    GetDIBits(dc, bitmap, 0, p.height, p.rgb.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, dc);
    for (uint32_t& c : p.rgb) c &= 0xFFFFFF;
    DeleteObject(bitmap);
    return p;
}

constexpr uint32_t MAGENTA_RGB = 0xFF00FF;
constexpr uint32_t CAPTION_BLUE_RGB = (63u << 16) | (121u << 8) | 221u;

TEST_F(ViewerResources, BitmapsHaveTheirSizesAndDepths) {
    struct Case {
        int id, width, height, bitsPerPixel;
    };
    std::vector<Case> cases = {{IDB_ABOUT, 411, 272, 24},
                               {IDB_CAPTION_FILES, 53, 19, 24},
                               {IDB_CAPTION_FOLDERS, 78, 19, 24},
                               {IDB_CAPTION_END, 4, 19, 24}};
    for (int id = IDB_ANIM_FIRST; id <= IDB_ANIM_LAST; ++id) cases.push_back({id, 200, 75, 8});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        Pixels p = readBitmap(module, c.id);
        EXPECT_EQ(p.width, c.width);
        EXPECT_EQ(p.height, c.height);
        EXPECT_EQ(p.bitsPerPixel, c.bitsPerPixel);
    }
}

TEST_F(ViewerResources, MagentaMarksTransparentPixelsOnly) {
    for (int id = IDB_ANIM_FIRST; id <= IDB_ANIM_LAST; ++id) {
        SCOPED_TRACE(id);
        Pixels p = readBitmap(module, id);
        ASSERT_EQ(p.rgb.size(), 200u * 75u);
        EXPECT_EQ(p.at(0, 0), MAGENTA_RGB) << "the button face shows around the artwork";
        EXPECT_EQ(p.at(199, 74), MAGENTA_RGB);
    }
    Pixels about = readBitmap(module, IDB_ABOUT);
    ASSERT_FALSE(about.rgb.empty());
    EXPECT_FALSE(about.contains(MAGENTA_RGB)) << "the About picture is shown as it is";

    // The caption pieces join a bar filled with the caption blue: their left (124, 125) or right
    // (126) corners are rounded off with magenta, and their other edge is plain caption blue.
    for (int id : {IDB_CAPTION_FILES, IDB_CAPTION_FOLDERS}) {
        SCOPED_TRACE(id);
        Pixels p = readBitmap(module, id);
        ASSERT_EQ(p.height, 19);
        EXPECT_EQ(p.at(0, 0), MAGENTA_RGB);
        EXPECT_EQ(p.at(0, 18), MAGENTA_RGB);
        EXPECT_EQ(p.at(0, 9), CAPTION_BLUE_RGB);
        for (int y = 0; y < 19; ++y) EXPECT_EQ(p.at(p.width - 1, y), CAPTION_BLUE_RGB) << "row " << y;
    }
    Pixels cap = readBitmap(module, IDB_CAPTION_END);
    ASSERT_EQ(cap.rgb.size(), 4u * 19u);
    EXPECT_EQ(cap.at(3, 0), MAGENTA_RGB);
    EXPECT_EQ(cap.at(3, 18), MAGENTA_RGB);
    for (int y = 0; y < 19; ++y) EXPECT_EQ(cap.at(0, y), CAPTION_BLUE_RGB) << "row " << y;
}

TEST_F(ViewerResources, MainMenuHasFileExitSearchAndAbout) {
    HMENU menu = LoadMenuA(module, MAKEINTRESOURCEA(IDR_MAINMENU));
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(GetMenuItemCount(menu), 3);
    char text[64] = {};
    GetMenuStringA(menu, 0, text, sizeof text, MF_BYPOSITION);
    EXPECT_STREQ(text, "File");
    HMENU file = GetSubMenu(menu, 0);
    ASSERT_NE(file, nullptr);
    ASSERT_EQ(GetMenuItemCount(file), 1);
    EXPECT_EQ(GetMenuItemID(file, 0), static_cast<UINT>(IDM_EXIT));
    GetMenuStringA(file, 0, text, sizeof text, MF_BYPOSITION);
    EXPECT_STREQ(text, "Exit");
    EXPECT_EQ(GetMenuItemID(menu, 1), static_cast<UINT>(IDM_SEARCH));
    GetMenuStringA(menu, 1, text, sizeof text, MF_BYPOSITION);
    EXPECT_STREQ(text, "Search");
    EXPECT_EQ(GetMenuItemID(menu, 2), static_cast<UINT>(IDM_ABOUT));
    GetMenuStringA(menu, 2, text, sizeof text, MF_BYPOSITION);
    EXPECT_STREQ(text, "About");
    DestroyMenu(menu);
}

INT_PTR CALLBACK idleDialogProc(HWND, UINT msg, WPARAM, LPARAM) { return msg == WM_INITDIALOG; }

struct ControlCase {
    int id;
    const char* className;
    const char* text;  // nullptr: not checked
    LONG styleBits;    // all of these must be set
    RECT place;        // x, y, width, height in dialog units; all zero: not checked
};

struct DialogCase {
    int id;
    const char* title;
    int width, height;  // client size in dialog units
    bool startup;       // brought to the front over the splash screen
    std::vector<ControlCase> controls;
    std::vector<std::string> labels;  // texts of id-less statics and group boxes
};

const LONG MULTI_LINE = ES_MULTILINE | WS_VSCROLL | WS_HSCROLL;
const LONG DEFAULT_BUTTON = BS_DEFPUSHBUTTON;
const LONG RADIO = BS_AUTORADIOBUTTON;

std::vector<DialogCase> dialogCases() {
    return {
        {IDD_PASSWORD, "Enter password:", 340, 52, true,
         {{IDC_PASSWORD_EDIT, "Edit", "", ES_PASSWORD, {7, 7, 326, 14}},
          {IDOK, "Button", "OK", DEFAULT_BUTTON, {}},
          {IDCANCEL, "Button", "Cancel", 0, {}}},
         {}},
        {IDD_LICENCE, "End User Licence Agreement", 278, 213, true,
         {{IDC_LICENCE_EDIT, "Edit", "", MULTI_LINE, {7, 7, 264, 173}},
          {IDOK, "Button", "I accept this agreement >>", DEFAULT_BUTTON, {}},
          {IDCANCEL, "Button", "Decline", 0, {}}},
         {}},
        {IDD_USERNOTE, "User note", 278, 214, true,
         {{IDC_USERNOTE_GREETING, "Static", "", 0, {7, 7, 264, 8}},
          {IDC_USERNOTE_EDIT, "Edit", "", MULTI_LINE, {7, 18, 264, 162}},
          {IDOK, "Button", "Ok>>", DEFAULT_BUTTON, {}}},
         {}},
        {IDD_PROPERTIES, "Properties", 300, 207, false,
         {{IDC_PROP_NAME, "Static", "Name", 0, {}},
          {IDC_PROP_TYPE, "Static", "File or Folder", 0, {}},
          {IDC_PROP_SIZE, "Static", "9999", 0, {}},
          {IDC_PROP_ENCRYPTION, "Static", "XOR   ( Fast )", 0, {}},
          {IDC_PROP_IDNUMBER, "Edit", "", 0, {}},
          {IDC_PROP_NAMETEXT, "Edit", "", 0, {}},
          {IDC_PROP_NOTE, "Edit", "", ES_MULTILINE, {}},
          {IDC_PROP_SPARE, "Static", "", 0, {}},
          {IDCANCEL, "Button", "Done >>", DEFAULT_BUTTON, {}}},
         {"Name:", "Type:", "Size:", "Encrypt Type:", "ID #:"}},
        {IDD_ABOUT, "About Orvanta  ver. 4.0", 291, 251, false,
         {{IDOK, "Button", "Ok...", DEFAULT_BUTTON, {234, 231, 50, 14}},
          {IDC_ABOUT_LINK, "Button", nullptr, 0, {7, 223, 117, 14}},
          {IDC_ABOUT_BUILD, "Static", nullptr, 0, {151, 203, 113, 8}}},
         {"Orvanta ver. 4.0  Viewer", "Make your own secure CD's", "Click this button!"}},
        {IDD_EXPORTING, "Exporting...", 211, 71, false,
         {{IDCANCEL, "Button", "Abort", 0, {7, 50, 50, 14}}},
         {}},
        {IDD_CUSTOMABOUT, "About", 330, 230, false,
         {{IDOK, "Button", "OK", DEFAULT_BUTTON, {273, 209, 50, 14}},
          {IDC_CUSTOMABOUT_LINE1, "Static", "", 0, {7, 161, 316, 8}},
          {IDC_CUSTOMABOUT_LINE2, "Static", "", 0, {7, 177, 316, 8}},
          {IDC_CUSTOMABOUT_LINE3, "Static", "", 0, {7, 191, 316, 8}}},
         {}},
        {IDD_SEARCH, "Search", 200, 97, false,
         {{IDC_SEARCH_BY_ID, "Button", "ID number", RADIO, {}},
          {IDC_SEARCH_BY_NAME, "Button", "Name", RADIO, {}},
          {IDC_SEARCH_BY_FILENAME, "Button", "File Name", RADIO, {}},
          {IDC_SEARCH_TEXT, "Edit", "", 0, {}},
          {IDOK, "Button", "Search >>", DEFAULT_BUTTON, {}},
          {IDCANCEL, "Button", "Cancel", 0, {}}},
         {"Search by:", "Search for:"}},
        {IDD_SEARCHRESULTS, "Search results", 240, 160, false,
         {{IDC_RESULTS_COUNT, "Static", "", 0, {}},
          {IDC_RESULTS_LIST, "ListBox", nullptr, LBS_SORT, {}},
          {IDOK, "Button", "Goto selected item >>", DEFAULT_BUTTON, {}},
          {IDCANCEL, "Button", "Cancel", 0, {}}},
         {"Found:"}},
    };
}

std::string windowText(HWND wnd) {
    char text[256] = {};
    GetWindowTextA(wnd, text, sizeof text);
    return text;
}

std::string className(HWND wnd) {
    char name[64] = {};
    GetClassNameA(wnd, name, sizeof name);
    return name;
}

TEST_F(ViewerResources, DialogsHaveTheirTitlesSizesAndControls) {
    for (const DialogCase& d : dialogCases()) {
        SCOPED_TRACE(d.title);
        HWND dlg = CreateDialogParamA(module, MAKEINTRESOURCEA(d.id), nullptr, idleDialogProc, 0);
        ASSERT_NE(dlg, nullptr) << "dialog " << d.id;
        EXPECT_EQ(windowText(dlg), d.title);
        // The DS_ bits live only in the template; the window keeps the WS_ bits.
        HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(d.id), MAKEINTRESOURCEA(5));  // RT_DIALOG
        ASSERT_NE(found, nullptr);
        auto* tmpl = static_cast<const DLGTEMPLATE*>(LockResource(LoadResource(module, found)));
        const DWORD frame = DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU;
        EXPECT_EQ(tmpl->style & frame, frame);
        EXPECT_EQ((tmpl->style & DS_SETFOREGROUND) != 0, d.startup);
        EXPECT_EQ(tmpl->cx, d.width);
        EXPECT_EQ(tmpl->cy, d.height);
        LONG style = GetWindowLongA(dlg, GWL_STYLE);
        EXPECT_EQ(style & (WS_POPUP | WS_CAPTION | WS_SYSMENU), WS_POPUP | WS_CAPTION | WS_SYSMENU);

        RECT expected = {0, 0, d.width, d.height};
        MapDialogRect(dlg, &expected);
        RECT client = {};
        GetClientRect(dlg, &client);
        EXPECT_EQ(client.right, expected.right);
        EXPECT_EQ(client.bottom, expected.bottom);

        for (const ControlCase& c : d.controls) {
            SCOPED_TRACE(c.id);
            HWND ctl = GetDlgItem(dlg, c.id);
            ASSERT_NE(ctl, nullptr);
            EXPECT_STRCASEEQ(className(ctl).c_str(), c.className);
            if (c.text) {
                EXPECT_EQ(windowText(ctl), c.text);
            }
            LONG bits = GetWindowLongA(ctl, GWL_STYLE);
            if (std::string(c.className) == "Button") {
                // Button kinds are a value in the low four bits, not flags.
                EXPECT_EQ(bits & BS_TYPEMASK, c.styleBits);
            } else {
                EXPECT_EQ(bits & c.styleBits, c.styleBits);
            }
            if (c.place.right) {
                // Position and size are converted separately, as the dialog manager does.
                RECT want = c.place;
                MapDialogRect(dlg, &want);
                want.right += want.left;
                want.bottom += want.top;
                RECT got = {};
                GetWindowRect(ctl, &got);
                MapWindowPoints(nullptr, dlg, reinterpret_cast<POINT*>(&got), 2);
                EXPECT_EQ(got.left, want.left);
                EXPECT_EQ(got.top, want.top);
                EXPECT_EQ(got.right, want.right);
                EXPECT_EQ(got.bottom, want.bottom);
            }
        }

        std::set<std::string> labels;
        for (HWND child = GetWindow(dlg, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
            labels.insert(windowText(child));
        for (const std::string& label : d.labels) EXPECT_EQ(labels.count(label), 1u) << label;
        DestroyWindow(dlg);
    }
}

TEST_F(ViewerResources, AboutDialogShowsThePictureResource) {
    HWND dlg = CreateDialogParamA(module, MAKEINTRESOURCEA(IDD_ABOUT), nullptr, idleDialogProc, 0);
    ASSERT_NE(dlg, nullptr);
    HBITMAP shown = nullptr;
    for (HWND child = GetWindow(dlg, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_BITMAP)
            shown = reinterpret_cast<HBITMAP>(SendMessageA(child, STM_GETIMAGE, IMAGE_BITMAP, 0));
    }
    ASSERT_NE(shown, nullptr);
    BITMAP bm = {};
    GetObjectA(shown, sizeof bm, &bm);
    EXPECT_EQ(bm.bmWidth, 411);
    EXPECT_EQ(bm.bmHeight, 272);
    DestroyWindow(dlg);
}

}  // namespace
