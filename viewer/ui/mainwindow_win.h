// The main window: header strip, folder tree, file list, splitter bar and status bar, its menu
// commands, the About boxes and the exit clean-up.
#pragma once

#include <windows.h>

constexpr WORD CMD_PROPERTIES = 7654;
constexpr WORD CMD_OPEN_WITH = 7655;
constexpr WORD CMD_EXPORT = 7656;
constexpr WORD CMD_OPEN = 7657;

// Creates the window and runs its loop; 0 when a part of it cannot be created.
int runMainWindow();

// Ends the viewer: recent documents, temporary copies, releases, exit code 0. Does not return.
[[noreturn]] void exitViewer();
