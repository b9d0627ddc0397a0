#include "actions/expand_copy.h"

#include <windows.h>

#include "actions/copy_thread.h"
#include "actions/overwrite_dialog.h"
#include "actions/progress_dialog.h"
#include "base/compressed_header.h"
#include "base/file_system.h"
#include "base/messages.h"
#include "base/resource_ids.h"
#include "base/results.h"
#include "base/run_outcome.h"
#include "base/setup_state.h"
#include "base/system_libraries.h"
#include "base/text.h"

namespace {

// A copy whose data may still be moving on the copy thread, with what its
// entry showed on the status lines.
struct Flight {
    int transfer;
    const LzCalls* lz;
    INT source;
    bool plainSource;  // the file's own handle: the copy thread closes it
    HANDLE target;
    char targetPath[MAX_PATH];
    char sourcePath[MAX_PATH];
    char description[1024];
};
// Oldest first.
Flight flights[kTransfers];
int flightCount;

// The length a media file's data has as its copy starts, with the read
// position at its start: a compressed file's expanded length as its header
// gives it, a plain file's size now. Whatever moves must be exactly that.
long LengthAtStart(const LzCalls* lz, INT source) {
    long length = lz->seek(source, 0, 2);
    lz->seek(source, 0, 0);
    return length;
}

// Lets go of a copy that is not installed: its target is closed (unless the
// whole file arrived and the copy thread closed it) and deleted, its source
// closed.
void Undo(const Flight& f, bool arrived) {
    if (!arrived) CloseHandle(f.target);
    DeleteFileA(f.targetPath);
    if (!arrived || !f.plainSource) f.lz->close(f.source);
}

// Ends a transfer that finished with status: a failure is put to the user,
// and Retry moves the whole file again. Half a file, or one expanded from
// damaged data, is not installed. kGoOn, kSkipped after Ignore, kAbort.
int Settle(const Flight& f, int status) {
    int result = kGoOn;
    while (status != 0) {
        long code = status;
        result = status < 0 ? ReportMessage(OwnerWindow(), kMsgLzError, kStyleAbortRetryIgnore, code)
                 : status == kTransferSourceChanged
                     ? ReportMessage(OwnerWindow(), kMsgMediaFileChanged, kStyleAbortRetryIgnore, f.sourcePath)
                     : ReportMessage(OwnerWindow(), kMsgCannotCreateFile, kStyleAbortRetryIgnore, f.targetPath);
        if (result != 0) break;
        SetFilePointer(f.target, 0, nullptr, FILE_BEGIN);
        SetEndOfFile(f.target);
        status = FinishTransfer(StartTransfer(*f.lz, f.source, f.target, f.plainSource, LengthAtStart(f.lz, f.source)));
    }
    if (result != kGoOn) Undo(f, false);
    else if (!f.plainSource) f.lz->close(f.source);
    return result;
}

// Starts moving a copy's data: the copy as its end needs it.
Flight Start(const LzCalls* lz, INT src, bool plain, HANDLE out, const char* target, const char* source,
             const char* description) {
    Flight f;
    f.transfer = StartTransfer(*lz, src, out, plain, LengthAtStart(lz, src));
    f.lz = lz;
    f.source = src;
    f.plainSource = plain;
    f.target = out;
    CopyText(f.targetPath, target);
    CopyText(f.sourcePath, source);
    CopyText(f.description, description);
    return f;
}

// Opens a media file for reading through the LZ library. The library's
// open-file record holds 127 characters of path; a longer path is opened by
// the platform and handed to the library as it is. Without the library no
// media file opens.
INT OpenMediaFile(const LzCalls* lz, char* name, OFSTRUCT* of) {
    if (!lz) return LZERROR_BADINHANDLE;
    if (lstrlenA(name) < OFS_MAXPATHNAME) return lz->openFile(name, of, OF_READ);
    of->szPathName[0] = '\0';
    HFILE file = _lopen(name, OF_READ);
    if (file == HFILE_ERROR) return LZERROR_BADINHANDLE;
    INT handle = lz->init(file);
    if (handle < 0) _lclose(file);
    return handle;
}

HANDLE OpenForReading(const char* path) {
    return CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
}

// The LZ error that a damaged compressed header at the file's start stands
// for, 0 when the file is plain or its header is sound.
long HeaderDamage(HANDLE file) {
    unsigned char start[kCompressedHeaderSize];
    DWORD got = 0;
    return ReadFile(file, start, sizeof start, &got, nullptr) ? CheckCompressedHeader(start, got) : LZERROR_READ;
}

long DamagedHeader(const char* path) {
    HANDLE file = OpenForReading(path);
    if (file == INVALID_HANDLE_VALUE) return LZERROR_BADINHANDLE;
    long damage = HeaderDamage(file);
    CloseHandle(file);
    return damage;
}

// A media file that is there under its own name is opened once: its header
// is checked through the handle that the library then reads from. True when
// the name opened: *src is the library's handle (negative when it failed),
// or *damage the header's damage with nothing left open. False when the name
// does not open as it is; the library then looks for it its own way.
bool OpenChecked(const LzCalls* lz, const char* name, OFSTRUCT* of, INT* src, long* damage, bool* plain,
                 CopyForm form) {
    if (!lz) return false;
    HANDLE file = OpenForReading(name);
    if (file == INVALID_HANDLE_VALUE) return false;
    of->szPathName[0] = '\0';
    // A file copied as it is stored is read through its own handle, which
    // the library reads as it lies whatever it holds.
    if (form == CopyForm::AsStored) {
        *src = static_cast<INT>(HandleToLong(file));
        *plain = true;
        return true;
    }
    *damage = HeaderDamage(file);
    if (*damage == 0 && SetFilePointer(file, 0, nullptr, FILE_BEGIN) != 0) *damage = LZERROR_READ;
    if (*damage != 0) {
        CloseHandle(file);
        return true;
    }
    // The library takes the handle over, as it does one from _lopen.
    *src = lz->init(static_cast<HFILE>(HandleToLong(file)));
    if (*src < 0) CloseHandle(file);
    // A file that is not compressed is read through its own handle.
    *plain = *src == HandleToLong(file);
    return true;
}

// One try at opening a media file through the LZ library with a sound
// header: *src is left open (*plain when it is the file's own handle), or -1
// with the header's damage returned (0 when the file did not open). The
// library itself would take a damaged compressed file for a plain one and
// copy it as it is.
long TryOpenSource(const LzCalls* lz, char* sourceName, OFSTRUCT* of, INT* src, bool* plain, CopyForm form) {
    long damage = 0;
    *src = -1;
    *plain = false;
    if (!OpenChecked(lz, sourceName, of, src, &damage, plain, form) && form == CopyForm::Expanded) {
        *src = OpenMediaFile(lz, sourceName, of);
        if (*src >= 0) {
            damage = DamagedHeader(of->szPathName[0] ? of->szPathName : sourceName);
            if (damage != 0) lz->close(*src);
        }
    }
    if (damage != 0) *src = -1;
    return damage;
}

// Opens a media file, asking until it opens or the user gives up: kGoOn
// with *src open, or the answer (kAbort, or kSkipped after Ignore).
int OpenSource(const LzCalls* lz, char* sourceName, const char* source, OFSTRUCT* of, INT* src, bool* plain,
               CopyForm form) {
    for (;;) {
        long damage = TryOpenSource(lz, sourceName, of, src, plain, form);
        if (*src >= 0) return kGoOn;
        int answer = damage != 0 ? ReportMessage(OwnerWindow(), kMsgLzError, kStyleAbortRetryIgnore, damage)
                                 : ReportMessage(OwnerWindow(), kMsgCannotOpen, kStyleAbortRetryIgnore, source);
        if (answer != kAnswerRetry) return answer;
    }
}

// For a target that could not be made new: asks whether an existing one is
// replaced (and readies it), or makes its missing directories. IDYES when
// the copy goes on; otherwise *result says how the entry ends.
int AskToReplace(const char* target, const char* source, const char* sourceName, const OFSTRUCT& of, int* result) {
    int decision = IDYES;
    BY_HANDLE_FILE_INFORMATION targetInfo;
    if (GetFileInfo(target, &targetInfo)) {
        if (!gState->pass.yesToAll) {
            // Only the question shows the source's details: reading them for
            // every copy would cost one more open per file. The library
            // tells which file it found, also for a name it searched.
            BY_HANDLE_FILE_INFORMATION sourceInfo = {};
            GetFileInfo(of.szPathName[0] ? of.szPathName : sourceName, &sourceInfo);
            OverwriteRequest request = {target, source, &sourceInfo, &targetInfo};
            decision = OverwriteDialog(&request);
        }
        if (decision == IDCANCEL) {
            NoteEndReason(EndReason::Cancelled);
            *result = kAbort;
        }
        else if (decision == IDC_SKIP) *result = 1;
        else if (decision == IDC_YES_TO_ALL) {
            gState->pass.yesToAll = 1;
            decision = IDYES;
        }
        // A read-only target is replaced like any other.
        if (decision == IDYES) SetFileAttributesA(target, FILE_ATTRIBUTE_NORMAL);
    } else if (EnsureDirectory(target) == kAbort) {
        decision = -1;
        *result = kAbort;
    }
    return decision;
}

Flight TakeOldest() {
    Flight oldest = flights[0];
    --flightCount;
    for (int i = 0; i < flightCount; ++i) flights[i] = flights[i + 1];
    return oldest;
}

// Settles the oldest copy in flight. A failure is asked about with that
// copy's own entry on the status lines, as when it was the last entry; *asked
// then tells the caller that its own entry is to be shown again. After Abort
// the copies that came after it are undone: a pass that stops at an entry
// makes none of the entries after it.
int LandOldest(bool* asked) {
    Flight f = TakeOldest();
    int status = FinishTransfer(f.transfer);
    if (status != 0) {
        *asked = true;
        ShowStatus(kCopyStatusLabels, f.description, f.sourcePath, f.targetPath);
    }
    int result = Settle(f, status);
    while (result == kAbort && flightCount > 0) {
        Flight later = TakeOldest();
        Undo(later, FinishTransfer(later.transfer) == 0);
    }
    return result;
}

// Settles every copy in flight, oldest first: kAbort, or kGoOn.
int Land(bool* asked) {
    *asked = false;
    while (flightCount > 0)
        if (LandOldest(asked) == kAbort) return kAbort;
    return kGoOn;
}

// Copies source to target. With a description (the entry's status), a file
// that opened and whose target was made new is left moving on the copy
// thread when this returns, after the oldest copy in flight when there is no
// room for another; everything else is settled here, after every copy in
// flight.
int Copy(const char* description, const char* source, const char* target, CopyForm form) {
    // The LZ library takes a writable name.
    char sourceName[MAX_PATH];
    CopyText(sourceName, source);
    OFSTRUCT of = {};
    const LzCalls* lz = LzLibrary();
    INT src = -1;
    bool plain = false;
    if (lz) TryOpenSource(lz, sourceName, &of, &src, &plain, form);
    // Most targets are new and their directory is there: one create tells
    // both. An existing target or a missing directory takes the steps below.
    HANDLE out = src < 0 ? INVALID_HANDLE_VALUE
                         : CreateFileA(target, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    // Copies in flight are settled before this one may ask anything.
    bool ahead = description && out != INVALID_HANDLE_VALUE;
    bool asked = false;
    int before = !ahead ? Land(&asked) : flightCount == kTransfers ? LandOldest(&asked) : kGoOn;
    if (asked && description) ShowStatus(kCopyStatusLabels, description, source, target);
    if (before == kAbort) {
        // Nothing of this entry stays: its target was made new just now.
        if (out != INVALID_HANDLE_VALUE) {
            CloseHandle(out);
            DeleteFileA(target);
        }
        if (src >= 0) lz->close(src);
        return kAbort;
    }
    if (ahead) {
        flights[flightCount++] = Start(lz, src, plain, out, target, source, description);
        return kGoOn;
    }

    int result = src >= 0 ? kGoOn : OpenSource(lz, sourceName, source, &of, &src, &plain, form);
    if (result != kGoOn) return result;
    int decision = out != INVALID_HANDLE_VALUE ? IDYES : AskToReplace(target, source, sourceName, of, &result);
    if (decision == IDYES) {
        while (out == INVALID_HANDLE_VALUE &&
               (out = CreateFileA(target, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                  nullptr)) == INVALID_HANDLE_VALUE) {
            result = ReportMessage(OwnerWindow(), kMsgCannotCreateFile, kStyleAbortRetryIgnore, target);
            if (result != 0) break;
        }
        if (out != INVALID_HANDLE_VALUE) {
            Flight f = Start(lz, src, plain, out, target, source, "");
            return Settle(f, FinishTransfer(f.transfer));
        }
    }
    lz->close(src);
    return result;
}

}  // namespace

int ExpandCopy(const char* source, const char* target) { return Copy(nullptr, source, target, CopyForm::Expanded); }

int ExpandCopyInFlight(const char* description, const char* source, const char* target, CopyForm form) {
    return Copy(description, source, target, form);
}

int LandCopyInFlight() {
    bool asked;
    return Land(&asked);
}
