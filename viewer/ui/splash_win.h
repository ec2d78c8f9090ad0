// The full-screen splash window and the start-up dialogs it hosts.
#pragma once

// 1 when the user was let in, 0 when the password dialog was cancelled or the licence declined.
int runSplashScreen();
