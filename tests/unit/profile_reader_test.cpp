// The in-memory profile reader of the publisher's tool and the native tests
// against the platform's profile functions: the same bytes, read both ways,
// must give the same key lists and the same values, for every section and
// key asked for, also under other letter case and with blanks around. The
// installer's reader, which reads a section in one call, is held to the
// platform's per-key reads the same way.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "base/profile_text.h"
#include "base/results.h"
#include "base/section_profile_reader.h"
#include "script/profile_file.h"
#include "script/section_walk.h"
#include "test_support.h"

namespace {

std::string Text(const TextBuffer& buffer) { return std::string(buffer.Text(), buffer.Length()); }

// A readable form of bytes for failure messages.
std::string Shown(const std::string& bytes) {
    std::string out;
    for (unsigned char c : bytes) {
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            out += static_cast<char>(c);
        } else {
            char hex[8];
            wsprintfA(hex, "\\x%02x", c);
            out += hex;
        }
    }
    return out;
}

// Names asked for besides those as listed: other letter case, blanks around.
std::vector<std::string> Variants(const std::string& name) {
    std::string upper = name, lower = name;
    for (char& c : upper) c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
    for (char& c : lower) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
    return {name, upper, lower, " " + name + "\t", "\x1a" + name};
}

// Writes the file with a time a day back: the platform keeps a file it read
// only once it is older than two seconds, and reads a newer one again at
// every lookup.
void WriteOld(const std::string& path, const std::string& bytes) {
    ASSERT_TRUE(WriteBytes(path, bytes));
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER time = {{now.dwLowDateTime, now.dwHighDateTime}};
    time.QuadPart -= 864000000000ull;
    EXPECT_TRUE(SetWriteTime(path, FILETIME{time.LowPart, time.HighPart}));
}

// Compares the two readers over one file, counting the lookups made: the key
// lists of every section name, and the values of every key name, under
// every variant of the names.
void Compare(const std::string& path, const std::string& bytes, int* lookups) {
    FileProfileReader platform(path.c_str());
    ProfileFile memory(bytes.data(), bytes.size());
    std::vector<std::string> sections = {"", "s", "missing", "[s]"};
    std::vector<std::string> keys = {"key", "missing"};
    for (const ProfileSection& section : memory.Sections()) {
        sections.push_back(VisiblePart(section.name));
        for (const ProfileKey& key : section.keys) keys.push_back(VisiblePart(key.name));
    }
    TextBuffer theirs, ours;
    for (const std::string& listed : sections) {
        for (const std::string& section : Variants(listed)) {
            ASSERT_TRUE(platform.ReadKeys(section.c_str(), theirs));
            ASSERT_TRUE(memory.ReadKeys(section.c_str(), ours));
            ASSERT_EQ(Shown(Text(ours)), Shown(Text(theirs))) << "keys of [" << Shown(section) << "] in " << Shown(bytes);
            ++*lookups;
        }
        for (const std::string& listedKey : keys) {
            for (const std::string& key : Variants(listedKey)) {
                if (key.empty()) continue;  // the platform answers an empty key with the key list
                // A copy: a reference would outlive the list of variants it points into.
                const std::string section = key == listedKey ? listed : Variants(listed)[3];
                bool theirsWhole = platform.ReadValue(section.c_str(), key.c_str(), theirs);
                bool oursWhole = memory.ReadValue(section.c_str(), key.c_str(), ours);
                ASSERT_EQ(oursWhole, theirsWhole) << Shown(section) << "|" << Shown(key) << " in " << Shown(bytes);
                if (oursWhole) {
                    ASSERT_EQ(Shown(Text(ours)), Shown(Text(theirs)))
                        << "value of [" << Shown(section) << "] " << Shown(key) << " in " << Shown(bytes);
                }
                ++*lookups;
            }
        }
    }
}

// What a walk over a section hands on, written out: each entry's key and
// value, or that it could not be read.
std::string* walkLog = nullptr;
StepResult LogEntry(SectionEntry& entry, void*) {
    *walkLog += Shown(entry.keyCount ? entry.keyFields[0] : "") + "=" +
                Shown(entry.valueCount ? entry.valueFields[0] : "") + "\n";
    return StepResult::GoOn;
}
StepResult LogUnreadable(SectionEntry& entry, void*) {
    *walkLog += "unreadable " + Shown(entry.key) + "\n";
    return StepResult::Skipped;
}
std::string Walked(ProfileReader& reader, const std::string& section) {
    std::string log;
    walkLog = &log;
    int visited = 0;
    WalkSection(reader, section.c_str(), 0, 0, LogEntry, nullptr, WalkReports{LogUnreadable, nullptr}, &visited);
    walkLog = nullptr;
    return log + "visited " + std::to_string(visited);
}

// Compares the section-once reader with the per-key reads over one file: for
// every section name, the key list and the walk, then lookups of every key
// name while the section is held; each name also under the first `variants`
// of its variants (a file of many keys takes long to read per key).
void CompareSectionReads(const std::string& path, const std::string& bytes, int* lookups, size_t variants = 5) {
    FileProfileReader perKey(path.c_str());
    ProfileFile memory(bytes.data(), bytes.size());
    std::vector<std::string> sections = {"s", "missing"};
    std::vector<std::string> keys = {"key", "missing"};
    for (const ProfileSection& section : memory.Sections()) {
        sections.push_back(VisiblePart(section.name));
        for (const ProfileKey& key : section.keys) keys.push_back(VisiblePart(key.name));
    }
    TextBuffer theirs, ours;
    for (size_t i = 0; i < sections.size(); ++i) {
        if (std::find(sections.begin(), sections.begin() + i, sections[i]) != sections.begin() + i) continue;
        std::vector<std::string> sectionVariants = Variants(sections[i]);
        sectionVariants.resize(variants);
        for (const std::string& section : sectionVariants) {
            SectionProfileReader once(path.c_str());
            ASSERT_EQ(Walked(once, section), Walked(perKey, section)) << "[" << Shown(section) << "] in " << Shown(bytes);
            ASSERT_TRUE(perKey.ReadKeys(section.c_str(), theirs));
            ASSERT_TRUE(once.ReadKeys(section.c_str(), ours));
            ASSERT_EQ(Shown(Text(ours)), Shown(Text(theirs))) << "keys of [" << Shown(section) << "] in " << Shown(bytes);
            if (section != sections[i]) continue;  // the other spellings are walked only
            for (const std::string& listedKey : keys) {
                std::vector<std::string> keyVariants = Variants(listedKey);
                keyVariants.resize(variants);
                for (const std::string& key : keyVariants) {
                    if (key.empty()) continue;  // the platform answers an empty key with the key list
                    bool theirsWhole = perKey.ReadValue(section.c_str(), key.c_str(), theirs);
                    bool oursWhole = once.ReadValue(section.c_str(), key.c_str(), ours);
                    ASSERT_EQ(oursWhole, theirsWhole) << Shown(section) << "|" << Shown(key) << " in " << Shown(bytes);
                    if (oursWhole) {
                        ASSERT_EQ(Shown(Text(ours)), Shown(Text(theirs)))
                            << "value of [" << Shown(section) << "] " << Shown(key) << " in " << Shown(bytes);
                    }
                    ++*lookups;
                }
            }
        }
    }
}

// Files that are hard to read right: blanks of every kind, quotes, comments,
// keys without value or without name, repeated names, odd headers, zero
// bytes, line ends of every kind, text before the first header.
const char* const kTricky[] = {
    "[s]\r\n; comment=1\r\nnoeq\r\nnoeq=later\r\n  Key A  =  \"quoted\"  \r\nkey a=second\r\nb='x'\r\nc=\"\r\nd=\"\"\r\n"
    "=emptykey\r\nafter=1\r\n",
    "top=1\n[ s ]\nk=v\n[S]\nk=second section\n[]\nempty=1\n[bad\nx=1\n[a]b]c\ny=2\n",
    "[s]\rk1=a\r\r\rk2=b\n\n\r\nk3=c",
    "[s]\r\n\x0bk\x0c = \x1av\x1a \r\n\xa0k2\xa0=\xa0v\xa0\r\n\x85k3=\x85\r\n",
    "[s]\r\n=\r\n=second empty\r\nk=v\r\n",
    "[s]\r\nk='mixed\"\r\nq=\"a\"b\"\r\nr='\r\ns2=\"\"\"\"\r\n",
    "[s]\r\n;k=comment first\r\nk=value\r\n  ;indented=comment\r\nx;y=not a comment\r\n",
    "[s]\r\nKEY=upper\r\nkey=lower\r\nK\xc4Y=a umlaut\r\nk\xe4y=small a umlaut\r\n",
    "[s]\r\nk=v\r\n[s]\r\nk=second\r\nother=only in the second\r\n",
    "\xef\xbb\xbf[s]\r\nk=\xc3\x84\xc3\xa4 \xe2\x82\xac\r\n\xc3\x84=umlaut key\r\n",
    "[s]\r\nk=" "0123456789012345678901234567890123456789012345678901234567890123456789",
    "no header at all=1\r\nsecond=2",
    "[s] trailing text\r\nk=1\r\n[t]]\r\nk=2\r\n",
};

// The tricky files, and values at the longest the platform carries and one
// character over; values in quotation marks one character longer than a room
// the engine reads into.
std::vector<std::string> TrickyFiles() {
    const char zeros[] = "[s]\r\nk=a\0b\r\nz\0ero=1\r\nkey \0=2\r\n\"q\"\0x=3\r\n[t\0u]\r\nv=1\r\n";
    std::vector<std::string> files(std::begin(kTricky), std::end(kTricky));
    files.push_back(std::string(zeros, sizeof zeros - 1));
    // UTF-16LE behind its byte order mark: characters beyond the code page
    // and beyond 16 bits, in names and values, quoted; and the longest
    // value counted in UTF-16
    // units (a character beyond 16 bits takes two).
    auto utf16 = [](const std::wstring& text) {
        return "\xFF\xFE" + std::string(reinterpret_cast<const char*>(text.data()), text.size() * 2);
    };
    files.push_back(utf16(L"[s]\r\nk=\x03A9mega \x20AC\r\n\x03A9=omega\r\nx\xD83D\xDE00=emoji\r\n"
                          L"[\x00C4]\r\nk=\"\x00E4\"\r\n"));
    files.push_back(utf16(L"[s]\r\nk=" + std::wstring(kProfileTextLimit - 2, L'v') + L"\xD83D\xDE00\r\n"));
    files.push_back(utf16(L"[s]\r\nk=" + std::wstring(kProfileTextLimit - 1, L'v') + L"\xD83D\xDE00\r\n"));
    for (size_t length : {size_t(255), size_t(256), size_t(511), size_t(16383), kProfileTextLimit - 1,
                          kProfileTextLimit, kProfileTextLimit + 1, kProfileTextLimit + 2}) {
        files.push_back("[s]\r\nk=" + std::string(length, 'v') + "\r\n");
        files.push_back("[s]\r\nq=\"" + std::string(length, 'v') + "\"\r\n");
    }
    return files;
}

TEST(ProfileReader, ReadsTrickyFilesAsThePlatformDoes) {
    ScratchDirectory dir;
    std::vector<std::string> files = TrickyFiles();
    int lookups = 0;
    for (size_t i = 0; i < files.size(); ++i) {
        std::string path = dir / ("tricky" + std::to_string(i) + ".ini");
        WriteOld(path, files[i]);
        Compare(path, files[i], &lookups);
        if (HasFatalFailure()) return;
    }
    EXPECT_GT(lookups, 1000);
}

// Sections only the section-once reader finds hard: a thousand keys with
// repeats in other letter case, lines without '=' and comments among them;
// '=' in values; keys at and over the longest the platform carries; a
// character the code page lacks ahead of plain keys.
TEST(SectionProfileReader, ReadsSectionsAsPerKeyReadsDo) {
    ScratchDirectory dir;
    std::vector<std::string> files = TrickyFiles();
    files.push_back("[s]\r\n\tk\t=\ta=b\t\r\nq = \"x=y\" \r\n==\r\n");
    for (size_t length : {kProfileTextLimit, kProfileTextLimit + 1, size_t(40000)})
        files.push_back("[s]\r\na=1\r\n" + std::string(length, 'k') + "=long key\r\nb=2\r\n");
    files.push_back("\xef\xbb\xbf[s]\r\n\xe2\x84\xaa=kelvin\r\nk=plain\r\n?=literal\r\n");
    std::string many = "[s]\r\n";
    for (int i = 0; i < 1200; ++i) {
        std::string name = "Entry" + std::to_string(i % 1000);
        if (i >= 1000) name = i % 2 ? "eNTRY" + std::to_string(i % 1000) : "\t" + name + " ";
        many += i % 97 == 0 ? name + "\r\n" : i % 89 == 0 ? ";" + name + "=c\r\n" : name + " =\t\"v=" + std::to_string(i) + "\"\r\n";
    }
    files.push_back(many);
    int lookups = 0;
    for (size_t i = 0; i < files.size(); ++i) {
        std::string path = dir / ("sections" + std::to_string(i) + ".ini");
        WriteOld(path, files[i]);
        CompareSectionReads(path, files[i], &lookups, i + 1 == files.size() ? 1 : 5);
        if (HasFatalFailure()) return;
    }
    EXPECT_GT(lookups, 5000);
}

// A visitor that rewrites the file it walks sees the new values, as per-key
// reads see them.
TEST(SectionProfileReader, ReadsAFileChangedDuringTheWalkAfresh) {
    ScratchDirectory dir;
    std::string path = dir / "changed.ini";
    static std::string changing;
    changing = path;
    EntryVisitor rewrite = [](SectionEntry& entry, void*) {
        if (std::string(entry.keyFields[0]) == "a") WriteBytes(changing, "[s]\r\na=1\r\nb=changed\r\nc=3\r\n");
        return LogEntry(entry, nullptr);
    };
    std::string walks[2];
    for (int once = 0; once < 2; ++once) {
        WriteOld(path, "[s]\r\na=1\r\nb=2\r\nc=3\r\n");
        FileProfileReader perKey(path.c_str());
        SectionProfileReader section(path.c_str());
        walkLog = &walks[once];
        WalkSection(once ? static_cast<ProfileReader&>(section) : perKey, "s", 0, 0, rewrite, nullptr, WalkReports{});
    }
    walkLog = nullptr;
    EXPECT_EQ(walks[1], walks[0]);
}

// Random files made of the pieces that matter, in every encoding the
// platform recognises; the seed is fixed, so a failure shows again.
std::string RandomFile(std::mt19937& random) {
    static const char* const kPieces[] = {
        "[", "]", "=", ";", "\"", "'", " ", "\t", "\x1a", "\x0b", "\xa0", "\r", "\n", "\r\n", "a", "A", "b", "B",
        "key", "KEY", "s", "S", "\xc4", "\xe4", "%", "|", "/",
    };
    std::string text;
    int lines = random() % 12;
    for (int i = 0; i < lines; ++i) {
        int kind = random() % 4;
        std::string blank = random() % 3 ? "" : std::string(1, " \t\x1a"[random() % 3]);
        if (kind == 0) text += blank + "[" + std::string(random() % 2 ? "s" : "S") + blank + "]";
        else if (kind == 1) text += blank + (random() % 2 ? "key" : "a") + blank + "=" + blank + "v" + std::to_string(i);
        for (int k = random() % 6; k > 0; --k) text += kPieces[random() % (sizeof kPieces / sizeof *kPieces)];
        text += random() % 5 ? "\r\n" : (random() % 2 ? "\n" : "\r");
    }
    switch (random() % 8) {
    case 0: {  // UTF-8 with its mark; every character the code page has
        std::string utf8 = "\xef\xbb\xbf";
        for (unsigned char c : text) {
            if (c < 0x80) utf8 += static_cast<char>(c);
            else utf8 += {static_cast<char>(0xC0 | c >> 6), static_cast<char>(0x80 | (c & 0x3F))};
        }
        return utf8;
    }
    case 1: {  // UTF-16, low byte first
        std::string utf16 = "\xff\xfe";
        for (unsigned char c : text) utf16 += {static_cast<char>(c), '\0'};
        return utf16;
    }
    default:
        return text;
    }
}

TEST(ProfileReader, ReadsRandomFilesAsThePlatformDoes) {
    ScratchDirectory dir;
    std::mt19937 random(20240611);
    int lookups = 0;
    for (int i = 0; i < 200; ++i) {
        std::string bytes = RandomFile(random);
        std::string path = dir / ("random" + std::to_string(i) + ".ini");
        WriteOld(path, bytes);
        Compare(path, bytes, &lookups);
        CompareSectionReads(path, bytes, &lookups);
        if (HasFatalFailure()) return;
    }
    EXPECT_GT(lookups, 30000);
}

}  // namespace
