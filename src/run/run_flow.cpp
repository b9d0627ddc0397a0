#include "run/run_flow.h"

#include "base/format_text.h"
#include "base/held_file.h"
#include "actions/undo_journal.h"
#include "base/media_source.h"
#include "ui/messages.h"
#include "base/results.h"
#include "base/run_log.h"
#include "base/run_outcome.h"
#include "base/run_switches.h"
#include "base/setup_state.h"
#include "base/text.h"
#include "base/text_compare.h"
#include "base/whole_files.h"
#include "removal/removal_log.h"
#include "removal/removal_script.h"
#include "run/answers_file.h"
#include "run/command_switches.h"
#include "run/install_step.h"
#include "run/removal_cleanup.h"
#include "run/run_directory.h"
#include "run/run_lock.h"
#include "ui/reg_variables.h"
#include "script/script_file.h"
#include "ui/sections.h"
#include "ui/background_window.h"
#include "ui/branding.h"
#include "ui/component_dialog.h"
#include "ui/option_groups.h"
#include "ui/path_variables.h"
#include "ui/resource_library.h"
#include "ui/run_dialogs.h"
#include "base/scoped_handles.h"
#include "base/file_system.h"
#include "base/wide_text.h"
#include "run/script_encoding.h"

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

std::string ProgramCommandLine() { return Narrow(GetCommandLineW()); }

void RestartWindows() {
    ScopedHandle token;
    TOKEN_PRIVILEGES privileges = {};
    if (OpenProcessToken(GetCurrentProcess(), TOKEN_WRITE | TOKEN_QUERY, token.Receive()) &&
        LookupPrivilegeValueW(nullptr, L"SeShutdownPrivilege", &privileges.Privileges[0].Luid)) {
        privileges.PrivilegeCount = 1;
        privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
        AdjustTokenPrivileges(token.get(), FALSE, &privileges, 0, nullptr, nullptr);
    }
    ExitWindowsEx(EWX_REBOOT, 0);
}

namespace {

// What the run has made so far; the clean-up releases exactly these, newest first.
struct RunResources {
    RunDirectory directory;
    HeldFile libraryCopy;
    HeldFile scriptCopy;
    HeldFile licenceCopy;
    HeldFile pictureCopy;
    char scriptSource[kPathBytes] = "";  // the script the copy came from
    HWND background = nullptr;

    ~RunResources() {
        licenceCopy.Release();
        if (background) DestroyWindow(background);
        background = nullptr;
        ReleaseBranding();
        pictureCopy.Release();
        scriptCopy.Release();
        gProcess.scriptPath[0] = '\0';
        if (gProcess.libraryModule) FreeLibrary(gProcess.libraryModule);
        gProcess.libraryModule = nullptr;
        libraryCopy.Release();
        directory.Remove();
        CloseMedia();
        ReleaseSetupState();
    }
};

int SetUpKey(const char* key, int fallback) {
    return GetPrivateProfileIntW(L"SetUp", Wide(key).c_str(), fallback, Wide(gProcess.scriptPath).c_str());
}

// [SetUp] rebootprompt=needed: the restart question only when `reboot` says
// the product needs a restart. Anything else asks as ever.
bool ScriptSaysRestartWhenNeeded() {
    wchar_t value[16] = L"";
    GetPrivateProfileStringW(L"SetUp", L"rebootprompt", L"", value, 16, Wide(gProcess.scriptPath).c_str());
    return CompareNoCase(Narrow(value).c_str(), "needed") == 0;
}

// The log the command line asked for, its missing directories made. A log
// that cannot be made is put to the user like any file that cannot be
// created: Ignore runs without it; Abort, and so a quiet run, ends the run
// before it changes anything.
bool OpenRunLog(RunLogFile& log) {
    if (!gSwitches.logPath[0]) return true;
    while (!log.Open(gSwitches.logPath)) {
        Answer answer = ReportMessage(nullptr, kMsgCannotCreateFile, kStyleAbortRetryIgnore, gSwitches.logPath);
        if (answer != Answer::Retry) return answer == Answer::Ignore;
    }
    return true;
}

// How a run ended: its exit code, whether Windows is to restart now, and
// what a completed removal leaves to clean up.
struct RunEnd {
    int exitCode;
    bool restart;
    CleanupPlan cleanup;
};

// A run that ends without a restart and leaves nothing to clean up.
RunEnd Ended(int exitCode) { return {exitCode, false, {}}; }

// An answer given for the run that the script does not offer: said before
// anything changes, and the run fails.
RunEnd RefuseAnswer(const char* given, const char* value) {
    char text[kAnswerTextSize + 32];
    FormatText(text, sizeof text, "%s%s", {TextArgument(given), TextArgument(value)});
    ReportMessage(nullptr, kMsgNoSuchChoice, kStyleStop, text);
    return Ended(IncompleteExitCode(EndReason::Failed));
}

// The run's copy of its script, made readable for the profile functions
// (script_encoding.h), and a removal log made whole for its removal run.
bool CompleteScriptCopy(const char* path) { return ScriptReadableByProfile(path) && CompleteRemovalScript(path); }

// The opening: the temporary copies, the background, welcome and licence.
// True when the run goes on; otherwise false with the run's exit code.
bool OpenRun(RunResources& made, const char* scriptName, int& exitCode);

// Steps after the opening dialogs; scriptSource is the file the script was read from.
RunEnd RunScript(HWND background, const char* scriptSource);

RunEnd Run(const char* scriptText) {
    if (!CreateSetupState()) {
        ReportMessage(nullptr, kMsgNoMemory, kStyleStop);
        return Ended(kExitFailed);
    }
    char scriptName[kPathBytes] = "SETUP.INF";
    std::wstring wideName = Wide(scriptText);
    if (scriptText && *scriptText && (!CopyText(scriptName, scriptText) || wideName.size() >= MAX_PATH)) {
        // A name that long cannot be a file the platform opens: refuse it
        // whole, named by as much as a path holds.
        wideName.resize(MAX_PATH - 1);
        FromWide(wideName.c_str(), scriptName);
        ReportMessage(nullptr, kMsgCannotOpen, kStyleStop, scriptName);
        ReleaseSetupState();
        return Ended(kExitFailed);
    }
    LogLine("Script: %s", {TextArgument(scriptName)});

    RunLock lock;
    if (!lock.Take()) {
        ReleaseSetupState();
        return Ended(IncompleteExitCode(EndReason::Cancelled));
    }
    RunResources made;
    int exitCode = kExitFailed;
    if (!OpenRun(made, scriptName, exitCode)) return Ended(exitCode);
    return RunScript(made.background, made.scriptSource);
}

}  // namespace

LogRefusal AskAboutTheLog(const char* path) {
    Answer answer = ReportMessage(OwnerWindow(), kMsgCannotWriteRunLog, kStyleAbortRetryIgnore, path);
    return answer == Answer::Retry    ? LogRefusal::Retry
           : answer == Answer::Ignore ? LogRefusal::GoOnWithout
                                      : LogRefusal::Stop;
}

int RunSetup(HINSTANCE ownModule, const char* commandText) {
    gProcess.ownModule = ownModule;
    int helper = RunCleanupHelper(commandText);
    if (helper != kNoHelper) return helper;
    const char* scriptText = ReadSwitches(commandText, &gSwitches);
    RunLogFile log;
    SetLogRefusalHandler(AskAboutTheLog);
    if (!OpenRunLog(log)) return kExitLogUnavailable;
    LogLine("SetUp started: %s", {TextArgument(ProgramCommandLine().c_str())});
    RunEnd end = Run(scriptText);
    // The cleanup, a restart or the next run may delete or replace the log.
    ReleaseRemovalLog();
    CleanUpAfterRemoval(end.cleanup, end.restart);
    if (end.restart) LogLine("Restarting Windows");
    LogLine("Exit code %d", {NumberArgument(end.exitCode)});
    log.Close();
    if (end.restart) RestartWindows();
    return end.exitCode;
}

namespace {

// The product's picture ([SetUp] picture) into the run's directory, for the
// background. Without it the library's picture is shown: a run does not end
// for want of a picture.
void FetchPicture(RunResources& made, const StartupSearch& search, const char* name) {
    char place[kPathBytes], source[kPathBytes];
    BY_HANDLE_FILE_INFORMATION info;
    if (!StartupFilePlace(search, name, place) || !MediaFileInfo(place, &info) ||
        !made.directory.Fetch(search, name, "PICTURE.BMP", made.pictureCopy, source) ||
        !UseBrandingPicture(made.pictureCopy.path()))
        LogLine("The picture %s cannot be shown: the library's is", {TextArgument(name)});
}

// The media the run reads: the container the program's own file carries, or
// a folder. A container that is not sound ends the run before it makes
// anything.
bool OpenRunMedia() {
    char own[kPathBytes];
    BundleStatus status = BundleStatus::kUnreadable;
    MediaKind kind = ModuleFileName(gProcess.ownModule, own) ? OpenMedia(own, &status) : MediaKind::Folder;
    if (kind == MediaKind::Carried) {
        LogLine("Media: carried in %s, %d files", {TextArgument(own), NumberArgument(long(CarriedFileCount()))});
        return true;
    }
    if (status != BundleStatus::kNone)
        LogLine("Media: %s: %s", {TextArgument(own), TextArgument(DescribeBundleStatus(status))});
    if (kind == MediaKind::Folder) return true;
    ReportMessage(nullptr, kMsgInstallerDamaged, kStyleStop);
    return false;
}

bool OpenRun(RunResources& made, const char* scriptName, int& exitCode) {
    exitCode = kExitFailed;
    if (gSwitches.answersPath[0] && !ReadAnswersFile(gSwitches.answersPath, &gSwitches.answers)) {
        ReportMessage(nullptr, kMsgCannotOpen, kStyleStop, gSwitches.answersPath);
        return false;
    }
    if (!OpenRunMedia() || !made.directory.Create()) return false;
    StartupSearch search = FindStartupSearch();
    LogLine("Elevated: %s", {TextArgument(search.elevated ? "yes" : "no")});
    // At start-up Abort and Ignore alike end the run.
    char source[kPathBytes];
    if (!made.directory.Fetch(search, "STP.DLL", "STP.DLL", made.libraryCopy, source)) return false;
    gProcess.libraryModule = LoadResourceLibrary(made.libraryCopy.path());
    if (!gProcess.libraryModule) {
        LogLine("STP.DLL is no resource library");
        return false;
    }
    // A removal log whose last install pass did not finish is put back as
    // it was before that pass (and the pass undone) before it is read.
    char scriptPlace[kPathBytes];
    if (StartupFilePlace(search, scriptName, scriptPlace) && UndoUnfinishedPassOf(scriptPlace) &&
        FileAttributes(scriptPlace) == INVALID_FILE_ATTRIBUTES) {
        // That pass made the log: with it undone nothing is left to remove.
        LogLine("The removal log came with the unfinished install: nothing is left to remove");
        exitCode = kExitCompleted;
        return false;
    }
    if (!made.directory.Fetch(search, scriptName, "SETUP.INF", made.scriptCopy, made.scriptSource, CompleteScriptCopy))
        return false;
    CopyText(gProcess.scriptPath, made.scriptCopy.path());
    if (!ReadMediaCrcs(gProcess.scriptPath)) {
        ReportMessage(nullptr, kMsgNoMemory, kStyleStop);
        return false;
    }
    if (CheckedFileCount() > 0)
        LogLine("Media: [media.crc] lists %d files, each checked as it is copied",
                {NumberArgument(long(CheckedFileCount()))});
    // A file that is no script would show an empty component list.
    if (!IsScriptFile(gProcess.scriptPath)) {
        ReportMessage(nullptr, kMsgNotAScript, kStyleStop, scriptName);
        return false;
    }
    char picture[MAX_PATH];
    ReadBranding(gProcess.scriptPath, picture);
    if (picture[0] && !QuietRun()) FetchPicture(made, search, picture);
    made.background = QuietRun() ? CreateQuietWindow() : CreateBackgroundWindow();
    if (!made.background) {
        LogLine("The background window cannot be made");
        return false;
    }
    if (QuietRun()) {
        LogLine("Welcome: not shown (quiet)");
    } else if (ShowWelcomeDialog(made.background) == Answer::No) {
        LogLine("Welcome: Cancel");
        exitCode = kExitCancelled;
        return false;
    } else {
        LogLine("Welcome: Next");
    }
    if (SetUpKey("license", 0) == 1) {
        if (QuietRun()) {
            LogLine("Licence: accepted (quiet)");
        } else {
            if (!made.directory.Fetch(search, "LICENSE.TXT", "LICENSE.TXT", made.licenceCopy, source)) return false;
            bool accepted = ShowLicenceDialog(made.background, made.licenceCopy.path()) != Answer::Cancel;
            LogLine("Licence: %s", {TextArgument(accepted ? "I Agree" : "Decline")});
            if (!accepted) {
                exitCode = kExitCancelled;
                return false;
            }
        }
    }
    // The program's directory becomes the media directory.
    CopyText(gProcess.mediaDirectory, search.installerDirectory);
    gProcess.removeMode = SetUpKey("remove", 0);
    LogLine("Media directory: %s%s", {TextArgument(gProcess.mediaDirectory),
                                      TextArgument(gProcess.removeMode ? " (remove mode)" : "")});
    // A removal runs on the log: the log written anew beside itself by an
    // install that was killed before it moved it in is not whole, and goes.
    char beside[kPathBytes];
    if (gProcess.removeMode && !WhatIfRun() && made.scriptSource[0] && BesidePath(made.scriptSource, beside))
        DeleteFileW(Wide(beside).c_str());
    return true;
}

RunEnd RunScript(HWND background, const char* scriptSource) {
    gState->optionGroupCount = 0;
    // Only Cancel on an entry that does not fit stops it; one that cannot get
    // memory counts as empty.
    if (ForEachEntry("options", gProcess.scriptPath, 0, 0, OptionsEntry, nullptr) == StepResult::Abort &&
        NotedEndReason() != EndReason::None)
        return Ended(IncompleteExitCode(EndReason::Cancelled));
    if (gSwitches.answers.hasOptions && !PreselectAnsweredCodes(gSwitches.answers.optionCodes))
        return RefuseAnswer("/options=", gSwitches.answers.optionCodes);
    char unknown[64];
    if (!PathAnswersNamed(unknown)) return RefuseAnswer("/path:", unknown);
    if (gState->optionGroupCount > 0) {
        if (QuietRun()) {
            AcceptPreselections();
        } else if (ShowOptionDialog(background) == Answer::Cancel) {
            LogLine("Installation Options: Cancel");
            return Ended(kExitCancelled);
        }
        LogLine("Installation Options: codes \"%s\"", {TextArgument(gState->optionCodes)});
    }

    // -1 when [reg] could not be read at all; Cancel on an entry that does
    // not fit ends the run as any Cancel does.
    if (ReadRegVariables() == StepResult::Abort)
        return Ended(NotedEndReason() != EndReason::None ? IncompleteExitCode(EndReason::Cancelled)
                                                         : kExitNoRegSection);

    int silent = SetUpKey("silent", 0);
    // The script's reboot key says whether the product needs a restart.
    bool due = SetUpKey("reboot", 1) != 0;
    bool interactive = !silent && !QuietRun();
    // An interactive run asks about a restart after every pass, unless the
    // script says to ask only when the product needs one.
    bool askAlways = !ScriptSaysRestartWhenNeeded();
    RestartPolicy policy = {};
    policy.offer = !QuietRun() && !gSwitches.noRestart && ((interactive && askAlways) || due);
    policy.unasked = QuietRun() && !gSwitches.noRestart && due;
    InstallOutcome outcome = interactive ? RunInteractiveInstall(background, policy)
                             : silent   ? RunSilentInstall(background, policy)
                                        : RunQuietInstall(background, policy);
    // A what-if run changed nothing: no restart is due, nothing to clean up.
    if (WhatIfRun() && outcome == InstallOutcome::Installed) return Ended(kExitCompleted);
    switch (outcome) {
        case InstallOutcome::Restart: return {kExitCompleted, true, PlanRemovalCleanup(scriptSource)};
        case InstallOutcome::Installed:
            if (due) LogLine("A restart is due and was not done");
            return {due ? kExitRestartNeeded : kExitCompleted, false, PlanRemovalCleanup(scriptSource)};
        case InstallOutcome::Aborted: return {IncompleteExitCode(EndReason::Failed), false, {}};
        case InstallOutcome::Cancelled: break;
    }
    return {IncompleteExitCode(EndReason::Cancelled), false, {}};
}

}  // namespace
