// The block through which drive_hook.dll, loaded into a program under test, hands a menu's entries
// back to the driver: menus can only be read from inside the process that owns them.
#pragma once

#include <windows.h>

#define DRIVE_HOOK_MAX_ITEMS 64
#define DRIVE_HOOK_TEXT 128

struct DriveHookMenuItem {
    UINT id;
    UINT state;
    UINT type;
    char text[DRIVE_HOOK_TEXT];
};

struct DriveHookMenuBlock {
    HMENU menu;
    LONG count;
    DriveHookMenuItem items[DRIVE_HOOK_MAX_ITEMS];
};
