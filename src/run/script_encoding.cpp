#include "run/script_encoding.h"

#include <windows.h>

#include <cstring>
#include <string>

#include "base/text_buffer.h"
#include "base/whole_files.h"
#include "base/wide_text.h"

namespace {

constexpr char kUtf8Mark[] = "\xEF\xBB\xBF";
constexpr char kUtf16Mark[] = "\xFF\xFE";

bool BeginsWith(const TextBuffer& text, const char* mark, size_t length) {
    return text.Length() >= length && std::memcmp(text.Text(), mark, length) == 0;
}

// Bytes beyond ASCII that are all whole UTF-8 characters.
bool ReadsAsUtf8(const char* bytes, size_t length) {
    bool beyondAscii = false;
    for (size_t i = 0; i < length && !beyondAscii; ++i) beyondAscii = static_cast<unsigned char>(bytes[i]) >= 0x80;
    return beyondAscii && MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes, static_cast<int>(length),
                                              nullptr, 0) > 0;
}

}  // namespace

bool WriteUtf16Twin(const char* source, const char* target, bool plainUtf8, bool* converted) {
    *converted = false;
    TextBuffer text;
    bool exists = false;
    if (!ReadWholeFile(source, text, &exists) || !exists) return false;
    size_t skip = 0;
    if (BeginsWith(text, kUtf8Mark, 3)) skip = 3;
    else if (!plainUtf8 || BeginsWith(text, kUtf16Mark, 2) || BeginsWith(text, "\xFE\xFF", 2) ||
             !ReadsAsUtf8(text.Text(), text.Length()))
        return true;
    size_t length = text.Length() - skip;
    const char* body = length > 0 ? text.Data() + skip : "";
    if (std::memchr(body, 0, length)) return true;
    // A byte that is no UTF-8 reads as U+FFFD, as any UTF-8 reader shows it.
    std::wstring wide = Wide(body, length);
    if (length > 0 && wide.empty()) return false;
    TextBuffer twin;
    char beside[kPathBytes];
    if (!twin.Reserve(2 + 2 * wide.size() + 1) || !twin.Append(kUtf16Mark, 2) ||
        !twin.Append(reinterpret_cast<const char*>(wide.data()), 2 * wide.size()) || !BesidePath(target, beside))
        return false;
    if (!WriteWholeFile(beside, twin)) {
        DeleteFileW(Wide(beside).c_str());
        return false;
    }
    if (!MoveIntoPlace(beside, target)) return false;
    *converted = true;
    return true;
}

bool ScriptReadableByProfile(const char* path) {
    bool converted = false;
    return WriteUtf16Twin(path, path, false, &converted);
}
