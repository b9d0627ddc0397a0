// A profile (INI) file held in memory and read by the rules of the platform's
// profile functions, as the installer reads its script through them. Lines
// are taken apart by script/profile_lines.h; on top of that:
//
// - A line without '=' is a key without value, listed by no key list but
//   found by a lookup of its name. Of a run of keys without a name only the
//   first counts.
// - Names compare without regard to the letter case of A-Z only, and texts
//   end at their first zero byte. Of two sections or keys of one name the
//   first is found; a key list lists every key of the first section of its
//   name, in file order, and ends early at a key with an empty name.
// - A value enclosed in a pair of the same quotation marks (" or ') loses
//   them.
// - A file starting with a UTF-16 or UTF-8 byte order mark is decoded as
//   such; any other file is read in the legacy code page, taken to be the
//   Western one (1252). Every text is held in UTF-8, as the engine, which
//   reads its script through the platform's UTF-16 profile functions, holds
//   it.
//
// The reader keeps the line of every section and key, for messages that
// point into the file, and where each lies in the file's bytes, for tools
// that change single entries and leave every other byte as it was.
#pragma once
#include <cstddef>
#include <string>
#include <unordered_map>
#include <vector>

#include "base/profile_reader.h"
#include "script/profile_lines.h"

struct ProfileKey {
    std::string name;   // as the file holds it: may go on past a zero byte
    std::string value;  // quotation marks still on
    bool hasValue;      // the line held an '='
    int line;           // from 1
    ProfileLine place;  // in the file's bytes (behind a byte order mark; two or four bytes a character in UTF-16)
};

struct ProfileSection {
    std::string name;
    int line;  // 0 for the nameless section of the keys before the first header
    ProfileLine place;  // the header's, in the file's bytes; nothing for the nameless section
    std::vector<ProfileKey> keys;
};

enum class ProfileEncoding { Ansi, Utf8, Utf16LittleEndian, Utf16BigEndian };

// Why an ANSI file's bytes may not be what its author wrote: a UTF-8
// sequence (the file was saved as UTF-8 without a byte order mark), or a
// byte the Western code page leaves undefined.
enum class AnsiDoubt { None, Utf8Sequence, UndefinedByte };

class ProfileFile : public ProfileReader {
public:
    ProfileFile(const char* bytes, size_t size);
    ProfileFile(const ProfileFile&) = delete;
    ProfileFile& operator=(const ProfileFile&) = delete;

    bool ReadKeys(const char* section, TextBuffer& keys) override;
    bool ReadValue(const char* section, const char* key, TextBuffer& value) override;
    int ReadInt(const char* section, const char* key, int fallback) override;
    int Line(const char* section, const char* key) override;

    // Every section in file order, the nameless one of the keys before the
    // first header first.
    const std::vector<ProfileSection>& Sections() const { return sections_; }
    // The section a key list of that name lists (the name as given), or null.
    const ProfileSection* ListedSection(const char* name) const;
    // The keys a key list of the section holds, in order.
    std::vector<const ProfileKey*> ListedKeys(const ProfileSection& section) const;
    // The key whose value a lookup of (section, key) reads: the first of its
    // name in the first section of its name, blanks around both names
    // dropped. Null when there is none.
    const ProfileKey* FoundKey(const char* section, const char* key) const;
    // The value a key line gives its lookups: quotation marks off, up to a zero byte.
    static std::string ValueOf(const ProfileKey& key);

    ProfileEncoding Encoding() const { return encoding_; }
    // In an ANSI file, the first byte that is part of a UTF-8 sequence or is
    // undefined in the Western code page, and the line it stands on (0 when
    // there is none).
    AnsiDoubt Doubt() const { return doubt_; }
    int DoubtfulLine() const { return doubtfulLine_; }
    // The file holds a zero byte (outside UTF-16 text).
    bool HoldsZeroByte() const { return zeroByte_; }

private:
    std::vector<ProfileSection> sections_;
    // The first reachable section of each name (letters of A-Z lowered), by index.
    std::unordered_map<std::string, size_t> listedSections_;
    // Per section, the first reachable key of each name (letters of A-Z lowered).
    std::vector<std::unordered_map<std::string, const ProfileKey*>> firstKeys_;
    ProfileEncoding encoding_ = ProfileEncoding::Ansi;
    AnsiDoubt doubt_ = AnsiDoubt::None;
    size_t doubtfulByte_ = 0;
    int doubtfulLine_ = 0;
    bool zeroByte_ = false;
};

// The text up to its first zero byte: what the platform's functions see of it.
std::string VisiblePart(const std::string& text);
// Equal apart from the letter case of A-Z, as the profile functions compare names.
bool SameProfileName(const std::string& a, const std::string& b);
// The name's visible part with A-Z lowered: one text for all names that compare equal.
std::string FoldedProfileName(const std::string& name);
// A value as its lookups give it: one pair of enclosing quotation marks taken off.
std::string Unquoted(const std::string& value);
