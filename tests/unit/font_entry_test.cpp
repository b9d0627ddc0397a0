// Font resource entries against a real TrueType file. The .fot file names the
// font the way it was handed to the platform, which shows whether the entry
// took the bare name with a current path or the full path.
#include <gtest/gtest.h>

#include "test_support.h"
#include "base/setup_state.h"

namespace {

const char kDejaVu[] = "Z:\\usr\\share\\fonts\\truetype\\dejavu\\DejaVuSans.ttf";

std::string Directory(UINT (*get)(LPSTR, UINT)) {
    char path[MAX_PATH] = "";
    get(path, sizeof path);
    return path;
}

class FontEntryTest : public ActionTest {
protected:
    void SetUp() override {
        if (!Exists(kDejaVu)) GTEST_SKIP() << "fonts-dejavu-core is not installed";
        ActionTest::SetUp();
    }
    // Places the font as NAME.ttf in a directory, to be removed afterwards.
    std::string PlaceFont(const std::string& directory, const char* name) {
        std::string font = directory + "\\" + name + ".ttf";
        CopyFileA(kDejaVu, font.c_str(), FALSE);
        made.push_back(font);
        made.push_back(directory + "\\" + name + ".fot");
        return font;
    }
    void RemoveFonts() {
        for (const std::string& path : made) {
            SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileA(path.c_str());
        }
        made.clear();
    }
    void TearDown() override {
        RemoveFonts();
        ActionTest::TearDown();
    }
    int Visit(const std::string& lines) { return CarryOutSection("fot.Main", lines, ActionKind::Font); }
    std::string Logged(const std::string& key) const { return ActionTest::Logged("del.step2", key); }

    std::vector<std::string> made;
};

TEST_F(FontEntryTest, InTheSystemDirectoryTheFontIsNamedBareWithTheDirectoryAsCurrentPath) {
    std::string system = Directory(GetSystemDirectoryA);
    PlaceFont(system, "SetupUnitFont");
    EXPECT_EQ(Visit("%SysDir%\\SetupUnitFont=any\r\n"), 1);
    std::string fot = ReadBytes(system + "\\SetupUnitFont.fot");
    ASSERT_FALSE(fot.empty() || fot == "<missing>") << "no resource file was made";
    EXPECT_NE(fot.find("SetupUnitFont.ttf"), std::string::npos);
    EXPECT_EQ(fot.find("\\SetupUnitFont.ttf"), std::string::npos) << "the font was named by a path";
    EXPECT_EQ(Logged(system + "\\SetupUnitFont.fot"), "Font Resource file");
    EXPECT_TRUE(boxes.Texts().empty());
}

TEST_F(FontEntryTest, TheOldSystemDirectoryCountsWhateverItsLetterCase) {
    std::string windows = Directory(GetWindowsDirectoryA);
    std::string old = windows + "\\system";
    bool madeOld = CreateDirectoryA(old.c_str(), nullptr);
    PlaceFont(old, "SetupUnitFont");
    // Doubled backslashes keep the directory one field.
    EXPECT_EQ(Visit("c:\\\\WINDOWS\\\\SYSTEM\\SetupUnitFont=any\r\n"), 1);
    std::string fot = ReadBytes(old + "\\SetupUnitFont.fot");
    RemoveFonts();
    if (madeOld) RemoveDirectoryA(old.c_str());
    ASSERT_FALSE(fot.empty() || fot == "<missing>");
    EXPECT_EQ(fot.find("\\SetupUnitFont.ttf"), std::string::npos);
}

TEST_F(FontEntryTest, ElsewhereTheFontIsNamedByItsFullPath) {
    PlaceFont(dir, "Face");
    SetVariable("Fonts", dir);
    EXPECT_EQ(Visit("%Fonts%\\Face=any\r\n"), 1);
    std::string fot = ReadBytes(Path("Face.fot"));
    ASSERT_FALSE(fot.empty() || fot == "<missing>");
    EXPECT_NE(fot.find(Path("Face.ttf")), std::string::npos);
}

TEST_F(FontEntryTest, NotRecordedWithTheFlagNrAnEmptyConditionOrInRemoveMode) {
    PlaceFont(dir, "A");
    PlaceFont(dir, "B");
    PlaceFont(dir, "C");
    SetVariable("Fonts", dir);
    lstrcpyA(gState->optionCodes, "X");
    EXPECT_EQ(Visit("%Fonts%\\A=any/X,nr\r\n%Fonts%\\B=any/\r\n"), 2);
    gProcess.removeMode = 1;
    EXPECT_EQ(Visit("%Fonts%\\C=any\r\n"), 1);
    for (const char* name : {"A", "B", "C"}) {
        EXPECT_TRUE(Exists(Path(std::string(name) + ".fot"))) << name;
        EXPECT_EQ(Logged(Path(std::string(name) + ".fot")), "<none>") << name;
    }
}

TEST_F(FontEntryTest, AnEntryThatDoesNotApplyMakesAndRecordsNothing) {
    PlaceFont(dir, "Face");
    SetVariable("Fonts", dir);
    lstrcpyA(gState->optionCodes, "A");
    EXPECT_EQ(Visit("%Fonts%\\Face=any/B\r\n"), 1);
    EXPECT_FALSE(Exists(Path("Face.fot")));
    EXPECT_EQ(Logged(Path("Face.fot")), "<none>");
}

TEST_F(FontEntryTest, WithYesToAllAnOldResourceFileIsReplacedWithoutAsking) {
    PlaceFont(dir, "Face");
    SetVariable("Fonts", dir);
    WriteBytes(Path("Face.fot"), "old resource file");
    SetFileAttributesA(Path("Face.fot").c_str(), FILE_ATTRIBUTE_READONLY);
    gState->pass.yesToAll = 1;
    EXPECT_EQ(Visit("%Fonts%\\Face=any\r\n"), 1);
    EXPECT_NE(ReadBytes(Path("Face.fot")).find(Path("Face.ttf")), std::string::npos);
    EXPECT_TRUE(boxes.Texts().empty());
}

// A name too long for a path, or one the platform takes for a device, is
// refused as a failure: nothing is made under a cut name or opened as a
// device, and nothing is recorded for a removal run to delete.
TEST_F(FontEntryTest, AnOverlongOrDeviceNameIsRefusedWithMessage106) {
    SetVariable("Fonts", dir);
    SetVariable("Long", std::string(300, 'n'));
    Answer({IDOK, IDCANCEL});
    EXPECT_EQ(Visit("%Fonts%\\NUL=any\r\n"), 1);
    EXPECT_EQ(Visit("%Fonts%\\%Long%=any\r\n"), -1);
    ASSERT_EQ(boxes.Texts().size(), 2u);
    EXPECT_EQ(boxes.Texts()[0], Path("NUL.fot") + "\nCannot create specified scalable font resorce file!");
    // Only an OK/Cancel box answered Cancel gives -1; the long path is
    // shortened at its start so the message's own line still shows.
    const std::string tail = "nnnn\nCannot create specified scalable font resorce file!";
    const std::string text = boxes.Texts()[1];
    ASSERT_GT(text.size(), tail.size());
    EXPECT_EQ(text.substr(text.size() - tail.size()), tail) << text;
    EXPECT_FALSE(Exists(log));
}

}  // namespace
