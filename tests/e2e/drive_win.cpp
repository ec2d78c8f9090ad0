// Driving another process's windows: messages, cross-process memory for the common controls,
// synthesized mouse input, pop-up menus and screenshots. Both processes are 32-bit, so the
// control structures written into the other process have the same layout as ours.
#include "drive_win.h"

#include "drive_hook_win.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

DWORD driveWaitMs = 5000;

namespace {

const DWORD POLL_MS = 25;
const UINT SEND_TIMEOUT_MS = 3000;

std::string lastFailure;
bool failureQuiet = false;
Program* currentProgram = nullptr;

std::string formatText(const char* format, va_list args) {
    char buffer[4096];
    vsnprintf(buffer, sizeof buffer, format, args);
    return buffer;
}

DWORD boundOf(DWORD ms) { return ms ? ms : driveWaitMs; }

// Every message to the other process is bounded: a hung program fails the step instead of
// hanging the driver.
bool sendBounded(HWND window, UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) {
    DWORD_PTR value = 0;
    if (!SendMessageTimeoutA(window, msg, wp, lp, SMTO_ABORTIFHUNG | SMTO_BLOCK, SEND_TIMEOUT_MS,
                             &value)) {
        return false;
    }
    if (result) {
        *result = static_cast<LRESULT>(value);
    }
    return true;
}

LRESULT sendOrZero(HWND window, UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT result = 0;
    sendBounded(window, msg, wp, lp, &result);
    return result;
}

// A block of memory inside the process that owns a window.
struct Remote {
    HANDLE process = nullptr;
    char* address = nullptr;
    size_t size = 0;
};

bool remoteOpen(HWND window, size_t size, Remote& remote) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    remote.process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE |
                                     PROCESS_QUERY_INFORMATION,
                                 FALSE, pid);
    if (!remote.process) {
        return driveFail("cannot open process %lu of window %p", pid, static_cast<void*>(window));
    }
    remote.address = static_cast<char*>(
        VirtualAllocEx(remote.process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    if (!remote.address) {
        CloseHandle(remote.process);
        remote.process = nullptr;
        return driveFail("cannot allocate memory in process %lu", pid);
    }
    remote.size = size;
    return true;
}

void remoteClose(Remote& remote) {
    if (remote.address) {
        VirtualFreeEx(remote.process, remote.address, 0, MEM_RELEASE);
    }
    if (remote.process) {
        CloseHandle(remote.process);
    }
    remote = Remote();
}

bool remoteWrite(Remote& remote, size_t offset, const void* data, size_t size) {
    SIZE_T done = 0;
    return WriteProcessMemory(remote.process, remote.address + offset, data, size, &done) &&
           done == size;
}

bool remoteRead(Remote& remote, size_t offset, void* data, size_t size) {
    SIZE_T done = 0;
    return ReadProcessMemory(remote.process, remote.address + offset, data, size, &done) &&
           done == size;
}

bool matches(const char* wanted, const std::string& actual) {
    return !wanted || actual == wanted;
}

// The title of a top-level window is kept by the system: reading it sends no message, so it
// works while the owner is busy or already ending.
std::string titleOf(HWND window) {
    char buffer[1024] = "";
    GetWindowTextA(window, buffer, sizeof buffer);
    return buffer;
}

void rememberSeen(Program& program, HWND window) {
    SeenWindow seen{windowClass(window), titleOf(window)};
    for (const SeenWindow& known : program.seen) {
        if (known.className == seen.className && known.title == seen.title) {
            return;
        }
    }
    program.seen.push_back(seen);
}

struct EnumState {
    DWORD pid;
    std::vector<HWND>* windows;
};

BOOL CALLBACK collectWindow(HWND window, LPARAM lp) {
    EnumState* state = reinterpret_cast<EnumState*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == state->pid && IsWindowVisible(window)) {
        state->windows->push_back(window);
    }
    return TRUE;
}

BOOL CALLBACK describeChild(HWND child, LPARAM lp) {
    std::string* out = reinterpret_cast<std::string*>(lp);
    if (GetParent(child) == nullptr) {
        return TRUE;
    }
    char line[600];
    snprintf(line, sizeof line, "      child id %d class \"%s\" text \"%s\"%s\n",
             GetDlgCtrlID(child), windowClass(child).c_str(), windowText(child).c_str(),
             IsWindowVisible(child) ? "" : " (hidden)");
    *out += line;
    return TRUE;
}

void sendMouseInput(DWORD flags) {
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    SendInput(1, &input, sizeof input);
}

}  // namespace

// ---- failures and logging

bool driveFail(const char* format, ...) {
    va_list args;
    va_start(args, format);
    lastFailure = formatText(format, args);
    va_end(args);
    if (currentProgram && currentProgram->running) {
        lastFailure += "\n" + describeProgramWindows(*currentProgram);
    }
    if (!failureQuiet) {
        printf("FAIL: %s\n", lastFailure.c_str());
        fflush(stdout);
    }
    return false;
}

const std::string& driveLastFailure() { return lastFailure; }

void driveExpectFailure(bool quiet) {
    failureQuiet = quiet;
    if (quiet) {
        lastFailure.clear();
    }
}

void driveSetCurrentProgram(Program* program) { currentProgram = program; }

void driveLog(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string text = formatText(format, args);
    va_end(args);
    printf("%s\n", text.c_str());
    fflush(stdout);
}

// ---- paths

std::string toWindowsPath(const std::string& path) {
    std::string result = path;
    if (!result.empty() && result[0] == '/') {
        result = "Z:" + result;
    }
    for (char& c : result) {
        if (c == '/') {
            c = '\\';
        }
    }
    return result;
}

std::string folderOf(const std::string& path) {
    size_t cut = path.find_last_of("\\/");
    return cut == std::string::npos ? std::string(".") : path.substr(0, cut);
}

bool fileExists(const std::string& path) {
    return GetFileAttributesA(toWindowsPath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// ---- programs

bool startProgram(Program& program, const std::string& exe, const std::string& workDir,
                  const std::string& arguments) {
    program = Program();
    program.exe = toWindowsPath(exe);
    std::string dir = toWindowsPath(workDir.empty() ? folderOf(exe) : workDir);
    std::string commandLine = "\"" + program.exe + "\"";
    if (!arguments.empty()) {
        commandLine += " " + arguments;
    }
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    if (!CreateProcessA(program.exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        dir.c_str(), &startup, &program.info)) {
        return driveFail("cannot start %s in %s (error %lu)", program.exe.c_str(), dir.c_str(),
                         GetLastError());
    }
    program.running = true;
    driveSetCurrentProgram(&program);
    // The program's first window cannot appear before it has finished initialising.
    WaitForInputIdle(program.info.hProcess, boundOf(0));
    return true;
}

bool waitExit(Program& program, DWORD* exitCode, DWORD ms) {
    if (!program.info.hProcess) {
        return driveFail("waitExit: no program was started");
    }
    DWORD bound = boundOf(ms);
    DWORD start = GetTickCount();
    for (;;) {
        programWindows(program);
        DWORD state = WaitForSingleObject(program.info.hProcess, POLL_MS);
        if (state == WAIT_OBJECT_0) {
            break;
        }
        if (GetTickCount() - start >= bound) {
            return driveFail("%s did not exit within %lu ms", program.exe.c_str(), bound);
        }
    }
    DWORD code = 0;
    GetExitCodeProcess(program.info.hProcess, &code);
    program.running = false;
    if (exitCode) {
        *exitCode = code;
    }
    return true;
}

bool expectExit(Program& program, DWORD expectedCode, DWORD ms) {
    DWORD code = 0;
    DRIVE(waitExit(program, &code, ms));
    if (code != expectedCode) {
        return driveFail("%s exited with code %lu, expected %lu", program.exe.c_str(), code,
                         expectedCode);
    }
    return true;
}

void terminateProgram(Program& program) {
    if (program.info.hProcess) {
        if (program.running) {
            TerminateProcess(program.info.hProcess, 99);
            WaitForSingleObject(program.info.hProcess, 5000);
        }
        CloseHandle(program.info.hProcess);
        CloseHandle(program.info.hThread);
    }
    program.info = PROCESS_INFORMATION();
    program.running = false;
    if (currentProgram == &program) {
        currentProgram = nullptr;
    }
}

bool expectOnlyWindowsSeen(const Program& program, const std::vector<SeenWindow>& allowed) {
    for (const SeenWindow& seen : program.seen) {
        bool ok = false;
        for (const SeenWindow& allow : allowed) {
            if ((allow.className.empty() || allow.className == seen.className) &&
                (allow.title.empty() || allow.title == seen.title)) {
                ok = true;
            }
        }
        if (!ok) {
            return driveFail("%s showed an unexpected window: class \"%s\" title \"%s\"",
                             program.exe.c_str(), seen.className.c_str(), seen.title.c_str());
        }
    }
    return true;
}

// ---- windows

std::vector<HWND> programWindows(Program& program) {
    std::vector<HWND> windows;
    if (!program.info.dwProcessId) {
        return windows;
    }
    EnumState state{program.info.dwProcessId, &windows};
    EnumWindows(collectWindow, reinterpret_cast<LPARAM>(&state));
    for (HWND window : windows) {
        rememberSeen(program, window);
    }
    return windows;
}

HWND findProgramWindow(Program& program, const char* className, const char* title) {
    for (HWND window : programWindows(program)) {
        if (matches(className, windowClass(window)) && matches(title, titleOf(window))) {
            return window;
        }
    }
    return nullptr;
}

HWND waitWindow(Program& program, const char* className, const char* title, DWORD ms) {
    DWORD bound = boundOf(ms);
    DWORD start = GetTickCount();
    for (;;) {
        HWND window = findProgramWindow(program, className, title);
        if (window) {
            return window;
        }
        if (program.info.hProcess && WaitForSingleObject(program.info.hProcess, 0) == WAIT_OBJECT_0) {
            DWORD code = 0;
            GetExitCodeProcess(program.info.hProcess, &code);
            program.running = false;
            driveFail("%s exited (code %lu) before showing a window of class \"%s\" titled \"%s\"",
                      program.exe.c_str(), code, className ? className : "*", title ? title : "*");
            return nullptr;
        }
        if (GetTickCount() - start >= bound) {
            driveFail("no window of class \"%s\" titled \"%s\" within %lu ms",
                      className ? className : "*", title ? title : "*", bound);
            return nullptr;
        }
        Sleep(POLL_MS);
    }
}

bool waitWindowGone(Program& program, HWND window, DWORD ms) {
    DWORD bound = boundOf(ms);
    DWORD start = GetTickCount();
    std::string what = describeWindow(window);
    while (IsWindow(window) && IsWindowVisible(window)) {
        programWindows(program);
        if (GetTickCount() - start >= bound) {
            return driveFail("window still open after %lu ms: %s", bound, what.c_str());
        }
        Sleep(POLL_MS);
    }
    return true;
}

bool waitNoWindow(Program& program, const char* className, const char* title, DWORD ms) {
    DWORD start = GetTickCount();
    do {
        HWND window = findProgramWindow(program, className, title);
        if (window) {
            return driveFail("unexpected window: %s", describeWindow(window).c_str());
        }
        Sleep(POLL_MS);
    } while (GetTickCount() - start < ms);
    return true;
}

std::string windowText(HWND window) {
    // WM_GETTEXT is copied across processes by the system itself.
    LRESULT length = 0;
    if (!sendBounded(window, WM_GETTEXTLENGTH, 0, 0, &length) || length <= 0) {
        return "";
    }
    std::vector<char> buffer(static_cast<size_t>(length) + 2, '\0');
    if (!sendBounded(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()), &length)) {
        return "";
    }
    buffer.back() = '\0';
    return buffer.data();
}

std::string windowClass(HWND window) {
    char buffer[256] = "";
    GetClassNameA(window, buffer, sizeof buffer);
    return buffer;
}

std::string describeWindow(HWND window) {
    RECT box = {};
    GetWindowRect(window, &box);
    char line[800];
    snprintf(line, sizeof line, "class \"%s\" title \"%s\" at (%ld,%ld) %ldx%ld",
             windowClass(window).c_str(), windowText(window).c_str(), box.left, box.top,
             box.right - box.left, box.bottom - box.top);
    return line;
}

std::string describeProgramWindows(Program& program) {
    std::vector<HWND> windows = programWindows(program);
    std::string out = "  visible top-level windows of " + program.exe + ":";
    if (windows.empty()) {
        return out + " none\n";
    }
    out += "\n";
    for (HWND window : windows) {
        out += "    " + describeWindow(window) + "\n";
        EnumChildWindows(window, describeChild, reinterpret_cast<LPARAM>(&out));
    }
    return out;
}

// ---- controls

HWND childById(HWND parent, int id) { return GetDlgItem(parent, id); }

namespace {
struct ChildSearch {
    const char* className;
    const char* text;
    int nth;
    HWND found;
};

BOOL CALLBACK findChild(HWND child, LPARAM lp) {
    ChildSearch* search = reinterpret_cast<ChildSearch*>(lp);
    if (search->className && _stricmp(windowClass(child).c_str(), search->className) != 0) {
        return TRUE;
    }
    if (search->text && windowText(child) != search->text) {
        return TRUE;
    }
    if (search->nth-- == 0) {
        search->found = child;
        return FALSE;
    }
    return TRUE;
}
}  // namespace

HWND childByClass(HWND parent, const char* className, int nth) {
    ChildSearch search{className, nullptr, nth, nullptr};
    EnumChildWindows(parent, findChild, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND buttonByText(HWND parent, const char* text) {
    ChildSearch search{"Button", text, 0, nullptr};
    EnumChildWindows(parent, findChild, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::string childText(HWND parent, int id) {
    HWND child = childById(parent, id);
    return child ? windowText(child) : std::string();
}

bool expectWindowText(HWND window, const char* expected) {
    std::string actual = windowText(window);
    if (actual != expected) {
        return driveFail("window %s: text \"%s\", expected \"%s\"", windowClass(window).c_str(),
                         actual.c_str(), expected);
    }
    return true;
}

bool expectChildText(HWND parent, int id, const char* expected) {
    HWND child = childById(parent, id);
    if (!child) {
        return driveFail("\"%s\" has no control with id %d", windowText(parent).c_str(), id);
    }
    std::string actual = windowText(child);
    if (actual != expected) {
        return driveFail("\"%s\" control %d: text \"%s\", expected \"%s\"",
                         windowText(parent).c_str(), id, actual.c_str(), expected);
    }
    return true;
}

bool typeText(HWND parent, int id, const char* text) {
    HWND edit = childById(parent, id);
    if (!edit) {
        return driveFail("\"%s\" has no control with id %d to type into", windowText(parent).c_str(), id);
    }
    if (!sendBounded(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text), nullptr)) {
        return driveFail("control %d did not take the text \"%s\"", id, text);
    }
    return true;
}

bool pressButton(HWND parent, int id) {
    HWND button = childById(parent, id);
    if (!button) {
        return driveFail("\"%s\" has no button with id %d", windowText(parent).c_str(), id);
    }
    // Posted, not sent: the button usually ends a modal loop, and a click may open another one.
    PostMessageA(button, BM_CLICK, 0, 0);
    return true;
}

bool pressButtonByText(HWND parent, const char* text) {
    HWND button = buttonByText(parent, text);
    if (!button) {
        return driveFail("\"%s\" has no button \"%s\"", windowText(parent).c_str(), text);
    }
    PostMessageA(button, BM_CLICK, 0, 0);
    return true;
}

bool sendCommand(HWND window, int id) {
    if (!PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, 0), 0)) {
        return driveFail("cannot post command %d to %s", id, describeWindow(window).c_str());
    }
    return true;
}

std::string messageBoxText(HWND box) { return childText(box, 0xFFFF); }

// ---- tree view

namespace {
const size_t TEXT_CAPACITY = 1024;

bool readTreeItem(HWND tree, Remote& remote, HTREEITEM node, TreeNode& out) {
    TVITEMA item = {};
    item.mask = TVIF_TEXT | TVIF_STATE | TVIF_CHILDREN | TVIF_HANDLE;
    item.hItem = node;
    item.stateMask = TVIS_EXPANDED | TVIS_SELECTED | TVIS_DROPHILITED;
    item.pszText = remote.address + sizeof item;
    item.cchTextMax = TEXT_CAPACITY;
    char empty = '\0';
    LRESULT ok = 0;
    if (!remoteWrite(remote, 0, &item, sizeof item) || !remoteWrite(remote, sizeof item, &empty, 1) ||
        !sendBounded(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(remote.address), &ok) || !ok) {
        return false;
    }
    char text[TEXT_CAPACITY] = "";
    if (!remoteRead(remote, 0, &item, sizeof item)) {
        return false;
    }
    // The control may answer with its own buffer instead of ours.
    Remote source = remote;
    source.address = item.pszText;
    if (!remoteRead(source, 0, text, sizeof text)) {
        text[0] = '\0';
    }
    text[sizeof text - 1] = '\0';
    out.handle = node;
    out.label = text;
    out.hasChildren = item.cChildren != 0;
    out.expanded = (item.state & TVIS_EXPANDED) != 0;
    out.selected = (item.state & TVIS_SELECTED) != 0;
    out.dropHighlighted = (item.state & TVIS_DROPHILITED) != 0;
    return true;
}

bool walkTree(HWND tree, Remote& remote, HTREEITEM first, int depth, std::vector<TreeNode>& nodes) {
    for (HTREEITEM node = first; node;
         node = reinterpret_cast<HTREEITEM>(sendOrZero(tree, TVM_GETNEXTITEM, TVGN_NEXT,
                                                       reinterpret_cast<LPARAM>(node)))) {
        TreeNode info;
        if (!readTreeItem(tree, remote, node, info)) {
            return driveFail("cannot read tree node %p", static_cast<void*>(node));
        }
        info.depth = depth;
        nodes.push_back(info);
        HTREEITEM child = reinterpret_cast<HTREEITEM>(
            sendOrZero(tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(node)));
        if (child && !walkTree(tree, remote, child, depth + 1, nodes)) {
            return false;
        }
        if (nodes.size() > 100000) {
            return driveFail("tree has more than 100000 nodes");
        }
    }
    return true;
}
}  // namespace

bool readTree(HWND tree, std::vector<TreeNode>& nodes) {
    nodes.clear();
    if (!IsWindow(tree)) {
        return driveFail("readTree: no tree window");
    }
    Remote remote;
    DRIVE(remoteOpen(tree, sizeof(TVITEMA) + TEXT_CAPACITY, remote));
    HTREEITEM root = reinterpret_cast<HTREEITEM>(sendOrZero(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
    bool ok = walkTree(tree, remote, root, 0, nodes);
    remoteClose(remote);
    // The control names its caret and drop-highlight nodes itself; the item states need not
    // carry the drop-highlight bit.
    HTREEITEM caret = reinterpret_cast<HTREEITEM>(sendOrZero(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
    HTREEITEM drop = reinterpret_cast<HTREEITEM>(sendOrZero(tree, TVM_GETNEXTITEM, TVGN_DROPHILITE, 0));
    for (TreeNode& node : nodes) {
        node.selected = node.selected || node.handle == caret;
        node.dropHighlighted = node.handle == drop;
    }
    return ok;
}

std::string formatTree(const std::vector<TreeNode>& nodes) {
    std::string out;
    for (const TreeNode& node : nodes) {
        out += std::string(node.depth * 2, ' ') + node.label;
        if (node.expanded) out += " +";
        if (node.selected) out += " *";
        if (node.dropHighlighted) out += " !";
        out += "\n";
    }
    return out;
}

bool waitTree(HWND tree, const char* expected, DWORD ms) {
    DWORD bound = boundOf(ms);
    DWORD start = GetTickCount();
    std::vector<TreeNode> nodes;
    for (;;) {
        DRIVE(readTree(tree, nodes));
        if (formatTree(nodes) == expected) {
            return true;
        }
        if (GetTickCount() - start >= bound) {
            return driveFail("the tree after %lu ms:\n--- got\n%s--- expected\n%s---", bound,
                             formatTree(nodes).c_str(), expected);
        }
        Sleep(POLL_MS);
    }
}

bool waitList(HWND list, const char* expected, DWORD ms) {
    DWORD bound = boundOf(ms);
    DWORD start = GetTickCount();
    std::vector<ListRow> rows;
    for (;;) {
        DRIVE(readList(list, rows));
        if (formatList(rows) == expected) {
            return true;
        }
        if (GetTickCount() - start >= bound) {
            return driveFail("the list after %lu ms:\n--- got\n%s--- expected\n%s---", bound,
                             formatList(rows).c_str(), expected);
        }
        Sleep(POLL_MS);
    }
}

const TreeNode* findTreeNode(const std::vector<TreeNode>& nodes, const char* path) {
    std::vector<std::string> parts;
    std::string rest = path;
    for (size_t cut; (cut = rest.find('/')) != std::string::npos; rest = rest.substr(cut + 1)) {
        parts.push_back(rest.substr(0, cut));
    }
    parts.push_back(rest);
    size_t level = 0;
    for (size_t i = 0; i < nodes.size(); ++i) {
        const TreeNode& node = nodes[i];
        if (node.depth < static_cast<int>(level)) {
            break;
        }
        if (node.depth == static_cast<int>(level) && node.label == parts[level]) {
            if (++level == parts.size()) {
                return &node;
            }
        }
    }
    driveFail("no tree node \"%s\"; the tree holds:\n%s", path, formatTree(nodes).c_str());
    return nullptr;
}

bool selectTreeNode(HWND tree, HTREEITEM node) {
    LRESULT ok = 0;
    if (!sendBounded(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(node), &ok) || !ok) {
        return driveFail("cannot select tree node %p", static_cast<void*>(node));
    }
    return true;
}

bool expandTreeNode(HWND tree, HTREEITEM node, bool expand) {
    if (!sendBounded(tree, TVM_EXPAND, expand ? TVE_EXPAND : TVE_COLLAPSE,
                     reinterpret_cast<LPARAM>(node), nullptr)) {
        return driveFail("cannot expand tree node %p", static_cast<void*>(node));
    }
    return true;
}

bool treeNodeCentre(HWND tree, HTREEITEM node, POINT* screen) {
    Remote remote;
    DRIVE(remoteOpen(tree, sizeof(RECT), remote));
    // TVM_GETITEMRECT takes the node in the rectangle it fills.
    RECT box = {};
    memcpy(&box, &node, sizeof node);
    LRESULT ok = 0;
    bool done = remoteWrite(remote, 0, &box, sizeof box) &&
                sendBounded(tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(remote.address), &ok) &&
                ok && remoteRead(remote, 0, &box, sizeof box);
    remoteClose(remote);
    if (!done) {
        return driveFail("tree node %p is not visible", static_cast<void*>(node));
    }
    screen->x = (box.left + box.right) / 2;
    screen->y = (box.top + box.bottom) / 2;
    ClientToScreen(tree, screen);
    return true;
}

// ---- list view

bool readList(HWND list, std::vector<ListRow>& rows) {
    rows.clear();
    if (!IsWindow(list)) {
        return driveFail("readList: no list window");
    }
    HWND header = reinterpret_cast<HWND>(sendOrZero(list, LVM_GETHEADER, 0, 0));
    int columns = header ? static_cast<int>(sendOrZero(header, HDM_GETITEMCOUNT, 0, 0)) : 1;
    if (columns < 1) {
        columns = 1;
    }
    int count = static_cast<int>(sendOrZero(list, LVM_GETITEMCOUNT, 0, 0));
    Remote remote;
    DRIVE(remoteOpen(list, sizeof(LVITEMA) + TEXT_CAPACITY, remote));
    bool ok = true;
    for (int row = 0; row < count && ok; ++row) {
        ListRow out;
        for (int column = 0; column < columns && ok; ++column) {
            LVITEMA item = {};
            item.iSubItem = column;
            item.pszText = remote.address + sizeof item;
            item.cchTextMax = TEXT_CAPACITY;
            char text[TEXT_CAPACITY] = "";
            // Rows whose text comes on demand are answered inside the other process.
            ok = remoteWrite(remote, 0, &item, sizeof item) &&
                 remoteWrite(remote, sizeof item, text, 1) &&
                 sendBounded(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(remote.address), nullptr) &&
                 remoteRead(remote, sizeof item, text, sizeof text);
            text[sizeof text - 1] = '\0';
            out.cells.push_back(text);
        }
        LRESULT state = sendOrZero(list, LVM_GETITEMSTATE, row, LVIS_SELECTED | LVIS_FOCUSED);
        out.selected = (state & LVIS_SELECTED) != 0;
        out.focused = (state & LVIS_FOCUSED) != 0;
        rows.push_back(out);
    }
    remoteClose(remote);
    if (!ok) {
        return driveFail("cannot read the list's rows");
    }
    return true;
}

std::string formatList(const std::vector<ListRow>& rows) {
    std::string out;
    for (const ListRow& row : rows) {
        for (size_t i = 0; i < row.cells.size(); ++i) {
            out += (i ? "|" : "") + row.cells[i];
        }
        out += row.selected ? " *\n" : "\n";
    }
    return out;
}

int findListRow(const std::vector<ListRow>& rows, const char* firstCell) {
    for (size_t i = 0; i < rows.size(); ++i) {
        if (!rows[i].cells.empty() && rows[i].cells[0] == firstCell) {
            return static_cast<int>(i);
        }
    }
    driveFail("no list row \"%s\"; the list holds:\n%s", firstCell, formatList(rows).c_str());
    return -1;
}

bool selectListRows(HWND list, const std::vector<int>& rowsToSelect) {
    Remote remote;
    DRIVE(remoteOpen(list, sizeof(LVITEMA), remote));
    bool ok = true;
    LVITEMA item = {};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = 0;
    // Row -1 clears the selection of every row.
    ok = remoteWrite(remote, 0, &item, sizeof item) &&
         sendBounded(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(remote.address), nullptr);
    for (size_t i = 0; i < rowsToSelect.size() && ok; ++i) {
        item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        item.state = LVIS_SELECTED | (i == 0 ? LVIS_FOCUSED : 0);
        ok = remoteWrite(remote, 0, &item, sizeof item) &&
             sendBounded(list, LVM_SETITEMSTATE, rowsToSelect[i], reinterpret_cast<LPARAM>(remote.address), nullptr);
    }
    remoteClose(remote);
    if (!ok) {
        return driveFail("cannot select list rows");
    }
    return true;
}

bool listRowCentre(HWND list, int row, POINT* screen) {
    Remote remote;
    DRIVE(remoteOpen(list, sizeof(RECT), remote));
    RECT box = {};
    box.left = LVIR_LABEL;
    LRESULT ok = 0;
    bool done = remoteWrite(remote, 0, &box, sizeof box) &&
                sendBounded(list, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(remote.address), &ok) &&
                ok && remoteRead(remote, 0, &box, sizeof box);
    remoteClose(remote);
    if (!done) {
        return driveFail("list row %d has no rectangle", row);
    }
    screen->x = box.left + 8 < box.right ? box.left + 8 : (box.left + box.right) / 2;
    screen->y = (box.top + box.bottom) / 2;
    ClientToScreen(list, screen);
    return true;
}

// ---- status bar

std::string statusText(HWND statusBar, int part) {
    Remote remote;
    if (!remoteOpen(statusBar, TEXT_CAPACITY, remote)) {
        return "";
    }
    char text[TEXT_CAPACITY] = "";
    LRESULT length = sendOrZero(statusBar, SB_GETTEXTLENGTHA, part, 0);
    if (LOWORD(length) < TEXT_CAPACITY) {
        remoteWrite(remote, 0, text, 1);
        sendBounded(statusBar, SB_GETTEXTA, part, reinterpret_cast<LPARAM>(remote.address), nullptr);
        remoteRead(remote, 0, text, sizeof text);
    }
    remoteClose(remote);
    text[sizeof text - 1] = '\0';
    return text;
}

bool waitStatusText(HWND statusBar, const char* expected, DWORD ms) {
    DWORD bound = boundOf(ms);
    DWORD start = GetTickCount();
    std::string actual;
    for (;;) {
        actual = statusText(statusBar);
        if (actual == expected) {
            return true;
        }
        if (GetTickCount() - start >= bound) {
            return driveFail("status bar reads \"%s\", expected \"%s\"", actual.c_str(), expected);
        }
        Sleep(POLL_MS);
    }
}

// ---- mouse

namespace {
DWORD lastClickTick;
POINT lastClickPoint = {-1, -1};
}  // namespace

bool clickAtScreen(POINT screen, Click click) {
    // Two clicks at one spot within the double-click time would make a double click.
    DWORD sinceLast = GetTickCount() - lastClickTick;
    DWORD doubleClickTime = GetDoubleClickTime() + 100;
    if (screen.x == lastClickPoint.x && screen.y == lastClickPoint.y && sinceLast < doubleClickTime) {
        Sleep(doubleClickTime - sinceLast);
    }
    if (!SetCursorPos(screen.x, screen.y)) {
        return driveFail("cannot move the pointer to (%ld,%ld)", screen.x, screen.y);
    }
    // Let the move arrive before the button: handlers ask where the pointer is.
    sendMouseInput(MOUSEEVENTF_MOVE);
    Sleep(50);
    DWORD down = click == CLICK_RIGHT ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN;
    DWORD up = click == CLICK_RIGHT ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP;
    int times = click == CLICK_DOUBLE ? 2 : 1;
    for (int i = 0; i < times; ++i) {
        sendMouseInput(down);
        sendMouseInput(up);
    }
    lastClickTick = GetTickCount();
    lastClickPoint = screen;
    Sleep(100);
    return true;
}

bool dragAtScreen(POINT from, POINT to, int steps) {
    if (!SetCursorPos(from.x, from.y)) return driveFail("cannot move the pointer to (%ld,%ld)", from.x, from.y);
    sendMouseInput(MOUSEEVENTF_MOVE);
    Sleep(50);
    sendMouseInput(MOUSEEVENTF_LEFTDOWN);
    Sleep(100);
    for (int i = 1; i <= steps; ++i) {
        SetCursorPos(from.x + (to.x - from.x) * i / steps, from.y + (to.y - from.y) * i / steps);
        sendMouseInput(MOUSEEVENTF_MOVE);
        Sleep(30);
    }
    sendMouseInput(MOUSEEVENTF_LEFTUP);
    Sleep(200);
    return true;
}

bool clickTreeNode(HWND tree, HTREEITEM node, Click click) {
    POINT screen;
    DRIVE(treeNodeCentre(tree, node, &screen));
    return clickAtScreen(screen, click);
}

bool clickListRow(HWND list, int row, Click click) {
    POINT screen;
    DRIVE(listRowCentre(list, row, &screen));
    return clickAtScreen(screen, click);
}

// ---- pop-up menus

HWND waitPopupMenu(Program& program, DWORD ms) { return waitWindow(program, "#32768", nullptr, ms); }

namespace {
// Loads drive_hook.dll (beside driver.exe) into the process of `window` and runs `function` of
// it there on a block of `size` bytes, which is copied in before and out after.
bool runInProcess(HWND window, const char* function, void* block, size_t size) {
    char hookPath[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, hookPath, sizeof hookPath);
    std::string path = folderOf(hookPath) + "\\drive_hook.dll";
    HMODULE local = LoadLibraryA(path.c_str());
    FARPROC localFunction = local ? GetProcAddress(local, function) : nullptr;
    if (!localFunction) {
        return driveFail("cannot load %s from %s", function, path.c_str());
    }
    Remote remote;
    DRIVE(remoteOpen(window, size + path.size() + 1, remote));
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    HANDLE threads = OpenProcess(PROCESS_CREATE_THREAD | PROCESS_QUERY_INFORMATION | PROCESS_VM_OPERATION |
                                     PROCESS_VM_READ | PROCESS_VM_WRITE,
                                 FALSE, pid);
    bool ok = threads && remoteWrite(remote, size, path.c_str(), path.size() + 1);
    DWORD remoteBase = 0;
    if (ok) {
        // The system DLLs sit at the same address in every process, so our LoadLibraryA is theirs.
        LPTHREAD_START_ROUTINE load = reinterpret_cast<LPTHREAD_START_ROUTINE>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "LoadLibraryA")));
        HANDLE thread = CreateRemoteThread(threads, nullptr, 0, load, remote.address + size, 0, nullptr);
        ok = thread && WaitForSingleObject(thread, SEND_TIMEOUT_MS) == WAIT_OBJECT_0 &&
             GetExitCodeThread(thread, &remoteBase) && remoteBase != 0;
        if (thread) CloseHandle(thread);
    }
    if (ok) {
        DWORD offset = reinterpret_cast<DWORD>(localFunction) - reinterpret_cast<DWORD>(local);
        LPTHREAD_START_ROUTINE start = reinterpret_cast<LPTHREAD_START_ROUTINE>(remoteBase + offset);
        DWORD result = 0;
        ok = remoteWrite(remote, 0, block, size);
        HANDLE thread = ok ? CreateRemoteThread(threads, nullptr, 0, start, remote.address, 0, nullptr) : nullptr;
        ok = thread && WaitForSingleObject(thread, SEND_TIMEOUT_MS) == WAIT_OBJECT_0 &&
             GetExitCodeThread(thread, &result) && result == 1 && remoteRead(remote, 0, block, size);
        if (thread) CloseHandle(thread);
    }
    if (threads) CloseHandle(threads);
    remoteClose(remote);
    if (!ok) {
        return driveFail("cannot run %s inside process %lu", function, pid);
    }
    return true;
}
}  // namespace

bool readMenu(HWND window, HMENU menu, std::vector<MenuEntry>& entries) {
    entries.clear();
    DriveHookMenuBlock block = {};
    block.menu = menu;
    if (!menu || !runInProcess(window, "driveReadMenu", &block, sizeof block)) {
        return driveFail("cannot read menu %p of %s", static_cast<void*>(menu), describeWindow(window).c_str());
    }
    for (LONG i = 0; i < block.count && i < DRIVE_HOOK_MAX_ITEMS; ++i) {
        const DriveHookMenuItem& item = block.items[i];
        MenuEntry entry;
        entry.text.assign(item.text, strnlen(item.text, DRIVE_HOOK_TEXT));
        entry.id = item.id;
        entry.greyed = (item.state & (MFS_GRAYED | MFS_DISABLED)) != 0;
        entry.checked = (item.state & MFS_CHECKED) != 0;
        entry.separator = (item.type & MFT_SEPARATOR) != 0;
        entries.push_back(entry);
    }
    return true;
}

bool readWindowMenu(HWND window, std::vector<MenuEntry>& entries) {
    return readMenu(window, GetMenu(window), entries);
}

bool readPopupMenu(HWND menuWindow, std::vector<MenuEntry>& entries) {
    HMENU menu = reinterpret_cast<HMENU>(sendOrZero(menuWindow, MN_GETHMENU, 0, 0));
    if (!menu) {
        return driveFail("the pop-up menu window gives no menu");
    }
    return readMenu(menuWindow, menu, entries);
}

std::string formatMenu(const std::vector<MenuEntry>& entries) {
    std::string out;
    for (const MenuEntry& entry : entries) {
        out += entry.separator ? std::string("-") : entry.text;
        if (entry.greyed) out += " (greyed)";
        if (entry.checked) out += " (checked)";
        out += "\n";
    }
    return out;
}

bool choosePopupMenuItem(Program& program, HWND menuWindow, const char* text) {
    std::vector<MenuEntry> entries;
    DRIVE(readPopupMenu(menuWindow, entries));
    int position = -1;
    for (size_t i = 0; i < entries.size(); ++i) {
        if (!entries[i].separator && entries[i].text == text) {
            position = static_cast<int>(i);
        }
    }
    if (position < 0) {
        closePopupMenu(program, menuWindow);
        return driveFail("the menu has no entry \"%s\"; it holds:\n%s", text, formatMenu(entries).c_str());
    }
    // A user cannot choose a greyed entry; Enter on it just closes the menu.
    if (entries[position].greyed) {
        closePopupMenu(program, menuWindow);
        return driveFail("the menu entry \"%s\" is greyed; the menu holds:\n%s", text,
                         formatMenu(entries).c_str());
    }
    // The menu's own loop reads keys from its thread's queue, whichever of its windows they
    // are posted to; Home puts the highlight on the first entry.
    PostMessageA(menuWindow, WM_KEYDOWN, VK_HOME, 0);
    for (int i = 0; i < position; ++i) {
        if (!entries[i].separator) {
            PostMessageA(menuWindow, WM_KEYDOWN, VK_DOWN, 0);
        }
    }
    PostMessageA(menuWindow, WM_KEYDOWN, VK_RETURN, 0);
    DWORD start = GetTickCount();
    while (IsWindow(menuWindow) && IsWindowVisible(menuWindow)) {
        if (GetTickCount() - start >= 1000) {
            closePopupMenu(program, menuWindow);
            return driveFail("the menu entry \"%s\" could not be chosen; the menu holds:\n%s", text,
                             formatMenu(entries).c_str());
        }
        Sleep(POLL_MS);
    }
    return true;
}

bool closePopupMenu(Program& program, HWND menuWindow) {
    PostMessageA(menuWindow, WM_KEYDOWN, VK_ESCAPE, 0);
    DWORD start = GetTickCount();
    while (IsWindow(menuWindow) && IsWindowVisible(menuWindow) && GetTickCount() - start < 500) {
        Sleep(POLL_MS);
    }
    if (IsWindow(menuWindow) && IsWindowVisible(menuWindow)) {
        // Ends the menu's loop outright, as EndMenu would from inside.
        PostMessageA(menuWindow, WM_CANCELMODE, 0, 0);
    }
    return waitWindowGone(program, menuWindow, 2000);
}

// ---- screenshots

bool saveScreenshot(const char* name) {
    const char* folder = getenv("ORVANTA_ARTIFACTS");
    if (!folder || !*folder) {
        driveLog("screenshot %s not saved: ORVANTA_ARTIFACTS is not set", name);
        return true;
    }
    std::string path = toWindowsPath(std::string(folder) + "/" + name + ".bmp");
    int width = GetSystemMetrics(SM_CXSCREEN);
    int height = GetSystemMetrics(SM_CYSCREEN);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool ok = bitmap != nullptr;
    if (ok) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        ok = BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY) != 0;
        SelectObject(memory, old);
    }
    DWORD stride = ((width * 3 + 3) / 4) * 4;
    DWORD imageSize = stride * height;
    if (ok) {
        BITMAPFILEHEADER file = {};
        file.bfType = 0x4D42;
        file.bfOffBits = sizeof file + sizeof info.bmiHeader;
        file.bfSize = file.bfOffBits + imageSize;
        info.bmiHeader.biSizeImage = imageSize;
        FILE* out = fopen(path.c_str(), "wb");
        ok = out && fwrite(&file, sizeof file, 1, out) == 1 &&
             fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, out) == 1 &&
             fwrite(bits, imageSize, 1, out) == 1;
        if (out) {
            ok = fclose(out) == 0 && ok;
        }
    }
    if (bitmap) {
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    if (!ok) {
        return driveFail("cannot save the screenshot %s", path.c_str());
    }
    driveLog("screenshot: %s", path.c_str());
    return true;
}
