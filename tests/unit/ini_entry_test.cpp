#include <gtest/gtest.h>

#include "action_test_support.h"
#include "actions/actions.h"
#include "run/setup_state.h"
#include "script/text.h"

namespace {

class IniEntryTest : public ActionTest {
protected:
    std::string Ini(const char* section, const char* key) { return ProfileText(file, section, key); }
    std::string Logged(const std::string& key) { return ActionTest::Logged("ini.step1", key); }

    std::string file = scratch / "app.ini";
};

TEST_F(IniEntryTest, BareFileNameLivesInTheWindowsDirectory) {
    std::string systemIni = WindowsDirectory() + "\\system.ini";
    std::string before = ProfileText(systemIni, "boot", "shell", "");
    EXPECT_EQ(VisitEntry(IniEntry, "system.ini|boot|shell", "progman.exe"), 1);
    EXPECT_EQ(ProfileText(systemIni, "boot", "shell"), "progman.exe");
    EXPECT_EQ(Logged("system.ini|boot|shell"), before);
}

TEST_F(IniEntryTest, FirstPieceIsExpandedAsAWholeNameAndTheMiddlePieceIsNotUsed) {
    EXPECT_EQ(VisitEntry(IniEntry, "InstDir\\app.ini|Settings|Path", "%InstDir%"), 1);
    EXPECT_EQ(Ini("Settings", "Path"), scratch.path());

    EXPECT_EQ(VisitEntry(IniEntry, "Dir\\sub\\a.ini|S|K", "v"), 1);
    EXPECT_EQ(ProfileText(scratch / "a.ini", "S", "K"), "v");
    EXPECT_EQ(GetFileAttributesA((scratch / "sub").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(IniEntryTest, SetsReplacesAndDeletesKeys) {
    WriteBytes(file, "[Desktop]\r\nPattern=x\r\nWallpaper=w\r\n");
    EXPECT_EQ(VisitEntry(IniEntry, "Dir\\app.ini|Desktop|Wallpaper", "%Dir%\\y.bmp"), 1);
    EXPECT_EQ(Ini("Desktop", "Wallpaper"), scratch / "y.bmp");
    EXPECT_EQ(VisitEntry(IniEntry, "Dir\\app.ini|Desktop|Pattern", ""), 1);
    EXPECT_EQ(Ini("Desktop", "Pattern"), "<none>");
    EXPECT_EQ(Ini("Desktop", "Wallpaper"), scratch / "y.bmp");
    EXPECT_EQ(Logged("Dir\\app.ini|Desktop|Pattern"), "x");
    EXPECT_EQ(Logged("Dir\\app.ini|Desktop|Wallpaper"), "w");
}

TEST_F(IniEntryTest, AppendingJoinsWithTheSeparatorAndDoesNotSearch) {
    WriteBytes(file, "[windows]\r\nload=one.exe\r\nrun=\r\nshow=one.exe\r\n");
    EXPECT_EQ(VisitEntry(IniEntry, "Dir\\app.ini|windows|load|,", "app.exe"), 1);
    EXPECT_EQ(Ini("windows", "load"), "one.exe,app.exe");
    EXPECT_EQ(VisitEntry(IniEntry, "Dir\\app.ini|windows|load|,", "app.exe"), 1);
    EXPECT_EQ(Ini("windows", "load"), "one.exe,app.exe,app.exe");
    EXPECT_EQ(Logged("Dir\\app.ini|windows|load"), "one.exe") << "the first old value is kept";

    EXPECT_EQ(VisitEntry(IniEntry, "Dir\\app.ini|windows|run|,", "app.exe"), 1);
    EXPECT_EQ(Ini("windows", "run"), "app.exe");
    EXPECT_EQ(VisitEntry(IniEntry, "Dir\\app.ini|windows|absent|,", "app.exe"), 1);
    EXPECT_EQ(Ini("windows", "absent"), "app.exe");
    EXPECT_EQ(VisitEntry(IniEntry, "Dir\\app.ini|windows|show|;", ""), 1);
    EXPECT_EQ(Ini("windows", "show"), "one.exe;");
}

TEST_F(IniEntryTest, AbsentKeyIsRecordedEmptyAndNoRecordWithTheFlagOrInRemoveMode) {
    EXPECT_EQ(VisitEntry(IniEntry, "Dir\\app.ini|S|New", "1"), 1);
    EXPECT_EQ(Logged("Dir\\app.ini|S|New"), "");

    EXPECT_EQ(VisitEntry(IniEntry, "Dir\\app.ini|S|Flagged", "1/,-"), 1);
    EXPECT_EQ(Ini("S", "Flagged"), "1");
    EXPECT_EQ(Logged("Dir\\app.ini|S|Flagged"), "<none>");

    gProcess.removeMode = 1;
    EXPECT_EQ(VisitEntry(IniEntry, "Dir\\app.ini|S|Removing", "1"), 1);
    EXPECT_EQ(Ini("S", "Removing"), "1");
    EXPECT_EQ(Logged("Dir\\app.ini|S|Removing"), "<none>");
}

TEST_F(IniEntryTest, ConditionAndCancelComeFirst) {
    CopyText(gState->optionCodes, "B");
    EXPECT_EQ(VisitEntry(IniEntry, "Dir\\app.ini|S|K", "v/A"), 0);
    EXPECT_EQ(VisitEntry(IniEntry, "Dir\\app.ini|S|K2", "v/B"), 1);
    gProcess.cancelFlag = 1;
    EXPECT_EQ(VisitEntry(IniEntry, "Dir\\app.ini|S|K3", "v"), -1);
    EXPECT_EQ(Ini("S", "K"), "<none>");
    EXPECT_EQ(Ini("S", "K2"), "v");
    EXPECT_EQ(Ini("S", "K3"), "<none>");
    EXPECT_EQ(Logged("Dir\\app.ini|S|K"), "<none>");
}

TEST_F(IniEntryTest, ReadOnlyFileIsMadeWritable) {
    WriteBytes(file, "[S]\r\nK=old\r\n");
    SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(VisitEntry(IniEntry, "Dir\\app.ini|S|K", "new"), 1);
    EXPECT_EQ(Ini("S", "K"), "new");
    EXPECT_EQ(GetFileAttributesA(file.c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
}

TEST_F(IniEntryTest, StatusShowsFileSectionAndKey) {
    StatusWindow status;
    EXPECT_EQ(VisitEntry(IniEntry, "Dir\\app.ini|Sec%Dir%|Key", "v"), 1);
    EXPECT_EQ(status.Text(200), "Modify file:\n\nSection:\n\nString:");
    EXPECT_EQ(status.Text(100), file);
    EXPECT_EQ(status.Text(110), "Sec" + scratch.path());
    EXPECT_EQ(status.Text(120), "Key");
}

// Texts beyond their buffers, and malformed keys, refuse the entry: nothing
// is written or recorded.
TEST_F(IniEntryTest, OverlongTextsAndMalformedKeysRefuseTheEntry) {
    std::string longName(64, 'k');
    EXPECT_EQ(VisitEntry(IniEntry, "Dir\\app.ini|S|" + longName, "v"), 1);
    EXPECT_EQ(VisitEntry(IniEntry, "Dir\\app.ini|" + longName + "|K", "v"), 1);
    EXPECT_EQ(VisitEntry(IniEntry, "Dir\\app.ini|S|K", std::string(128, 'v')), 1);
    EXPECT_EQ(VisitEntry(IniEntry, "Dir\\" + std::string(60, 'f') + ".ini|S|K", "v"), 1);
    EXPECT_EQ(VisitEntry(IniEntry, "Dir\\a\\b\\c.ini|S|K", "v"), 1);
    EXPECT_EQ(VisitEntry(IniEntry, "Dir\\app.ini|S", "v"), 1);
    EXPECT_EQ(scratch.Files().size(), 0u);

    // 127 characters fit; appending beyond them leaves the present value alone.
    std::string full(127, 'v');
    EXPECT_EQ(VisitEntry(IniEntry, "Dir\\app.ini|S|K", full), 1);
    EXPECT_EQ(Ini("S", "K"), full);
    EXPECT_EQ(VisitEntry(IniEntry, "Dir\\app.ini|S|K|,", "x"), 1);
    EXPECT_EQ(Ini("S", "K"), full);
}

// A directory where the file should be: the profile writer cannot write it,
// so message 101 comes up.
class IniEntryFailureTest : public IniEntryTest {
protected:
    void SetUp() override {
        IniEntryTest::SetUp();
        ASSERT_TRUE(CreateDirectoryA(file.c_str(), nullptr));
    }
};

TEST_F(IniEntryFailureTest, RetryWritesAgainWithoutASecondRecord) {
    MessageBoxAnswerer& answered = Answer({IDRETRY, IDRETRY}, [&](size_t index) {
        if (index == 1) RemoveDirectoryA(file.c_str());
    });
    EXPECT_EQ(VisitEntry(IniEntry, "Dir\\app.ini|S|K", "v"), 1);
    EXPECT_EQ(Ini("S", "K"), "v");
    std::vector<std::string> texts = answered.Texts();
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0], file + "\nCannot modify specified file !");
    EXPECT_EQ(Logged("Dir\\app.ini|S|K"), "");
}

TEST_F(IniEntryFailureTest, IgnoreGoesOnAndAbortStops) {
    MessageBoxAnswerer& answered = Answer({IDIGNORE, IDABORT});
    EXPECT_EQ(VisitEntry(IniEntry, "Dir\\app.ini|S|K", "v"), 1);
    EXPECT_EQ(VisitEntry(IniEntry, "Dir\\app.ini|S|K", "v"), -1);
    EXPECT_EQ(answered.Texts().size(), 2u);
    EXPECT_NE(GetFileAttributesA(file.c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
}

}  // namespace
