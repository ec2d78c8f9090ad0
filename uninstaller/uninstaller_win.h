// The uninstaller's Win32 routines, shared by its source files.
#pragma once

#include <cstddef>

// Reads one value of the user's shell-folders key into buffer; the buffer, or null when the
// value is missing or holds no usable absolute path.
const char* getShellFolder(const char* valueName, char* buffer, size_t bufferSize);

// Deletes the desktop and Start-menu shortcuts and the Start-menu folders.
void removeShortcutsAndMenuFolders();

// Empties and removes the folder that holds the uninstaller, unless it is a protected folder.
void removeProgramFolder();

// Deletes everything inside folder, recursively, and leaves folder itself.
void emptyFolder(const char* folder);

// Removes an emptied folder; a read-only bit that would stop the removal is cleared first and
// put back when the folder stays anyway.
void removeEmptiedFolder(const char* folder);
