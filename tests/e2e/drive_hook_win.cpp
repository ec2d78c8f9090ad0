// drive_hook.dll: loaded by the driver into a program under test (a remote LoadLibraryA) so that
// a thread started there can read a menu of that program into a DriveHookMenuBlock.
#include "drive_hook_win.h"

extern "C" __declspec(dllexport) DWORD WINAPI driveReadMenu(void* parameter) {
    DriveHookMenuBlock* block = static_cast<DriveHookMenuBlock*>(parameter);
    int count = GetMenuItemCount(block->menu);
    block->count = count;
    if (count < 0) {
        return 0;
    }
    for (int i = 0; i < count && i < DRIVE_HOOK_MAX_ITEMS; ++i) {
        DriveHookMenuItem* item = &block->items[i];
        MENUITEMINFOA info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_ID | MIIM_STATE | MIIM_FTYPE | MIIM_STRING;
        info.dwTypeData = item->text;
        info.cch = DRIVE_HOOK_TEXT;
        item->text[0] = '\0';
        if (!GetMenuItemInfoA(block->menu, i, TRUE, &info)) {
            return 0;
        }
        item->id = info.wID;
        item->state = info.fState;
        item->type = info.fType;
    }
    return 1;
}

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
