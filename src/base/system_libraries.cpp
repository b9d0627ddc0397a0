#include "base/system_libraries.h"

#include "base/text.h"
#include "base/wide_text.h"

namespace {

// The default search is the system directory alone: a library's own imports
// then come from there as well.
bool searchRestricted = false;

template <typename Call> Call Find(HMODULE library, const char* name) {
    return library ? reinterpret_cast<Call>(reinterpret_cast<void*>(GetProcAddress(library, name))) : nullptr;
}

}  // namespace

void RestrictLibrarySearch() {
    SetDllDirectoryW(L"");
    // Looked up rather than imported, so that the program still starts on a
    // system that lacks it.
    auto setDefault = Find<decltype(&SetDefaultDllDirectories)>(GetModuleHandleW(L"kernel32.dll"),
                                                                 "SetDefaultDllDirectories");
    searchRestricted = setDefault && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

HMODULE SystemLibrary(const char* fileName) {
    wchar_t directory[MAX_PATH];
    UINT n = GetSystemDirectoryW(directory, MAX_PATH);
    char path[kPathBytes];
    if (n == 0 || n >= MAX_PATH || !FromWide(directory, path) || !AddBackslash(path) || !AppendText(path, fileName))
        return nullptr;
    // Without the restricted default, the altered search looks for the
    // library's imports in its own directory, the system directory, first.
    return LoadLibraryExW(Wide(path).c_str(), nullptr, searchRestricted ? 0 : LOAD_WITH_ALTERED_SEARCH_PATH);
}

const LzCalls* LzLibrary() {
    static LzCalls calls;
    static bool tried = false;
    static bool complete = false;
    if (!tried) {
        tried = true;
        HMODULE lz = SystemLibrary("lz32.dll");
        calls.init = Find<decltype(calls.init)>(lz, "LZInit");
        calls.read = Find<decltype(calls.read)>(lz, "LZRead");
        calls.seek = Find<decltype(calls.seek)>(lz, "LZSeek");
        calls.close = Find<decltype(calls.close)>(lz, "LZClose");
        complete = calls.init && calls.read && calls.seek && calls.close;
    }
    return complete ? &calls : nullptr;
}

decltype(&GradientFill) GradientFillCall() {
    static auto fill = Find<decltype(&GradientFill)>(SystemLibrary("msimg32.dll"), "GradientFill");
    return fill;
}

decltype(&TransparentBlt) TransparentBltCall() {
    static auto copy = Find<decltype(&TransparentBlt)>(SystemLibrary("msimg32.dll"), "TransparentBlt");
    return copy;
}
