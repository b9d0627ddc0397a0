#include "run/removal_cleanup.h"

#include <cstdlib>

#include "base/format_text.h"
#include "base/run_log.h"
#include "base/setup_state.h"
#include "base/text.h"
#include "run/run_directory.h"
#include "base/scoped_handles.h"

namespace {

constexpr char kHelperSwitch[] = "/cleanup=";
// How long the helper waits for the run to end, and then for its file to come free.
constexpr DWORD kRunEndWait = 120000;
constexpr int kDeleteTries = 50;
constexpr DWORD kDeletePause = 200;

bool SameText(const char* a, const char* b) { return CompareNoCase(a, b) == 0; }

// The directory of a path, with its trailing backslash.
bool DirectoryOf(const char* path, char (&directory)[MAX_PATH]) {
    char* filePart = nullptr;
    DWORD n = GetFullPathNameA(path, sizeof directory, directory, &filePart);
    if (n == 0 || n >= sizeof directory || !filePart) return false;
    *filePart = '\0';
    return true;
}

// Whether inner lies in (or is) outer; both end in a backslash.
bool Within(const char* inner, const char* outer) {
    size_t n = lstrlenA(outer);
    return n && lstrlenA(inner) >= static_cast<int>(n) &&
           CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, inner, static_cast<int>(n), outer,
                          static_cast<int>(n)) == CSTR_EQUAL;
}

// The volume's root itself, or a path that cannot be told: never removed.
bool VolumeRoot(const char* directory) {
    char volume[MAX_PATH];
    return !GetVolumePathNameA(directory, volume, sizeof volume) || SameText(volume, directory);
}

// The outermost directory to remove: the outermost of the directories the
// install recorded as made (del.step3 paths ending in a backslash) that holds
// the log's own directory, else that directory itself. Every directory below
// a made one was made after it.
void OutermostMade(const char* logDirectory, char (&outermost)[MAX_PATH]) {
    CopyText(outermost, logDirectory);
    char keys[16384];
    DWORD length = GetPrivateProfileStringA("del.step3", nullptr, "", keys, sizeof keys, gProcess.scriptPath);
    if (length + 2 >= sizeof keys) return;  // a cut list could hold half a path
    for (const char* key = keys; *key; key += lstrlenA(key) + 1) {
        // The records double '%' for the expansion that reads them.
        char path[MAX_PATH];
        size_t used = 0;
        for (const char* at = key; *at && used + 1 < sizeof path; ++at) {
            path[used++] = *at;
            if (at[0] == '%' && at[1] == '%') ++at;
        }
        path[used] = '\0';
        size_t n = lstrlenA(path);
        if (n && path[n - 1] == '\\' && Within(logDirectory, path) && lstrlenA(path) < lstrlenA(outermost) &&
            !VolumeRoot(path))
            CopyText(outermost, path);
    }
}

// Deletes a file that may still be held for a moment; at the next start of
// Windows when it stays held.
void DeleteSoon(const char* path) {
    for (int i = 0; i < kDeleteTries; ++i) {
        if (DeleteFileA(path) || GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES) return;
        Sleep(kDeletePause);
    }
    MoveFileExA(path, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
}

void DeleteAtRestart(const char* path) { MoveFileExA(path, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT); }

// The directories from inner up to outer, innermost first, each without its
// backslash; never a volume's root.
template <typename Act> void EachDirectoryUp(const char* inner, const char* outer, Act act) {
    char directory[MAX_PATH];
    if (!CopyText(directory, inner)) return;
    while (Within(directory, outer) && !VolumeRoot(directory)) {
        size_t n = lstrlenA(directory);
        directory[n - 1] = '\0';
        act(directory);
        char* slash = directory + n - 1;
        while (slash > directory && *slash != '\\') --slash;
        if (slash == directory) return;
        slash[1] = '\0';
    }
}

// Starts the helper from a copy of the installer: it needs the run to be over.
bool StartHelper(const CleanupPlan& plan) {
    RunDirectory place;
    if (!place.Create()) return false;
    char copy[MAX_PATH];
    if (!CopyText(copy, place.path()) || !AddBackslash(copy) || !AppendText(copy, "setup.exe") ||
        !CopyFileA(plan.installer, copy, FALSE)) {
        DeleteFileA(copy);
        return false;
    }
    ScopedHandle self;
    if (!DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(), self.Receive(), SYNCHRONIZE,
                         TRUE, 0)) {
        DeleteFileA(copy);
        return false;
    }
    char command[3 * MAX_PATH + 64];
    FormatText(command, sizeof command, "\"%s\" %s%lX|%s|%s",
               {TextArgument(copy), TextArgument(kHelperSwitch),
                NumberArgument(static_cast<long>(reinterpret_cast<ULONG_PTR>(self.get()))),
                TextArgument(plan.outermost), TextArgument(plan.installer)});
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    // In a directory of its own: a current directory in the installer's
    // would keep that directory from being removed.
    bool started = CreateProcessA(copy, command, nullptr, nullptr, TRUE, 0, nullptr, place.path(), &startup, &process);
    self.Close();
    if (!started) {
        DeleteFileA(copy);
        return false;
    }
    ScopedHandle thread(process.hThread), helper(process.hProcess);
    place.Keep();  // the helper's own directory goes at the next start of Windows
    return true;
}

}  // namespace

CleanupPlan PlanRemovalCleanup(const char* scriptSource) {
    CleanupPlan plan = {};
    if (!gProcess.removeMode || GetPrivateProfileIntA("SetUp", "cleanup", 0, gProcess.scriptPath) == 0) return plan;
    char installerDirectory[MAX_PATH], scriptDirectory[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, plan.installer, sizeof plan.installer);
    if (n == 0 || n >= sizeof plan.installer || !DirectoryOf(plan.installer, installerDirectory)) return plan;
    // Another setup.exe that ran the log is no part of the product, nor is
    // anything around it.
    if (!scriptSource[0] || !DirectoryOf(scriptSource, scriptDirectory) ||
        !SameText(scriptDirectory, installerDirectory)) {
        LogLine("No clean-up: the script does not lie beside %s", {TextArgument(plan.installer)});
        return plan;
    }
    CopyText(plan.script, scriptSource);
    OutermostMade(installerDirectory, plan.outermost);
    plan.wanted = true;
    return plan;
}

void CleanUpAfterRemoval(const CleanupPlan& plan, bool restarting) {
    if (!plan.wanted) return;
    char installerDirectory[MAX_PATH];
    if (!DirectoryOf(plan.installer, installerDirectory)) return;
    char library[MAX_PATH];
    bool haveLibrary = CopyText(library, installerDirectory) && AppendText(library, "STP.DLL");
    LogLine("Cleaning up after the removal: %s, %s, %s",
            {TextArgument(plan.script), TextArgument(haveLibrary ? library : ""), TextArgument(plan.installer)});
    DeleteSoon(plan.script);
    if (haveLibrary) DeleteSoon(library);
    if (restarting) {
        DeleteAtRestart(plan.installer);
        EachDirectoryUp(installerDirectory, plan.outermost, DeleteAtRestart);
        return;
    }
    if (!StartHelper(plan)) {
        LogLine("No helper could be started: %s goes at the next start of Windows", {TextArgument(plan.installer)});
        DeleteAtRestart(plan.installer);
        EachDirectoryUp(installerDirectory, plan.outermost, DeleteAtRestart);
    }
}

int RunCleanupHelper(const char* commandText) {
    const char* at = commandText;
    for (const char* s = kHelperSwitch; *s; ++s, ++at)
        if (*at != *s) return kNoHelper;
    char* end = nullptr;
    // The run's process, handed down to this one: its to close.
    ScopedHandle run(reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(std::strtoul(at, &end, 16))));
    if (!end || *end != '|') return 1;
    const char* outer = end + 1;
    const char* bar = FindText(outer, "|");
    char outermost[MAX_PATH], installer[MAX_PATH], installerDirectory[MAX_PATH];
    if (!bar || !CopyTextN(outermost, sizeof outermost, outer, bar - outer) || !CopyText(installer, bar + 1) ||
        !DirectoryOf(installer, installerDirectory))
        return 1;
    WaitForSingleObject(run.get(), kRunEndWait);
    run.Close();
    DeleteSoon(installer);
    // Each only when it is empty: nothing inside is looked into.
    EachDirectoryUp(installerDirectory, outermost, [](const char* directory) { RemoveDirectoryA(directory); });

    // This copy cannot delete itself while it runs.
    char own[MAX_PATH], ownDirectory[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, own, sizeof own);
    if (n && n < sizeof own && DirectoryOf(own, ownDirectory)) {
        DeleteAtRestart(own);
        size_t length = lstrlenA(ownDirectory);
        ownDirectory[length - 1] = '\0';
        DeleteAtRestart(ownDirectory);
    }
    return 0;
}
