#include "actions/copy_entry.h"

#include <windows.h>

#include <cstring>

#include "actions/disk_prompt_dialog.h"
#include "actions/expand_copy.h"
#include "actions/progress_dialog.h"
#include "base/device_names.h"
#include "base/file_system.h"
#include "base/media_name.h"
#include "base/messages.h"
#include "base/results.h"
#include "base/run_log.h"
#include "base/run_outcome.h"
#include "base/run_switches.h"
#include "base/setup_state.h"
#include "base/text.h"
#include "base/whole_files.h"
#include "removal/removal_log.h"
#include "script/conditions.h"
#include "script/sections.h"
#include "script/variables.h"

namespace {

// A path that had to be cut would name some other file, and one holding a
// device name (NUL.txt) names the device: report it as the file that cannot
// be opened or created. Retry cannot mend a script text, so it asks again
// until the user gives up on the entry or on the pass.
int ReportUnusablePath(TextMessage id, const char* path) {
    // The file before is settled first: its question comes before this one.
    if (LandCopyInFlight() == kAbort) return kAbort;
    int answer;
    do answer = ReportMessage(gState->pass.ownerWindow, id, kStyleAbortRetryIgnore, path);
    while (answer == 0);
    return answer;
}

// Brings the disk of the current entry into the drive: a media directory that
// ends in the disk-in-drive's own subdirectory (...\DISK1\) moves to the
// sibling (...\DISK2\) by itself; otherwise the user is asked. 0 or -1.
int ChangeDisk() {
    char label[64];
    GetPrivateProfileStringA("disks", gState->pass.currentDisk, "1", label, sizeof label, gProcess.scriptPath);
    char marker[sizeof gState->pass.diskInDrive + 8] = "disk";
    AppendText(marker, gState->pass.diskInDrive);
    AppendText(marker, "\\");
    bool switched = false;
    char* media = gProcess.mediaDirectory;
    if (EndsWithNoCase(media, marker)) {
        char sibling[MAX_PATH];
        CopyTextN(sibling, sizeof sibling, media, lstrlenA(media) - lstrlenA(gState->pass.diskInDrive) - 1);
        if (AppendText(sibling, gState->pass.currentDisk) && AppendText(sibling, "\\")) {
            CopyText(gProcess.mediaDirectory, sibling);
            switched = true;
        }
    }
    if (!switched) {
        // A quiet run reads from the directory the prompt would show.
        if (!QuietRun() && DiskPromptDialog(label) == IDCANCEL) {
            LogLine("Insert Disk %s: Cancel", {TextArgument(label)});
            NoteEndReason(EndReason::Cancelled);
            return kAbort;
        }
        LogLine("Insert Disk %s: %s", {TextArgument(label), TextArgument(gProcess.mediaDirectory)});
    }
    CopyText(gState->pass.diskInDrive, gState->pass.currentDisk);
    return 0;
}

// The records and the saved copy of a target that a copy with the flag "!"
// may replace. A target that is there is recorded to be put back and its
// saved copy to be deleted, both before the copy is made; the copy keeps
// every byte, and is made once, so it holds the file found before the first
// install. A target that is not there is recorded to be deleted. kGoOn, or
// the entry's result: a copy that cannot be saved is put to the user, and
// Ignore passes the entry over rather than replace the file unsaved.
int SaveReplacedFile(const char* target, const char* targetName, const char* logged, const char* description) {
    if (!GetFileInfo(target, nullptr)) return LogRemoval(RemoveFile, logged, description) == kAbort ? kAbort : kGoOn;
    char name[] = "BackUpDir";
    char backup[MAX_PATH];
    bool fits = ExpandText(name, backup, false);
    size_t n = std::strlen(backup);
    if (n == 0 || backup[n - 1] != '\\') fits = AppendText(backup, "\\") && fits;
    fits = AppendText(backup, targetName) && fits;
    if (!fits || FindDeviceName(backup)) return ReportUnusablePath(kMsgCannotCreateFile, backup);
    char savedText[MAX_PATH] = "BackUpDir\\";
    if (!AppendText(savedText, targetName)) return ReportUnusablePath(kMsgCannotCreateFile, backup);
    if (LogRemoval(RestoreCopy, logged, description) == kAbort ||
        LogRemoval(RemoveFile, savedText, description) == kAbort)
        return kAbort;
    if (GetFileInfo(backup, nullptr)) return kGoOn;
    if (LogMissingDirectory(backup) == kAbort || EnsureDirectory(backup) == kAbort) return kAbort;
    while (!SaveWholeCopy(target, backup)) {
        int answer = ReportMessage(OwnerWindow(), kMsgCannotCreateFile, kStyleAbortRetryIgnore, backup);
        if (answer != kAnswerRetry) return answer;
    }
    return kGoOn;
}

}  // namespace

int CopyEntry(char** keyFields, int keyCount, char** valueFields, int valueCount, void*) {
    if (CancelRequested()) return kAbort;
    const char* flags = valueCount >= 2 ? valueFields[1] : nullptr;
    if (flags && !MatchCondition(gState->optionCodes, flags)) return 0;
    if (keyCount < 2 || lstrcmpA(keyFields[0], gState->pass.currentDisk) != 0) return 0;
    // The file in flight is read from the disk in the drive; one that may
    // look at an existing target finds it whole.
    bool changeDisk = lstrcmpA(gState->pass.currentDisk, gState->pass.diskInDrive) != 0;
    bool looksAtTarget = flags && (MatchCondition("!", flags) || MatchCondition("+", flags));
    if ((changeDisk || looksAtTarget) && LandCopyInFlight() == kAbort) return kAbort;
    if (changeDisk && ChangeDisk() == kAbort) return kAbort;

    char logged[MAX_PATH];
    bool fits = CopyText(logged, keyFields[1]);
    char* parts[kFieldRoom];
    int partCount = 0;
    SplitFields(keyFields[1], parts, &partCount, '\\', kFieldRoom);
    char fileName[MAX_PATH];
    fits = ExpandText(parts[partCount - 1], fileName, true) && fits;

    char targetName[MAX_PATH], mediaName[MAX_PATH];
    if (SplitMediaName(fileName, targetName, mediaName)) {
        size_t n = std::strlen(logged);
        logged[n >= 2 ? n - 2 : 0] = '\0';
    }

    // Media files lie in the media directory itself: a file name that a
    // variable made into a path would be read from somewhere else.
    bool plainName = !FindText(fileName, "\\") && !FindText(fileName, "/") && std::strcmp(fileName, ".") != 0 &&
                     std::strcmp(fileName, "..") != 0;
    char source[MAX_PATH];
    bool sourceFits = CopyText(source, gProcess.mediaDirectory) && AppendText(source, mediaName) && fits && plainName;
    char target[MAX_PATH] = "";
    if (partCount == 1) {
        GetWindowsDirectoryA(target, sizeof target);
        AddBackslash(target);
    }
    for (int i = 0; i + 1 < partCount; ++i) {
        char piece[MAX_PATH];
        fits = ExpandText(parts[i], piece, true) && AppendText(target, piece) && fits;
        size_t n = std::strlen(piece);
        if (n == 0 || piece[n - 1] != '\\') fits = AppendText(target, "\\") && fits;
    }
    fits = AppendText(target, targetName) && fits;
    if (!sourceFits) return ReportUnusablePath(kMsgCannotOpen, source);
    if (!fits) return ReportUnusablePath(kMsgCannotCreateFile, target);
    // Refused before anything is recorded or opened; a media name that is a
    // device (NUx_L is read as NUL) is named by the source path it makes.
    if (FindDeviceName(target)) return ReportUnusablePath(kMsgCannotCreateFile, target);
    if (IsDeviceName(mediaName)) return ReportUnusablePath(kMsgCannotCreateFile, source);

    const char* description = valueFields[0];
    if (flags && MatchCondition("!", flags)) {
        int saved = SaveReplacedFile(target, targetName, logged, description);
        if (saved != kGoOn) return saved;
    } else {
        if (flags && MatchCondition("+", flags) && GetFileInfo(target, nullptr)) return 0;
        if (!gProcess.removeMode && !(flags && MatchCondition("-", flags)) &&
            LogRemoval(RemoveFile, logged, description) == kAbort)
            return kAbort;
    }
    // A removal puts saved files back as they were saved, never expanded; a
    // file that was never saved (an install killed before it was) is
    // passed over.
    if (gProcess.removeMode && !GetFileInfo(source, nullptr)) {
        LogLine("Not saved, passed over: %s", {TextArgument(source)});
        return kGoOn;
    }

    ShowStatus(kCopyStatusLabels, description, source, target);
    if (LogMissingDirectory(target) == kAbort) return kAbort;
    return ExpandCopyInFlight(description, source, target, gProcess.removeMode ? CopyForm::AsStored : CopyForm::Expanded);
}
