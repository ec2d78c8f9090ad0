// The commands of the main window's menus, each carried out by the part that owns it.
#pragma once

void runOpenCommand();
void runOpenWithCommand();
void runExportCommand();
void runPropertiesCommand();
void runSearchCommand();
