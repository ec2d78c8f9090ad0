// Loads the payload appended to the viewer's own executable into AppState.
#pragma once

#include "startup/users.h"

extern UserList userList;

// True when the viewer may go on; false after an error box has been shown.
bool loadPayload();

// Undoes the in-place scrambling of the three values the program carries.
void unscrambleStoredValues();
