#include "script/script_file.h"

#include <windows.h>

#include <cstring>

#include "base/scoped_handles.h"
#include "base/wide_text.h"

namespace {

// No zero byte in the whole file (UTF-16 text aside); false also when it cannot be read.
bool HoldsNoZeroByte(const char* path) {
    ScopedHandle file(
        CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file) return false;
    static char chunk[65536];
    bool first = true, clean = true;
    DWORD got = 0;
    while (clean && ReadFile(file.get(), chunk, sizeof chunk, &got, nullptr) && got > 0) {
        const unsigned char* bytes = reinterpret_cast<const unsigned char*>(chunk);
        if (first && got >= 2 && ((bytes[0] == 0xFF && bytes[1] == 0xFE) || (bytes[0] == 0xFE && bytes[1] == 0xFF)))
            break;
        first = false;
        clean = std::memchr(chunk, 0, got) == nullptr;
    }
    return clean;
}

}  // namespace

bool IsScriptFile(const char* path) {
    // The wide reader takes a UTF-16 script by its byte order mark and an
    // ANSI one through the code page: either has a first section name.
    wchar_t names[64] = L"";
    GetPrivateProfileSectionNamesW(names, 64, Wide(path).c_str());
    return names[0] != L'\0' && HoldsNoZeroByte(path);
}
