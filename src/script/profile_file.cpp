#include "script/profile_file.h"

#include <cstring>

#include "base/profile_text.h"

namespace {

// The characters of code page 1252 at 0x80-0x9F; the five it leaves
// undefined stand for themselves, as the platform reads them.
const unsigned short kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

// Decoded text: one byte of the code page per character, where a character
// the code page lacks became '?', and, for UTF-8, where each character's
// bytes start in the file (one more for the file's end).
struct Decoded {
    std::string text;
    std::vector<bool> lost;
    std::vector<size_t> from;
    void Add(unsigned unit) {
        int byte = -1;
        if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF)) byte = static_cast<int>(unit);
        for (int i = 0; i < 32 && byte < 0; ++i)
            if (kHighControls[i] == unit) byte = 0x80 + i;
        text.push_back(static_cast<char>(byte < 0 ? '?' : byte));
        lost.push_back(byte < 0);
    }
};

// UTF-8 into UTF-16 units, each malformed byte one replacement character.
void DecodeUtf8(const unsigned char* start, const unsigned char* at, const unsigned char* end, Decoded& out) {
    while (at < end) {
        out.from.push_back(static_cast<size_t>(at - start));
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
        if (!good) {
            out.Add(0xFFFD);
            ++at;
            continue;
        }
        at += more + 1;
        if (code >= 0x10000) {
            out.Add(0xD800 + ((code - 0x10000) >> 10));
            out.from.push_back(out.from.back());
            out.Add(0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            out.Add(code);
        }
    }
    out.from.push_back(static_cast<size_t>(end - start));
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

// No lost character before the first zero byte.
bool Reachable(const Decoded& decoded, ProfileSpan name) {
    for (size_t i = name.begin; i < name.end && decoded.text[i]; ++i)
        if (decoded.lost[i]) return false;
    return true;
}

// A line of the decoded text placed in the file's bytes.
ProfileLine Placed(ProfileLine line, ProfileEncoding encoding, const Decoded& decoded) {
    auto place = [&](size_t& at) {
        if (encoding == ProfileEncoding::Utf8) at = decoded.from[at];
        else if (encoding != ProfileEncoding::Ansi) at = 2 + 2 * at;
    };
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
    if (size >= 3 && data[0] == 0xEF && data[1] == 0xBB && data[2] == 0xBF) {
        encoding_ = ProfileEncoding::Utf8;
        DecodeUtf8(data, data + 3, data + size, decoded);
    } else if (size >= 2 && ((data[0] == 0xFF && data[1] == 0xFE) || (data[0] == 0xFE && data[1] == 0xFF))) {
        bool little = data[0] == 0xFF;
        encoding_ = little ? ProfileEncoding::Utf16LittleEndian : ProfileEncoding::Utf16BigEndian;
        for (size_t i = 2; i + 1 < size; i += 2) decoded.Add(little ? data[i] | data[i + 1] << 8 : data[i] << 8 | data[i + 1]);
    } else {
        decoded.text.assign(bytes, size);
        decoded.lost.assign(size, false);
        zeroByte_ = std::memchr(bytes, 0, size) != nullptr;
    }
    for (bool l : decoded.lost) lost_ = lost_ || l;

    const std::string& text = decoded.text;
    sections_.push_back(ProfileSection{"", true, 0, {}, {}});
    bool previous = false;          // a key was kept in this section
    bool previousNamed = false;     // and its name is not empty
    int number = 0;
    for (size_t at = 0; at < text.size();) {
        const ProfileLine line = ReadProfileLine(text.data(), text.size(), at);
        at = line.next;
        ++number;
        const ProfileSpan& name = line.name;
        if (line.kind == ProfileLineKind::Header) {
            sections_.push_back(ProfileSection{text.substr(name.begin, name.size()), Reachable(decoded, name), number,
                                               Placed(line, encoding_, decoded), {}});
            previous = previousNamed = false;
            continue;
        }
        if (line.kind != ProfileLineKind::Key) continue;
        // Of a run of keys without a name only the first is kept.
        if (!name.size() && previous && !previousNamed) continue;
        const ProfileSpan& value = line.value;
        sections_.back().keys.push_back(ProfileKey{text.substr(name.begin, name.size()),
                                                   text.substr(value.begin, value.size()), line.hasEquals,
                                                   Reachable(decoded, name), number, Placed(line, encoding_, decoded)});
        previous = true;
        previousNamed = name.size() && text[name.begin] != '\0';
    }
    for (const ProfileSection& section : sections_) {
        if (section.reachable) listedSections_.emplace(LoweredName(section.name), &section - sections_.data());
        firstKeys_.emplace_back();
        for (const ProfileKey& key : section.keys)
            if (key.reachable) firstKeys_.back().emplace(LoweredName(key.name), &key);
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
    if (std::strlen(key) > kProfileTextLimit) return false;
    const ProfileKey* found = FoundKey(section, key);
    std::string text = found && found->hasValue ? ValueOf(*found) : std::string();
    if (text.size() > kProfileTextLimit) {
        value.Append(text.c_str(), kProfileTextLimit + 1);
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
