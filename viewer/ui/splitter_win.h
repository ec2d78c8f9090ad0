// The splitter bar between the tree and the file list, and its ghost window while dragged.
#pragma once

#include <windows.h>

void registerSplitterClass();
void splitterOnMouseMove(HWND mainWindow, int x, int y);
void splitterOnLeftButtonDown(HWND mainWindow, int x, int y);
void splitterOnLeftButtonUp(HWND mainWindow);
