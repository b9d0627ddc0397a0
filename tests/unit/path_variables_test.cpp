#include <gtest/gtest.h>

#include <string>

#include "test_support.h"
#include "base/setup_state.h"
#include "base/text.h"
#include "script/conditions.h"
#include "script/variables.h"
#include "ui/path_variables.h"

namespace {

// [path] entries that never ask (the dialog itself is driven end to end).
class PathVariables : public testing::Test {
protected:
    void SetUp() override {
        GetWindowsDirectoryA(windows, sizeof windows);
        script = scratch / "SETUP.INF";
        CopyText(gProcess.scriptPath, script.c_str());
    }
    void TearDown() override { gProcess.scriptPath[0] = '\0'; }
    // The entries read, or -1 after Abort.
    int Read(const std::string& entries) {
        WriteBytes(script, "[path]\r\n" + entries);
        int visited = 0;
        return ReadPathVariables(&visited) == StepResult::Abort ? -1 : visited;
    }
    std::string Expand(const char* text) {
        char copy[MAX_PATH], out[MAX_PATH];
        CopyText(copy, text);
        ExpandText(copy, out, true);
        return out;
    }

    StateScope state;
    ScratchDirectory scratch;
    std::string script;
    char windows[MAX_PATH];
};

TEST_F(PathVariables, DefaultIsExpandedAndConditionsSelect) {
    CopyText(gState->optionCodes, "A");
    EXPECT_EQ(Read("AppDir=%WinDir%\\APP\r\n"
                   "Skipped/B=C:\\NO\r\n"
                   "Taken/A=%AppDir%\\SUB\r\n"),
              3);
    ASSERT_EQ(gState->variableCount, 2);
    EXPECT_STREQ(gState->variables[0].name, "AppDir");
    EXPECT_EQ(std::string(gState->variables[0].value), std::string(windows) + "\\APP");
    EXPECT_STREQ(gState->variables[1].name, "Taken");
    EXPECT_EQ(std::string(gState->variables[1].value), std::string(windows) + "\\APP\\SUB");
}

TEST_F(PathVariables, NameDefinedByRegGetsASecondRowThatLookupsDoNotSee) {
    SetVariable("AppDir", "");
    gState->regVariableCount = 1;
    Read("AppDir=C:\\FROMPATH\r\n");
    ASSERT_EQ(gState->variableCount, 2);
    EXPECT_STREQ(gState->variables[1].value, "C:\\FROMPATH");
    EXPECT_EQ(Expand("%AppDir%\\X"), "\\X");
    EXPECT_EQ(MatchCondition("", "AppDir"), 0);
}

TEST_F(PathVariables, LaterPassReplacesTheRowsOfTheEarlierOne) {
    SetVariable("OLDDIR", "C:\\REG");
    gState->regVariableCount = 1;
    Read("AppDir=C:\\FIRST\r\nDataDir=C:\\DATA\r\n");
    Read("AppDir=C:\\SECOND\r\nDataDir=C:\\DATA\r\n");
    EXPECT_EQ(gState->variableCount, 3);
    EXPECT_EQ(Expand("%AppDir%"), "C:\\SECOND");
    EXPECT_EQ(Expand("%OLDDIR%"), "C:\\REG");
    for (int pass = 0; pass < 40; ++pass) Read("AppDir=C:\\APP\r\nDataDir=C:\\DATA\r\n");
    EXPECT_EQ(gState->variableCount, 3);
}

TEST_F(PathVariables, FullTableStopsThePassWithAMessage) {
    for (int i = 0; i < 60; ++i) SetVariable(("R" + std::to_string(i)).c_str(), "x");
    gState->regVariableCount = 60;
    std::string entries;
    for (int i = 0; i < 6; ++i) entries += "P" + std::to_string(i) + "=C:\\P\r\n";
    MessageBoxes answerer({IDOK});
    EXPECT_EQ(Read(entries), -1);
    ASSERT_EQ(answerer.Texts().size(), 1u);
    EXPECT_EQ(answerer.Texts()[0], "Not enought memory !!!");
    EXPECT_EQ(gState->variableCount, kMaxVariables);
    EXPECT_STREQ(gState->variables[63].name, "P3");
}

TEST_F(PathVariables, NamesThatCannotBeLookedUpAreLeftOut) {
    // An empty name is no entry; one too long to be held is reported.
    MessageBoxes answerer({IDOK});
    EXPECT_EQ(Read("/,=C:\\EMPTY\r\n" + std::string(64, 'N') + "=C:\\LONG\r\n"), 2);
    ASSERT_EQ(answerer.Texts().size(), 1u);
    EXPECT_EQ(answerer.Texts()[0].substr(0, 12), "[path] NNNNN");
    EXPECT_EQ(gState->variableCount, 0);
}

// A directory longer than the profile reader once gave (255 characters) is
// taken whole; one that does not fit a variable's 259 characters is reported
// by its entry, never cut: OK leaves it out, Cancel ends the pass.
TEST_F(PathVariables, LongDirectoriesWholeOrReported) {
    std::string whole = "C:\\" + std::string(255, 'd');
    std::string over = "C:\\" + std::string(297, 'o');
    MessageBoxes answerer({IDOK, IDCANCEL});
    EXPECT_EQ(Read("AppDir=" + whole + "\r\nOver=" + over + "\r\nLast=C:\\L\r\n"), 3);
    ASSERT_EQ(gState->variableCount, 2);
    EXPECT_EQ(std::string(gState->variables[0].value), whole);
    EXPECT_STREQ(gState->variables[1].name, "Last");
    EXPECT_EQ(Read("Over=" + over + "\r\n"), -1);
    ASSERT_EQ(answerer.Texts().size(), 2u);
    EXPECT_EQ(answerer.Texts()[0].substr(0, 12), "[path] Over\n");
}

}  // namespace
