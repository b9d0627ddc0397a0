#include "run/install_step.h"

#include "actions/install_pass.h"
#include "base/results.h"
#include "base/run_outcome.h"
#include "base/run_log.h"
#include "base/setup_state.h"
#include "ui/sections.h"
#include "ui/choise_entry.h"
#include "ui/component_dialog.h"
#include "ui/run_dialogs.h"

namespace {

void LogComponents() {
    for (int i = 0; i < gState->componentCount && i < kMaxComponents; ++i)
        LogLine("Component %s [%s]: %s", {TextArgument(gState->components[i].label),
                                          TextArgument(gState->components[i].section),
                                          TextArgument(gState->components[i].selected ? "selected" : "left out")});
}

}  // namespace

InstallOutcome InstallAndRestart(HWND parent, RestartPolicy policy) {
    LogComponents();
    if (RunInstallPass(parent) == StepResult::Abort) return InstallOutcome::Aborted;
    if (policy.unasked) return InstallOutcome::Restart;
    if (!policy.offer) return InstallOutcome::Installed;
    bool restart = ShowRestartPrompt(parent) == Answer::Yes;
    LogLine("Installation Complete: %s", {TextArgument(restart ? "Restart Now" : "Later")});
    return restart ? InstallOutcome::Restart : InstallOutcome::Installed;
}

namespace {

// Reads [choise] without a dialog; false after Cancel on an entry that does not fit.
bool ReadComponents(EntryVisitor visitor) {
    return ForEachEntry("choise", gProcess.scriptPath, '/', '|', visitor, nullptr) != StepResult::Abort ||
           NotedEndReason() == EndReason::None;
}

}  // namespace

InstallOutcome RunSilentInstall(HWND parent, RestartPolicy policy) {
    // No component list: every component the [choise] visitor takes is installed.
    if (!ReadComponents(ChoiseEntry)) return InstallOutcome::Cancelled;
    return InstallAndRestart(parent, policy);
}

InstallOutcome RunQuietInstall(HWND parent, RestartPolicy policy) {
    if (!ReadComponents(PreselectedChoiseEntry)) return InstallOutcome::Cancelled;
    return InstallAndRestart(parent, policy);
}

InstallOutcome RunInteractiveInstall(HWND parent, RestartPolicy policy) {
    ComponentDialog dialog(parent);
    // The dialog stays while the pass runs; after an aborted pass the user
    // may choose again.
    for (;;) {
        if (dialog.WaitForChoice() == ComponentChoice::Cancel) {
            LogLine("Component dialog: Cancel");
            return InstallOutcome::Cancelled;
        }
        InstallOutcome outcome = InstallAndRestart(dialog.window(), policy);
        if (outcome != InstallOutcome::Aborted) return outcome;
    }
}
