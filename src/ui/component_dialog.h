// The component dialog: the user picks the components, and its OK hands over
// to the install step the run gave it.
#pragma once
#include <windows.h>

// How the install step of a run ended.
enum class InstallOutcome {
    Cancelled,  // the user left the component dialog without installing
    Aborted,    // the install pass was aborted
    Installed,  // the pass ran to its end; no restart
    Restart,    // the pass ran to its end and the user chose to restart
};

// What the dialog's OK runs once the selection is stored: the install pass
// and whatever follows it, with the dialog as the starting window.
struct InstallStep {
    InstallOutcome (*run)(HWND dialog, const void* context);
    const void* context;
};

// The component dialog (template 30). An aborted pass leaves it open for
// another try; any other end of the step ends it with that outcome.
InstallOutcome ShowComponentDialog(HWND parent, const InstallStep& install);
