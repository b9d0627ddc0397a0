#include "run/run_flow.h"

#include "base/held_file.h"
#include "base/messages.h"
#include "base/results.h"
#include "base/setup_state.h"
#include "base/text.h"
#include "run/install_step.h"
#include "run/run_directory.h"
#include "run/run_lock.h"
#include "script/reg_variables.h"
#include "script/script_file.h"
#include "script/sections.h"
#include "ui/background_window.h"
#include "ui/component_dialog.h"
#include "ui/option_groups.h"
#include "ui/resource_library.h"
#include "ui/run_dialogs.h"

const char* CommandLineText(const char* line) {
    if (!line) return "";
    const unsigned char* at = reinterpret_cast<const unsigned char*>(line);
    if (*at == '"') {
        ++at;
        while (*at && *at != '"') ++at;
        if (*at == '"') ++at;
    } else {
        while (*at > 32) ++at;
    }
    while (*at >= 1 && *at <= 32) ++at;
    return reinterpret_cast<const char*>(at);
}

void RestartWindows() {
    HANDLE token = nullptr;
    TOKEN_PRIVILEGES privileges = {};
    if (OpenProcessToken(GetCurrentProcess(), TOKEN_WRITE | TOKEN_QUERY, &token) &&
        LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &privileges.Privileges[0].Luid)) {
        privileges.PrivilegeCount = 1;
        privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
        AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr);
    }
    if (token) CloseHandle(token);
    ExitWindowsEx(EWX_REBOOT, 0);
}

namespace {

// What the run has made so far; the clean-up releases exactly these, newest first.
struct RunResources {
    RunDirectory directory;
    HeldFile libraryCopy;
    HeldFile scriptCopy;
    HeldFile licenceCopy;
    HWND background = nullptr;

    ~RunResources() {
        licenceCopy.Release();
        if (background) DestroyWindow(background);
        scriptCopy.Release();
        gProcess.scriptPath[0] = '\0';
        if (gProcess.libraryModule) FreeLibrary(gProcess.libraryModule);
        gProcess.libraryModule = nullptr;
        libraryCopy.Release();
        directory.Remove();
        ReleaseSetupState();
    }
};

// The program's directory becomes the media directory, ending in a backslash.
void FindMediaDirectory() {
    char own[MAX_PATH] = "";
    GetModuleFileNameA(gProcess.ownModule, own, sizeof own);
    char* filePart = nullptr;
    DWORD n = GetFullPathNameA(own, sizeof gProcess.mediaDirectory, gProcess.mediaDirectory, &filePart);
    if (n == 0 || n >= sizeof gProcess.mediaDirectory) CopyText(gProcess.mediaDirectory, own);
    else if (filePart) *filePart = '\0';
    AddBackslash(gProcess.mediaDirectory);
}

int SetUpKey(const char* key, int fallback) {
    return GetPrivateProfileIntA("SetUp", key, fallback, gProcess.scriptPath);
}

// Steps after the opening dialogs; returns the exit code and sets restart.
int RunScript(HWND background, bool& restart);

}  // namespace

int RunSetup(HINSTANCE ownModule, const char* commandText) {
    gProcess.ownModule = ownModule;
    if (!CreateSetupState()) {
        ReportMessage(nullptr, kMsgNoMemory, kStyleStop);
        return 0;
    }
    char scriptName[MAX_PATH] = "SETUP.INF";
    if (commandText && *commandText && !CopyText(scriptName, commandText)) {
        // A name that long cannot be a file the platform opens: refuse it whole.
        ReportMessage(nullptr, kMsgCannotOpen, kStyleStop, scriptName);
        ReleaseSetupState();
        return 0;
    }

    RunLock lock;
    if (!lock.Take()) {
        ReleaseSetupState();
        return 0;
    }

    bool restart = false;
    int exitCode = 0;
    {
        RunResources made;
        if (!made.directory.Create()) return 0;
        if (made.directory.Fetch("STP.DLL", "STP.DLL", made.libraryCopy) != 0) return 0;
        gProcess.libraryModule = LoadResourceLibrary(made.libraryCopy.path());
        if (!gProcess.libraryModule) return 0;
        if (made.directory.Fetch(scriptName, "SETUP.INF", made.scriptCopy) != 0) return 0;
        CopyText(gProcess.scriptPath, made.scriptCopy.path());
        // A file that is no script would show an empty component list.
        if (!IsScriptFile(gProcess.scriptPath)) {
            ReportMessage(nullptr, kMsgNotAScript, kStyleStop, scriptName);
            return 0;
        }
        made.background = CreateBackgroundWindow();
        if (!made.background) return 0;
        if (ShowWelcomeDialog(made.background) == IDNO) return 0;
        if (SetUpKey("license", 0) == 1) {
            if (made.directory.Fetch("LICENSE.TXT", "LICENSE.TXT", made.licenceCopy) != 0) return 0;
            if (ShowLicenceDialog(made.background, made.licenceCopy.path()) == IDCANCEL) return 0;
        }
        FindMediaDirectory();
        gProcess.removeMode = SetUpKey("remove", 0);
        exitCode = RunScript(made.background, restart);
    }
    if (restart) RestartWindows();
    return exitCode;
}

namespace {

int RunScript(HWND background, bool& restart) {
    restart = false;
    gState->optionGroupCount = 0;
    ForEachEntry("options", gProcess.scriptPath, 0, 0, OptionsEntry, nullptr);
    if (gState->optionGroupCount > 0 && ShowOptionDialog(background) == IDCANCEL) return 0;

    // -1 only when [reg] could not be read at all: the run ends with exit code -1.
    if (ReadRegVariables() == kAbort) return -1;

    int silent = SetUpKey("silent", 0);
    int reboot = SetUpKey("reboot", 1);
    InstallOutcome outcome = silent ? RunSilentInstall(background, reboot) : RunInteractiveInstall(background);
    restart = outcome == InstallOutcome::Restart;
    return 0;
}

}  // namespace
