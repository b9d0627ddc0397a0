// The dialogs that frame a run: welcome, licence and the restart prompt.
#pragma once
#include <windows.h>

#include "ui/messages.h"

// Welcome (template 1): Yes for button 1, No for button 2 or the close box.
Answer ShowWelcomeDialog(HWND parent);
// Licence (template 10) showing the file's bytes: Ok accepted, Cancel declined.
Answer ShowLicenceDialog(HWND parent, const char* licencePath);
// Restart prompt (template 80): Yes restart, No not.
Answer ShowRestartPrompt(HWND parent);
