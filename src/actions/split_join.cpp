#include "actions/split_join.h"

#include <windows.h>

#include "actions/copy_step.h"
#include "base/message_ids.h"
#include "base/run_log.h"
#include "base/run_outcome.h"
#include "base/run_switches.h"
#include "base/scoped_handles.h"
#include "base/setup_state.h"
#include "base/text.h"
#include "base/wide_text.h"
#include "ui/disk_prompt_dialog.h"
#include "ui/messages.h"
#include "ui/progress_dialog.h"

JoinedFile::~JoinedFile() {
    if (path_[0]) DeleteFileW(Wide(path_).c_str());
}

namespace {

// The piece on the disk in the drive; false when the path does not fit.
bool PiecePath(const CopyStep& step, char (&path)[kPathBytes]) {
    return CopyText(path, gProcess.mediaDirectory) && AppendText(path, step.mediaName);
}

bool PieceThere(const CopyStep& step) {
    char path[kPathBytes];
    return PiecePath(step, path) && GetFileAttributesW(Wide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Brings the disk of piece k into the drive: the set's sibling directory
// when it holds the piece, else the user's answer to the disk prompt, asked
// again until the piece is there (a quiet run reads from where it is).
StepResult NextDisk(const CopyStep& step, int k) {
    char sibling[kPathBytes];
    char media[kPathBytes];
    CopyText(media, gProcess.mediaDirectory);
    if (SiblingDiskDirectory(media, step.disks.keys[k - 1], step.disks.keys[k], sibling)) {
        CopyText(gProcess.mediaDirectory, sibling);
        if (PieceThere(step)) return StepResult::GoOn;
        CopyText(gProcess.mediaDirectory, media);
    }
    if (QuietRun()) return StepResult::GoOn;
    do {
        if (DiskPromptDialog(step.disks.labels[k]) == Answer::Cancel) {
            LogLine("Insert Disk %s: Cancel", {TextArgument(step.disks.labels[k])});
            NoteEndReason(EndReason::Cancelled);
            return StepResult::Abort;
        }
        LogLine("Insert Disk %s: %s", {TextArgument(step.disks.labels[k]), TextArgument(gProcess.mediaDirectory)});
    } while (!PieceThere(step));
    return StepResult::GoOn;
}

// Appends the piece on the disk in the drive to the joined file, asking
// about a piece that does not open and a joined file that does not take
// it: Retry reads the piece again from its start.
StepResult AppendPiece(const CopyStep& step, HANDLE out, const char* joined) {
    char path[kPathBytes];
    if (!PiecePath(step, path)) return ReportUnusablePath(MSG_CANNOT_OPEN, path);
    const std::wstring widePath = Wide(path);
    LARGE_INTEGER start = {};
    if (!SetFilePointerEx(out, start, &start, FILE_CURRENT)) return ReportUnusablePath(MSG_CANNOT_CREATE_FILE, joined);
    for (;;) {
        ScopedHandle in(
            CreateFileW(widePath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        if (!in.valid()) {
            Answer answer = ReportMessage(OwnerWindow(), kMsgCannotOpen, kStyleAbortRetryIgnore, path);
            if (answer != Answer::Retry) return AfterAnswer(answer);
            continue;
        }
        char buffer[16384];
        DWORD got = 0, put = 0;
        bool whole = true;
        while (whole && ReadFile(in.get(), buffer, sizeof buffer, &got, nullptr) && got > 0) {
            whole = WriteFile(out, buffer, got, &put, nullptr) && put == got;
            DrainMessageQueue();
        }
        if (whole && got == 0) return StepResult::GoOn;
        Answer answer = ReportMessage(OwnerWindow(), whole ? kMsgCannotOpen : kMsgCannotCreateFile,
                                      kStyleAbortRetryIgnore, whole ? path : joined);
        if (answer != Answer::Retry) return AfterAnswer(answer);
        SetFilePointerEx(out, start, nullptr, FILE_BEGIN);
        SetEndOfFile(out);
    }
}

}  // namespace

StepResult JoinPieces(const CopyStep& step, JoinedFile& joined) {
    // The run's own directory holds the script's copy.
    char path[kPathBytes];
    CopyText(path, gProcess.scriptPath);
    char* name = path;
    for (char* at = path; *at; ++at)
        if (*at == '\\') name = at + 1;
    *name = '\0';
    if (!AppendText(path, step.mediaName)) return ReportUnusablePath(MSG_CANNOT_CREATE_FILE, path);
    ScopedHandle out;
    for (;;) {
        out.Reset(CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY,
                              nullptr));
        if (out.valid()) break;
        Answer answer = ReportMessage(OwnerWindow(), kMsgCannotCreateFile, kStyleAbortRetryIgnore, path);
        if (answer != Answer::Retry) return AfterAnswer(answer);
    }
    CopyText(joined.path_, path);
    for (int k = 0; k < step.disks.count; ++k) {
        StepResult result = k > 0 ? NextDisk(step, k) : StepResult::GoOn;
        if (result == StepResult::GoOn) result = AppendPiece(step, out.get(), path);
        if (result != StepResult::GoOn) return result;
    }
    return StepResult::GoOn;
}
