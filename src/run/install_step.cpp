#include "run/install_step.h"

#include "actions/install_pass.h"
#include "base/format_text.h"
#include "base/results.h"
#include "base/run_outcome.h"
#include "base/run_log.h"
#include "base/run_switches.h"
#include "base/setup_state.h"
#include "run/answers_file.h"
#include "ui/sections.h"
#include "ui/choise_entry.h"
#include "ui/component_dialog.h"
#include "ui/messages.h"
#include "ui/run_dialogs.h"

namespace {

void LogComponents() {
    for (int i = 0; i < gState->componentCount && i < kMaxComponents; ++i)
        LogLine("Component %s [%s]: %s", {TextArgument(gState->components[i].label),
                                          TextArgument(gState->components[i].section),
                                          TextArgument(gState->components[i].selected ? "selected" : "left out")});
}

// The components given for the run (/components=) must all be there: one
// that is not is said before anything changes.
bool ComponentsAnswered(HWND owner) {
    char unknown[kAnswerTextSize];
    if (ComponentAnswersListed(unknown)) return true;
    char text[kAnswerTextSize + 16];
    FormatText(text, sizeof text, "/components=%s", {TextArgument(unknown)});
    ReportMessage(owner, kMsgNoSuchChoice, kStyleStop, text);
    return false;
}

}  // namespace

InstallOutcome InstallAndRestart(HWND parent, RestartPolicy policy) {
    LogComponents();
    if (RunInstallPass(parent) == StepResult::Abort) return InstallOutcome::Aborted;
    // The answers of a pass that ran to its end, for the next machine.
    if (gSwitches.recordPath[0] && !WhatIfRun() && !RecordAnswers(gSwitches.recordPath)) {
        ReportMessage(parent, kMsgCannotCreateFile, kStyleStop, gSwitches.recordPath);
        return InstallOutcome::Aborted;
    }
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
    if (!ComponentsAnswered(parent)) return InstallOutcome::Aborted;
    return InstallAndRestart(parent, policy);
}

InstallOutcome RunQuietInstall(HWND parent, RestartPolicy policy) {
    if (!ReadComponents(PreselectedChoiseEntry)) return InstallOutcome::Cancelled;
    if (!ComponentsAnswered(parent)) return InstallOutcome::Aborted;
    return InstallAndRestart(parent, policy);
}

InstallOutcome RunInteractiveInstall(HWND parent, RestartPolicy policy) {
    ComponentDialog dialog(parent);
    if (!ComponentsAnswered(parent)) return InstallOutcome::Aborted;
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
