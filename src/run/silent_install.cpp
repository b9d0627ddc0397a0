#include "actions/install_pass.h"
#include "run/run.h"
#include "run/setup_state.h"
#include "script/sections.h"
#include "ui/components.h"
#include "ui/dialogs.h"

bool RunSilentInstall(HWND parent, int reboot) {
    // No component list: every component the [choise] visitor takes is installed.
    ForEachEntry("choise", gProcess.scriptPath, '/', '|', ChoiseEntry, nullptr);
    if (RunInstallPass(parent) == -1 || !reboot) return false;
    return ShowRestartPrompt(parent) == IDYES;
}
