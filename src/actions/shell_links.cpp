#include "actions/shell_links.h"

#include <objbase.h>
#include <shlobj.h>

#include <cstdlib>
#include <string>

#include "base/run_log.h"
#include "base/text.h"
#include "base/wide_text.h"
#include "base/scoped_handles.h"

namespace {

// COM for this thread while the scope lives; let go only by the scope that
// took it. A thread already in another apartment is served as it is.
class ComScope {
public:
    ComScope() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComScope() {
        if (SUCCEEDED(result_)) CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;
    bool Ready() const { return SUCCEEDED(result_) || result_ == RPC_E_CHANGED_MODE; }
    HRESULT Result() const { return result_; }

private:
    HRESULT result_;
};

// The one owner of an interface pointer.
template <typename Interface> class ComPointer {
public:
    ComPointer() = default;
    ~ComPointer() {
        if (pointer_) pointer_->Release();
    }
    ComPointer(const ComPointer&) = delete;
    ComPointer& operator=(const ComPointer&) = delete;
    void** Out() { return reinterpret_cast<void**>(&pointer_); }
    Interface* operator->() const { return pointer_; }
    Interface* get() const { return pointer_; }

private:
    Interface* pointer_ = nullptr;
};

// The failing platform call's reason, for the message's system text.
void KeepReason(HRESULT result) {
    SetLastError(HRESULT_FACILITY(result) == FACILITY_WIN32 ? HRESULT_CODE(result) : static_cast<DWORD>(result));
}

LinkResult Fail(LinkFailure* failure, TextMessage message, const wchar_t* path) {
    DWORD reason = GetLastError();
    failure->message = message;
    if (!FromWide(path, failure->path)) CopyText(failure->path, "?");
    SetLastError(reason);
    return LinkResult::kFailed;
}

bool AppendWide(wchar_t* out, size_t cap, const wchar_t* text) {
    size_t used = lstrlenW(out), length = lstrlenW(text);
    if (used + length >= cap) return false;
    CopyMemory(out + used, text, (length + 1) * sizeof(wchar_t));
    return true;
}

// The group's folder: "<Programs>\<group>". False when the name names no
// folder or the path does not fit; *found is false when the Programs folder
// itself is not known.
bool GroupFolder(const char* group, wchar_t (&folder)[MAX_PATH], bool* found) {
    wchar_t name[MAX_PATH];
    *found = SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_PROGRAMS | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT,
                                        folder));
    if (!*found) folder[0] = L'\0';
    return ShellFileName(group, name) && (!*found || (AppendWide(folder, MAX_PATH, L"\\") &&
                                                 AppendWide(folder, MAX_PATH, name)));
}

bool LinkPath(const wchar_t* folder, const char* item, wchar_t (&path)[MAX_PATH]) {
    wchar_t name[MAX_PATH];
    path[0] = L'\0';
    return ShellFileName(item, name) && AppendWide(path, MAX_PATH, folder) && AppendWide(path, MAX_PATH, L"\\") &&
           AppendWide(path, MAX_PATH, name) && AppendWide(path, MAX_PATH, L".lnk");
}

bool FindWide(const wchar_t* text, wchar_t c) {
    for (; *text; ++text)
        if (*text == c) return true;
    return false;
}

bool Missing(DWORD error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

// Deletes one link; a link that is not there is no failure. *deleted tells
// whether there was one.
bool DeleteLink(const wchar_t* path, bool* deleted) {
    if (GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES) SetFileAttributesW(path, FILE_ATTRIBUTE_NORMAL);
    *deleted = DeleteFileW(path) != 0;
    return *deleted || Missing(GetLastError());
}

bool EndsWithLink(const wchar_t* name) {
    int length = lstrlenW(name);
    return length > 4 && lstrcmpiW(name + length - 4, L".lnk") == 0;
}

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

// The file a program name stands for, as the platform searches for programs.
bool Search(const wchar_t* name, wchar_t* found, size_t cap) {
    DWORD n = SearchPathW(nullptr, name, L".exe", static_cast<DWORD>(cap), found, nullptr);
    return n > 0 && n < cap;
}

// The link's settings from the item's fields; the first refused one's result.
HRESULT Describe(IShellLinkW* link, const ItemArguments& fields, const wchar_t* program, const wchar_t* arguments,
                 const wchar_t* name) {
    HRESULT result = link->SetPath(program);
    if (SUCCEEDED(result) && arguments[0]) result = link->SetArguments(arguments);
    if (SUCCEEDED(result)) result = link->SetDescription(name);
    wchar_t text[MAX_PATH];
    if (SUCCEEDED(result) && fields.fields[kItemIconFile][0]) {
        if (!ToWide(fields.fields[kItemIconFile], text)) return E_INVALIDARG;
        result = link->SetIconLocation(text, atoi(fields.fields[kItemIconIndex]));
    }
    if (SUCCEEDED(result) && fields.fields[kItemWorkingDirectory][0]) {
        if (!ToWide(fields.fields[kItemWorkingDirectory], text)) return E_INVALIDARG;
        result = link->SetWorkingDirectory(text);
    }
    if (SUCCEEDED(result) && fields.fields[kItemHotKey][0])
        result = link->SetHotkey(static_cast<WORD>(atoi(fields.fields[kItemHotKey])));
    if (SUCCEEDED(result) && fields.fields[kItemMinimised][0])
        result = link->SetShowCmd(atoi(fields.fields[kItemMinimised]) == 0 ? SW_SHOWMINNOACTIVE : SW_SHOWNORMAL);
    return result;
}

// Saves the link beside its place and moves it there, so the link in the
// group is whole or absent.
HRESULT Save(IShellLinkW* link, const wchar_t* path) {
    wchar_t temporary[MAX_PATH] = L"";
    if (!AppendWide(temporary, MAX_PATH, path) || !AppendWide(temporary, MAX_PATH, L".new"))
        return HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);
    ComPointer<IPersistFile> file;
    HRESULT result = link->QueryInterface(IID_IPersistFile, file.Out());
    if (SUCCEEDED(result)) result = file->Save(temporary, FALSE);
    if (SUCCEEDED(result) && !MoveFileExW(temporary, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        result = HRESULT_FROM_WIN32(GetLastError());
    if (FAILED(result)) DeleteFileW(temporary);
    return result;
}

}  // namespace

bool ShellFileName(const char* name, wchar_t (&out)[MAX_PATH]) {
    if (!ToWide(name, out)) return false;
    for (wchar_t* at = out; *at; ++at)
        if (*at < L' ' || FindWide(L"\"*/:<>?\\|", *at)) *at = L'_';
    return out[0] && lstrcmpW(out, L".") != 0 && lstrcmpW(out, L"..") != 0;
}

void SplitItemArguments(char* text, ItemArguments* out) {
    static char none[] = "";
    int count = 0;
    char* at = text;
    while (count < kItemFieldCount && at) {
        while (*at == ' ' || *at == '\t') ++at;
        char* field = at;
        char* end = nullptr;
        char* next = nullptr;
        if (*at == '"') {
            // Quoted only when the closing quote ends the field.
            char* close = at + 1;
            while (*close && *close != '"') ++close;
            char* after = *close ? close + 1 : close;
            while (*after == ' ' || *after == '\t') ++after;
            if (*close && (*after == ',' || *after == '\0')) {
                field = at + 1;
                end = close;
                next = *after == ',' ? after + 1 : nullptr;
            }
        }
        if (!end) {
            end = at;
            while (*end && *end != ',') ++end;
            next = *end == ',' ? end + 1 : nullptr;
            while (end > field && (end[-1] == ' ' || end[-1] == '\t')) --end;
        }
        *end = '\0';
        out->fields[count++] = field;
        at = next;
    }
    while (count < kItemFieldCount) out->fields[count++] = none;
}

bool FindProgram(const wchar_t* commandLine, wchar_t* program, size_t cap, const wchar_t** arguments) {
    program[0] = L'\0';
    const wchar_t* line = commandLine;
    while (IsBlank(*line)) ++line;
    wchar_t part[MAX_PATH];
    int length = lstrlenW(line);
    if (line[0] == L'"') {
        const wchar_t* close = line + 1;
        while (*close && *close != L'"') ++close;
        int n = static_cast<int>(close - line - 1);
        if (n >= MAX_PATH) return false;
        CopyMemory(part, line + 1, n * sizeof(wchar_t));
        part[n] = L'\0';
        const wchar_t* rest = *close ? close + 1 : close;
        while (IsBlank(*rest)) ++rest;
        *arguments = rest;
        if (Search(part, program, cap)) return true;
        if (static_cast<size_t>(n) >= cap) return false;
        CopyMemory(program, part, (n + 1) * sizeof(wchar_t));
        return false;
    }
    // The whole line first, then each part before a blank, shortest first.
    *arguments = line + length;
    if (Search(line, program, cap)) return true;
    for (int i = 1; i < length && i < MAX_PATH; ++i) {
        if (!IsBlank(line[i]) || IsBlank(line[i - 1])) continue;
        CopyMemory(part, line, i * sizeof(wchar_t));
        part[i] = L'\0';
        DWORD attributes = GetFileAttributesW(part);
        bool directory = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
        if (!directory && Search(part, program, cap)) {
            const wchar_t* rest = line + i;
            while (IsBlank(*rest)) ++rest;
            *arguments = rest;
            return true;
        }
    }
    program[0] = L'\0';
    if (static_cast<size_t>(length) >= cap) return false;
    CopyMemory(program, line, (length + 1) * sizeof(wchar_t));
    return false;
}

LinkResult RemoveShellItem(const char* group, const char* item, LinkFailure* failure) {
    wchar_t folder[MAX_PATH], path[MAX_PATH];
    bool found = false;
    if (!GroupFolder(group, folder, &found) || (found && !LinkPath(folder, item, path))) return LinkResult::kBadName;
    if (!found) return LinkResult::kDone;  // no Programs folder: no link in it either
    bool deleted = false;
    if (!DeleteLink(path, &deleted)) return Fail(failure, kMsgCannotDelete, path);
    if (deleted) LogLine("Link removed: %s", {TextArgument(item)});
    return LinkResult::kDone;
}

LinkResult AddShellItem(const char* group, const char* arguments, LinkFailure* failure) {
    std::string text = arguments;
    ItemArguments fields;
    SplitItemArguments(&text[0], &fields);
    wchar_t commandLine[1024], program[MAX_PATH];
    const wchar_t* programArguments = L"";
    if (!fields.fields[kItemCommandLine][0] || !ToWide(fields.fields[kItemCommandLine], commandLine))
        return LinkResult::kBadName;
    bool exists = FindProgram(commandLine, program, MAX_PATH, &programArguments);
    if (!program[0]) return LinkResult::kBadName;

    // Without a name the item is called after its program's file, as Program
    // Manager calls it.
    char name[kPathBytes];
    if (fields.fields[kItemName][0]) {
        if (!CopyText(name, fields.fields[kItemName])) return LinkResult::kBadName;
    } else {
        const wchar_t* file = program;
        for (const wchar_t* at = program; *at; ++at)
            if (*at == L'\\' || *at == L'/') file = at + 1;
        if (!FromWide(file, name)) return LinkResult::kBadName;
        char* dot = nullptr;
        for (char* at = name; *at; ++at)
            if (*at == '.') dot = at;
        if (dot) *dot = '\0';
    }
    wchar_t folder[MAX_PATH], path[MAX_PATH], description[MAX_PATH];
    bool found = false;
    if (!GroupFolder(group, folder, &found) || !ToWide(name, description)) return LinkResult::kBadName;
    if (!found) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return Fail(failure, kMsgCannotCreateLink, description);
    }
    if (!LinkPath(folder, name, path)) return LinkResult::kBadName;
    if (!CreateDirectoryW(folder, nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
        return Fail(failure, kMsgCannotCreateDirectory, folder);

    ComScope com;
    ComPointer<IShellLinkW> link;
    HRESULT result = com.Ready() ? CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                                    link.Out())
                                 : com.Result();
    if (SUCCEEDED(result)) result = Describe(link.get(), fields, program, programArguments, description);
    if (SUCCEEDED(result)) result = Save(link.get(), path);
    if (FAILED(result)) {
        KeepReason(result);
        return Fail(failure, kMsgCannotCreateLink, path);
    }
    char target[kPathBytes];
    FromWide(program, target);
    LogLine(exists ? "Link made: %s -> %s" : "Link made: %s -> %s (not found)",
            {TextArgument(name), TextArgument(target)});
    return LinkResult::kDone;
}

LinkResult DeleteShellGroup(const char* group, LinkFailure* failure) {
    wchar_t folder[MAX_PATH], pattern[MAX_PATH];
    bool found = false;
    if (!GroupFolder(group, folder, &found)) return LinkResult::kBadName;
    if (!found) return LinkResult::kDone;
    CopyMemory(pattern, folder, sizeof folder);
    if (!AppendWide(pattern, MAX_PATH, L"\\*")) return LinkResult::kBadName;
    WIN32_FIND_DATAW entry;
    ScopedFind search(FindFirstFileW(pattern, &entry));
    if (search) {
        bool deleted = true, gone = false;
        wchar_t path[MAX_PATH] = L"";
        do {
            if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || !EndsWithLink(entry.cFileName)) continue;
            path[0] = L'\0';
            deleted = AppendWide(path, MAX_PATH, folder) && AppendWide(path, MAX_PATH, L"\\") &&
                      AppendWide(path, MAX_PATH, entry.cFileName) && DeleteLink(path, &gone);
        } while (deleted && FindNextFileW(search.get(), &entry));
        DWORD reason = GetLastError();
        search.Close();
        SetLastError(reason);
        if (!deleted) return Fail(failure, kMsgCannotDelete, path[0] ? path : folder);
    } else if (Missing(GetLastError())) {
        return LinkResult::kDone;
    }
    if (RemoveDirectoryW(folder) || Missing(GetLastError())) {
        LogLine("Group removed: %s", {TextArgument(group)});
        return LinkResult::kDone;
    }
    // Something of someone else's is in it: the folder stays.
    if (GetLastError() == ERROR_DIR_NOT_EMPTY) {
        LogLine("Kept, not empty: %s", {TextArgument(group)});
        return LinkResult::kDone;
    }
    return Fail(failure, kMsgCannotDeleteGroup, folder);
}
