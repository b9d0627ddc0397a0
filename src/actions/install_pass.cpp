#include "actions/install_pass.h"

#include "actions/action_table.h"
#include "actions/copy_entry.h"
#include "actions/dde_client.h"
#include "actions/expand_copy.h"
#include "actions/progress_dialog.h"
#include "base/resource_ids.h"
#include "base/results.h"
#include "base/run_log.h"
#include "base/run_outcome.h"
#include "base/run_switches.h"
#include "base/setup_state.h"
#include "base/status_lines.h"
#include "base/text.h"
#include "removal/removal_log.h"
#include "script/sections.h"
#include "ui/path_variables.h"

int ProgressPercent(long long step, int stages, int perStage) {
    // A [SetUp] disks value of -6 or below leaves no stage to count in; the bar
    // then stays at its start rather than dividing by zero or by a negative count.
    if (stages <= 0 || perStage <= 0) return 0;
    return static_cast<int>(step * 100 / stages / perStage);
}

void ComponentSectionName(char (&out)[kSectionNameSize], const char* prefix, const ComponentEntry& component) {
    CopyText(out, prefix);
    if (!component.selected) AppendText(out, "!");
    AppendText(out, component.section);
}

namespace {

int Stages() { return gState->pass.diskCount + 6; }

}  // namespace

int VisitDisk(char** keyFields, int, char**, int, void*) {
    PassState& pass = gState->pass;
    // A cut key would match none of the copy entries of its disk: the disk
    // is put to the user rather than passed over unseen.
    if (!CopyText(pass.currentDisk, keyFields[0])) {
        pass.currentDisk[0] = '\0';
        return ReportEntry(kMsgCannotCarryOut) == kAbort ? kAbort : kGoOn;
    }
    int count = gState->componentCount;
    for (int i = 0; i < count; ++i) {
        char section[kSectionNameSize];
        ComponentSectionName(section, "", gState->components[i]);
        int walked = ForEachEntry(section, gProcess.scriptPath, ':', '/', CopyEntry, nullptr);
        // The component's last file is whole before the bar counts it.
        if (LandCopyInFlight() == kAbort || walked == kAbort) return kAbort;
        long long step = static_cast<long long>(pass.diskIndex) * count + i + 1;
        SendProgress(ProgressPercent(step, Stages(), count));
    }
    pass.diskIndex++;
    return kGoOn;
}

int RunActionStage() {
    int count = gState->componentCount;
    for (int k = 0; k < 6; ++k) {
        const ActionKind& kind = ActionTable[k];
        for (int j = 0; j < count; ++j) {
            char section[kSectionNameSize];
            ComponentSectionName(section, kind.prefix, gState->components[j]);
            if (ForEachEntry(section, gProcess.scriptPath, kind.keySeparator, kind.valueSeparator, kind.visitor,
                             nullptr) == kAbort)
                return kAbort;
            long long step = (static_cast<long long>(k) + gState->pass.diskCount) * count + j + 1;
            SendProgress(ProgressPercent(step, Stages(), count));
        }
    }
    return kGoOn;
}

namespace {

int RunPass(HWND startingWindow);

}  // namespace

int RunInstallPass(HWND startingWindow) {
    // A new try: what ended an earlier pass no longer says how this one ends.
    ClearEndReason();
    LogLine("Install pass started");
    int result = RunPass(startingWindow);
    // Whatever comes after the pass finds the log's file free.
    ReleaseRemovalLog();
    LogLine("Install pass %s", {TextArgument(result == kAbort ? "aborted" : "completed")});
    return result;
}

namespace {

int RunPass(HWND startingWindow) {
    // A run that must stop makes no change, not even the log's first records.
    if (RunStopped()) return kAbort;
    PassState& pass = gState->pass;
    pass = PassState{};
    // A quiet run shows no window: its messages have no owner.
    pass.ownerWindow = QuietRun() ? nullptr : startingWindow;
    pass.mainWindow = startingWindow;
    if (ReadPathVariables() == kAbort || RunStopped()) return kAbort;
    for (int i = gState->regVariableCount; i < gState->variableCount && i < kMaxVariables; ++i)
        LogLine("Path %s = %s", {TextArgument(gState->variables[i].name), TextArgument(gState->variables[i].value)});

    // The first records of the pass: a log that cannot be written shows here,
    // before anything has been changed.
    if (!gProcess.removeMode)
        for (int i = 0; i < gState->variableCount && i < kMaxVariables; ++i)
            if (LogRemoval(PathVariable, gState->variables[i].name, gState->variables[i].value) == kAbort)
                return kAbort;

    pass.yesToAll = GetPrivateProfileIntA("SetUp", "Y2AOverwrite", 0, gProcess.scriptPath) != 0;

    HWND progress = QuietRun() ? nullptr
                               : CreateDialogParamA(gProcess.libraryModule, MAKEINTRESOURCEA(IDD_PROGRESS),
                                                    startingWindow, ProgressDialog, 0);
    pass.ownerWindow = progress;

    pass.diskCount = GetPrivateProfileIntA("SetUp", "disks", 1, gProcess.scriptPath);
    char firstDisk[64] = "";
    GetPrivateProfileStringA("disks", nullptr, "", firstDisk, sizeof firstDisk, gProcess.scriptPath);
    CopyText(pass.diskInDrive, firstDisk[0] ? firstDisk : "1");

    int result = ForEachEntry("disks", gProcess.scriptPath, 0, 0, VisitDisk, nullptr);
    if (result != kAbort) result = RunActionStage();

    // The last entry's status stays on the screen until the window goes.
    PaintPendingStatus();
    if (progress) DestroyWindow(progress);
    // The conversation belongs to the pass, like every other value of it: a
    // later pass opens its own.
    CloseDdeConversation(pass.ddeConversation);
    pass.ddeConversation = nullptr;
    return result == kAbort ? kAbort : kGoOn;
}

}  // namespace
