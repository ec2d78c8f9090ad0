// The start-up dialogs: password, licence agreement and the administrator's note.
#pragma once

void runPasswordDialog();
void runLicenceDialog();
void runUserNoteDialog();
// True when the logged-in account has an expiry date before today (UTC).
bool isAccountExpired();
