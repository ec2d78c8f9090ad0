// Steps that the export and corpus scenarios share: reading files back, starting and logging in
// to the viewer, answering its message boxes, choosing from its menus, and confirming the real
// folder browser for an export folder below C:\orvanta-e2e.
#pragma once

#include <string>
#include <vector>

#include "drive_win.h"

const int IDC_PASSWORD_EDIT = 1001;
const int TREE_ID = 2, LIST_ID = 3;
const int CMD_EXIT = 40005;

bool readBytes(const std::string& path, std::string* bytes);
bool isFolder(const std::string& path);
// The exported file equals the original that the disc was built from.
bool expectSameFile(const std::string& exported, const std::string& original);
bool expectMissing(const std::string& path);
bool makeFolder(const std::string& path);

// Starts the viewer of WORK_DIR in folder, logs in with password and returns the main window.
HWND startAndLogIn(Program& program, const std::string& work, const std::string& folder, const char* password);
// Waits for a message box with this title and text and presses OK.
bool answerBox(Program& program, const char* title, const std::string& text);
// Confirms the folder browser on folder (below C:\orvanta-e2e), selecting it by hand when
// Wine's browser lost the selection that the viewer asked for.
bool confirmFolderBrowser(Program& program, const std::string& folder);
bool chooseFromMenu(Program& program, const char* entry);
bool rightClickTreeNode(HWND main, const char* path);
bool exitViewer(Program& program, HWND main);

void removeTree(const std::string& folder);
// A fresh, empty folder C:\orvanta-e2e\NAME: Wine's folder browser selects the current
// directory only a few levels deep, so the work folder itself is too deep for it.
std::string freshExportFolder(const char* name);
