// The dialogs that frame a run: welcome, licence and the restart prompt.
#pragma once
#include <windows.h>

// Welcome (template 1): IDYES for button 1, IDNO for button 2 or the close box.
int ShowWelcomeDialog(HWND parent);
// Licence (template 10) showing the file's bytes: IDOK accepted, IDCANCEL declined.
int ShowLicenceDialog(HWND parent, const char* licencePath);
// Restart prompt (template 80): IDYES restart, IDNO not.
int ShowRestartPrompt(HWND parent);
