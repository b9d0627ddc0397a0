// The one record that the dialogs, the section visitors and the actions share,
// and the process-wide values beside it. Rows are appended at the count; the
// table capacities are real limits, so every writer goes through the Add*
// helpers or checks the count itself.
#pragma once
#include <windows.h>

#include "base/script_tables.h"
#include "base/wide_text.h"

// What one install pass works with: reset as a whole when a pass starts.
struct PassState {
    HWND ownerWindow;      // owns message boxes and the actions' dialogs: the progress dialog
    HWND mainWindow;       // the window that started the pass
    HWND ddeConversation;  // the client window talking to Program Manager, once a group entry opened it
    int yesToAll;          // overwrite without asking
    int cancelFlag;        // the user cancelled the pass
};

// The script's tables, and the pass that works with them.
struct SetupState : ScriptTables {
    PassState pass;
};

// Values that live beside the record for the whole process.
struct ProcessValues {
    HINSTANCE ownModule;
    HINSTANCE libraryModule;
    char scriptPath[kPathBytes];      // temporary copy of the script
    char mediaDirectory[kPathBytes];  // always ends with a backslash once set
    int removeMode;
};

extern SetupState* gState;
extern ProcessValues gProcess;

// Allocates the zero-filled record into gState (and its tables into
// gTables); false when memory is short.
bool CreateSetupState();
void ReleaseSetupState();

// The window that owns message boxes: the pass's owner, or none before the
// record exists.
HWND OwnerWindow();
