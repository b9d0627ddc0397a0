#include "profile_file.h"

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

// Decoded text: one byte of the code page per character, and where a
// character the code page lacks became '?'.
struct Decoded {
    std::string text;
    std::vector<bool> lost;
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
void DecodeUtf8(const unsigned char* at, const unsigned char* end, Decoded& out) {
    while (at < end) {
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
            out.Add(0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            out.Add(code);
        }
    }
}

bool IsBlank(char c) { return (c >= 0x09 && c <= 0x0D) || c == 0x1A || c == 0x20; }

void Trim(const std::string& text, size_t& start, size_t& end) {
    while (start < end && IsBlank(text[start])) ++start;
    while (end > start && IsBlank(text[end - 1])) --end;
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
    std::string text(name);
    size_t start = 0, end = text.size();
    Trim(text, start, end);
    return text.substr(start, end - start);
}

// No lost character before the first zero byte.
bool Reachable(const Decoded& decoded, size_t start, size_t end) {
    for (size_t i = start; i < end && decoded.text[i]; ++i)
        if (decoded.lost[i]) return false;
    return true;
}

}  // namespace

std::string VisiblePart(const std::string& text) { return std::string(text.c_str()); }

bool SameProfileName(const std::string& a, const std::string& b) { return SameName(a, VisiblePart(b).c_str()); }

ProfileFile::ProfileFile(const char* bytes, size_t size) {
    const unsigned char* data = reinterpret_cast<const unsigned char*>(bytes);
    Decoded decoded;
    if (size >= 3 && data[0] == 0xEF && data[1] == 0xBB && data[2] == 0xBF) {
        encoding_ = ProfileEncoding::Utf8;
        DecodeUtf8(data + 3, data + size, decoded);
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
    sections_.push_back(ProfileSection{"", true, 0, {}});
    bool previous = false;          // a key was kept in this section
    bool previousNamed = false;     // and its name is not empty
    int line = 1;
    for (size_t at = 0; at < text.size();) {
        size_t start = at;
        int startLine = line;
        while (at < text.size() && text[at] != '\n' && text[at] != '\r') ++at;
        size_t end = at;
        while (at < text.size() && (text[at] == '\n' || text[at] == '\r')) {
            at += text[at] == '\r' && at + 1 < text.size() && text[at + 1] == '\n' ? 2 : 1;
            ++line;
        }
        Trim(text, start, end);
        if (start >= end) continue;
        if (text[start] == '[') {
            size_t close = end;
            while (close > start && text[close - 1] != ']') --close;
            if (close > start + 1) {
                size_t nameStart = start + 1, nameEnd = close - 1;
                Trim(text, nameStart, nameEnd);
                sections_.push_back(ProfileSection{text.substr(nameStart, nameEnd - nameStart),
                                                   Reachable(decoded, nameStart, nameEnd), startLine, {}});
                previous = previousNamed = false;
                continue;
            }
        }
        size_t nameEnd = end;
        size_t equals = text.find('=', start);
        bool hasValue = equals < end;
        size_t valueStart = end;
        if (hasValue) {
            nameEnd = equals;
            while (nameEnd > start && IsBlank(text[nameEnd - 1])) --nameEnd;
            valueStart = equals + 1;
            while (valueStart < end && IsBlank(text[valueStart])) ++valueStart;
        }
        // Of a run of keys without a name only the first is kept.
        if (nameEnd == start && previous && !previousNamed) continue;
        ProfileKey key{text.substr(start, nameEnd - start), text.substr(valueStart, end - valueStart), hasValue,
                       Reachable(decoded, start, nameEnd), startLine};
        previous = true;
        previousNamed = nameEnd > start && text[start] != '\0';
        sections_.back().keys.push_back(key);
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
        if (key.hasValue && key.name.c_str()[0] != ';') listed.push_back(&key);
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

std::string ProfileFile::ValueOf(const ProfileKey& key) {
    std::string value = VisiblePart(key.value);
    if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0])
        value = value.substr(1, value.size() - 2);
    return value;
}

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
