// Deletion entries that finish without asking the user; the messages and
// their answers are exercised under the UI robot (e2e scenario deletion).
#include <gtest/gtest.h>

#include "action_support.h"
#include "actions/actions.h"

using namespace file_action_support;

namespace {

class DeleteEntryTest : public testing::Test {
protected:
    int Visit(const std::string& lines) { return VisitSection(dir, "del.Main", lines, 0, DeleteEntry); }

    ScopedState state;
    ScratchDirectory dir{"setup_unit_delete"};
    MessageBoxGuard boxes;
};

TEST_F(DeleteEntryTest, DeletesPlainAndReadOnlyFilesOnExpandedPaths) {
    CreateDirectoryA((dir / "sub").c_str(), nullptr);
    WriteBytes(dir / "sub\\plain.txt", "x");
    WriteBytes(dir / "sub\\locked.txt", "x");
    SetFileAttributesA((dir / "sub\\locked.txt").c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
    state.Define("Base", dir.path);
    state.Define("Name", "plain");
    EXPECT_EQ(Visit("%Base%\\sub\\%Name%.txt=Plain\r\n%Base%\\sub\\locked.txt=Locked\r\n"), 2);
    EXPECT_FALSE(Exists(dir / "sub\\plain.txt"));
    EXPECT_FALSE(Exists(dir / "sub\\locked.txt"));
    EXPECT_TRUE(boxes.texts.empty());
}

TEST_F(DeleteEntryTest, AKeyOfOnePartNamesAFileInTheWindowsDirectory) {
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, sizeof windows);
    std::string old = std::string(windows) + "\\setup_unit_old.ini";
    WriteBytes(old, "[x]\r\n");
    EXPECT_EQ(Visit("setup_unit_old.ini=Old settings\r\n"), 1);
    EXPECT_FALSE(Exists(old));
    DeleteFileA(old.c_str());
}

TEST_F(DeleteEntryTest, TheQuestionFlagAndAnEmptyConditionPassFailuresOverSilently) {
    lstrcpyA(gState->optionCodes, "A");
    EXPECT_EQ(Visit("C:\\nowhere\\missing.txt=Missing/A,?\r\nC:\\nowhere\\other.txt=Other/\r\n"), 2);
    EXPECT_TRUE(boxes.texts.empty());
}

TEST_F(DeleteEntryTest, AnEntryThatDoesNotApplyOrACancelledPassDeletesNothing) {
    WriteBytes(dir / "keep.txt", "x");
    state.Define("Base", dir.path);
    lstrcpyA(gState->optionCodes, "A");
    EXPECT_EQ(Visit("%Base%\\keep.txt=Keep/B\r\n"), 1);
    EXPECT_TRUE(Exists(dir / "keep.txt"));
    gProcess.cancelFlag = 1;
    EXPECT_EQ(Visit("%Base%\\keep.txt=Keep\r\n"), -1);
    EXPECT_TRUE(Exists(dir / "keep.txt"));
}

// A path cut at the buffer's end would name another file: that file must stay.
TEST_F(DeleteEntryTest, AnOverlongPathIsNeverCutIntoAnotherFile) {
    std::string name(MAX_PATH - 1 - (dir.path.size() + 1), 'a');
    std::string cut = dir / name;
    ASSERT_EQ(cut.size(), static_cast<size_t>(MAX_PATH - 1));
    ASSERT_TRUE(WriteBytes(cut, "x"));
    state.Define("Name", name);
    EXPECT_EQ(Visit("C:\\setup_unit_delete\\%Name%.extra=Long/,?\r\n"), 1);
    EXPECT_TRUE(Exists(cut));
}

}  // namespace
