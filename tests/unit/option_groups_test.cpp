#include <windows.h>
#include <gtest/gtest.h>

#include <string>

#include "test_support.h"
#include "base/setup_state.h"
#include "base/text.h"
#include "ui/sections.h"
#include "ui/option_groups.h"

namespace {

// Each test reads a script of its own, written to a temporary file, into a
// fresh state record. The detection against this machine is tested end to
// end, where the reported version can be changed.
class OptionGroups : public testing::Test {
protected:
    void SetUp() override { CopyText(gProcess.scriptPath, (scratch / "SETUP.INF").c_str()); }
    void TearDown() override { gProcess.scriptPath[0] = '\0'; }

    void Read(const std::string& script) {
        ASSERT_TRUE(WriteBytes(gProcess.scriptPath, script));
        gState->optionGroupCount = 0;
        ForEachEntry("options", gProcess.scriptPath, 0, 0, OptionsEntry, nullptr);
    }

    static int Preselected(int group) { return gState->optionGroups[group].preselection; }
    static const OptionGroup& Group(int i) { return gState->optionGroups[i]; }

    StateScope state;
    ScratchDirectory scratch;
};

TEST_F(OptionGroups, PlainGroupsKeepSectionOrderAndDropIncompleteChoices) {
    Read("[options]\r\nLanguage=LANG\r\nEmpty=MISSING\r\nSize=SIZE\r\nCode pages=codepage2\r\n"
         "[LANG]\r\nEnglish=E\r\nNo code=\r\nGerman=G\r\n"
         "[SIZE]\r\nSmall=S\r\nLarge=L\r\n[codepage2]\r\nAny/1252=A\r\n");
    ASSERT_EQ(gState->optionGroupCount, 4);
    EXPECT_STREQ(Group(0).title, "Language");
    ASSERT_EQ(Group(0).count, 2);
    EXPECT_STREQ(Group(0).labels[0], "English");
    EXPECT_STREQ(Group(0).codes[0], "E");
    EXPECT_STREQ(Group(0).labels[1], "German");
    EXPECT_STREQ(Group(0).codes[1], "G");
    // A group whose section is missing still counts, with no choices.
    EXPECT_STREQ(Group(1).title, "Empty");
    EXPECT_EQ(Group(1).count, 0);
    EXPECT_EQ(Group(2).count, 2);
    // "codepage2" is no detection kind: a plain choice with its key whole.
    EXPECT_STREQ(Group(3).labels[0], "Any/1252");
    for (int i = 0; i < 4; ++i) EXPECT_EQ(Preselected(i), 0) << "plain group " << i << " shows its first choice";
}

// What does not fit the tables is put to the user by its entry, never left
// out unseen: OK goes on without it.
TEST_F(OptionGroups, TablesStopAtTheirCapacity) {
    std::string script = "[options]\r\nGroup 0=MANY\r\n";
    for (int i = 1; i < kMaxOptionGroups + 2; ++i) script += "Group " + std::to_string(i) + "=ONE\r\n";
    script += "[ONE]\r\nx=X\r\n[MANY]\r\n";
    for (int i = 0; i < kMaxChoices + 3; ++i) script += "Choice " + std::to_string(i) + "=C" + std::to_string(i) + "\r\n";
    MessageBoxes answerer({IDOK, IDOK, IDOK, IDOK, IDOK});
    Read(script);
    const std::vector<std::string>& texts = answerer.Texts();
    ASSERT_EQ(texts.size(), 5u);
    EXPECT_EQ(texts[0].substr(0, texts[0].find('\n')), "[MANY] Choice 16");
    EXPECT_EQ(texts[3].substr(0, texts[3].find('\n')), "[options] Group 16");
    EXPECT_EQ(texts[4].substr(0, texts[4].find('\n')), "[options] Group 17");
    EXPECT_EQ(gState->optionGroupCount, kMaxOptionGroups);
    EXPECT_STREQ(Group(kMaxOptionGroups - 1).title, "Group 15");
    EXPECT_EQ(Group(0).count, kMaxChoices);
    EXPECT_STREQ(Group(0).codes[kMaxChoices - 1], "C15");
    EXPECT_EQ(gState->componentCount, 0) << "the record beyond the groups is untouched";

    Read("[options]\r\nG=ONE\r\n[ONE]\r\n"
         "A label much longer than sixty-three characters, which is all a label holds=THISCODEISLONGERTHANFIFTEEN\r\n");
    EXPECT_EQ(lstrlenA(Group(0).labels[0]), 63);
    EXPECT_STREQ(Group(0).codes[0], "THISCODEISLONGE");
}

TEST_F(OptionGroups, ChosenCodesJoinInGroupOrder) {
    Read("[options]\r\nA=GA\r\nB=GB\r\nC=GC\r\n[GA]\r\nx=X\r\ny=Y\r\n[GB]\r\none=1\r\ntwo=2\r\n[GC]\r\nz=Z\r\n");
    int chosen[] = {1, 0, -1};
    JoinOptionCodes(chosen, 3);
    EXPECT_STREQ(gState->optionCodes, "Y1") << "a group without a choice adds nothing";

    int outOfRange[] = {5, 1, 0};
    JoinOptionCodes(outOfRange, 3);
    EXPECT_STREQ(gState->optionCodes, "2Z");
}

TEST_F(OptionGroups, ACodeThatDoesNotFitWholeIsLeftOut) {
    Read("[options]\r\nA=GA\r\nB=GB\r\nC=GC\r\n[GA]\r\na=ABCDEFGHIJ\r\n[GB]\r\nb=KLMNOP\r\n[GC]\r\nc=QRSTU\r\n");
    int chosen[] = {0, 0, 0};
    JoinOptionCodes(chosen, 3);
    EXPECT_STREQ(gState->optionCodes, "ABCDEFGHIJQRSTU");
}

}  // namespace
