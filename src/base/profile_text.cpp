#include "base/profile_text.h"

#include <windows.h>

#include <cstring>

bool ReadProfileText(const char* section, const char* key, const char* fallback, const char* file, TextBuffer& out) {
    out.Clear();
    if (key && std::strlen(key) > kProfileTextLimit) return false;
    // Most values are short: start small, and read again into twice the room
    // while the reader filled all it was given.
    for (size_t room = 256;; room *= 2) {
        if (room > kProfileTextLimit + 2) room = kProfileTextLimit + 2;
        if (!out.Reserve(room)) return false;
        DWORD length = GetPrivateProfileStringA(section, key, fallback, out.Data(), static_cast<DWORD>(room), file);
        out.SetLength(length);
        if (length + 1 < room) return true;
        if (room == kProfileTextLimit + 2) return false;
    }
}
