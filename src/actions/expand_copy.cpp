#include "actions/expand_copy.h"

#include <windows.h>

#include "actions/overwrite_dialog.h"
#include "base/compressed_header.h"
#include "base/file_system.h"
#include "base/messages.h"
#include "base/resource_ids.h"
#include "base/results.h"
#include "base/run_outcome.h"
#include "base/setup_state.h"
#include "base/status_lines.h"
#include "base/system_libraries.h"
#include "base/text.h"

namespace {

// Moves the whole file through the LZ library: plain files come through
// unchanged, compressed ones expanded. Large blocks keep plain copies as fast
// as the file system allows. Returns 0, an LZ error code (negative) when the
// media file could not be read to its full length, or 1 when the target
// could not be written.
int Transfer(const LzCalls& lz, INT source, HANDLE target) {
    static char buffer[1 << 20];
    LONG total = 0;
    for (;;) {
        INT got = lz.read(source, buffer, sizeof buffer);
        if (got < 0) return got;
        if (got == 0) break;
        DWORD written = 0;
        if (!WriteFile(target, buffer, static_cast<DWORD>(got), &written, nullptr) ||
            written != static_cast<DWORD>(got))
            return 1;
        total += got;
        // A large file takes many frames: its own status waits no longer.
        PaintStatusIfDue();
    }
    // Compressed data that ends early, or that is not what its header says,
    // expands without an error; the header still tells the full length.
    LONG length = lz.seek(source, 0, 2);
    if (length >= 0 && total < length) return LZERROR_READ;
    return length >= 0 && total > length ? LZERROR_BADVALUE : 0;
}

// Copies until it succeeds or the user gives up: 0, 1 after Ignore, -1 after Abort.
int TransferWithRetry(const LzCalls& lz, INT source, HANDLE target, const char* targetPath) {
    for (;;) {
        int status = Transfer(lz, source, target);
        if (status == 0) return 0;
        int answer = status < 0 ? ReportMessage(OwnerWindow(), kMsgLzError, kStyleAbortRetryIgnore,
                                                static_cast<long>(status))
                                : ReportMessage(OwnerWindow(), kMsgCannotCreateFile, kStyleAbortRetryIgnore, targetPath);
        if (answer != 0) return answer;
        lz.seek(source, 0, 0);
        SetFilePointer(target, 0, nullptr, FILE_BEGIN);
        SetEndOfFile(target);
    }
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
bool OpenChecked(const LzCalls* lz, const char* name, OFSTRUCT* of, INT* src, long* damage) {
    if (!lz) return false;
    HANDLE file = OpenForReading(name);
    if (file == INVALID_HANDLE_VALUE) return false;
    *damage = HeaderDamage(file);
    if (*damage == 0 && SetFilePointer(file, 0, nullptr, FILE_BEGIN) != 0) *damage = LZERROR_READ;
    if (*damage != 0) {
        CloseHandle(file);
        return true;
    }
    // The library takes the handle over, as it does one from _lopen.
    of->szPathName[0] = '\0';
    *src = lz->init(static_cast<HFILE>(HandleToLong(file)));
    if (*src < 0) CloseHandle(file);
    return true;
}

// Opens a media file through the LZ library, asking until it opens with a
// sound header or the user gives up: kGoOn with *src open, or the answer
// (kAbort, or kSkipped after Ignore). The library itself would take a
// damaged compressed file for a plain one and copy it as it is.
int OpenSource(const LzCalls* lz, char* sourceName, const char* source, OFSTRUCT* of, INT* src) {
    for (;;) {
        long damage = 0;
        *src = -1;
        if (!OpenChecked(lz, sourceName, of, src, &damage)) {
            *src = OpenMediaFile(lz, sourceName, of);
            if (*src >= 0) {
                damage = DamagedHeader(of->szPathName[0] ? of->szPathName : sourceName);
                if (damage != 0) lz->close(*src);
            }
        }
        if (*src >= 0 && damage == 0) return kGoOn;
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

}  // namespace

int ExpandCopy(const char* source, const char* target) {
    // The LZ library takes a writable name.
    char sourceName[MAX_PATH];
    CopyText(sourceName, source);
    OFSTRUCT of = {};
    const LzCalls* lz = LzLibrary();
    INT src = -1;
    int result = OpenSource(lz, sourceName, source, &of, &src);
    if (result != kGoOn) return result;

    // Most targets are new and their directory is there: one create tells
    // both. An existing target or a missing directory takes the steps below.
    HANDLE out = CreateFileA(target, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    int decision = out != INVALID_HANDLE_VALUE ? IDYES : AskToReplace(target, source, sourceName, of, &result);
    if (decision == IDYES) {
        while (out == INVALID_HANDLE_VALUE &&
               (out = CreateFileA(target, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                  nullptr)) == INVALID_HANDLE_VALUE) {
            result = ReportMessage(OwnerWindow(), kMsgCannotCreateFile, kStyleAbortRetryIgnore, target);
            if (result != 0) break;
        }
        if (out != INVALID_HANDLE_VALUE) {
            result = TransferWithRetry(*lz, src, out, target);
            CloseHandle(out);
            // Half a file, or one expanded from damaged data, is not installed.
            if (result != kGoOn) DeleteFileA(target);
        }
    }
    lz->close(src);
    return result;
}
