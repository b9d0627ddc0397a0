#include "actions/ini_write.h"

#include <windows.h>

#include <cstring>
#include <string>

#include "actions/line_scan.h"
#include "actions/profile_rewrite.h"
#include "base/profile_text.h"
#include "base/scoped_handles.h"
#include "base/whole_files.h"
#include "base/wide_text.h"

namespace {

constexpr char kUtf8Mark[] = "\xEF\xBB\xBF";
constexpr char kUtf16Mark[] = "\xFF\xFE";
constexpr size_t kUtf8MarkSize = sizeof kUtf8Mark - 1;
constexpr size_t kUtf16MarkSize = sizeof kUtf16Mark - 1;

LineEncoding EncodingOf(const char* bytes, size_t length) {
    if (length >= kUtf8MarkSize && std::memcmp(bytes, kUtf8Mark, kUtf8MarkSize) == 0) return LineEncoding::kUtf8;
    if (length >= kUtf16MarkSize && std::memcmp(bytes, kUtf16Mark, kUtf16MarkSize) == 0) return LineEncoding::kUtf16;
    return LineEncoding::kAnsi;
}

// The encoding the file's first bytes declare; a file that is not there or
// holds nothing is *empty. A file that cannot be read counts as an empty
// ANSI one: the profile functions then meet it as they always did (a
// directory in its place, say, reads as no value and fails the write).
void ReadEncoding(const char* path, LineEncoding* encoding, bool* empty) {
    *encoding = LineEncoding::kAnsi;
    *empty = true;
    ScopedHandle file(CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    char start[kUtf8MarkSize];
    DWORD got = 0;
    if (!file || !ReadFile(file.get(), start, sizeof start, &got, nullptr)) return;
    *empty = got == 0;
    *encoding = EncodingOf(start, got);
}

// The file's text as UTF-8; false when it does not convert exactly.
bool Decode(const TextBuffer& bytes, LineEncoding encoding, std::string& out) {
    out.clear();
    if (!bytes.Length()) return true;
    switch (encoding) {
        case LineEncoding::kAnsi: out = FromAnsi(bytes.Text(), bytes.Length()); return true;
        case LineEncoding::kUtf8: out.assign(bytes.Text() + kUtf8MarkSize, bytes.Length() - kUtf8MarkSize); return true;
        case LineEncoding::kUtf16:
            return Utf16ToUtf8(bytes.Text() + kUtf16MarkSize, bytes.Length() - kUtf16MarkSize, out);
    }
    return false;
}

bool Spelled(const char* text) {
    std::string ansi;
    return !text || ToAnsi(text, ansi);
}

// The copy the platform's writer works on: a UTF-8 file as UTF-16LE, a new
// UTF-16LE file as its mark alone, any other file as it is.
bool WriterCopy(const TextBuffer& before, LineEncoding encoding, const std::string& text, bool deleting,
                TextBuffer& copy) {
    copy.Clear();
    if (encoding == LineEncoding::kUtf8) {
        std::string wide(kUtf16Mark, kUtf16MarkSize);
        return Utf8ToUtf16(text.data(), text.size(), wide) && copy.Append(wide.data(), wide.size());
    }
    if (encoding == LineEncoding::kUtf16 && !before.Length())
        return deleting || copy.Append(kUtf16Mark, kUtf16MarkSize);
    return copy.Append(before.Text(), before.Length());
}

}  // namespace

bool IniCanSpell(const char* path, const char* section, const char* key, const char* value) {
    LineEncoding encoding;
    bool empty;
    ReadEncoding(path, &encoding, &empty);
    if (encoding != LineEncoding::kAnsi || empty) return true;
    return Spelled(section) && Spelled(key) && Spelled(value);
}

IniWrite WriteIniValue(const char* path, const char* section, const char* key, const char* value) {
    std::string besidePath = std::string(path) + kBesideSuffix;
    const char* beside = besidePath.c_str();
    std::wstring wideBeside = Wide(beside);
    TextBuffer before, after, copy;
    bool exists = false, besideExists = false;
    if (!ReadWholeFile(path, before, &exists)) return IniWrite::kFailed;
    DeleteFileW(wideBeside.c_str());  // left by a run that was killed
    bool deleting = !value || !*value;
    LineEncoding encoding = EncodingOf(before.Text(), before.Length());
    if (encoding == LineEncoding::kAnsi && !(Spelled(section) && Spelled(key) && (deleting || Spelled(value)))) {
        if (before.Length()) return IniWrite::kCannotEncode;
        encoding = LineEncoding::kUtf16;
    }
    // The writer keeps UTF-16LE and ANSI; a UTF-8 file goes to it as UTF-16LE.
    LineEncoding written = encoding == LineEncoding::kUtf8 ? LineEncoding::kUtf16 : encoding;
    std::string old, now;
    if (!Decode(before, encoding, old) || !WriterCopy(before, encoding, old, deleting, copy)) return IniWrite::kFailed;
    if ((exists || copy.Length()) && !WriteWholeFile(beside, copy)) {
        DeleteFileW(wideBeside.c_str());
        return IniWrite::kFailed;
    }
    std::wstring wideValue = Wide(value);
    if (!WritePrivateProfileStringW(Wide(section).c_str(), Wide(key).c_str(), deleting ? nullptr : wideValue.c_str(),
                                    wideBeside.c_str())) {
        DeleteFileW(wideBeside.c_str());
        return IniWrite::kFailed;
    }
    // Deleting from a file that is not there makes none. The copy is checked
    // as text: both decoded to UTF-8, line by line.
    if (!ReadWholeFile(beside, after, &besideExists) || (!besideExists && !(deleting && !exists)) ||
        (after.Length() && EncodingOf(after.Text(), after.Length()) != written) || !Decode(after, written, now) ||
        !RewriteIsWhole(old.data(), old.size(), now.data(), now.size(), {section, key, value})) {
        DeleteFileW(wideBeside.c_str());
        return IniWrite::kFailed;
    }
    if (encoding == LineEncoding::kUtf8) {
        TextBuffer utf8;
        if (!utf8.Append(kUtf8Mark, kUtf8MarkSize) || !utf8.Append(now.data(), now.size()) ||
            !WriteWholeFile(beside, utf8)) {
            DeleteFileW(wideBeside.c_str());
            return IniWrite::kFailed;
        }
    }
    return !besideExists || MoveIntoPlace(beside, path) ? IniWrite::kDone : IniWrite::kFailed;
}

bool ReadIniValue(const char* path, const char* section, const char* key, const char* fallback, TextBuffer& out) {
    out.Clear();
    if (std::strlen(key) > kProfileTextLimit) return false;
    LineEncoding encoding;
    bool empty;
    ReadEncoding(path, &encoding, &empty);
    // A UTF-8 file is read from a UTF-16LE copy beside it.
    std::string from = path;
    if (encoding == LineEncoding::kUtf8) {
        TextBuffer bytes, copy;
        std::string text;
        bool exists = false;
        from += kBesideSuffix;
        if (!ReadWholeFile(path, bytes, &exists) || !Decode(bytes, encoding, text) ||
            !WriterCopy(bytes, encoding, text, false, copy) || !WriteWholeFile(from.c_str(), copy)) {
            DeleteFileW(Wide(from.c_str()).c_str());
            return false;
        }
    }
    // As the engine's script reader does: start small, and read again into
    // twice the room while the reader filled all it was given; a value
    // counts as whole only when it leaves two characters of the room free
    // (a quoted value one character too long comes back looking whole).
    constexpr size_t kLastRoom = kProfileTextLimit + 3;
    std::wstring wideSection = Wide(section), wideKey = Wide(key), wideFallback = Wide(fallback),
                 wideFrom = Wide(from.c_str());
    bool whole = false;
    for (size_t room = 256;; room *= 2) {
        if (room > kLastRoom) room = kLastRoom;
        std::wstring value(room, L'\0');
        DWORD length = GetPrivateProfileStringW(wideSection.c_str(), wideKey.c_str(), wideFallback.c_str(), &value[0],
                                                static_cast<DWORD>(room), wideFrom.c_str());
        if (length + 2 < room) {
            std::string text = Narrow(value.c_str(), static_cast<int>(length));
            whole = out.Append(text.data(), text.size());
            break;
        }
        if (room == kLastRoom) break;
    }
    if (encoding == LineEncoding::kUtf8) DeleteFileW(wideFrom.c_str());
    return whole;
}
