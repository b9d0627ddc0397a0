#include "actions/expand_copy.h"

#include <windows.h>

#include <cstring>
#include <utility>

#include "actions/copy_target.h"
#include "actions/copy_thread.h"
#include "actions/records.h"
#include "actions/undo_journal.h"
#include "base/compressed_header.h"
#include "base/file_system.h"
#include "base/media_source.h"
#include "base/resource_ids.h"
#include "base/run_outcome.h"
#include "base/setup_state.h"
#include "base/system_libraries.h"
#include "base/text.h"
#include "base/wide_text.h"
#include "ui/messages.h"
#include "ui/overwrite_dialog.h"
#include "ui/progress_dialog.h"

namespace {

// A copy whose data may still be moving on the copy thread, with what its
// entry showed on the status lines. Its handles belong to the transfer
// until it is finished.
struct Flight {
    int transfer = 0;
    char targetPath[kPathBytes] = "";
    char besidePath[kPathBytes] = "";  // where the data go, when not into the target
    char sourcePath[kPathBytes] = "";
    char description[1024] = "";
};

// The copies in flight, oldest first.
struct CopiesInFlight {
    Flight flights[kTransfers];
    int count = 0;
};
CopiesInFlight gInFlight;

// The length a media file's data has as its copy starts, with the read
// position at its start: a compressed file's expanded length as its header
// gives it, a plain file's size now. Whatever moves must be exactly that.
long LengthAtStart(const LzSource& source) {
    long length = source.Seek(0, 2);
    source.Seek(0, 0);
    return length;
}

// Asks about a transfer that did not end whole: Retry (true) moves the whole
// file again.
bool RetryTransfer(const Flight& f, const TransferEnd& end, StepResult* result) {
    Answer answer;
    switch (end.status) {
        case TransferStatus::LzError:
            answer = ReportMessage(OwnerWindow(), kMsgLzError, kStyleAbortRetryIgnore, end.lzError);
            break;
        case TransferStatus::SourceChanged:
            answer = ReportMessage(OwnerWindow(), kMsgMediaFileChanged, kStyleAbortRetryIgnore, f.sourcePath);
            break;
        default:
            answer = ReportMessage(OwnerWindow(), kMsgCannotCreateFile, kStyleAbortRetryIgnore, f.targetPath);
            break;
    }
    *result = AfterAnswer(answer);
    return answer == Answer::Retry;
}

const char* WrittenPath(const Flight& f) { return f.besidePath[0] ? f.besidePath : f.targetPath; }

// Ends a transfer: a failure is put to the user, and Retry moves the whole
// file again into a target emptied (or made anew). Half a file, or one
// expanded from damaged data, is not installed: its target is deleted (or
// the file beside it, which never took the target's place).
StepResult Settle(const Flight& f, TransferEnd end, CopyHandles& handles) {
    StepResult result = StepResult::GoOn;
    while (end.status != TransferStatus::Whole && RetryTransfer(f, end, &result)) {
        if (handles.target.valid()) {
            SetFilePointer(handles.target.get(), 0, nullptr, FILE_BEGIN);
            SetEndOfFile(handles.target.get());
        } else {
            handles.target.Reset(CreateFileW(Wide(WrittenPath(f)).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                             FILE_ATTRIBUTE_NORMAL, nullptr));
        }
        long length = LengthAtStart(handles.source);
        end = FinishTransfer(StartTransfer(std::move(handles), length), &handles);
        result = StepResult::GoOn;
    }
    if (end.status != TransferStatus::Whole) {
        handles.target.Close();
        DeleteFileW(Wide(WrittenPath(f)).c_str());
    } else if (f.besidePath[0]) {
        result = MoveCopyIntoPlace(f.besidePath, f.targetPath);
    }
    return result;
}

// Starts moving a copy's data: the copy as its end needs it.
Flight Start(CopyHandles handles, const char* target, const char* source, const char* description) {
    Flight f;
    long length = LengthAtStart(handles.source);
    f.transfer = StartTransfer(std::move(handles), length);
    CopyText(f.targetPath, target);
    CopyText(f.sourcePath, source);
    CopyText(f.description, description);
    return f;
}

// The name a media file has once compressed, which the LZ library's own
// open looks for when the name itself is not there: the last character of
// the extension becomes '_' (a shorter extension gains one, a name without
// one gains "._"). The media file is opened here by the platform, never by
// the library's open: that reads its name through the legacy code page and
// holds 127 characters of it. False when the name does not fit.
bool CompressedName(const char* name, char (&compressed)[kPathBytes]) {
    if (!CopyText(compressed, name)) return false;
    char* file = std::strrchr(compressed, '\\');
    char* dot = std::strchr(file ? file : compressed, '.');
    if (!dot) return AppendText(compressed, "._");
    // Characters, not bytes: a UTF-8 character's bytes after its first
    // are 10xxxxxx.
    char* last = nullptr;
    int characters = 0;
    for (char* at = dot + 1; *at; ++at)
        if ((static_cast<unsigned char>(*at) & 0xC0) != 0x80) {
            last = at;
            ++characters;
        }
    if (characters >= 3) *last = '\0';
    return AppendText(compressed, "_");
}

ScopedHandle OpenForReading(const char* path) {
    return ScopedHandle(CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, 0, nullptr));
}

// The LZ error that a damaged compressed header at the file's start stands
// for, 0 when the file is plain or its header is sound.
long HeaderDamage(HANDLE file) {
    unsigned char start[kCompressedHeaderSize];
    DWORD got = 0;
    return ReadFile(file, start, sizeof start, &got, nullptr) ? CheckCompressedHeader(start, got) : LZERROR_READ;
}

// A media file that is there under its own name is opened once: its header
// is checked through the handle that the library then reads from. True when
// the name opened: *source is open (or not, when the library failed), or
// *damage the header's damage with nothing left open. False when the name
// does not open as it is.
bool OpenChecked(const LzCalls* lz, const char* name, LzSource* source, long* damage, CopyForm form) {
    ScopedHandle file = OpenForReading(name);
    if (!file.valid()) return false;
    // A file copied as it is stored is read through its own handle, which
    // the library reads as it lies whatever it holds.
    if (form == CopyForm::AsStored) {
        *source = LzSource(lz, static_cast<INT>(HandleToLong(file.Release())), true);
        return true;
    }
    *damage = HeaderDamage(file.get());
    if (*damage == 0 && SetFilePointer(file.get(), 0, nullptr, FILE_BEGIN) != 0) *damage = LZERROR_READ;
    if (*damage != 0) return true;
    // The library takes the handle over, as it would one of its own; a file
    // that is not compressed is then read through its own handle.
    INT own = static_cast<INT>(HandleToLong(file.get()));
    INT handle = lz->init(static_cast<HFILE>(own));
    if (handle >= 0) file.Release();
    *source = LzSource(lz, handle, handle == own);
    return true;
}

// One try at opening a media file through the LZ library with a sound
// header: the source is left open, or not with the header's damage returned
// (0 when the file did not open). The library itself would take a damaged
// compressed file for a plain one and copy it as it is. `found` is the
// compressed name when that opened instead of the name, else empty.
long TryOpenSource(const LzCalls* lz, const char* sourceName, char (&found)[kPathBytes], LzSource* source,
                   CopyForm form) {
    long damage = 0;
    *source = LzSource();
    found[0] = '\0';
    // A file the installer reads and checks itself (a saved file is put
    // back as it was saved).
    std::unique_ptr<MediaReader> reader;
    CheckedOpen checked = form == CopyForm::Expanded ? OpenCheckedMedia(sourceName, &reader) : CheckedOpen::Unchecked;
    if (checked != CheckedOpen::Unchecked) {
        if (reader) *source = LzSource(std::move(reader));
        return 0;
    }
    if (!OpenChecked(lz, sourceName, source, &damage, form) && form == CopyForm::Expanded &&
        (!CompressedName(sourceName, found) || !OpenChecked(lz, found, source, &damage, form)))
        found[0] = '\0';
    if (damage != 0) source->Close();
    return damage;
}

// Opens a media file, asking until it opens or the user gives up: GoOn with
// the source open, or the step's result.
StepResult OpenSource(const LzCalls* lz, const char* path, char (&found)[kPathBytes], LzSource* source,
                      CopyForm form) {
    for (;;) {
        long damage = TryOpenSource(lz, path, found, source, form);
        if (source->valid()) return StepResult::GoOn;
        Answer answer = damage != 0 ? ReportMessage(OwnerWindow(), kMsgLzError, kStyleAbortRetryIgnore, damage)
                                    : ReportMessage(OwnerWindow(), kMsgCannotOpen, kStyleAbortRetryIgnore, path);
        if (answer != Answer::Retry) return AfterAnswer(answer);
    }
}

// For a target that could not be made new: asks whether an existing one is
// replaced (and readies it), or makes its missing directories. GoOn when the
// copy goes on; otherwise how the entry ends.
StepResult ReadyTarget(const char* target, const char* source, const char* found) {
    BY_HANDLE_FILE_INFORMATION targetInfo;
    if (!GetFileInfo(target, &targetInfo))
        return EnsureDirectory(target) == StepResult::Abort ? StepResult::Abort : StepResult::GoOn;
    Replace decision = Replace::Yes;
    if (!gState->pass.yesToAll) {
        // Only the question shows the source's details: reading them for
        // every copy would cost one more open per file. The file found may
        // be the one under the compressed name.
        BY_HANDLE_FILE_INFORMATION sourceInfo = {};
        MediaFileInfo(found[0] ? found : source, &sourceInfo);
        OverwriteRequest request = {target, source, &sourceInfo, &targetInfo};
        decision = OverwriteDialog(&request);
    }
    if (decision == Replace::Cancel) {
        NoteEndReason(EndReason::Cancelled);
        return StepResult::Abort;
    }
    if (decision == Replace::Skip) return StepResult::Skipped;
    if (decision == Replace::YesToAll) gState->pass.yesToAll = 1;
    // With rollback the file replaced goes aside, to come back if the pass
    // does not run to its end.
    StepResult aside = JournalSetAside(target);
    if (aside == StepResult::Abort) return aside;
    // A read-only target is replaced like any other.
    if (aside != StepResult::GoOn) SetFileAttributesW(Wide(target).c_str(), FILE_ATTRIBUTE_NORMAL);
    return StepResult::GoOn;
}

Flight TakeOldest() {
    Flight oldest = gInFlight.flights[0];
    --gInFlight.count;
    for (int i = 0; i < gInFlight.count; ++i) gInFlight.flights[i] = gInFlight.flights[i + 1];
    return oldest;
}

// Settles the oldest copy in flight. A failure is asked about with that
// copy's own entry on the status lines, as when it was the last entry; *asked
// then tells the caller that its own entry is to be shown again. After Abort
// the copies that came after it are undone: a pass that stops at an entry
// makes none of the entries after it.
StepResult LandOldest(bool* asked) {
    Flight f = TakeOldest();
    CopyHandles handles;
    TransferEnd end = FinishTransfer(f.transfer, &handles);
    if (end.status != TransferStatus::Whole) {
        *asked = true;
        ShowStatus(ProgramText::CopyLabels, f.description, f.sourcePath, f.targetPath);
    }
    StepResult result = Settle(f, end, handles);
    while (result == StepResult::Abort && gInFlight.count > 0) {
        Flight later = TakeOldest();
        CopyHandles laterHandles;
        FinishTransfer(later.transfer, &laterHandles);
        laterHandles.target.Close();
        DeleteFileW(Wide(later.targetPath).c_str());
    }
    return result;
}

// Settles every copy in flight, oldest first: Abort, or GoOn.
StepResult Land(bool* asked) {
    *asked = false;
    while (gInFlight.count > 0)
        if (LandOldest(asked) == StepResult::Abort) return StepResult::Abort;
    return StepResult::GoOn;
}

// Copies an opened source to its target, made (or emptied) now, and
// settles the copy here.
StepResult CopyOpened(CopyHandles handles, const char* source, const char* target) {
    char beside[MAX_PATH] = "";
    while (!handles.target.valid()) {
        handles.target.Reset(CreateCopyTarget(target, handles.source.checked(), beside));
        if (handles.target.valid()) break;
        Answer answer = ReportMessage(OwnerWindow(), kMsgCannotCreateFile, kStyleAbortRetryIgnore, target);
        if (answer != Answer::Retry) return AfterAnswer(answer);
    }
    Flight f = Start(std::move(handles), target, source, "");
    CopyText(f.besidePath, beside);
    TransferEnd end = FinishTransfer(f.transfer, &handles);
    return Settle(f, end, handles);
}

// Copies source to target. With a description (the entry's status), a file
// that opened and whose target was made new is left moving on the copy
// thread when this returns, after the oldest copy in flight when there is no
// room for another; everything else is settled here, after every copy in
// flight.
StepResult Copy(const char* description, const char* source, const char* target, CopyForm form) {
    const LzCalls* lz = LzLibrary();
    // Without the library no media file opens.
    while (!lz) {
        Answer answer = ReportMessage(OwnerWindow(), kMsgCannotOpen, kStyleAbortRetryIgnore, source);
        if (answer != Answer::Retry) return AfterAnswer(answer);
    }
    char found[kPathBytes];
    CopyHandles handles;
    TryOpenSource(lz, source, found, &handles.source, form);
    // Most targets are new and their directory is there: one create tells
    // both. An existing target or a missing directory takes the steps below.
    // With rollback a new target is named in the journal before it is made.
    if (handles.source.valid() && UndoJournalActive() && !GetFileInfo(target, nullptr) &&
        JournalNewFile(target) == StepResult::Abort)
        return StepResult::Abort;
    if (handles.source.valid())
        handles.target.Reset(CreateFileW(Wide(target).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
    // Copies in flight are settled before this one may ask anything.
    bool ahead = description && handles.target.valid();
    bool asked = false;
    StepResult before = !ahead ? Land(&asked) : gInFlight.count == kTransfers ? LandOldest(&asked) : StepResult::GoOn;
    if (asked && description) ShowStatus(ProgramText::CopyLabels, description, source, target);
    if (before == StepResult::Abort) {
        // Nothing of this entry stays: its target was made new just now.
        if (handles.target.valid()) {
            handles.target.Close();
            DeleteFileW(Wide(target).c_str());
        }
        return StepResult::Abort;
    }
    if (ahead) {
        gInFlight.flights[gInFlight.count++] = Start(std::move(handles), target, source, description);
        return StepResult::GoOn;
    }

    StepResult result =
        handles.source.valid() ? StepResult::GoOn : OpenSource(lz, source, found, &handles.source, form);
    if (result != StepResult::GoOn) return result;
    if (!handles.target.valid()) {
        result = ReadyTarget(target, source, found);
        if (result != StepResult::GoOn) return result;
    }
    // A file set aside for this copy comes back when the copy is not made.
    result = CopyOpened(std::move(handles), source, target);
    if (result != StepResult::GoOn) JournalPutBack(target);
    return result;
}

}  // namespace

StepResult ExpandCopy(const char* source, const char* target) {
    return Copy(nullptr, source, target, CopyForm::Expanded);
}

StepResult ExpandCopyInFlight(const char* description, const char* source, const char* target, CopyForm form) {
    return Copy(description, source, target, form);
}

StepResult LandCopyInFlight() {
    bool asked;
    return Land(&asked);
}
