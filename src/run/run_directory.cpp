#include "run/run_directory.h"

#include <ntsecapi.h>

#include "actions/expand_copy.h"
#include "base/format_text.h"
#include "base/media_source.h"
#include "ui/messages.h"
#include "base/results.h"
#include "base/run_log.h"
#include "base/text.h"
#include "base/scoped_handles.h"

namespace {

// 64 bits from the system's random source; where that fails, from the clock
// and the process, which still differ from run to run.
unsigned long long RandomBits() {
    unsigned long long bits = 0;
    if (RtlGenRandom(&bits, sizeof bits)) return bits;
    LARGE_INTEGER counter = {};
    QueryPerformanceCounter(&counter);
    return static_cast<unsigned long long>(counter.QuadPart) ^
           (static_cast<unsigned long long>(GetCurrentProcessId()) << 32) ^ GetTickCount();
}

// The full path of the file a copy came from: a path as it is, a bare name
// found the way the LZ library finds it. Empty when it cannot be told.
void FoundAt(const char* place, char (&source)[MAX_PATH]) {
    source[0] = '\0';
    if (HasDirectoryPart(place)) {
        DWORD n = GetFullPathNameA(place, sizeof source, source, nullptr);
        if (n == 0 || n >= sizeof source) source[0] = '\0';
        return;
    }
    OFSTRUCT found = {};
    if (OpenFile(place, &found, OF_EXIST) != HFILE_ERROR) CopyText(source, found.szPathName);
}

// Gives the copy the last write time of the media file it came from, as a
// copy of a file keeps its date. The platform's profile reader takes a file
// written in the last two seconds for one that may still be changing and
// reads it whole again at every call: a script copied a moment ago would be
// read whole for every section and key during its first two seconds.
void KeepDate(const char* source, const char* copy) {
    BY_HANDLE_FILE_INFORMATION data;
    if (!source[0] || !MediaFileInfo(source, &data)) return;
    ScopedHandle file(CreateFileA(copy, FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    if (file) SetFileTime(file.get(), nullptr, nullptr, &data.ftLastWriteTime);
}

}  // namespace

bool RunDirectory::Create() {
    char temp[MAX_PATH];
    DWORD n = GetTempPathA(sizeof temp, temp);
    if (n > 0 && n < sizeof temp) {
        // A name that exists already is never used: the directory must be new.
        for (int attempt = 0; attempt < 16; ++attempt) {
            unsigned long long bits = RandomBits();
            char name[MAX_PATH];
            FormatText(name, sizeof name, "%ssetup%08lX%08lX",
                       {TextArgument(temp), NumberArgument(static_cast<long>(bits >> 32)),
                        NumberArgument(static_cast<long>(bits & 0xFFFFFFFF))});
            if (lstrlenA(name) + 16 >= MAX_PATH) break;
            if (CreateDirectoryA(name, nullptr)) {
                CopyText(path_, name);
                return true;
            }
            if (GetLastError() != ERROR_ALREADY_EXISTS) break;
        }
    } else {
        temp[0] = '\0';
    }
    ReportMessage(nullptr, kMsgCannotCreateDirectory, kStyleStop, temp);
    return false;
}

bool RunDirectory::Fetch(const StartupSearch& search, const char* mediaFile, const char* name, HeldFile& copy,
                         char (&source)[MAX_PATH], bool (*complete)(const char*)) const {
    source[0] = '\0';
    char place[MAX_PATH];
    if (!StartupFilePlace(search, mediaFile, place)) {
        ReportMessage(nullptr, kMsgCannotOpen, kStyleStop, mediaFile);
        return false;
    }
    char path[MAX_PATH];
    CopyText(path, path_);
    AddBackslash(path);
    if (!AppendText(path, name)) return false;
    bool fetched = ExpandCopy(place, path) == StepResult::GoOn;
    if (fetched && complete && !complete(path)) {
        ReportMessage(nullptr, kMsgCannotModify, kStyleStop, path);
        fetched = false;
    }
    if (!fetched) {
        DeleteFileA(path);
        return false;
    }
    FoundAt(place, source);
    LogLine("%s read from %s", {TextArgument(mediaFile), TextArgument(source[0] ? source : place)});
    KeepDate(source, path);
    if (!copy.Hold(path)) {
        DeleteFileA(path);
        ReportMessage(nullptr, kMsgCannotOpen, kStyleStop, path);
        return false;
    }
    return true;
}

void RunDirectory::Remove() {
    if (path_[0]) RemoveDirectoryA(path_);
    path_[0] = '\0';
}
