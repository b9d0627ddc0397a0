#include "run/removal_cleanup.h"

#include <cstdlib>
#include <cstring>
#include <string>

#include "base/file_system.h"
#include "base/format_text.h"
#include "base/run_log.h"
#include "base/setup_state.h"
#include "base/text.h"
#include "run/run_directory.h"
#include "base/scoped_handles.h"
#include "base/wide_text.h"

namespace {

constexpr char kHelperSwitch[] = "/cleanup=";
// How long the helper waits for the run to end, and then for its file to come free.
constexpr DWORD kRunEndWait = 120000;
constexpr int kDeleteTries = 50;
constexpr DWORD kDeletePause = 200;

bool SameText(const char* a, const char* b) { return CompareNoCase(a, b) == 0; }

// The directory of a path, with its trailing backslash.
bool DirectoryOf(const char* path, char (&directory)[kPathBytes]) {
    size_t filePart = 0;
    if (!FullPathName(path, directory, &filePart) || !directory[filePart]) return false;
    directory[filePart] = '\0';
    return true;
}

// Whether inner lies in (or is) outer; both end in a backslash. Compared in
// the platform's characters, letter case ignored.
bool Within(const char* inner, const char* outer) {
    std::wstring wideInner = Wide(inner), wideOuter = Wide(outer);
    int n = static_cast<int>(wideOuter.size());
    return n && static_cast<int>(wideInner.size()) >= n &&
           CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, wideInner.c_str(), n, wideOuter.c_str(), n) ==
               CSTR_EQUAL;
}

// The volume's root itself, or a path that cannot be told: never removed.
bool VolumeRoot(const char* directory) {
    wchar_t volume[MAX_PATH];
    return !GetVolumePathNameW(Wide(directory).c_str(), volume, MAX_PATH) ||
           SameText(Narrow(volume).c_str(), directory);
}

// The outermost directory to remove: the outermost of the directories the
// install recorded as made (del.step3 paths ending in a backslash) that holds
// the log's own directory, else that directory itself. Every directory below
// a made one was made after it.
void OutermostMade(const char* logDirectory, char (&outermost)[kPathBytes]) {
    CopyText(outermost, logDirectory);
    constexpr DWORD kKeysRoom = 16384;
    std::wstring wideKeys(kKeysRoom, L'\0');
    DWORD length = GetPrivateProfileStringW(L"del.step3", nullptr, L"", &wideKeys[0], kKeysRoom,
                                            Wide(gProcess.scriptPath).c_str());
    if (length + 2 >= kKeysRoom) return;  // a cut list could hold half a path
    // The list (zero-ended names, a zero behind the last) in UTF-8.
    std::string keys = Narrow(wideKeys.c_str(), static_cast<int>(length) + 1);
    for (const char* key = keys.c_str(); *key; key += std::strlen(key) + 1) {
        // The records double '%' for the expansion that reads them.
        char path[kPathBytes];
        size_t used = 0;
        for (const char* at = key; *at && used + 1 < sizeof path; ++at) {
            path[used++] = *at;
            if (at[0] == '%' && at[1] == '%') ++at;
        }
        path[used] = '\0';
        size_t n = std::strlen(path);
        if (n && path[n - 1] == '\\' && Within(logDirectory, path) && n < std::strlen(outermost) && !VolumeRoot(path))
            CopyText(outermost, path);
    }
}

// Deletes a file that may still be held for a moment; at the next start of
// Windows when it stays held.
void DeleteSoon(const char* path) {
    for (int i = 0; i < kDeleteTries; ++i) {
        if (DeleteFileW(Wide(path).c_str()) || FileAttributes(path) == INVALID_FILE_ATTRIBUTES) return;
        Sleep(kDeletePause);
    }
    MoveFileExW(Wide(path).c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
}

void DeleteAtRestart(const char* path) { MoveFileExW(Wide(path).c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT); }

// The directories from inner up to outer, innermost first, each without its
// backslash; never a volume's root.
template <typename Act> void EachDirectoryUp(const char* inner, const char* outer, Act act) {
    char directory[kPathBytes];
    if (!CopyText(directory, inner)) return;
    while (Within(directory, outer) && !VolumeRoot(directory)) {
        size_t n = std::strlen(directory);
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
    char copy[kPathBytes];
    if (!CopyText(copy, place.path()) || !AddBackslash(copy) || !AppendText(copy, "setup.exe") ||
        !CopyFileW(Wide(plan.installer).c_str(), Wide(copy).c_str(), FALSE)) {
        DeleteFileW(Wide(copy).c_str());
        return false;
    }
    ScopedHandle self;
    if (!DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(), self.Receive(), SYNCHRONIZE,
                         TRUE, 0)) {
        DeleteFileW(Wide(copy).c_str());
        return false;
    }
    char command[3 * kPathBytes + 64];
    FormatText(command, sizeof command, "\"%s\" %s%lX|%s|%s",
               {TextArgument(copy), TextArgument(kHelperSwitch),
                NumberArgument(static_cast<long>(reinterpret_cast<ULONG_PTR>(self.get()))),
                TextArgument(plan.outermost), TextArgument(plan.installer)});
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    // The helper reads its command line as UTF-16 (GetCommandLineW): the
    // paths in it come through whole. The platform may write into it.
    std::wstring wideCommand = Wide(command);
    // In a directory of its own: a current directory in the installer's
    // would keep that directory from being removed.
    bool started = CreateProcessW(Wide(copy).c_str(), &wideCommand[0], nullptr, nullptr, TRUE, 0, nullptr,
                                  Wide(place.path()).c_str(), &startup, &process);
    self.Close();
    if (!started) {
        DeleteFileW(Wide(copy).c_str());
        return false;
    }
    ScopedHandle thread(process.hThread), helper(process.hProcess);
    place.Keep();  // the helper's own directory goes at the next start of Windows
    return true;
}

}  // namespace

CleanupPlan PlanRemovalCleanup(const char* scriptSource) {
    CleanupPlan plan = {};
    if (!gProcess.removeMode ||
        GetPrivateProfileIntW(L"SetUp", L"cleanup", 0, Wide(gProcess.scriptPath).c_str()) == 0)
        return plan;
    char installerDirectory[kPathBytes], scriptDirectory[kPathBytes];
    if (!ModuleFileName(nullptr, plan.installer) || !DirectoryOf(plan.installer, installerDirectory)) return plan;
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
    char installerDirectory[kPathBytes];
    if (!DirectoryOf(plan.installer, installerDirectory)) return;
    char library[kPathBytes];
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
    char outermost[kPathBytes], installer[kPathBytes], installerDirectory[kPathBytes];
    if (!bar || !CopyTextN(outermost, sizeof outermost, outer, bar - outer) || !CopyText(installer, bar + 1) ||
        !DirectoryOf(installer, installerDirectory))
        return 1;
    WaitForSingleObject(run.get(), kRunEndWait);
    run.Close();
    DeleteSoon(installer);
    // Each only when it is empty: nothing inside is looked into.
    EachDirectoryUp(installerDirectory, outermost,
                    [](const char* directory) { RemoveDirectoryW(Wide(directory).c_str()); });

    // This copy cannot delete itself while it runs.
    char own[kPathBytes], ownDirectory[kPathBytes];
    if (ModuleFileName(nullptr, own) && DirectoryOf(own, ownDirectory)) {
        DeleteAtRestart(own);
        size_t length = std::strlen(ownDirectory);
        ownDirectory[length - 1] = '\0';
        DeleteAtRestart(ownDirectory);
    }
    return 0;
}
