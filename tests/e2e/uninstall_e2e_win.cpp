// End-to-end runs of the real uninstaller.exe under Wine: each test lays out an installed product
// in temporary folders of the private prefix, points the user's shell folders at them, answers the
// uninstaller's message boxes and checks what is gone and what stays.
// usage: uninstall_e2e UNINSTALLER_EXE [PRIVATE_DRIVE]   (paths may be Unix paths)
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

std::string uninstallerSource;
std::string privateDrive;  // "Q:" when the run was given a throw-away drive, else empty

const char ROOT[] = "C:\\orvanta-uninstall-e2e";
const char UNINSTALL_KEY[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Orvanta4";
const char SHELL_FOLDERS_KEY[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const char USER_SHELL_FOLDERS_KEY[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
const char SESSION_KEY[] = "System\\CurrentControlSet\\Control\\Session Manager";
const char PENDING_VALUE[] = "PendingFileRenameOperations";
const char CONFIRM_TEXT[] = "Are you sure you want to remove Orvanta 4.0 from your computer?";
const char WARNING_TEXT[] = "Please make sure Orvanta 4 is not curently running";
const char DONE_TEXT[] = "Orvanta 4 has been removed from your computer";
const DWORD WAIT_MS = 15000;

std::string windowsPathOf(const std::string& path) {
    if (path.empty() || path[0] != '/') return path;
    std::string out = "Z:" + path;
    for (char& c : out) {
        if (c == '/') c = '\\';
    }
    return out;
}

bool exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void makeFolder(const std::string& path, DWORD attrs = 0) {
    for (size_t pos = path.find('\\', 3); pos != std::string::npos; pos = path.find('\\', pos + 1)) {
        CreateDirectoryA(path.substr(0, pos).c_str(), nullptr);
    }
    CreateDirectoryA(path.c_str(), nullptr);
    if (attrs) SetFileAttributesA(path.c_str(), attrs);
}

void writeFile(const std::string& path, DWORD attrs = 0) {
    makeFolder(path.substr(0, path.rfind('\\')));
    HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, f) << "cannot create " << path;
    DWORD written = 0;
    WriteFile(f, "orvanta", 7, &written, nullptr);
    CloseHandle(f);
    if (attrs) SetFileAttributesA(path.c_str(), attrs);
}

// The test's own clean-up: clears attributes, and removes links without entering them.
void removeTree(const std::string& path) {
    const DWORD attrs = GetFileAttributesA(path.c_str());
    if (attrs == INVALID_FILE_ATTRIBUTES) return;
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!(attrs & FILE_ATTRIBUTE_DIRECTORY)) {
        DeleteFileA(path.c_str());
        return;
    }
    if (!(attrs & FILE_ATTRIBUTE_REPARSE_POINT)) {
        WIN32_FIND_DATAA found;
        HANDLE find = FindFirstFileA((path + "\\*").c_str(), &found);
        if (find != INVALID_HANDLE_VALUE) {
            do {
                const std::string name = found.cFileName;
                if (name != "." && name != "..") removeTree(path + "\\" + name);
            } while (FindNextFileA(find, &found));
            FindClose(find);
        }
    }
    RemoveDirectoryA(path.c_str());
}

// One registry value, kept to be put back exactly.
struct SavedValue {
    HKEY root;
    std::string key, name;
    bool present = false;
    DWORD type = 0;
    std::vector<BYTE> data;
};

SavedValue saveValue(HKEY root, const char* key, const char* name) {
    SavedValue v;
    v.root = root;
    v.key = key;
    v.name = name;
    HKEY k;
    if (RegOpenKeyExA(root, key, 0, KEY_READ, &k) != ERROR_SUCCESS) return v;
    DWORD size = 0;
    if (RegQueryValueExA(k, name, nullptr, &v.type, nullptr, &size) == ERROR_SUCCESS) {
        v.data.resize(size);
        v.present = RegQueryValueExA(k, name, nullptr, &v.type, v.data.data(), &size) == ERROR_SUCCESS;
    }
    RegCloseKey(k);
    return v;
}

void setValue(HKEY root, const char* key, const char* name, DWORD type, const void* data, DWORD size) {
    HKEY k;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(root, key, 0, nullptr, 0, KEY_WRITE, nullptr, &k, nullptr));
    RegSetValueExA(k, name, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(k);
}

void setText(HKEY root, const char* key, const char* name, const std::string& text) {
    setValue(root, key, name, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
}

void deleteValue(HKEY root, const char* key, const char* name) {
    HKEY k;
    if (RegOpenKeyExA(root, key, 0, KEY_WRITE, &k) != ERROR_SUCCESS) return;
    RegDeleteValueA(k, name);
    RegCloseKey(k);
}

void restoreValue(const SavedValue& v) {
    if (v.present) {
        setValue(v.root, v.key.c_str(), v.name.c_str(), v.type, v.data.data(), static_cast<DWORD>(v.data.size()));
    } else {
        deleteValue(v.root, v.key.c_str(), v.name.c_str());
    }
}

bool keyExists(HKEY root, const std::string& key) {
    HKEY k;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
    RegCloseKey(k);
    return true;
}

void deleteKeyTree(HKEY root, const std::string& key) {
    HKEY k;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &k) == ERROR_SUCCESS) {
        char name[256];
        std::vector<std::string> subKeys;
        for (DWORD i = 0;; ++i) {
            DWORD size = sizeof name;
            if (RegEnumKeyExA(k, i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
            subKeys.push_back(name);
        }
        RegCloseKey(k);
        for (const std::string& sub : subKeys) deleteKeyTree(root, key + "\\" + sub);
    }
    RegDeleteKeyA(root, key.c_str());
}

// ---- the uninstaller's message boxes ----

struct Box {
    HWND wnd = nullptr;
    std::string title, text;
    bool yes = false, no = false, ok = false, icon = false;
};

std::string windowText(HWND wnd) {
    char text[1024] = "";
    if (wnd) GetWindowTextA(wnd, text, sizeof text);
    return text;
}

bool hasButton(HWND box, int id) {
    HWND button = GetDlgItem(box, id);
    return button != nullptr && IsWindowVisible(button);
}

// The icon of a message box sits in a static control: id 20 on Windows, 0x440 on Wine.
bool hasIcon(HWND box) {
    for (int id : {20, 0x440}) {
        HWND icon = GetDlgItem(box, id);
        if (icon && IsWindowVisible(icon) && SendMessageA(icon, STM_GETICON, 0, 0) != 0) return true;
    }
    return false;
}

struct BoxSearch {
    DWORD pid;
    HWND found;
};

BOOL CALLBACK findBoxOfProcess(HWND wnd, LPARAM lp) {
    BoxSearch* search = reinterpret_cast<BoxSearch*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(wnd, &pid);
    char cls[64] = "";
    GetClassNameA(wnd, cls, sizeof cls);
    if (pid == search->pid && IsWindowVisible(wnd) && std::string(cls) == "#32770") {
        search->found = wnd;
        return FALSE;
    }
    return TRUE;
}

// Waits, bounded, for a message box of the process, or for the process to end (wnd stays null).
Box waitForBox(const PROCESS_INFORMATION& pi) {
    Box box;
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < WAIT_MS) {
        BoxSearch search{pi.dwProcessId, nullptr};
        EnumWindows(findBoxOfProcess, reinterpret_cast<LPARAM>(&search));
        if (search.found) {
            Sleep(100);  // let the box finish its layout
            box.wnd = search.found;
            box.title = windowText(box.wnd);
            box.text = windowText(GetDlgItem(box.wnd, 0xFFFF));
            box.yes = hasButton(box.wnd, IDYES);
            box.no = hasButton(box.wnd, IDNO);
            box.ok = hasButton(box.wnd, IDOK);
            box.icon = hasIcon(box.wnd);
            return box;
        }
        if (WaitForSingleObject(pi.hProcess, 50) == WAIT_OBJECT_0) return box;
    }
    return box;
}

void press(const Box& box, int id) {
    PostMessageA(box.wnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box.wnd, id)));
    const DWORD start = GetTickCount();
    while (IsWindow(box.wnd) && IsWindowVisible(box.wnd) && GetTickCount() - start < WAIT_MS) Sleep(50);
}

std::string describe(const Box& box) {
    if (!box.wnd) return "no box";
    return "box \"" + box.title + "\" / \"" + box.text + "\" buttons" + (box.yes ? " Yes" : "") +
           (box.no ? " No" : "") + (box.ok ? " OK" : "") + (box.icon ? ", with an icon" : "");
}

// Runs exePath, answers the confirmation with Yes or No and dismisses the other boxes. Every
// wait is bounded; a run that goes wrong is terminated, and the failure names what was seen.
void runUninstaller(const std::string& exePath, bool answerYes) {
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    std::string commandLine = "\"" + exePath + "\"";
    ASSERT_TRUE(CreateProcessA(exePath.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, "C:\\", &si, &pi))
        << "cannot start " << exePath << " (error " << GetLastError() << ")";
    struct Closer {
        PROCESS_INFORMATION& pi;
        ~Closer() {
            if (WaitForSingleObject(pi.hProcess, 0) != WAIT_OBJECT_0) {
                TerminateProcess(pi.hProcess, 99);
                WaitForSingleObject(pi.hProcess, WAIT_MS);
            }
            CloseHandle(pi.hThread);
            CloseHandle(pi.hProcess);
        }
    } closer{pi};

    const Box confirm = waitForBox(pi);
    ASSERT_TRUE(confirm.wnd) << "no confirmation box; saw " << describe(confirm);
    EXPECT_EQ("Are you Sure?", confirm.title);
    EXPECT_EQ(CONFIRM_TEXT, confirm.text);
    EXPECT_TRUE(confirm.yes && confirm.no && !confirm.ok && !confirm.icon) << describe(confirm);
    press(confirm, answerYes ? IDYES : IDNO);

    if (answerYes) {
        const Box warning = waitForBox(pi);
        ASSERT_TRUE(warning.wnd) << "no warning box after Yes";
        EXPECT_EQ("INFO:", warning.title);
        EXPECT_EQ(WARNING_TEXT, warning.text);
        EXPECT_TRUE(warning.ok && !warning.yes && !warning.no && !warning.icon) << describe(warning);
        press(warning, IDOK);

        const Box done = waitForBox(pi);
        ASSERT_TRUE(done.wnd) << "no completion box after the warning";
        EXPECT_EQ("INFO:", done.title);
        EXPECT_EQ(DONE_TEXT, done.text);
        EXPECT_TRUE(done.ok && !done.yes && !done.no && !done.icon) << describe(done);
        press(done, IDOK);
    } else {
        const Box after = waitForBox(pi);
        EXPECT_FALSE(after.wnd) << "after No the uninstaller showed " << describe(after);
    }
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(pi.hProcess, WAIT_MS)) << "the uninstaller did not end";
    DWORD code = 99;
    GetExitCodeProcess(pi.hProcess, &code);
    EXPECT_EQ(0u, code);
}

// ---- the installed product ----

class Uninstall : public ::testing::Test {
protected:
    std::string root = ROOT;
    std::string desktop = root + "\\Desktop";
    std::string startMenu = root + "\\Start Menu";
    std::string makerProgramFolder = root + "\\Program Files\\Halvercot Software";
    std::string programFolder = makerProgramFolder + "\\Orvanta4";
    std::string exe = programFolder + "\\uninstaller.exe";
    std::string makerMenu = startMenu + "\\Halvercot Software";
    std::string productMenu = makerMenu + "\\Orvanta4";
    std::vector<SavedValue> saved;

    void SetUp() override {
        saved.push_back(saveValue(HKEY_CURRENT_USER, SHELL_FOLDERS_KEY, "Desktop"));
        saved.push_back(saveValue(HKEY_CURRENT_USER, SHELL_FOLDERS_KEY, "Start Menu"));
        saved.push_back(saveValue(HKEY_LOCAL_MACHINE, SESSION_KEY, PENDING_VALUE));
        saved.push_back(saveValue(HKEY_CURRENT_USER, USER_SHELL_FOLDERS_KEY, "Desktop"));
        saved.push_back(saveValue(HKEY_CURRENT_USER, USER_SHELL_FOLDERS_KEY, "Start Menu"));
        removeTree(root);
    }

    void TearDown() override {
        for (const SavedValue& v : saved) restoreValue(v);
        deleteKeyTree(HKEY_LOCAL_MACHINE, UNINSTALL_KEY);
        removeTree(root);
    }

    // The user's own Desktop and Start menu are never the ones the uninstaller works on. "Shell
    // Folders" is only the shell's copy of "User Shell Folders": whenever a shell component looks
    // a folder up (the desktop process does as it starts, at any moment of a run), the copy is
    // written anew from the source. Both are moved, as in a profile whose folders were moved.
    void pointShellFolders() {
        for (const char* key : {USER_SHELL_FOLDERS_KEY, SHELL_FOLDERS_KEY}) {
            setText(HKEY_CURRENT_USER, key, "Desktop", desktop);
            setText(HKEY_CURRENT_USER, key, "Start Menu", startMenu);
        }
    }

    void install() {
        pointShellFolders();
        setText(HKEY_LOCAL_MACHINE, UNINSTALL_KEY, "DisplayName", "Orvanta 4.0");
        setText(HKEY_LOCAL_MACHINE, UNINSTALL_KEY, "UninstallString", exe);
        setText(HKEY_LOCAL_MACHINE, (std::string(UNINSTALL_KEY) + "\\Extra\\Deeper").c_str(), "Note", "nested");

        writeFile(desktop + "\\Orvanta4.lnk");
        writeFile(desktop + "\\Other.lnk");
        writeFile(startMenu + "\\Orvanta4\\Orvanta4.lnk");
        writeFile(startMenu + "\\Orvanta4\\Readme.lnk");
        writeFile(productMenu + "\\Orvanta4.lnk");
        writeFile(productMenu + "\\Help\\Manual.lnk", FILE_ATTRIBUTE_HIDDEN);
        SetFileAttributesA(productMenu.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY);

        makeFolder(programFolder);
        ASSERT_TRUE(CopyFileA(uninstallerSource.c_str(), exe.c_str(), FALSE))
            << "cannot copy " << uninstallerSource << " (error " << GetLastError() << ")";
        writeFile(programFolder + "\\viewer.exe");
        writeFile(programFolder + "\\hidden.dat", FILE_ATTRIBUTE_HIDDEN);
        writeFile(programFolder + "\\archive.dat", FILE_ATTRIBUTE_ARCHIVE);
        writeFile(programFolder + "\\data\\nested\\deep\\b.dat");
        writeFile(programFolder + "\\data\\a.dat");
        writeFile(programFolder + "\\hiddendir\\x.dat");
        writeFile(programFolder + "\\archivedir\\x.dat");
        writeFile(programFolder + "\\readonlydir\\x.dat");
        SetFileAttributesA((programFolder + "\\hiddendir").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_DIRECTORY);
        SetFileAttributesA((programFolder + "\\archivedir").c_str(), FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_DIRECTORY);
        SetFileAttributesA((programFolder + "\\readonlydir").c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY);
        writeFile(makerProgramFolder + "\\OtherProduct\\keep.dat");
    }

    // Everything in the program folder is gone; the running uninstaller's own file may stay.
    void expectProgramFolderEmptied() {
        std::vector<std::string> left;
        WIN32_FIND_DATAA found;
        HANDLE find = FindFirstFileA((programFolder + "\\*").c_str(), &found);
        if (find != INVALID_HANDLE_VALUE) {
            do {
                const std::string name = found.cFileName;
                if (name != "." && name != ".." && name != "uninstaller.exe") left.push_back(name);
            } while (FindNextFileA(find, &found));
            FindClose(find);
        }
        EXPECT_TRUE(left.empty()) << "left in the program folder: " << ::testing::PrintToString(left);
        EXPECT_TRUE(exists(makerProgramFolder + "\\OtherProduct\\keep.dat")) << "another product's file went";
    }

    std::string pendingRemovals() {
        const SavedValue v = saveValue(HKEY_LOCAL_MACHINE, SESSION_KEY, PENDING_VALUE);
        std::string text;
        for (BYTE b : v.data) text += b ? static_cast<char>(b) : '|';
        return text;
    }
};

bool containsNoCase(std::string text, std::string part) {
    CharLowerA(&text[0]);
    CharLowerA(&part[0]);
    return text.find(part) != std::string::npos;
}

// The uninstaller's only resource is its icon group 101, with a 32 by 32 and a 16 by 16 image.
TEST(UninstallerFile, CarriesIcon101) {
    HMODULE module = LoadLibraryExA(uninstallerSource.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_TRUE(module) << "cannot load " << uninstallerSource << " as data";
    HRSRC group = FindResourceA(module, MAKEINTRESOURCEA(101), MAKEINTRESOURCEA(14) /* RT_GROUP_ICON */);
    ASSERT_TRUE(group) << "no icon group 101";
    const BYTE* dir = static_cast<const BYTE*>(LockResource(LoadResource(module, group)));
    ASSERT_TRUE(dir);
    const WORD count = static_cast<WORD>(dir[4] | (dir[5] << 8));
    std::vector<int> widths;
    for (WORD i = 0; i < count; ++i) widths.push_back(dir[6 + 14 * i]);  // each entry is 14 bytes, width first
    EXPECT_NE(widths.end(), std::find(widths.begin(), widths.end(), 32));
    EXPECT_NE(widths.end(), std::find(widths.begin(), widths.end(), 16));
    FreeLibrary(module);
}

TEST_F(Uninstall, FullRemoval) {
    install();
    runUninstaller(exe, true);

    EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, UNINSTALL_KEY));
    EXPECT_FALSE(exists(desktop + "\\Orvanta4.lnk"));
    EXPECT_TRUE(exists(desktop + "\\Other.lnk"));
    EXPECT_FALSE(exists(startMenu + "\\Orvanta4\\Orvanta4.lnk"));
    EXPECT_TRUE(exists(startMenu + "\\Orvanta4\\Readme.lnk")) << "the shortcut's folder is not the uninstaller's";
    EXPECT_FALSE(exists(productMenu)) << "the product's Start-menu folder stays";
    EXPECT_FALSE(exists(makerMenu)) << "the empty maker's Start-menu folder stays";
    EXPECT_TRUE(exists(startMenu));
    expectProgramFolderEmptied();

    // The uninstaller's file and folder are left to the next start of Windows.
    const std::string pending = pendingRemovals();
    if (exists(exe)) {
        EXPECT_TRUE(containsNoCase(pending, exe + "||")) << "removal after restart not asked for: " << pending;
    }
    EXPECT_TRUE(containsNoCase(pending, programFolder + "||")) << "folder removal not asked for: " << pending;
    EXPECT_FALSE(containsNoCase(pending, makerProgramFolder + "||")) << pending;
}

TEST_F(Uninstall, AnsweringNoChangesNothing) {
    install();
    runUninstaller(exe, false);

    EXPECT_TRUE(keyExists(HKEY_LOCAL_MACHINE, std::string(UNINSTALL_KEY) + "\\Extra\\Deeper"));
    for (const std::string& path : {desktop + "\\Orvanta4.lnk", startMenu + "\\Orvanta4\\Orvanta4.lnk",
                                    productMenu + "\\Help\\Manual.lnk", exe, programFolder + "\\viewer.exe",
                                    programFolder + "\\data\\nested\\deep\\b.dat", programFolder + "\\hiddendir\\x.dat"}) {
        EXPECT_TRUE(exists(path)) << path;
    }
    EXPECT_EQ(saved[2].present, saveValue(HKEY_LOCAL_MACHINE, SESSION_KEY, PENDING_VALUE).present);
}

TEST_F(Uninstall, MissingShellFolderValuesSkipTheirSteps) {
    struct Case {
        const char* name;
        bool desktopValue, startMenuValue, uninstallKey;
    };
    const Case cases[] = {
        {"no Start Menu value", true, false, true},
        {"no Desktop value", false, true, true},
        {"nothing installed", false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        removeTree(root);
        install();
        if (!c.desktopValue) deleteValue(HKEY_CURRENT_USER, SHELL_FOLDERS_KEY, "Desktop");
        if (!c.startMenuValue) deleteValue(HKEY_CURRENT_USER, SHELL_FOLDERS_KEY, "Start Menu");
        if (!c.uninstallKey) deleteKeyTree(HKEY_LOCAL_MACHINE, UNINSTALL_KEY);
        runUninstaller(exe, true);  // the completion box comes in every case

        EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, UNINSTALL_KEY));
        EXPECT_EQ(!c.desktopValue, exists(desktop + "\\Orvanta4.lnk"));
        EXPECT_EQ(!c.startMenuValue, exists(startMenu + "\\Orvanta4\\Orvanta4.lnk"));
        EXPECT_EQ(!c.startMenuValue, exists(productMenu + "\\Help\\Manual.lnk"));
        EXPECT_EQ(!c.startMenuValue, exists(makerMenu));
        expectProgramFolderEmptied();
    }
}

TEST_F(Uninstall, MakerFolderWithAnotherProductStays) {
    install();
    writeFile(makerMenu + "\\OtherProduct\\Other.lnk");
    runUninstaller(exe, true);

    EXPECT_FALSE(exists(productMenu));
    EXPECT_TRUE(exists(makerMenu + "\\OtherProduct\\Other.lnk"));
}

TEST_F(Uninstall, ReadOnlyFileStaysWithItsFolders) {
    install();
    const std::string locked = programFolder + "\\data\\nested\\locked.dat";
    writeFile(locked, FILE_ATTRIBUTE_READONLY);
    runUninstaller(exe, true);

    EXPECT_TRUE(exists(locked));
    EXPECT_FALSE(exists(programFolder + "\\data\\nested\\deep")) << "an emptiable sibling folder stays";
    EXPECT_FALSE(exists(programFolder + "\\data\\a.dat"));
    EXPECT_FALSE(exists(programFolder + "\\viewer.exe"));
    EXPECT_FALSE(exists(programFolder + "\\readonlydir"));
}

// A directory link inside the program folder goes as a link; its target keeps its files. Where
// the system makes no such link from here, the throw-away drive brings one made by the runner.
TEST_F(Uninstall, LinkInProgramFolderIsRemovedAsLink) {
    install();
    std::string folder = programFolder;
    std::string target = root + "\\LinkTarget";
    writeFile(target + "\\precious.dat");
    typedef BOOLEAN(WINAPI * CreateLinkFn)(LPCSTR, LPCSTR, DWORD);
    CreateLinkFn createLink = reinterpret_cast<CreateLinkFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "CreateSymbolicLinkA")));
    if (createLink) createLink((folder + "\\linked").c_str(), target.c_str(), 1 /* SYMBOLIC_LINK_FLAG_DIRECTORY */);
    if (!exists(folder + "\\linked") && !privateDrive.empty()) {
        folder = privateDrive + "\\linkcase\\Orvanta4";
        target = privateDrive + "\\linkcase\\target";
        CopyFileA(uninstallerSource.c_str(), (folder + "\\uninstaller.exe").c_str(), FALSE);
        writeFile(folder + "\\viewer.exe");
    }
    const std::string link = folder + "\\linked";
    const DWORD attrs = GetFileAttributesA(link.c_str());
    if (attrs == INVALID_FILE_ATTRIBUTES || !(attrs & FILE_ATTRIBUTE_REPARSE_POINT)) {
        GTEST_SKIP() << "no directory link could be made here (attributes " << attrs << ")";
    }
    ASSERT_TRUE(exists(link + "\\precious.dat")) << "the link does not lead to its target";
    runUninstaller(folder + "\\uninstaller.exe", true);

    EXPECT_TRUE(exists(target + "\\precious.dat")) << "the uninstaller emptied the link's target";
    EXPECT_FALSE(exists(folder + "\\viewer.exe"));
    // Wine 8 shows a Unix symbolic link as a directory link but cannot remove it by any call.
    const bool wine = GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
    if (wine && exists(link)) {
        std::printf("note: Wine kept the link itself; its target was left untouched\n");
    } else {
        EXPECT_FALSE(exists(link)) << "the link stays";
    }
}

// A program folder that is one of the machine's own folders is never emptied, whatever
// uninstaller sits in it. Only folders of this private prefix (or its throw-away drive) are used.
TEST_F(Uninstall, ProtectedProgramFolderIsLeftAlone) {
    struct Case {
        const char* name;
        std::string folder;
    };
    std::vector<Case> cases;
    char programFiles[MAX_PATH] = "";
    HKEY k;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion", 0, KEY_READ, &k) == ERROR_SUCCESS) {
        DWORD size = sizeof programFiles - 1;
        RegQueryValueExA(k, "ProgramFilesDir", nullptr, nullptr, reinterpret_cast<BYTE*>(programFiles), &size);
        RegCloseKey(k);
    }
    ASSERT_NE('\0', programFiles[0]) << "the prefix names no Program Files folder";
    cases.push_back({"Program Files", programFiles});
    pointShellFolders();
    if (!privateDrive.empty()) {
        cases.push_back({"drive root", privateDrive});
    } else {
        std::printf("note: no throw-away drive given; the drive-root case is not run\n");
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string copy = c.folder + "\\orvanta-e2e-uninstaller.exe";
        const std::string sentinel = c.folder + "\\orvanta-e2e-sentinel.dat";
        const std::string sentinelFolder = c.folder + "\\orvanta-e2e-sentinel";
        ASSERT_TRUE(CopyFileA(uninstallerSource.c_str(), copy.c_str(), FALSE)) << "cannot copy into " << c.folder;
        writeFile(sentinel);
        writeFile(sentinelFolder + "\\inner.dat");
        runUninstaller(copy, true);

        EXPECT_TRUE(exists(sentinel));
        EXPECT_TRUE(exists(sentinelFolder + "\\inner.dat"));
        EXPECT_TRUE(exists(copy));
        EXPECT_FALSE(containsNoCase(pendingRemovals(), "orvanta-e2e-uninstaller.exe")) << pendingRemovals();
        DeleteFileA(copy.c_str());
        removeTree(sentinel);
        removeTree(sentinelFolder);
    }
}

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: uninstall_e2e UNINSTALLER_EXE [PRIVATE_DRIVE]\n");
        return 2;
    }
    uninstallerSource = windowsPathOf(argv[1]);
    if (argc >= 3) privateDrive = argv[2];
    return RUN_ALL_TESTS();
}
