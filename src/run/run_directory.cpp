#include "run/run_directory.h"

#include <ntsecapi.h>

#include "actions/expand_copy.h"
#include "base/file_system.h"
#include "base/format_text.h"
#include "base/media_source.h"
#include "ui/messages.h"
#include "base/results.h"
#include "base/run_log.h"
#include "base/text.h"
#include "base/scoped_handles.h"
#include "base/wide_text.h"

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
// found the way the LZ library finds it (the current directory, then the
// system's; the installer's own directory, which the library also searches,
// has been looked at before a bare name gets here). Empty when it cannot be
// told.
void FoundAt(const char* place, char (&source)[kPathBytes]) {
    source[0] = '\0';
    if (HasDirectoryPart(place)) {
        FullPathName(place, source);
        return;
    }
    wchar_t found[MAX_PATH];
    DWORD n = SearchPathW(nullptr, Wide(place).c_str(), nullptr, MAX_PATH, found, nullptr);
    if (n == 0 || n >= MAX_PATH || !FromWide(found, source)) source[0] = '\0';
}

// Gives the copy the last write time of the media file it came from, as a
// copy of a file keeps its date. The platform's profile reader takes a file
// written in the last two seconds for one that may still be changing and
// reads it whole again at every call: a script copied a moment ago would be
// read whole for every section and key during its first two seconds.
void KeepDate(const char* source, const char* copy) {
    BY_HANDLE_FILE_INFORMATION data;
    if (!source[0] || !MediaFileInfo(source, &data)) return;
    ScopedHandle file(CreateFileW(Wide(copy).c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    if (file) SetFileTime(file.get(), nullptr, nullptr, &data.ftLastWriteTime);
}

}  // namespace

bool RunDirectory::Create() {
    char temp[kPathBytes];
    wchar_t wideTemp[MAX_PATH + 1];
    DWORD n = GetTempPathW(MAX_PATH + 1, wideTemp);
    if (n > 0 && n < MAX_PATH && FromWide(wideTemp, temp)) {
        // A name that exists already is never used: the directory must be new.
        for (int attempt = 0; attempt < 16; ++attempt) {
            unsigned long long bits = RandomBits();
            char name[kPathBytes];
            FormatText(name, sizeof name, "%ssetup%08lX%08lX",
                       {TextArgument(temp), NumberArgument(static_cast<long>(bits >> 32)),
                        NumberArgument(static_cast<long>(bits & 0xFFFFFFFF))});
            // Room left for the names of the files fetched into it, in the
            // platform's characters.
            std::wstring wide = Wide(name);
            if (wide.size() + 16 >= MAX_PATH) break;
            if (CreateDirectoryW(wide.c_str(), nullptr)) {
                CopyText(path_, name);
                LogLine("Run directory: %s", {TextArgument(path_)});
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
                         char (&source)[kPathBytes], bool (*complete)(const char*)) const {
    source[0] = '\0';
    char place[kPathBytes];
    if (!StartupFilePlace(search, mediaFile, place)) {
        ReportMessage(nullptr, kMsgCannotOpen, kStyleStop, mediaFile);
        return false;
    }
    char path[kPathBytes];
    CopyText(path, path_);
    AddBackslash(path);
    if (!AppendText(path, name)) return false;
    bool fetched = ExpandCopy(place, path) == StepResult::GoOn;
    if (fetched && complete && !complete(path)) {
        ReportMessage(nullptr, kMsgCannotModify, kStyleStop, path);
        fetched = false;
    }
    if (!fetched) {
        DeleteFileW(Wide(path).c_str());
        return false;
    }
    FoundAt(place, source);
    LogLine("%s read from %s", {TextArgument(mediaFile), TextArgument(source[0] ? source : place)});
    KeepDate(source, path);
    if (!copy.Hold(path)) {
        DeleteFileW(Wide(path).c_str());
        ReportMessage(nullptr, kMsgCannotOpen, kStyleStop, path);
        return false;
    }
    return true;
}

void RunDirectory::Remove() {
    if (path_[0]) RemoveDirectoryW(Wide(path_).c_str());
    path_[0] = '\0';
}
