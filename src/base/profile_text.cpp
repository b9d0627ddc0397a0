#include "base/profile_text.h"

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "base/text.h"
#include "base/wide_text.h"

namespace {

constexpr DWORD kKeyListSize = 8192;

// A text the platform gave in UTF-16 (length units, zeros inside kept) into
// out in UTF-8.
bool NarrowInto(const wchar_t* wide, DWORD length, TextBuffer& out) {
    out.Clear();
    if (length == 0) return true;
    std::string text = Narrow(wide, static_cast<int>(length));
    return !text.empty() && out.Append(text.data(), text.size());
}

}  // namespace

// The profile functions are called in UTF-16: an ANSI file is read through
// the machine's code page as the ANSI functions read it, and a Unicode file
// gives every character it holds. Names and values come back in UTF-8.
bool ReadProfileText(const char* section, const char* key, const char* fallback, const char* file, TextBuffer& out) {
    out.Clear();
    if (key && WideLength(key) > kProfileTextLimit) return false;
    std::wstring wideSection = Wide(section), wideKey = Wide(key), wideFallback = Wide(fallback), path = Wide(file);
    // Most values are short: start small, and read again into twice the room
    // while the reader filled all it was given. A value in quotation marks
    // whose text is one character longer than the room comes back one
    // character short, its closing quotation mark cut and the last character
    // taken for it, and looks whole: a value counts as whole only when it
    // leaves two characters of the room free. The room is counted in UTF-16
    // units, as the platform counts it.
    constexpr size_t kLastRoom = kProfileTextLimit + 3;
    std::vector<wchar_t> wide;
    for (size_t room = 256;; room *= 2) {
        if (room > kLastRoom) room = kLastRoom;
        wide.assign(room, L'\0');
        DWORD length = GetPrivateProfileStringW(section ? wideSection.c_str() : nullptr, key ? wideKey.c_str() : nullptr,
                                                wideFallback.c_str(), wide.data(), static_cast<DWORD>(room),
                                                path.c_str());
        bool whole = length + 2 < room;
        if (whole || room == kLastRoom) {
            // A value cut at the limit still hands its start to the caller.
            if (!NarrowInto(wide.data(), length, out)) return false;
            return whole;
        }
    }
}

// The reader cuts a list longer than the room it is given, perhaps in the
// middle of a key: a cut list is read again into twice the room, so every key
// of a long section comes back, and comes back whole.
bool FileProfileReader::ReadKeys(const char* section, TextBuffer& keys) {
    keys.Clear();
    std::wstring wideSection = Wide(section), path = Wide(path_);
    std::vector<wchar_t> wide;
    for (DWORD size = kKeyListSize;; size *= 2) {
        wide.assign(size, L'\0');
        DWORD length = GetPrivateProfileStringW(wideSection.c_str(), nullptr, L"", wide.data(), size, path.c_str());
        if (length + 2 < size || size > 0x40000000) {
            // The list's zeros go along: each name ends with one.
            return NarrowInto(wide.data(), length, keys);
        }
    }
}

bool FileProfileReader::ReadValue(const char* section, const char* key, TextBuffer& value) {
    return ReadProfileText(section, key, "", path_, value);
}

int FileProfileReader::ReadInt(const char* section, const char* key, int fallback) {
    return static_cast<int>(GetPrivateProfileIntW(Wide(section).c_str(), Wide(key).c_str(), fallback, Wide(path_).c_str()));
}
