#include "removal/profile_log.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "base/text.h"
#include "base/wide_text.h"
#include "base/whole_files.h"
#include "script/profile_lines.h"

// Offsets into the text are kept in 32 bits, which holds the index of a log
// with a record per file at a third of the size it would take in full width.
struct ProfileLog::Section {
    uint32_t nameStart, nameLength;
    // Just behind the line break of the section's last line: where a new key goes.
    uint32_t end;
};

struct ProfileLog::Key {
    uint32_t section;
    uint32_t lineStart, lineEnd;  // the line without its break
    uint32_t nameStart, nameLength;
    uint32_t valueStart, valueLength;
    unsigned hash;
    bool hasValue;
};

namespace {

// A log this large is not read nor indexed: every offset fits in 32 bits.
constexpr size_t kLargestLog = 0x40000000;

uint32_t Offset(size_t at) { return static_cast<uint32_t>(at); }

// A name asked for, without the blanks the profile functions drop around it.
void Trim(const char*& start, size_t& length) {
    while (length && IsProfileBlank(*start)) ++start, --length;
    while (length && IsProfileBlank(start[length - 1])) --length;
}

// The next character of a UTF-8 text, as a code point.
unsigned NextCode(const char* text, size_t length, size_t& at) {
    unsigned char c = static_cast<unsigned char>(text[at++]);
    if (c < 0x80) return c;
    int more = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
    unsigned code = c & (0x3Fu >> more);
    for (; more && at < length && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80; --more)
        code = code << 6 | (static_cast<unsigned char>(text[at++]) & 0x3F);
    return code;
}

// A character with its letter case folded as the profile functions fold
// names: over UTF-16, the user's language's rules.
unsigned Folded(unsigned code) {
    if (code < 0x80) return code >= 'A' && code <= 'Z' ? code + 32 : code;
    if (code >= 0x10000) return code;
    WCHAR unit = static_cast<WCHAR>(code);
    CharLowerBuffW(&unit, 1);
    return unit;
}

bool SameFolded(const char* a, size_t aLength, const char* b, size_t bLength) {
    size_t i = 0, j = 0;
    while (i < aLength && j < bLength)
        if (Folded(NextCode(a, aLength, i)) != Folded(NextCode(b, bLength, j))) return false;
    return i == aLength && j == bLength;
}

unsigned HashFolded(size_t section, const char* name, size_t length) {
    unsigned hash = 2166136261u ^ static_cast<unsigned>(section * 0x9E3779B1u);
    for (size_t i = 0; i < length;) hash = (hash ^ Folded(NextCode(name, length, i))) * 16777619u;
    return hash;
}

template <typename T>
bool Grow(T*& items, size_t& capacity, size_t needed) {
    if (needed <= capacity) return true;
    size_t grown = capacity ? capacity * 2 : 64;
    if (grown < needed) grown = needed;
    void* moved = std::realloc(items, grown * sizeof(T));
    if (!moved) return false;
    items = static_cast<T*>(moved);
    capacity = grown;
    return true;
}

bool WriteAll(HANDLE file, const char* bytes, size_t length) {
    while (length) {
        DWORD chunk = length > 0x10000000 ? 0x10000000 : static_cast<DWORD>(length), written = 0;
        if (!WriteFile(file, bytes, chunk, &written, nullptr) || written != chunk) return false;
        bytes += chunk;
        length -= chunk;
    }
    return true;
}

// The file is UTF-16LE behind a byte order mark, so that every character
// survives and every version of the platform's profile functions reads it.
constexpr char kByteOrderMark[] = "\xFF\xFE";

// The UTF-8 text as the file holds it: UTF-16LE, behind a byte order mark
// when it starts the file.
bool Encoded(const char* text, size_t length, bool startsFile, TextBuffer& out) {
    std::wstring wide = Wide(text, length);
    if (length && wide.empty()) return false;
    size_t bytes = wide.size() * sizeof(wchar_t);
    out.Clear();
    return out.Reserve(bytes + 3) && (!startsFile || out.Append(kByteOrderMark, 2)) &&
           out.Append(reinterpret_cast<const char*>(wide.data()), bytes);
}

// The size a text takes in the file written anew.
unsigned long long EncodedSize(const TextBuffer& text) { return 2 + 2ull * WideLength(text.Text(), text.Length()); }

// The file's bytes as the engine's UTF-8 text: UTF-16LE behind its byte
// order mark as this writer writes it, UTF-8 behind its own, and anything
// else in the machine's code page, as a log written by an earlier version
// (or by the platform's profile writer, which never makes a Unicode file)
// holds it. Whether the file is UTF-16LE already goes into `unicode`.
bool Decoded(const char* bytes, size_t size, TextBuffer& text, bool& unicode) {
    const unsigned char* data = reinterpret_cast<const unsigned char*>(bytes);
    unicode = size >= 2 && data[0] == 0xFF && data[1] == 0xFE;
    std::string decoded;
    if (unicode)
        decoded = Narrow(reinterpret_cast<const wchar_t*>(bytes + 2), static_cast<int>((size - 2) / 2));
    else if (size >= 3 && data[0] == 0xEF && data[1] == 0xBB && data[2] == 0xBF)
        decoded.assign(bytes + 3, size - 3);
    else
        decoded = FromAnsi(bytes, size);
    text.Clear();
    return text.Append(decoded.data(), decoded.size());
}

bool SameFile(const BY_HANDLE_FILE_INFORMATION& a, const BY_HANDLE_FILE_INFORMATION& b) {
    return a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh &&
           a.nFileIndexLow == b.nFileIndexLow && a.nFileSizeHigh == b.nFileSizeHigh &&
           a.nFileSizeLow == b.nFileSizeLow && CompareFileTime(&a.ftLastWriteTime, &b.ftLastWriteTime) == 0;
}

}  // namespace

ProfileLog::~ProfileLog() {
    Close();
    std::free(sections_);
    std::free(keys_);
    std::free(table_);
}

void ProfileLog::Close() { file_.Close(); }

bool ProfileLog::Holding(const char* path) const { return file_.valid() && std::strcmp(path, path_) == 0; }

bool ProfileLog::Open(const char* path) {
    if (std::strcmp(path, path_) != 0) {
        Close();
        if (!CopyText(path_, path)) {
            path_[0] = '\0';
            return false;
        }
        known_ = false;
    }
    // Held since this writer last wrote it: nobody else can have written it
    // (the handle shares reading only), and the index is the file's.
    if (file_.valid() && known_) return true;
    if (!file_.valid()) {
        file_.Reset(CreateFileW(Wide(path_).c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file_.valid()) return false;
        // A file written anew beside the log by a run that was killed before
        // it moved it in: the log itself is whole, the file beside is not.
        char beside[MAX_PATH];
        if (BesidePath(path_, beside)) DeleteFileW(Wide(beside).c_str());
    }
    BY_HANDLE_FILE_INFORMATION now;
    if (!GetFileInformationByHandle(file_.get(), &now)) {
        Close();
        return false;
    }
    if (known_ && SameFile(now, seen_)) return true;
    // Changed behind this writer's back (or never read): read it again.
    seen_ = now;
    known_ = Load();
    if (!known_) Close();
    return known_;
}

bool ProfileLog::Load() {
    Forget();
    text_.Clear();
    fileSize_ = 0;
    TextBuffer bytes;
    LARGE_INTEGER size = {};
    if (!GetFileSizeEx(file_.get(), &size) || size.QuadPart >= static_cast<LONGLONG>(kLargestLog) ||
        !bytes.Reserve(static_cast<size_t>(size.QuadPart) + 1))
        return false;
    // The size bounds the read: a device (a full disk stood in for by one) reads without end.
    DWORD got = 0;
    LARGE_INTEGER start = {};
    if (!SetFilePointerEx(file_.get(), start, nullptr, FILE_BEGIN)) return false;
    if (size.QuadPart && !ReadFile(file_.get(), bytes.Data(), static_cast<DWORD>(size.QuadPart), &got, nullptr))
        return false;
    bytes.SetLength(got);
    fileSize_ = got;
    return Decoded(bytes.Text(), bytes.Length(), text_, unicode_) && Index(0);
}

void ProfileLog::Forget() {
    sectionCount_ = keyCount_ = 0;
    if (table_) std::memset(table_, 0, tableCap_ * sizeof *table_);
}

// Reads lines from `from` (a line start) on, as the profile reader reads
// them: lines before the first section header belong to a nameless section.
bool ProfileLog::Index(size_t from) {
    const char* text = text_.Text();
    size_t length = text_.Length();
    if (length >= kLargestLog) return false;
    if (sectionCount_ == 0) {
        if (!Grow(sections_, sectionCap_, 1)) return false;
        sections_[sectionCount_++] = {0, 0, 0};
    }
    for (size_t at = from; at < length;) {
        const ProfileLine line = ReadProfileLine(text, length, at);
        at = line.next;
        if (line.kind == ProfileLineKind::Header) {
            if (!Grow(sections_, sectionCap_, sectionCount_ + 1)) return false;
            sections_[sectionCount_++] = {Offset(line.name.begin), Offset(line.name.size()), Offset(at)};
        } else if (line.kind == ProfileLineKind::Key) {
            sections_[sectionCount_ - 1].end = Offset(at);
            if (!AddKey(sectionCount_ - 1, line.line.begin, line.line.end, line.name.begin, line.name.size(),
                        line.hasEquals ? line.value.begin : 0,
                        line.hasEquals ? line.value.size() : static_cast<size_t>(-1)))
                return false;
        }
    }
    return true;
}

bool ProfileLog::AddKey(size_t section, size_t lineStart, size_t lineEnd, size_t nameStart, size_t nameLength,
                        size_t valueStart, size_t valueLength) {
    // Only the first key of a name is ever read: later ones are not indexed.
    if (FindKey(section, text_.Text() + nameStart, nameLength) >= 0) return true;
    if (!Grow(keys_, keyCap_, keyCount_ + 1)) return false;
    if ((keyCount_ + 1) * 2 > tableCap_ && !GrowTable()) return false;
    bool hasValue = valueLength != static_cast<size_t>(-1);
    Key& key = keys_[keyCount_++];
    key = {Offset(section), Offset(lineStart), Offset(lineEnd), Offset(nameStart), Offset(nameLength),
           Offset(valueStart), Offset(hasValue ? valueLength : 0),
           HashFolded(section, text_.Text() + nameStart, nameLength), hasValue};
    size_t slot = key.hash & (tableCap_ - 1);
    while (table_[slot]) slot = (slot + 1) & (tableCap_ - 1);
    table_[slot] = Offset(keyCount_);
    return true;
}

bool ProfileLog::GrowTable() {
    size_t capacity = tableCap_ ? tableCap_ * 2 : 256;
    uint32_t* table = static_cast<uint32_t*>(std::calloc(capacity, sizeof *table));
    if (!table) return false;
    for (size_t i = 0; i < keyCount_; ++i) {
        size_t slot = keys_[i].hash & (capacity - 1);
        while (table[slot]) slot = (slot + 1) & (capacity - 1);
        table[slot] = Offset(i + 1);
    }
    std::free(table_);
    table_ = table;
    tableCap_ = capacity;
    return true;
}

long ProfileLog::FindSection(const char* name, size_t length) const {
    const char* text = text_.Text();
    // The nameless section before the first header has no name to be asked by.
    for (size_t i = 1; i < sectionCount_; ++i)
        if (SameFolded(text + sections_[i].nameStart, sections_[i].nameLength, name, length))
            return static_cast<long>(i);
    return -1;
}

long ProfileLog::FindKey(size_t section, const char* name, size_t length) const {
    if (!tableCap_) return -1;
    unsigned hash = HashFolded(section, name, length);
    const char* text = text_.Text();
    for (size_t slot = hash & (tableCap_ - 1); table_[slot]; slot = (slot + 1) & (tableCap_ - 1)) {
        const Key& key = keys_[table_[slot] - 1];
        if (key.hash == hash && key.section == section && SameFolded(text + key.nameStart, key.nameLength, name, length))
            return static_cast<long>(table_[slot] - 1);
    }
    return -1;
}

bool ProfileLog::Holds(const char* section, const char* key) const {
    size_t sectionLength = std::strlen(section), keyLength = std::strlen(key);
    Trim(section, sectionLength);
    Trim(key, keyLength);
    long found = FindSection(section, sectionLength);
    return found >= 0 && FindKey(static_cast<size_t>(found), key, keyLength) >= 0;
}

bool ProfileLog::Write(const char* section, const char* key, const char* value,
                       bool (*hasRoom)(const char*, unsigned long long, unsigned long long)) {
    if (!file_.valid()) return false;
    size_t sectionLength = std::strlen(section), keyLength = std::strlen(key);
    Trim(section, sectionLength);
    Trim(key, keyLength);
    // The platform writer drops the blanks before a value, and keeps those behind it.
    while (IsProfileBlank(*value)) ++value;
    size_t valueLength = std::strlen(value);
    const char* text = text_.Text();
    size_t size = text_.Length();

    long found = FindSection(section, sectionLength);
    long existing = found >= 0 ? FindKey(static_cast<size_t>(found), key, keyLength) : -1;
    TextBuffer next;
    if (existing >= 0) {
        const Key& old = keys_[existing];
        if (old.hasValue && old.valueLength == valueLength && std::memcmp(text + old.valueStart, value, valueLength) == 0)
            return true;
        // The line is written anew under the key's own spelling.
        bool built = next.Reserve(size + valueLength + 2) && next.Append(text, old.lineStart) &&
                     next.Append(text + old.nameStart, old.nameLength) && next.Append("=", 1) &&
                     next.Append(value, valueLength) && next.Append(text + old.lineEnd, size - old.lineEnd);
        return built && hasRoom(path_, 0, EncodedSize(next)) && Rewrite(next);
    }
    bool broken = size && text[size - 1] != '\n' && text[size - 1] != '\r';
    bool last = found >= 0 && static_cast<size_t>(found) == sectionCount_ - 1;
    bool built = next.Reserve(sectionLength + keyLength + valueLength + 8) && (!broken || next.Append("\r\n", 2));
    if (found < 0)
        built = built && next.Append("[", 1) && next.Append(section, sectionLength) && next.Append("]\r\n", 3);
    built = built && next.Append(key, keyLength) && next.Append("=", 1) && next.Append(value, valueLength) &&
            next.Append("\r\n", 2);
    if (!built) return false;
    // An append needs no asking: one the disk cannot take is cut back. A
    // log in the code page (an earlier version's) cannot take UTF-16 lines:
    // it is written anew, whole, in UTF-16.
    bool appendable = unicode_ || fileSize_ == 0;
    if ((found < 0 || last) && appendable) return Append(next.Text(), next.Length());

    // A key for an earlier section: the file is written anew.
    TextBuffer whole;
    size_t at = found < 0 || last ? size : sections_[found].end;
    built = whole.Reserve(size + next.Length() + 1) && whole.Append(text, at) &&
            whole.Append(next.Text(), next.Length()) && whole.Append(text + at, size - at);
    return built && hasRoom(path_, 0, EncodedSize(whole)) && Rewrite(whole);
}

bool ProfileLog::Append(const char* bytes, size_t length) {
    size_t size = text_.Length();
    TextBuffer encoded;
    if (!Encoded(bytes, length, fileSize_ == 0, encoded)) return false;
    LARGE_INTEGER end;
    end.QuadPart = static_cast<LONGLONG>(fileSize_);
    if (!SetFilePointerEx(file_.get(), end, nullptr, FILE_BEGIN) ||
        !WriteAll(file_.get(), encoded.Text(), encoded.Length())) {
        // A short write (a full disk) leaves part of a line: cut it off
        // again, so that no earlier record is followed by a broken one and
        // the next record does not run on from it. The file is let go: the
        // next Open reads it afresh.
        if (SetFilePointerEx(file_.get(), end, nullptr, FILE_BEGIN)) SetEndOfFile(file_.get());
        known_ = false;
        Close();
        return false;
    }
    bool indexed = text_.Append(bytes, length) && Index(size);
    fileSize_ += encoded.Length();
    unicode_ = true;
    ULARGE_INTEGER grown;
    grown.QuadPart = fileSize_;
    seen_.nFileSizeLow = grown.LowPart;
    seen_.nFileSizeHigh = grown.HighPart;
    // The record is on disk either way; an index that could not follow is
    // read again from the file next time.
    if (!Stamp(file_.get()) || !indexed) known_ = false;
    return true;
}

// Writes the whole text beside the log and moves it over the log: a kill at
// any moment leaves the old file or the new one, never a part of either.
bool ProfileLog::Rewrite(TextBuffer& next) {
    char temporary[MAX_PATH];
    TextBuffer encoded;
    if (!BesidePath(path_, temporary) || !Encoded(next.Text(), next.Length(), true, encoded)) return false;
    std::wstring wideTemporary = Wide(temporary), widePath = Wide(path_);
    HANDLE file = CreateFileW(wideTemporary.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bool written = WriteAll(file, encoded.Text(), encoded.Length()) && Stamp(file) && FlushFileBuffers(file);
    CloseHandle(file);
    Close();
    if (!written ||
        !MoveFileExW(wideTemporary.c_str(), widePath.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileW(wideTemporary.c_str());
        known_ = false;
        return false;
    }
    // The new file is the log now: the index follows it.
    text_.Clear();
    Forget();
    fileSize_ = encoded.Length();
    unicode_ = true;
    file_.Reset(CreateFileW(widePath.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    known_ = text_.Append(next.Text(), next.Length()) && Index(0) && file_.valid() &&
             GetFileInformationByHandle(file_.get(), &seen_);
    return true;
}

// Sets the file's last-write time to now, or past the last one this writer
// saw when the clock has not moved beyond it (the platform's profile cache
// takes an unchanged time for an unchanged file). The time is set, not read
// back: a file this writer holds changes only through it.
bool ProfileLog::Stamp(HANDLE file) {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    if (CompareFileTime(&now, &seen_.ftLastWriteTime) <= 0) {
        ULARGE_INTEGER time;
        time.LowPart = seen_.ftLastWriteTime.dwLowDateTime;
        time.HighPart = seen_.ftLastWriteTime.dwHighDateTime;
        ++time.QuadPart;
        now.dwLowDateTime = time.LowPart;
        now.dwHighDateTime = time.HighPart;
    }
    if (!SetFileTime(file, nullptr, nullptr, &now)) return false;
    seen_.ftLastWriteTime = now;
    return true;
}
