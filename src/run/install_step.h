// The install step of a run, written once for both ways to it: from the
// component dialog, or silently with every component the script lists.
#pragma once
#include <windows.h>

#include "ui/component_dialog.h"

// The install pass started from `parent`, then, when it was not aborted and
// offerRestart is set, the restart prompt.
InstallOutcome InstallAndOfferRestart(HWND parent, bool offerRestart);

// The silent install: the components of [choise], then the install step with
// the restart prompt only when reboot is nonzero.
InstallOutcome RunSilentInstall(HWND parent, int reboot);

// The interactive install: the component dialog, whose OK runs the install
// step and always offers the restart.
InstallOutcome RunInteractiveInstall(HWND parent);
