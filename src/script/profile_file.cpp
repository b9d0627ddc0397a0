#include "script/profile_file.h"

#include <cstring>

#include "base/profile_text.h"
#include "base/text.h"
#include "base/utf.h"

namespace {

// The characters of code page 1252 at 0x80-0x9F; the five it leaves
// undefined stand for themselves, as the platform reads them.
const unsigned short kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

constexpr unsigned kReplacement = 0xFFFD;

// Decoded text: UTF-8, as the engine holds every text, and for each of its
// bytes where the character it belongs to starts in the file (one more for
// the file's end).
struct Decoded {
    std::string text;
    std::vector<size_t> from;
    void Add(unsigned code, size_t at) {
        AppendUtf8(code, text);
        from.resize(text.size(), at);
    }
};

// UTF-8, each malformed byte one replacement character.
void DecodeUtf8(const unsigned char* start, const unsigned char* at, const unsigned char* end, Decoded& out) {
    while (at < end) {
        size_t offset = static_cast<size_t>(at - start);
        unsigned c = *at;
        int more = c < 0x80 ? 0 : c >= 0xC2 && c < 0xE0 ? 1 : c >= 0xE0 && c < 0xF0 ? 2 : c >= 0xF0 && c < 0xF5 ? 3 : -1;
        unsigned code = more == 1 ? c & 0x1F : more == 2 ? c & 0x0F : more == 3 ? c & 0x07 : c;
        bool good = more >= 0 && end - at > more;
        for (int i = 1; good && i <= more; ++i) {
            good = (at[i] & 0xC0) == 0x80;
            code = code << 6 | (at[i] & 0x3F);
        }
        good = good && !(more == 2 && (code < 0x800 || (code >= 0xD800 && code < 0xE000))) &&
               !(more == 3 && (code < 0x10000 || code > 0x10FFFF));
        out.Add(good ? code : kReplacement, offset);
        at += good ? more + 1 : 1;
    }
}

// UTF-16 in either byte order; a surrogate without its pair is one
// replacement character.
void DecodeUtf16(const unsigned char* data, size_t size, bool little, Decoded& out) {
    auto unit = [&](size_t i) -> unsigned { return little ? data[i] | data[i + 1] << 8 : data[i] << 8 | data[i + 1]; };
    for (size_t i = 2; i + 1 < size;) {
        unsigned code = unit(i);
        size_t at = i;
        i += 2;
        if (code >= 0xD800 && code < 0xDC00 && i + 1 < size && unit(i) >= 0xDC00 && unit(i) < 0xE000) {
            code = 0x10000 + ((code - 0xD800) << 10) + (unit(i) - 0xDC00);
            i += 2;
        } else if (code >= 0xD800 && code < 0xE000) {
            code = kReplacement;
        }
        out.Add(code, at);
    }
}

// The machine's legacy code page, taken to be the Western one (1252) here:
// the tools run where the script is written, not where it is installed.
void DecodeAnsi(const unsigned char* data, size_t size, Decoded& out) {
    for (size_t i = 0; i < size; ++i) {
        unsigned c = data[i];
        out.Add(c >= 0x80 && c < 0xA0 ? kHighControls[c - 0x80] : c, i);
    }
}

// The first place in an ANSI script where its bytes cannot mean what the
// author wrote: a UTF-8 sequence of two bytes or more (a file saved as UTF-8
// without a byte order mark, read as garbage), or a byte code page 1252
// leaves undefined.
size_t FirstDoubtfulByte(const unsigned char* data, size_t size, AnsiDoubt& doubt) {
    for (size_t i = 0; i < size; ++i) {
        unsigned c = data[i];
        if (c < 0x80) continue;
        int more = c >= 0xC2 && c < 0xE0 ? 1 : c >= 0xE0 && c < 0xF0 ? 2 : c >= 0xF0 && c < 0xF5 ? 3 : 0;
        bool sequence = more > 0 && size - i > static_cast<size_t>(more);
        for (int k = 1; sequence && k <= more; ++k) sequence = (data[i + k] & 0xC0) == 0x80;
        if (sequence) {
            doubt = AnsiDoubt::Utf8Sequence;
            return i;
        }
        if (c < 0xA0 && kHighControls[c - 0x80] == c) {
            doubt = AnsiDoubt::UndefinedByte;
            return i;
        }
    }
    doubt = AnsiDoubt::None;
    return size;
}

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

std::string LoweredName(const std::string& name) {
    std::string lowered(name.c_str());
    for (char& c : lowered) c = Lower(c);
    return lowered;
}

// Equal names, the first taken up to its zero byte, the second a plain text.
bool SameName(const std::string& stored, const char* name) {
    const char* a = stored.c_str();
    for (; *a && Lower(*a) == Lower(*name); ++a, ++name) {
    }
    return !*a && !*name;
}

// A name given to a lookup, without its outer blanks.
std::string Trimmed(const char* name) {
    size_t start = 0, end = std::strlen(name);
    while (start < end && IsProfileBlank(name[start])) ++start;
    while (end > start && IsProfileBlank(name[end - 1])) --end;
    return std::string(name + start, end - start);
}

// A line of the decoded text placed in the file's bytes.
ProfileLine Placed(ProfileLine line, const Decoded& decoded) {
    auto place = [&](size_t& at) { at = decoded.from[at]; };
    for (ProfileSpan* span : {&line.line, &line.text, &line.name, &line.value}) {
        place(span->begin);
        place(span->end);
    }
    place(line.next);
    return line;
}

}  // namespace

std::string VisiblePart(const std::string& text) { return std::string(text.c_str()); }

bool SameProfileName(const std::string& a, const std::string& b) { return SameName(a, VisiblePart(b).c_str()); }

std::string FoldedProfileName(const std::string& name) { return LoweredName(name); }

std::string Unquoted(const std::string& value) {
    if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0])
        return value.substr(1, value.size() - 2);
    return value;
}

ProfileFile::ProfileFile(const char* bytes, size_t size) {
    const unsigned char* data = reinterpret_cast<const unsigned char*>(bytes);
    Decoded decoded;
    decoded.text.reserve(size + size / 2);
    if (size >= 3 && data[0] == 0xEF && data[1] == 0xBB && data[2] == 0xBF) {
        encoding_ = ProfileEncoding::Utf8;
        DecodeUtf8(data, data + 3, data + size, decoded);
    } else if (size >= 2 && ((data[0] == 0xFF && data[1] == 0xFE) || (data[0] == 0xFE && data[1] == 0xFF))) {
        bool little = data[0] == 0xFF;
        encoding_ = little ? ProfileEncoding::Utf16LittleEndian : ProfileEncoding::Utf16BigEndian;
        DecodeUtf16(data, size, little, decoded);
    } else {
        DecodeAnsi(data, size, decoded);
        zeroByte_ = std::memchr(bytes, 0, size) != nullptr;
        doubtfulByte_ = FirstDoubtfulByte(data, size, doubt_);
    }
    decoded.from.push_back(size);

    const std::string& text = decoded.text;
    sections_.push_back(ProfileSection{"", 0, {}, {}});
    bool previous = false;          // a key was kept in this section
    bool previousNamed = false;     // and its name is not empty
    int number = 0;
    for (size_t at = 0; at < text.size();) {
        const ProfileLine line = ReadProfileLine(text.data(), text.size(), at);
        at = line.next;
        ++number;
        if (doubtfulLine_ == 0 && doubt_ != AnsiDoubt::None && decoded.from[line.next] > doubtfulByte_)
            doubtfulLine_ = number;
        const ProfileSpan& name = line.name;
        if (line.kind == ProfileLineKind::Header) {
            sections_.push_back(
                ProfileSection{text.substr(name.begin, name.size()), number, Placed(line, decoded), {}});
            previous = previousNamed = false;
            continue;
        }
        if (line.kind != ProfileLineKind::Key) continue;
        // Of a run of keys without a name only the first is kept.
        if (!name.size() && previous && !previousNamed) continue;
        const ProfileSpan& value = line.value;
        sections_.back().keys.push_back(ProfileKey{text.substr(name.begin, name.size()),
                                                   text.substr(value.begin, value.size()), line.hasEquals, number,
                                                   Placed(line, decoded)});
        previous = true;
        previousNamed = name.size() && text[name.begin] != '\0';
    }
    for (const ProfileSection& section : sections_) {
        listedSections_.emplace(LoweredName(section.name), &section - sections_.data());
        firstKeys_.emplace_back();
        for (const ProfileKey& key : section.keys) firstKeys_.back().emplace(LoweredName(key.name), &key);
    }
}

const ProfileSection* ProfileFile::ListedSection(const char* name) const {
    auto found = listedSections_.find(LoweredName(name));
    return found == listedSections_.end() ? nullptr : &sections_[found->second];
}

std::vector<const ProfileKey*> ProfileFile::ListedKeys(const ProfileSection& section) const {
    std::vector<const ProfileKey*> listed;
    for (const ProfileKey& key : section.keys)
        if (key.hasValue && !key.place.comment) listed.push_back(&key);
    return listed;
}

const ProfileKey* ProfileFile::FoundKey(const char* section, const char* key) const {
    std::string sectionName = Trimmed(section), keyName = Trimmed(key);
    const ProfileSection* found = ListedSection(sectionName.c_str());
    if (!found) return nullptr;
    const auto& keys = firstKeys_[found - sections_.data()];
    auto first = keys.find(LoweredName(keyName));
    return first == keys.end() ? nullptr : first->second;
}

std::string ProfileFile::ValueOf(const ProfileKey& key) { return Unquoted(VisiblePart(key.value)); }

bool ProfileFile::ReadKeys(const char* section, TextBuffer& keys) {
    keys.Clear();
    const ProfileSection* found = ListedSection(section);
    if (found)
        for (const ProfileKey* key : ListedKeys(*found)) {
            std::string name = VisiblePart(key->name);
            if (!keys.Append(name.c_str(), name.size() + 1)) return false;
        }
    // A list that starts with an empty name reads as no list at all.
    if (keys.Length() && keys.Text()[0] == '\0') keys.Clear();
    return true;
}

bool ProfileFile::ReadValue(const char* section, const char* key, TextBuffer& value) {
    value.Clear();
    if (WideLength(key) > kProfileTextLimit) return false;
    const ProfileKey* found = FoundKey(section, key);
    std::string text = found && found->hasValue ? ValueOf(*found) : std::string();
    // The limit counts UTF-16 units, as the platform's functions do.
    if (WideLength(text.c_str(), text.size()) > kProfileTextLimit) {
        // The start of it, as the platform hands it over: one unit past the limit.
        size_t cut = 0, units = 0;
        while (cut < text.size()) {
            size_t next = cut + 1;
            while (next < text.size() && (static_cast<unsigned char>(text[next]) & 0xC0) == 0x80) ++next;
            size_t width = WideLength(text.c_str() + cut, next - cut);
            if (units + width > kProfileTextLimit + 1) break;
            units += width;
            cut = next;
        }
        value.Append(text.c_str(), cut);
        return false;
    }
    return value.Append(text.c_str(), text.size());
}

int ProfileFile::ReadInt(const char* section, const char* key, int fallback) {
    const ProfileKey* found = FoundKey(section, key);
    return found ? ProfileNumber(ValueOf(*found).c_str(), fallback) : fallback;
}

int ProfileFile::Line(const char* section, const char* key) {
    const ProfileKey* found = FoundKey(section, key);
    return found ? found->line : 0;
}
