// The install step of a run, written once for every way to it: from the
// component dialog, silently with every component the script lists, or
// quietly with the components the dialog would have preselected.
#pragma once
#include <windows.h>

#include "ui/component_dialog.h"

// What follows a pass that ran to its end.
struct RestartPolicy {
    bool offer;      // ask with the restart prompt
    bool unasked;    // restart without asking (a quiet run whose restart is due)
};

// The install pass started from `parent`, then, when it was not aborted, the
// restart as the policy says.
InstallOutcome InstallAndRestart(HWND parent, RestartPolicy policy);

// The silent install: every component of [choise] that is listed.
InstallOutcome RunSilentInstall(HWND parent, RestartPolicy policy);

// The quiet install: the components the component dialog would preselect.
InstallOutcome RunQuietInstall(HWND parent, RestartPolicy policy);

// The interactive install: the component dialog, whose OK runs the install
// step; after an aborted pass the dialog is there for another try.
InstallOutcome RunInteractiveInstall(HWND parent, RestartPolicy policy);
