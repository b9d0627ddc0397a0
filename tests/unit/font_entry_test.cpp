// Font resource entries against a real TrueType file. The .fot file names the
// font the way it was handed to the platform, which shows whether the entry
// took the bare name with a current path or the full path.
#include <gtest/gtest.h>

#include "action_support.h"
#include "actions/actions.h"

using namespace file_action_support;

namespace {

const char kDejaVu[] = "Z:\\usr\\share\\fonts\\truetype\\dejavu\\DejaVuSans.ttf";

std::string Directory(UINT (*get)(LPSTR, UINT)) {
    char path[MAX_PATH] = "";
    get(path, sizeof path);
    return path;
}

class FontEntryTest : public testing::Test {
protected:
    void SetUp() override {
        if (!Exists(kDejaVu)) GTEST_SKIP() << "fonts-dejavu-core is not installed";
        state.Define("RemoveInf", dir / "remove.inf");
    }
    // Places the font as NAME.ttf in a directory, to be removed afterwards.
    std::string PlaceFont(const std::string& directory, const char* name) {
        std::string font = directory + "\\" + name + ".ttf";
        CopyFileA(kDejaVu, font.c_str(), FALSE);
        made.push_back(font);
        made.push_back(directory + "\\" + name + ".fot");
        return font;
    }
    void TearDown() override {
        for (const std::string& path : made) {
            SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileA(path.c_str());
        }
    }
    int Visit(const std::string& lines) { return VisitSection(dir, "fot.Main", lines, '\\', FontEntry); }
    std::string Logged(const std::string& key) {
        char value[256] = "";
        GetPrivateProfileStringA("del.step2", key.c_str(), "(none)", value, sizeof value, (dir / "remove.inf").c_str());
        return value;
    }

    ScopedState state;
    ScratchDirectory dir{"setup_unit_fonts"};
    std::vector<std::string> made;
    MessageBoxGuard boxes;
};

TEST_F(FontEntryTest, InTheSystemDirectoryTheFontIsNamedBareWithTheDirectoryAsCurrentPath) {
    std::string system = Directory(GetSystemDirectoryA);
    PlaceFont(system, "SetupUnitFont");
    EXPECT_EQ(Visit("%SysDir%\\SetupUnitFont=any\r\n"), 1);
    std::string fot = ReadBytes(system + "\\SetupUnitFont.fot");
    ASSERT_NE(fot, "") << "no resource file was made";
    EXPECT_NE(fot.find("SetupUnitFont.ttf"), std::string::npos);
    EXPECT_EQ(fot.find("\\SetupUnitFont.ttf"), std::string::npos) << "the font was named by a path";
    EXPECT_EQ(Logged(system + "\\SetupUnitFont.fot"), "Font Resource file");
    EXPECT_TRUE(boxes.texts.empty());
}

TEST_F(FontEntryTest, TheOldSystemDirectoryCountsWhateverItsLetterCase) {
    std::string windows = Directory(GetWindowsDirectoryA);
    std::string old = windows + "\\system";
    bool madeOld = CreateDirectoryA(old.c_str(), nullptr);
    PlaceFont(old, "SetupUnitFont");
    // Doubled backslashes keep the directory one field.
    EXPECT_EQ(Visit("c:\\\\WINDOWS\\\\SYSTEM\\SetupUnitFont=any\r\n"), 1);
    std::string fot = ReadBytes(old + "\\SetupUnitFont.fot");
    TearDown();
    made.clear();
    if (madeOld) RemoveDirectoryA(old.c_str());
    ASSERT_NE(fot, "");
    EXPECT_EQ(fot.find("\\SetupUnitFont.ttf"), std::string::npos);
}

TEST_F(FontEntryTest, ElsewhereTheFontIsNamedByItsFullPath) {
    PlaceFont(dir.path, "Face");
    state.Define("Fonts", dir.path);
    EXPECT_EQ(Visit("%Fonts%\\Face=any\r\n"), 1);
    std::string fot = ReadBytes(dir / "Face.fot");
    ASSERT_NE(fot, "");
    EXPECT_NE(fot.find(dir / "Face.ttf"), std::string::npos);
}

TEST_F(FontEntryTest, NotRecordedWithTheFlagNrAnEmptyConditionOrInRemoveMode) {
    PlaceFont(dir.path, "A");
    PlaceFont(dir.path, "B");
    PlaceFont(dir.path, "C");
    state.Define("Fonts", dir.path);
    lstrcpyA(gState->optionCodes, "X");
    EXPECT_EQ(Visit("%Fonts%\\A=any/X,nr\r\n%Fonts%\\B=any/\r\n"), 2);
    gProcess.removeMode = 1;
    EXPECT_EQ(Visit("%Fonts%\\C=any\r\n"), 1);
    for (const char* name : {"A", "B", "C"}) {
        EXPECT_TRUE(Exists(dir / (std::string(name) + ".fot"))) << name;
        EXPECT_EQ(Logged(dir / (std::string(name) + ".fot")), "(none)") << name;
    }
}

TEST_F(FontEntryTest, AnEntryThatDoesNotApplyMakesAndRecordsNothing) {
    PlaceFont(dir.path, "Face");
    state.Define("Fonts", dir.path);
    lstrcpyA(gState->optionCodes, "A");
    EXPECT_EQ(Visit("%Fonts%\\Face=any/B\r\n"), 1);
    EXPECT_FALSE(Exists(dir / "Face.fot"));
    EXPECT_EQ(Logged(dir / "Face.fot"), "(none)");
}

TEST_F(FontEntryTest, WithYesToAllAnOldResourceFileIsReplacedWithoutAsking) {
    PlaceFont(dir.path, "Face");
    state.Define("Fonts", dir.path);
    WriteBytes(dir / "Face.fot", "old resource file");
    SetFileAttributesA((dir / "Face.fot").c_str(), FILE_ATTRIBUTE_READONLY);
    gProcess.yesToAll = 1;
    EXPECT_EQ(Visit("%Fonts%\\Face=any\r\n"), 1);
    EXPECT_NE(ReadBytes(dir / "Face.fot").find(dir / "Face.ttf"), std::string::npos);
    EXPECT_TRUE(boxes.texts.empty());
}

// A name too long for a path is refused as a failure: nothing is made under
// a cut name and nothing is recorded for a removal run to delete.
TEST_F(FontEntryTest, AnOverlongNameIsRefusedWithMessage106) {
    state.Define("Long", std::string(300, 'n'));
    EXPECT_EQ(Visit("C:\\\\setup_unit_fonts\\%Long%=any\r\n"), -1);  // the guard answers Cancel
    ASSERT_EQ(boxes.texts.size(), 1u);
    // Only an OK/Cancel box answered Cancel gives -1; the long path is
    // shortened at its start so the message's own line still shows.
    const std::string tail = "nnnn\nCannot create specified scalable font resorce file!";
    ASSERT_GT(boxes.texts[0].size(), tail.size());
    EXPECT_EQ(boxes.texts[0].substr(boxes.texts[0].size() - tail.size()), tail) << boxes.texts[0];
    EXPECT_FALSE(Exists(dir / "remove.inf"));
}

}  // namespace
