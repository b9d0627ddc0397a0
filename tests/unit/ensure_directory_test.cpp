#include <gtest/gtest.h>

#include <string>

#include "test_support.h"
#include "actions/records.h"
#include "base/file_system.h"
#include "base/wide_text.h"

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

// Names beyond ASCII are made as they are spelt, and a path's room counts
// characters: this one is far longer than MAX_PATH in the bytes of its UTF-8
// (each name within the 255 bytes a Linux file system under Wine takes). The
// empty tree goes again as a whole.
TEST_F(EnsureDirectoryTest, NamesBeyondAsciiAreMadeAndRemoved) {
    std::string named = scratch / "\xCE\xA9mega \xE4\xB8\xAD";
    for (int level = 0; level < 2; ++level) {
        named += "\\";
        for (int i = 0; i < 45; ++i) named += "\xE6\x96\x87";
    }
    ASSERT_GT(named.size(), static_cast<size_t>(MAX_PATH));
    MessageBoxes boxes({IDABORT});
    EXPECT_EQ(EnsureDirectory((named + "\\sub\\file.txt").c_str()), StepResult::GoOn);
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{});
    DWORD attributes = GetFileAttributesW(Wide((named + "\\sub").c_str()).c_str());
    EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY));
    EXPECT_TRUE(RemoveEmptyDirectories(named.c_str()));
    EXPECT_EQ(GetFileAttributesW(Wide(named.c_str()).c_str()), INVALID_FILE_ATTRIBUTES);
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
            if (index == 1) DeleteFileW(Wide(blocker.c_str()).c_str());
        });
        EXPECT_EQ(EnsureDirectory(target.c_str()), StepResult::GoOn);
        EXPECT_EQ(answerer.Texts().size(), 2u);
    }
    EXPECT_TRUE(IsDirectory(scratch / "blocker\\sub"));
}

}  // namespace
