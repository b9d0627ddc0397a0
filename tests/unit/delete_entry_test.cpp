// Deletion entries that finish without asking the user; the messages and
// their answers are exercised under the UI robot (e2e scenario deletion).
#include <gtest/gtest.h>

#include "test_support.h"
#include "base/setup_state.h"

namespace {

class DeleteEntryTest : public ActionTest {
protected:
    int Visit(const std::string& lines) { return CarryOutSection("del.Main", lines, ActionKind::Delete); }
};

TEST_F(DeleteEntryTest, DeletesPlainAndReadOnlyFilesOnExpandedPaths) {
    CreateDirectoryA(Path("sub").c_str(), nullptr);
    WriteBytes(Path("sub\\plain.txt"), "x");
    WriteBytes(Path("sub\\locked.txt"), "x");
    SetFileAttributesA(Path("sub\\locked.txt").c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
    SetVariable("Base", dir);
    SetVariable("Name", "plain");
    EXPECT_EQ(Visit("%Base%\\sub\\%Name%.txt=Plain\r\n%Base%\\sub\\locked.txt=Locked\r\n"), 2);
    EXPECT_FALSE(Exists(Path("sub\\plain.txt")));
    EXPECT_FALSE(Exists(Path("sub\\locked.txt")));
    EXPECT_TRUE(boxes.Texts().empty());
}

TEST_F(DeleteEntryTest, AKeyOfOnePartNamesAFileInTheWindowsDirectory) {
    std::string old = WindowsDirectory() + "\\setup_unit_old.ini";
    WriteBytes(old, "[x]\r\n");
    EXPECT_EQ(Visit("setup_unit_old.ini=Old settings\r\n"), 1);
    EXPECT_FALSE(Exists(old));
    DeleteFileA(old.c_str());
}

TEST_F(DeleteEntryTest, TheQuestionFlagAndAnEmptyConditionPassFailuresOverSilently) {
    lstrcpyA(gState->optionCodes, "A");
    EXPECT_EQ(Visit("C:\\nowhere\\missing.txt=Missing/A,?\r\nC:\\nowhere\\other.txt=Other/\r\n"), 2);
    EXPECT_TRUE(boxes.Texts().empty());
}

TEST_F(DeleteEntryTest, AnEntryThatDoesNotApplyOrACancelledPassDeletesNothing) {
    WriteBytes(Path("keep.txt"), "x");
    SetVariable("Base", dir);
    lstrcpyA(gState->optionCodes, "A");
    EXPECT_EQ(Visit("%Base%\\keep.txt=Keep/B\r\n"), 1);
    EXPECT_TRUE(Exists(Path("keep.txt")));
    gState->pass.cancelFlag = 1;
    EXPECT_EQ(Visit("%Base%\\keep.txt=Keep\r\n"), -1);
    EXPECT_TRUE(Exists(Path("keep.txt")));
}

// A path cut at the buffer's end would name another file: that file must
// stay. A path the platform takes for a device is refused as an invalid name.
TEST_F(DeleteEntryTest, AnOverlongOrDevicePathIsRefused) {
    std::string name(MAX_PATH - 1 - (dir.size() + 1), 'a');
    std::string cut = Path(name);
    ASSERT_EQ(cut.size(), static_cast<size_t>(MAX_PATH - 1));
    ASSERT_TRUE(WriteBytes(cut, "x"));
    SetVariable("Base", dir);
    SetVariable("Name", name);
    EXPECT_EQ(Visit("%Base%\\%Name%.extra=Long/,?\r\n"), 1);
    EXPECT_TRUE(Exists(cut));

    char invalid[256] = "";
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, ERROR_INVALID_NAME, 0, invalid,
                   sizeof invalid, nullptr);
    Answer({IDIGNORE});
    EXPECT_EQ(Visit("%Base%\\nul.txt=Null\r\n"), 1);
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{Path("nul.txt") + "\nCannot delete specified file!\n\n" + invalid});
}

}  // namespace
