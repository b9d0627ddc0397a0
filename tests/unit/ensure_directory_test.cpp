#include <gtest/gtest.h>

#include <string>

#include "test_support.h"
#include "actions/records.h"
#include "base/file_system.h"

namespace {

class EnsureDirectoryTest : public testing::Test {
protected:
    StateScope state;
    ScratchDirectory scratch;
};

TEST_F(EnsureDirectoryTest, MakesMissingDirectoriesOutermostFirst) {
    EXPECT_EQ(EnsureDirectory((scratch / "a\\b\\c\\file.txt").c_str()), StepResult::GoOn);
    EXPECT_TRUE(IsDirectory(scratch / "a\\b\\c"));
    EXPECT_FALSE(IsDirectory(scratch / "a\\b\\c\\file.txt"));
    EXPECT_EQ(EnsureDirectory((scratch / "a\\b\\c\\other.txt").c_str()), StepResult::GoOn);
}

TEST_F(EnsureDirectoryTest, PathsWithoutAFileOrTooLongAreNotResolved) {
    EXPECT_EQ(EnsureDirectory((scratch / "d\\").c_str()), StepResult::Skipped);
    EXPECT_FALSE(IsDirectory(scratch / "d"));
    std::string deep = scratch.path();
    while (deep.size() < 300) deep += "\\level";
    EXPECT_EQ(EnsureDirectory((deep + "\\f").c_str()), StepResult::Skipped);
    EXPECT_FALSE(IsDirectory(scratch / "level"));
}

// A file where a directory must go: message 104 names that directory and
// the three answers take their three ways.
TEST_F(EnsureDirectoryTest, DirectoryThatCannotBeMadeIsReported) {
    std::string blocker = scratch / "blocker";
    WriteBytes(blocker, "x");
    std::string target = scratch / "blocker\\sub\\file.txt";
    {
        MessageBoxes answerer({IDABORT});
        EXPECT_EQ(EnsureDirectory(target.c_str()), StepResult::Abort);
        ASSERT_EQ(answerer.Texts().size(), 1u);
        EXPECT_EQ(answerer.Texts()[0], blocker + "\nCannot create specified directory !!");
    }
    {
        MessageBoxes answerer({IDIGNORE});
        EXPECT_EQ(EnsureDirectory(target.c_str()), StepResult::Skipped);
        EXPECT_EQ(answerer.Texts().size(), 1u);  // the inner directory is not tried after Ignore
    }
    {
        // Retry fails once more, then the blocker is gone and Retry succeeds.
        MessageBoxes answerer({IDRETRY, IDRETRY}, [&](size_t index) {
            if (index == 1) DeleteFileA(blocker.c_str());
        });
        EXPECT_EQ(EnsureDirectory(target.c_str()), StepResult::GoOn);
        EXPECT_EQ(answerer.Texts().size(), 2u);
    }
    EXPECT_TRUE(IsDirectory(scratch / "blocker\\sub"));
}

}  // namespace
