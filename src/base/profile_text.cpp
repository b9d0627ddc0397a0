#include "base/profile_text.h"

#include <windows.h>

#include <cstring>

namespace {

constexpr DWORD kKeyListSize = 8192;

}  // namespace

bool ReadProfileText(const char* section, const char* key, const char* fallback, const char* file, TextBuffer& out) {
    out.Clear();
    if (key && std::strlen(key) > kProfileTextLimit) return false;
    // Most values are short: start small, and read again into twice the room
    // while the reader filled all it was given. A value in quotation marks
    // whose text is one character longer than the room comes back one
    // character short, its closing quotation mark cut and the last character
    // taken for it, and looks whole: a value counts as whole only when it
    // leaves two characters of the room free.
    constexpr size_t kLastRoom = kProfileTextLimit + 3;
    for (size_t room = 256;; room *= 2) {
        if (room > kLastRoom) room = kLastRoom;
        if (!out.Reserve(room)) return false;
        DWORD length = GetPrivateProfileStringA(section, key, fallback, out.Data(), static_cast<DWORD>(room), file);
        out.SetLength(length);
        if (length + 2 < room) return true;
        if (room == kLastRoom) return false;
    }
}

// The reader cuts a list longer than the room it is given, perhaps in the
// middle of a key: a cut list is read again into twice the room, so every key
// of a long section comes back, and comes back whole.
bool FileProfileReader::ReadKeys(const char* section, TextBuffer& keys) {
    keys.Clear();
    for (DWORD size = kKeyListSize;; size *= 2) {
        if (!keys.Reserve(size)) return false;
        std::memset(keys.Data(), 0, keys.Capacity());
        DWORD length = GetPrivateProfileStringA(section, nullptr, "", keys.Data(), size, path_);
        if (length + 2 < size || size > 0x40000000) {
            keys.SetLength(length);
            return true;
        }
    }
}

bool FileProfileReader::ReadValue(const char* section, const char* key, TextBuffer& value) {
    return ReadProfileText(section, key, "", path_, value);
}

int FileProfileReader::ReadInt(const char* section, const char* key, int fallback) {
    return static_cast<int>(GetPrivateProfileIntA(section, key, fallback, path_));
}
