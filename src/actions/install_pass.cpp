#include "actions/install_pass.h"

#include "actions/file_copy.h"
#include "removal/removal_log.h"
#include "script/text.h"
#include "script/variables.h"
#include "ui/resource_ids.h"

int ProgressPercent(long long step, int stages, int perStage) {
    // A [SetUp] disks value of -6 or below leaves no stage to count in; the bar
    // then stays at its start rather than dividing by zero or by a negative count.
    if (stages <= 0 || perStage <= 0) return 0;
    return static_cast<int>(step * 100 / stages / perStage);
}

void SendProgress(int percent) {
    if (!gState->ownerWindow) return;
    SendMessageA(gState->ownerWindow, WM_COMMAND, MAKEWPARAM(IDC_PROGRESS_BAR, percent & 0xFFFF), 0);
}

void ComponentSectionName(char (&out)[kSectionNameSize], const char* prefix, const ComponentEntry& component) {
    CopyText(out, prefix);
    if (!component.selected) AppendText(out, "!");
    AppendText(out, component.section);
}

void DrainMessageQueue() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

bool CancelRequested() {
    DrainMessageQueue();
    return gProcess.cancelFlag != 0;
}

namespace {

int Stages() { return gState->diskCount + 6; }

}  // namespace

int VisitDisk(char** keyFields, int, char**, int, void*) {
    CopyText(gState->currentDisk, keyFields[0]);
    int count = gState->componentCount;
    for (int i = 0; i < count; ++i) {
        char section[kSectionNameSize];
        ComponentSectionName(section, "", gState->components[i]);
        if (ForEachEntry(section, gProcess.scriptPath, ':', '/', CopyEntry, nullptr) == -1) return -1;
        long long step = static_cast<long long>(gState->diskIndex) * count + i + 1;
        SendProgress(ProgressPercent(step, Stages(), count));
    }
    gState->diskIndex++;
    return 0;
}

int RunActionStage() {
    int count = gState->componentCount;
    for (int k = 0; k < 6; ++k) {
        const ActionKind& kind = ActionTable[k];
        for (int j = 0; j < count; ++j) {
            if (kind.visitor) {
                char section[kSectionNameSize];
                ComponentSectionName(section, kind.prefix, gState->components[j]);
                if (ForEachEntry(section, gProcess.scriptPath, kind.keySeparator, kind.valueSeparator, kind.visitor,
                                 nullptr) == -1)
                    return -1;
            }
            long long step = (static_cast<long long>(k) + gState->diskCount) * count + j + 1;
            SendProgress(ProgressPercent(step, Stages(), count));
        }
    }
    return 0;
}

int RunInstallPass(HWND startingWindow) {
    gState->ownerWindow = startingWindow;
    gState->mainWindow = startingWindow;
    if (ReadPathVariables() == -1) return -1;

    if (!gProcess.removeMode)
        for (int i = 0; i < gState->variableCount && i < kMaxVariables; ++i)
            LogRemoval(PathVariable, gState->variables[i].name, gState->variables[i].value);

    gProcess.cancelFlag = 0;
    gProcess.yesToAll = GetPrivateProfileIntA("SetUp", "Y2AOverwrite", 0, gProcess.scriptPath) != 0;

    HWND progress = CreateDialogParamA(gProcess.libraryModule, MAKEINTRESOURCEA(IDD_PROGRESS), startingWindow,
                                       ProgressDialog, 0);
    gState->ownerWindow = progress;

    gState->diskCount = GetPrivateProfileIntA("SetUp", "disks", 1, gProcess.scriptPath);
    gState->diskIndex = 0;
    char firstDisk[64] = "";
    GetPrivateProfileStringA("disks", nullptr, "", firstDisk, sizeof firstDisk, gProcess.scriptPath);
    CopyText(gState->diskInDrive, firstDisk[0] ? firstDisk : "1");

    int result = ForEachEntry("disks", gProcess.scriptPath, 0, 0, VisitDisk, nullptr);
    if (result != -1) result = RunActionStage();

    if (progress) DestroyWindow(progress);
    return result == -1 ? -1 : 0;
}
