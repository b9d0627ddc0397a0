#include <windows.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "test_support.h"
#include "base/text.h"
#include "ui/sections.h"

namespace {

std::vector<std::string> Split(const char* text, char separator, int room = kFieldRoom) {
    char buffer[512];
    lstrcpynA(buffer, text, sizeof buffer);
    char* fields[64];
    int count = -1;
    char* end = SplitFields(buffer, fields, &count, separator, room);
    EXPECT_EQ(end, buffer + lstrlenA(text)) << "must return the original terminator";
    EXPECT_EQ(fields[count], nullptr);
    return std::vector<std::string>(fields, fields + count);
}

using Fields = std::vector<std::string>;

TEST(SplitFields, TableOfSeparatorRules) {
    EXPECT_EQ(Split("a/b/c", '/'), (Fields{"a", "b", "c"}));
    EXPECT_EQ(Split("a//b", '/'), (Fields{"a/b"}));
    EXPECT_EQ(Split("a///b", '/'), (Fields{"a/", "b"}));
    EXPECT_EQ(Split("a////b", '/'), (Fields{"a//b"}));
    EXPECT_EQ(Split("/a", '/'), (Fields{"", "a"}));
    EXPECT_EQ(Split("a/", '/'), (Fields{"a", ""}));
    EXPECT_EQ(Split("a/b//", '/'), (Fields{"a", "b/"}));
    EXPECT_EQ(Split("//", '/'), (Fields{"/"}));
    EXPECT_EQ(Split("", '/'), (Fields{""}));
}

TEST(SplitFields, RunsOfOneToFiveSeparators) {
    // k separators stand for k/2 literal ones, then a break when k is odd.
    EXPECT_EQ(Split("x|y", '|'), (Fields{"x", "y"}));
    EXPECT_EQ(Split("x||y", '|'), (Fields{"x|y"}));
    EXPECT_EQ(Split("x|||y", '|'), (Fields{"x|", "y"}));
    EXPECT_EQ(Split("x||||y", '|'), (Fields{"x||y"}));
    EXPECT_EQ(Split("x|||||y", '|'), (Fields{"x||", "y"}));
}

TEST(SplitFields, NoSeparatorKeepsTheWholeText) {
    EXPECT_EQ(Split("a/b:c|d", 0), (Fields{"a/b:c|d"}));
}

TEST(SplitFields, NeverMoreFieldsThanTheRoom) {
    // 20 fields into room for 4 pointers: three fields, the rest stays in the last.
    Fields f = Split("1/2/3/4/5/6/7/8/9/10/11/12/13/14/15/16/17/18/19/20", '/', 4);
    ASSERT_EQ(f.size(), 3u);
    EXPECT_EQ(f[0], "1");
    EXPECT_EQ(f[1], "2");
    EXPECT_EQ(f[2], "3/4/5/6/7/8/9/10/11/12/13/14/15/16/17/18/19/20");
    EXPECT_EQ(Split("a/b/c/d/e/f/g/h/i/j/k/l/m/n/o/p/q", '/').size(), 15u);
}

TEST(Strings, FindTextAndAddBackslash) {
    EXPECT_STREQ(FindText("HKEY_X\\Soft", "\\"), "\\Soft");
    EXPECT_EQ(FindText("abc", ":"), nullptr);
    EXPECT_EQ(FindText(static_cast<const char*>(nullptr), ":"), nullptr);
    char path[16] = "C:\\APP";
    EXPECT_STREQ(AddBackslash(path), "C:\\APP\\");
    EXPECT_STREQ(AddBackslash(path), "C:\\APP\\");
    char full[8] = "1234567";  // no room left: unchanged, still terminated
    EXPECT_STREQ(AddBackslash(full), "1234567");
}

struct Seen {
    std::vector<Fields> keys;
    std::vector<Fields> values;
    int stopAt = -1;
};

StepResult Record(SectionEntry& entry, void* context) {
    auto* seen = static_cast<Seen*>(context);
    seen->keys.emplace_back(entry.keyFields, entry.keyFields + entry.keyCount);
    seen->values.emplace_back(entry.valueFields, entry.valueFields + entry.valueCount);
    return static_cast<int>(seen->keys.size()) == seen->stopAt ? StepResult::Abort : StepResult::Skipped;
}

// Writes a script into a scratch directory.
class ScriptFile : public testing::Test {
protected:
    void Write(const std::string& text) { WriteBytes(file, text); }
    ScratchDirectory scratch;
    const std::string file = scratch / "script.inf";
    // Walks a section of the file: the entries visited, or -1 after Abort.
    int Walk(const char* section, char keySeparator, char valueSeparator, Seen* seen) {
        int visited = 0;
        StepResult result = ForEachEntry(section, file.c_str(), keySeparator, valueSeparator, Record, seen, &visited);
        return result == StepResult::Abort ? -1 : visited;
    }
};

TEST_F(ScriptFile, ProfileReaderRules) {
    Write("[Other]\r\nx=1\r\n[Files]\r\n  First/A , B = \"quoted value\" \r\nsecond=plain|two\r\n"
          "a//b=lit\r\nEmpty=\r\n");
    Seen seen;
    // Section names match in any letter case; blanks and quotes go.
    EXPECT_EQ(Walk("files", '/', '|', &seen), 4);
    ASSERT_EQ(seen.keys.size(), 4u);
    EXPECT_EQ(seen.keys[0], (Fields{"First", "A , B"}));
    EXPECT_EQ(seen.values[0], (Fields{"quoted value"}));
    EXPECT_EQ(seen.keys[1], (Fields{"second"}));
    EXPECT_EQ(seen.values[1], (Fields{"plain", "two"}));
    EXPECT_EQ(seen.keys[2], (Fields{"a/b"}));  // the value is read by the key as written
    EXPECT_EQ(seen.values[2], (Fields{"lit"}));
    EXPECT_EQ(seen.values[3], (Fields{""}));
}

TEST_F(ScriptFile, MissingSectionVisitsNothing) {
    Write("[A]\r\nk=v\r\n[Empty]\r\n");
    Seen seen;
    EXPECT_EQ(Walk("Nope", 0, 0, &seen), 0);
    EXPECT_EQ(Walk("Empty", 0, 0, &seen), 0);
    EXPECT_TRUE(seen.keys.empty());
}

// Values reach the visitor whole. A key or value longer than the profile
// functions carry (the reader would answer a key over 32 K characters with the
// key list) is reported by section and key: OK passes it over, Cancel stops.
TEST_F(ScriptFile, LongValuesWholeOverlongEntriesReported) {
    std::string longKey(32767, 'k');
    Write("[S]\r\nfirst=" + std::string(5000, 'v') + "\r\n" + longKey + "=x\r\nbig=" + std::string(40000, 'b') +
          "\r\nlast=1\r\n");
    MessageBoxes answered({IDOK, IDOK, IDCANCEL});
    Seen seen;
    ASSERT_EQ(Walk("S", 0, 0, &seen), 4);
    ASSERT_EQ(seen.keys.size(), 2u);
    EXPECT_EQ(seen.values[0][0], std::string(5000, 'v'));
    EXPECT_EQ(seen.keys[1][0], "last");
    EXPECT_EQ(Walk("S", 0, 0, &seen), -1);
    ASSERT_EQ(answered.Texts().size(), 3u);
    const std::string tail = "\nCannot carry out specified entry as written !\nOK skips it, Cancel stops the installation.";
    EXPECT_EQ(answered.Texts()[1], "[S] big" + tail);
    EXPECT_EQ(answered.Texts()[0].substr(0, 8), "[S] ...k");  // the long key shortened at its start
}

TEST_F(ScriptFile, VisitorStopsAfterExactlyThreeVisits) {
    Write("[S]\r\n1=a\r\n2=b\r\n3=c\r\n4=d\r\n5=e\r\n");
    Seen seen;
    seen.stopAt = 3;
    EXPECT_EQ(Walk("S", 0, 0, &seen), -1);
    EXPECT_EQ(seen.keys.size(), 3u);
    Seen all;  // a visitor's Skipped does not stop anything
    EXPECT_EQ(Walk("S", 0, 0, &all), 5);
}

TEST_F(ScriptFile, KeysEqualButForCaseShareTheFirstValue) {
    Write("[S]\r\nName=first\r\nNAME=second\r\n");
    Seen seen;
    Walk("S", 0, 0, &seen);
    ASSERT_EQ(seen.values.size(), 2u);
    EXPECT_EQ(seen.values[0][0], "first");
    EXPECT_EQ(seen.values[1][0], "first");
}

TEST_F(ScriptFile, EveryKeyOfALongSectionIsVisitedWhole) {
    // 1,200 keys of 27 characters: four times what a first key list holds.
    std::string script = "[Files]\r\n";
    for (int i = 0; i < 1200; ++i) {
        char line[64];
        snprintf(line, sizeof line, "1:%%AppDir%%\\file%05d.txt=File %d\r\n", i, i);
        script += line;
    }
    Write(script.c_str());
    Seen seen;
    ASSERT_EQ(Walk("Files", ':', 0, &seen), 1200);
    for (int i = 0; i < 1200; i += 299) {
        char name[32];
        snprintf(name, sizeof name, "%%AppDir%%\\file%05d.txt", i);
        EXPECT_EQ(seen.keys[i], (Fields{"1", name}));
        EXPECT_EQ(seen.values[i][0], "File " + std::to_string(i));
    }
    EXPECT_EQ(seen.keys.back(), (Fields{"1", "%AppDir%\\file01199.txt"}));
}

TEST_F(ScriptFile, FieldsBeyondTheRoomStayInTheLastField) {
    Write("[S]\r\na/b/c/d/e/f/g/h/i/j/k/l/m/n/o/p/q/r=v\r\n");
    Seen seen;
    Walk("S", '/', 0, &seen);
    ASSERT_EQ(seen.keys[0].size(), 15u);
    EXPECT_EQ(seen.keys[0][14], "o/p/q/r");
}

}  // namespace
