// A profile file written anew with one value changed counts as whole only
// when every other line is there as before: a file the disk took only part
// of, or a change to another line, is never moved over the old file.
#include <gtest/gtest.h>

#include <string>

#include "actions/profile_rewrite.h"

namespace {

struct Row {
    const char* what;
    std::string before, after;
    ProfileWrite write;
    bool whole;
};

const std::string kFile = "; note\r\n[Sec A]\r\n  key1 = one  \r\n; inner\r\n\r\nloose\r\nkey2=two\r\n[B]\r\nk=\r\n";

TEST(ProfileRewrite, OnlyTheWrittenKeyMayDiffer) {
    const Row rows[] = {
        // What the platform's writer leaves: blank lines and blanks around '=' gone.
        {"value replaced in place", kFile, "; note\r\n[Sec A]\r\nkey1=one\r\n; inner\r\nloose\r\nkey2=new\r\n[B]\r\nk=\r\n",
         {"sec a", "KEY2", "new"}, true},
        {"key added at the end of its section", kFile, kFile.substr(0, kFile.find("[B]")) + "key3=3\r\n[B]\r\nk=\r\n",
         {"Sec A", "key3", "3"}, true},
        {"key added in a new section", kFile, kFile + "[C]\r\nx=1\r\n", {"C", "x", "1"}, true},
        {"key deleted", kFile, "; note\r\n[Sec A]\r\n; inner\r\nloose\r\nkey2=two\r\n[B]\r\nk=\r\n",
         {"Sec A", "key1", nullptr}, true},
        {"absent key deleted: nothing changes", kFile, kFile, {"Sec A", "none", ""}, true},
        {"cut at the end", kFile, kFile.substr(0, kFile.size() - 5), {"B", "z", ""}, false},
        {"cut inside a value", kFile, kFile.substr(0, kFile.find("two") + 1), {"Sec A", "key1", "x"}, false},
        {"another line changed too", kFile, "; note\r\n[Sec A]\r\nkey1=ONE\r\n; inner\r\nloose\r\nkey2=new\r\n[B]\r\nk=\r\n",
         {"Sec A", "key2", "new"}, false},
        {"the value not written", kFile, kFile, {"Sec A", "key2", "new"}, false},
        {"the key written twice", kFile, kFile + "[Sec A]\r\nkey9=1\r\nkey9=1\r\n", {"Sec A", "key9", "1"}, false},
        {"written into a later section of the name", kFile + "[B]\r\nz=1\r\n", kFile + "[B]\r\nz=1\r\nq=2\r\n",
         {"B", "q", "2"}, false},
        {"empty file gains its first section", "", "[S]\r\nk=v\r\n", {"S", "k", "v"}, true},
        // Texts are UTF-8 (the file decoded): a look-alike the writer put in is not the value.
        {"value written with a look-alike", "[S]\r\nk=1\r\n", "[S]\r\nk=Omega\r\n", {"S", "k", "\xCE\xA9mega"}, false},
        {"value beyond ASCII written", "[S]\r\nk=1\r\n", "[S]\r\nk=\xCE\xA9mega\r\n", {"S", "k", "\xCE\xA9mega"}, true},
    };
    for (const Row& row : rows)
        EXPECT_EQ(RewriteIsWhole(row.before.data(), row.before.size(), row.after.data(), row.after.size(), row.write),
                  row.whole)
            << row.what;
}

}  // namespace
