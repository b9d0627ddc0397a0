#include "base/section_profile_reader.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "base/text.h"
#include "base/wide_text.h"

namespace {

constexpr DWORD kFirstSectionSize = 16384;
constexpr DWORD kLastSectionSize = 0x40000000;
// A quoted value near the limit is cut by rules of its own: values this long
// (in UTF-16 units, as the platform counts them) are read per key.
constexpr size_t kLongValue = kProfileTextLimit / 2;

char Folded(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

uint32_t Hash(const char* name, size_t length) {
    uint32_t hash = 2166136261u;
    for (size_t i = 0; i < length; ++i) hash = (hash ^ static_cast<unsigned char>(Folded(name[i]))) * 16777619u;
    return hash;
}

bool SameName(const char* a, const char* b, size_t length) {
    for (size_t i = 0; i < length; ++i)
        if (Folded(a[i]) != Folded(b[i])) return false;
    return true;
}

// A name of printable ASCII characters with no blank at either end, and no
// comment: the platform finds it by comparing the bytes, the letter case of
// A-Z aside.
bool Plain(const char* name, size_t length) {
    if (length == 0 || name[0] == ' ' || name[length - 1] == ' ' || name[0] == ';') return false;
    for (size_t i = 0; i < length; ++i) {
        unsigned char c = static_cast<unsigned char>(name[i]);
        if (c < 0x20 || c > 0x7E) return false;
    }
    return true;
}

// The file's last write time and size, to tell whether it changed since the
// section was read. The platform looks a bare file name up in the Windows
// directory: such a name is not stamped, and its sections are read per key.
bool Stamp(const wchar_t* path, uint64_t stamp[2]) {
    if (!wcspbrk(path, L"\\/:")) return false;
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path, GetFileExInfoStandard, &data)) return false;
    stamp[0] = static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32 | data.ftLastWriteTime.dwLowDateTime;
    stamp[1] = static_cast<uint64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
    return true;
}

WCHAR* WideOf(TextBuffer& text) { return reinterpret_cast<WCHAR*>(text.Data()); }

// Whether a name the file holds could be found by a lookup of another,
// plain ASCII, name: a character beyond ASCII whose other letter case is an
// ASCII letter (the Kelvin sign for 'k'), as the platform folds case.
bool Ambiguous(const WCHAR* name, size_t length) {
    for (size_t i = 0; i < length; ++i) {
        if (name[i] < 0x80) continue;
        WCHAR lower = name[i], upper = name[i];
        CharLowerBuffW(&lower, 1);
        CharUpperBuffW(&upper, 1);
        if (lower < 0x80 || upper < 0x80) return true;
    }
    return false;
}

}  // namespace

SectionProfileReader::~SectionProfileReader() { Drop(); }

void SectionProfileReader::Drop() {
    held_ = false;
    std::free(entries_);
    std::free(slots_);
    entries_ = nullptr;
    slots_ = nullptr;
    entryCount_ = firstDoubtful_ = slotMask_ = 0;
}

// The section is read in UTF-16 and put into UTF-8 here, as every text the
// engine holds. The entries come back as "name=value" texts, each ended by a
// zero, and one more zero after the last; a list cut for want of room leaves
// two characters of it free at most, so it is read again into twice the room.
bool SectionProfileReader::ReadSection(const char* section) {
    std::wstring sectionName = Wide(section);
    DWORD length = 0;
    for (DWORD size = kFirstSectionSize;; size *= 2) {
        if (!wide_.Reserve(size * sizeof(WCHAR))) return false;
        length = GetPrivateProfileSectionW(sectionName.c_str(), WideOf(wide_), size, widePath_.c_str());
        if (length + 2 < size) break;
        if (size >= kLastSectionSize) return false;
    }
    if (length == 0) return false;
    std::string text = Narrow(WideOf(wide_), static_cast<int>(length + 1));
    if (text.empty() || !text_.Assign("") || !text_.Append(text.data(), text.size())) return false;
    text_.SetLength(text.size() - 1);
    return true;
}

bool SectionProfileReader::Index() {
    const char* text = text_.Text();
    size_t length = text_.Length();
    size_t count = 0;
    for (size_t at = 0; at < length && text[at]; at += std::strlen(text + at) + 1) ++count;
    if (count > 0x10000000) return false;
    size_t slots = 16;
    while (slots < count * 2) slots *= 2;
    if (!(entries_ = static_cast<Entry*>(std::malloc(count * sizeof(Entry)))) ||
        !(slots_ = static_cast<uint32_t*>(std::calloc(slots, sizeof(uint32_t)))))
        return false;
    slotMask_ = static_cast<uint32_t>(slots - 1);
    entryCount_ = static_cast<uint32_t>(count);
    firstDoubtful_ = entryCount_;
    size_t at = 0;
    const WCHAR* wide = WideOf(wide_);
    for (uint32_t i = 0; i < entryCount_; ++i) {
        const char* name = text + at;
        size_t entryLength = std::strlen(name);
        const char* equals = static_cast<const char*>(std::memchr(name, '=', entryLength));
        size_t nameLength = equals ? static_cast<size_t>(equals - name) : entryLength;
        size_t wideLength = wcslen(wide), wideNameLength = 0;
        while (wideNameLength < wideLength && wide[wideNameLength] != L'=') ++wideNameLength;
        if (firstDoubtful_ == entryCount_ && Ambiguous(wide, wideNameLength)) firstDoubtful_ = i;
        wide += wideLength + 1;
        bool plain = nameLength <= kProfileTextLimit && Plain(name, nameLength);
        bool shortValue = !equals || WideLength(equals + 1, entryLength - nameLength - 1) < kLongValue;
        entries_[i] = Entry{static_cast<uint32_t>(at), static_cast<uint32_t>(nameLength), equals != nullptr,
                            plain && shortValue && i < firstDoubtful_};
        // Of two entries of one name the first is found.
        if (plain && !Find(name, nameLength)) {
            uint32_t slot = Hash(name, nameLength) & slotMask_;
            while (slots_[slot]) slot = (slot + 1) & slotMask_;
            slots_[slot] = i + 1;
        }
        at += entryLength + 1;
    }
    return true;
}

const SectionProfileReader::Entry* SectionProfileReader::Find(const char* key, size_t length) const {
    for (uint32_t slot = Hash(key, length) & slotMask_; slots_[slot]; slot = (slot + 1) & slotMask_) {
        const Entry& entry = entries_[slots_[slot] - 1];
        if (entry.nameLength == length && SameName(text_.Text() + entry.start, key, length)) return &entry;
    }
    return nullptr;
}

bool SectionProfileReader::StillTheSameFile() const {
    uint64_t now[2];
    return Stamp(widePath_.c_str(), now) && now[0] == stamp_[0] && now[1] == stamp_[1];
}

// The key list is the names of the entries with an '=', in order; one that
// starts with an empty name is no list at all, as the platform answers it.
// Whatever cannot be read this way (an odd section name, an empty or
// missing section, memory short) is read as before, per key.
bool SectionProfileReader::ReadKeys(const char* section, TextBuffer& keys) {
    Drop();
    size_t sectionLength = std::strlen(section);
    if (!Plain(section, sectionLength) || !Stamp(widePath_.c_str(), stamp_) || !ReadSection(section) || !Index() ||
        !name_.Assign(section)) {
        Drop();
        return perKey_.ReadKeys(section, keys);
    }
    held_ = true;
    keys.Clear();
    const char* text = text_.Text();
    for (uint32_t i = 0; i < entryCount_; ++i) {
        const Entry& entry = entries_[i];
        if (entry.hasValue && (!keys.Append(text + entry.start, entry.nameLength) || !keys.Append("", 1)))
            return false;
    }
    if (keys.Length() && keys.Text()[0] == '\0') keys.Clear();
    return true;
}

bool SectionProfileReader::ReadValue(const char* section, const char* key, TextBuffer& value) {
    size_t length = std::strlen(key);
    if (held_ && !StillTheSameFile()) Drop();
    if (held_ && std::strcmp(section, name_.Text()) == 0 && length <= kProfileTextLimit && Plain(key, length)) {
        const Entry* entry = Find(key, length);
        // A name the section does not hold has no value, unless a name
        // beyond ASCII might fold to it.
        if (entry ? entry->answerable : firstDoubtful_ == entryCount_) {
            value.Clear();
            if (!entry || !entry->hasValue) return true;
            const char* text = text_.Text() + entry->start + entry->nameLength + 1;
            size_t textLength = std::strlen(text);
            // One pair of the same quotation marks around the value is dropped.
            if (textLength >= 2 && (text[0] == '"' || text[0] == '\'') && text[textLength - 1] == text[0]) {
                ++text;
                textLength -= 2;
            }
            return value.Append(text, textLength);
        }
    }
    return perKey_.ReadValue(section, key, value);
}
