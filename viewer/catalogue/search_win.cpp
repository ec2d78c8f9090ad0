#include "ui/commands_win.h"

void runSearchCommand() {}
