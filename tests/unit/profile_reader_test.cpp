// The in-memory profile reader of the publisher's tool and the native tests
// against the platform's profile functions: the same bytes, read both ways,
// must give the same key lists and the same values, for every section and
// key asked for, also under other letter case and with blanks around.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "base/profile_text.h"
#include "profile_file.h"
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
    HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER time = {{now.dwLowDateTime, now.dwHighDateTime}};
    time.QuadPart -= 864000000000ull;
    FILETIME dayBack = {time.LowPart, time.HighPart};
    EXPECT_TRUE(SetFileTime(file, nullptr, nullptr, &dayBack));
    CloseHandle(file);
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
                const std::string& section = key == listedKey ? listed : Variants(listed)[3];
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

TEST(ProfileReader, ReadsTrickyFilesAsThePlatformDoes) {
    ScratchDirectory dir;
    const char zeros[] = "[s]\r\nk=a\0b\r\nz\0ero=1\r\nkey \0=2\r\n\"q\"\0x=3\r\n[t\0u]\r\nv=1\r\n";
    std::vector<std::string> files(std::begin(kTricky), std::end(kTricky));
    files.push_back(std::string(zeros, sizeof zeros - 1));
    // Values at the longest the platform carries, and one character over;
    // values in quotation marks one character longer than a room the
    // engine reads into.
    for (size_t length : {size_t(255), size_t(256), size_t(511), size_t(16383), kProfileTextLimit - 1,
                          kProfileTextLimit, kProfileTextLimit + 1, kProfileTextLimit + 2}) {
        files.push_back("[s]\r\nk=" + std::string(length, 'v') + "\r\n");
        files.push_back("[s]\r\nq=\"" + std::string(length, 'v') + "\"\r\n");
    }
    int lookups = 0;
    for (size_t i = 0; i < files.size(); ++i) {
        std::string path = dir / ("tricky" + std::to_string(i) + ".ini");
        WriteOld(path, files[i]);
        Compare(path, files[i], &lookups);
        if (HasFatalFailure()) return;
    }
    EXPECT_GT(lookups, 1000);
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
        if (HasFatalFailure()) return;
    }
    EXPECT_GT(lookups, 30000);
}

}  // namespace
