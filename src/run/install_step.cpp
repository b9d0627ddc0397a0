#include "run/install_step.h"

#include "actions/install_pass.h"
#include "base/results.h"
#include "base/setup_state.h"
#include "script/sections.h"
#include "ui/choise_entry.h"
#include "ui/component_dialog.h"
#include "ui/run_dialogs.h"

InstallOutcome InstallAndOfferRestart(HWND parent, bool offerRestart) {
    if (RunInstallPass(parent) == kAbort) return InstallOutcome::Aborted;
    if (!offerRestart) return InstallOutcome::Installed;
    return ShowRestartPrompt(parent) == IDYES ? InstallOutcome::Restart : InstallOutcome::Installed;
}

InstallOutcome RunSilentInstall(HWND parent, int reboot) {
    // No component list: every component the [choise] visitor takes is installed.
    ForEachEntry("choise", gProcess.scriptPath, '/', '|', ChoiseEntry, nullptr);
    return InstallAndOfferRestart(parent, reboot != 0);
}

namespace {

InstallOutcome InstallFromDialog(HWND dialog) { return InstallAndOfferRestart(dialog, true); }

}  // namespace

InstallOutcome RunInteractiveInstall(HWND parent) { return ShowComponentDialog(parent, InstallFromDialog); }
