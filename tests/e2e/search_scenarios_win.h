// Scenarios of the viewer's Search and Properties dialogs; each takes the work folder that holds
// the disc built from tests/e2e/discs/search.
#pragma once

#include <string>
#include <vector>

#include "drive_win.h"

typedef std::vector<std::string> Args;

bool searchAndGoto(Program& program, const Args& args);
bool properties(Program& program, const Args& args);
