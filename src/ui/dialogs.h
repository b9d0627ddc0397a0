// The dialogs that frame a run, and the background window behind them.
#pragma once
#include <windows.h>

// Welcome (template 1): 6 for button 1, 7 for button 2 or the close box.
int ShowWelcomeDialog(HWND parent);
// Licence (template 10) showing the file's bytes: 1 accepted, 2 declined.
int ShowLicenceDialog(HWND parent, const char* licencePath);
// Restart prompt (template 80): 6 restart, 7 not.
int ShowRestartPrompt(HWND parent);

// The maximised background window; null when it cannot be made.
HWND CreateBackgroundWindow();
