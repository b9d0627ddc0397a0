#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "test_support.h"
#include "base/setup_state.h"
#include "base/text.h"
#include "script/variables.h"

namespace {

class ExpandTextTest : public testing::Test {
protected:
    void SetUp() override {
        GetWindowsDirectoryA(windows, sizeof windows);
        GetSystemDirectoryA(system, sizeof system);
        CopyText(gProcess.mediaDirectory, "C:\\MEDIA\\DISK1\\");
    }
    void TearDown() override { gProcess.mediaDirectory[0] = '\0'; }

    std::string Expand(const char* text, bool split = true) {
        char copy[512];
        CopyText(copy, text);
        char out[MAX_PATH];
        ExpandText(copy, out, split);
        return out;
    }

    StateScope state;
    char windows[MAX_PATH];
    char system[MAX_PATH];
};

TEST_F(ExpandTextTest, BuiltInNamesInAnyLetterCase) {
    std::string win = windows;
    EXPECT_EQ(Expand("%WinDir%\\SYSTEM"), win + "\\SYSTEM");
    EXPECT_EQ(Expand("%windir%\\SYSTEM"), win + "\\SYSTEM");
    EXPECT_EQ(Expand("%WINDISK%"), win.substr(0, 2));
    EXPECT_EQ(Expand("%SysDir%"), std::string(system));
    EXPECT_EQ(Expand("%SysDisk%\\"), std::string(system).substr(0, 2) + "\\");
    EXPECT_EQ(Expand("Win-Dir"), "Win-Dir");
}

TEST_F(ExpandTextTest, InstDirIsTheMediaDirectoryWithoutItsBackslash) {
    EXPECT_EQ(Expand("%InstDir%SETUP.INF"), "C:\\MEDIA\\DISK1SETUP.INF");
    EXPECT_EQ(Expand("%InstDir%\\SETUP.INF"), "C:\\MEDIA\\DISK1\\SETUP.INF");
    // A disk change moves it: the value is taken at each expansion.
    CopyText(gProcess.mediaDirectory, "C:\\");
    EXPECT_EQ(Expand("%InstDir%"), "C:");
}

TEST_F(ExpandTextTest, PercentSigns) {
    EXPECT_EQ(Expand("%NOSUCH%\\X"), "NOSUCH\\X");
    EXPECT_EQ(Expand("100%%"), "100%");
    EXPECT_EQ(Expand("%%WinDir%%"), "%WinDir%");
    EXPECT_EQ(Expand(""), "");
    EXPECT_EQ(Expand("%"), "");
}

TEST_F(ExpandTextTest, WholeNameMode) {
    EXPECT_EQ(Expand("WinDir"), std::string(windows));
    EXPECT_EQ(Expand("WinDir", false), std::string(windows));
    EXPECT_EQ(Expand("%WinDir%", false), "%WinDir%");
    SetVariable("RemoveInf", "C:\\LOG\\REMOVE.INF");
    EXPECT_EQ(Expand("RemoveInf", false), "C:\\LOG\\REMOVE.INF");
    EXPECT_EQ(Expand("removeinf", false), "removeinf");
}

TEST_F(ExpandTextTest, VariableLookup) {
    SetVariable("WINDIR", "C:\\ELSEWHERE");
    SetVariable("AppDir", "C:\\APP");
    SetVariable("AppDir", "C:\\SECOND");
    SetVariable("strasse", "wrong");
    EXPECT_EQ(Expand("%WINDIR%"), std::string(windows));  // the built-in name comes first
    EXPECT_EQ(Expand("%AppDir%\\BIN\\%AppDir%"), "C:\\APP\\BIN\\C:\\APP");
    EXPECT_EQ(Expand("%APPDIR%"), "APPDIR");
    EXPECT_EQ(Expand("AppDir"), "C:\\APP");  // every piece is looked up
    EXPECT_EQ(Expand("%stra\xDF" "e%"), "stra\xDF" "e");
    // A row with an empty name must not land around every name.
    SetVariable("", "!");
    EXPECT_EQ(Expand("%AppDir%"), "C:\\APP");
}

TEST_F(ExpandTextTest, LongResultsAreCutAtTheBuffer) {
    std::string long200(200, 'a');
    SetVariable("Long", long200.c_str());
    char text[] = "%Long%\\%Long%";
    char out[MAX_PATH + 8];
    std::memset(out, '#', sizeof out);
    EXPECT_FALSE(ExpandText(text, out, MAX_PATH, true));
    EXPECT_EQ(std::strlen(out), static_cast<size_t>(MAX_PATH - 1));
    for (size_t i = MAX_PATH; i < sizeof out; ++i) EXPECT_EQ(out[i], '#');
    char fits[] = "%Long%";
    EXPECT_TRUE(ExpandText(fits, out, MAX_PATH, true));
    EXPECT_EQ(out, long200);
}

}  // namespace
