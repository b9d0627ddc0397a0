#include "actions/expand_copy.h"

#include <windows.h>

#include "actions/overwrite_dialog.h"
#include "base/file_system.h"
#include "base/messages.h"
#include "base/resource_ids.h"
#include "base/results.h"
#include "base/setup_state.h"
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
    }
    // A compressed file whose data ends early expands without an error; its
    // header still tells the full length.
    LONG length = lz.seek(source, 0, 2);
    return length >= 0 && total < length ? LZERROR_READ : 0;
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

}  // namespace

int ExpandCopy(const char* source, const char* target) {
    // The LZ library takes a writable name.
    char sourceName[MAX_PATH];
    CopyText(sourceName, source);
    OFSTRUCT of = {};
    const LzCalls* lz = LzLibrary();
    INT src = OpenMediaFile(lz, sourceName, &of);
    int result = 0;
    while (src < 0) {
        result = ReportMessage(OwnerWindow(), kMsgCannotOpen, kStyleAbortRetryIgnore, source);
        if (result != 0) return result;
        src = OpenMediaFile(lz, sourceName, &of);
    }

    int decision = 6;
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
        if (decision == IDCANCEL) result = kAbort;
        else if (decision == IDC_SKIP) result = 1;
        else if (decision == IDC_YES_TO_ALL) {
            gState->pass.yesToAll = 1;
            decision = IDYES;
        }
        // A read-only target is replaced like any other.
        if (decision == IDYES) SetFileAttributesA(target, FILE_ATTRIBUTE_NORMAL);
    } else if (EnsureDirectory(target) == kAbort) {
        decision = -1;
        result = kAbort;
    }

    if (decision == IDYES) {
        HANDLE out;
        while ((out = CreateFileA(target, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                  nullptr)) == INVALID_HANDLE_VALUE) {
            result = ReportMessage(OwnerWindow(), kMsgCannotCreateFile, kStyleAbortRetryIgnore, target);
            if (result != 0) break;
        }
        if (out != INVALID_HANDLE_VALUE) {
            result = TransferWithRetry(*lz, src, out, target);
            CloseHandle(out);
        }
    }
    lz->close(src);
    return result;
}
