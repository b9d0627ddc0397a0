#include <gtest/gtest.h>

#include "test_support.h"
#include "base/setup_state.h"
#include "base/text.h"
#include "base/wide_text.h"

namespace {

class IniEntryTest : public ActionTest {
protected:
    StepResult Visit(const std::string& key, const std::string& value) { return CarryOutEntry(ActionKind::Ini, key, value); }
    std::string Ini(const char* section, const char* key) { return ProfileText(file(), section, key); }
    std::string Logged(const std::string& key) { return ActionTest::Logged("ini.step1", key); }
    std::string file() const { return Path("app.ini"); }
};

TEST_F(IniEntryTest, WhereTheFileIs) {
    std::string systemIni = WindowsDirectory() + "\\system.ini";
    std::string before = ProfileText(systemIni, "boot", "shell");
    EXPECT_EQ(Visit("system.ini|boot|shell", "progman.exe"), StepResult::GoOn);
    EXPECT_EQ(ProfileText(systemIni, "boot", "shell"), "progman.exe");
    EXPECT_EQ(Logged("system.ini|boot|shell"), before == "<none>" ? "" : before);

    EXPECT_EQ(Visit("InstDir\\app.ini|Settings|Path", "%InstDir%"), StepResult::GoOn);
    EXPECT_EQ(Ini("Settings", "Path"), dir);
    // The middle piece is not used.
    EXPECT_EQ(Visit("Dir\\sub\\a.ini|S|K", "v"), StepResult::GoOn);
    EXPECT_EQ(ProfileText(Path("a.ini"), "S", "K"), "v");
    EXPECT_EQ(GetFileAttributesA(Path("sub").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(IniEntryTest, SetDeleteAndAppend) {
    WriteBytes(file(), "[Desktop]\r\nPattern=x\r\n[windows]\r\nload=one.exe\r\nrun=\r\nshow=one.exe\r\n");
    EXPECT_EQ(Visit("Dir\\app.ini|Desktop|Pattern", ""), StepResult::GoOn);
    EXPECT_EQ(Ini("Desktop", "Pattern"), "<none>");
    EXPECT_EQ(Logged("Dir\\app.ini|Desktop|Pattern"), "x");

    EXPECT_EQ(Visit("Dir\\app.ini|windows|load|,", "app.exe"), StepResult::GoOn);
    EXPECT_EQ(Ini("windows", "load"), "one.exe,app.exe");
    EXPECT_EQ(Visit("Dir\\app.ini|windows|load|,", "app.exe"), StepResult::GoOn);
    EXPECT_EQ(Ini("windows", "load"), "one.exe,app.exe,app.exe");
    EXPECT_EQ(Logged("Dir\\app.ini|windows|load"), "one.exe") << "the first old value stays";
    EXPECT_EQ(Visit("Dir\\app.ini|windows|run|,", "app.exe"), StepResult::GoOn);
    EXPECT_EQ(Ini("windows", "run"), "app.exe");
    EXPECT_EQ(Visit("Dir\\app.ini|windows|absent|,", "app.exe"), StepResult::GoOn);
    EXPECT_EQ(Ini("windows", "absent"), "app.exe");
    EXPECT_EQ(Logged("Dir\\app.ini|windows|absent"), "");
    EXPECT_EQ(Visit("Dir\\app.ini|windows|show|;", ""), StepResult::GoOn);
    EXPECT_EQ(Ini("windows", "show"), "one.exe;");
}

TEST_F(IniEntryTest, FlagsConditionsCancelAndReadOnly) {
    WriteBytes(file(), "[S]\r\nK=old\r\n");
    SetFileAttributesA(file().c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(Visit("Dir\\app.ini|S|K", "new/,-"), StepResult::GoOn);
    EXPECT_EQ(Ini("S", "K"), "new");
    EXPECT_EQ(GetFileAttributesA(file().c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
    gProcess.removeMode = 1;
    EXPECT_EQ(Visit("Dir\\app.ini|S|R", "1"), StepResult::GoOn);
    EXPECT_EQ(Ini("S", "R"), "1");
    EXPECT_EQ(ReadBytes(log), "<missing>") << "no record with the flag or in remove mode";

    CopyText(gState->optionCodes, "B");
    EXPECT_EQ(Visit("Dir\\app.ini|S|C", "v/A"), StepResult::GoOn);
    gState->pass.cancelFlag = 1;
    EXPECT_EQ(Visit("Dir\\app.ini|S|C", "v/B"), StepResult::Abort);
    EXPECT_EQ(Ini("S", "C"), "<none>");
}

// Values are read, recorded and written whole. Texts that would have to be
// cut are reported instead (a cut name would change what the script did not
// name), as is a file the platform takes for a device: OK skips the entry,
// Cancel ends the pass.
TEST_F(IniEntryTest, LongValuesWholeOverlongTextsReported) {
    MessageBoxes& answered = Answer({IDOK, IDOK, IDOK, IDOK, IDOK, IDOK, IDCANCEL});
    // Paths, sections and keys as long as the platform takes them: 259 characters.
    for (const std::string& key : {"Dir\\app.ini|S|" + std::string(260, 'k'),
                                   "Dir\\app.ini|" + std::string(260, 's') + "|K",
                                   "Dir\\" + std::string(256, 'f') + "|S|K", std::string("Dir\\a\\b\\c.ini|S|K"), std::string("Dir\\app.ini|S"),
                                   std::string("Dir\\NUL.ini|S|K")})
        EXPECT_EQ(Visit(key, "v"), StepResult::Skipped) << key;
    EXPECT_EQ(FileCount(), 0);

    std::string old(300, 'o'), longer(400, 'v');
    WriteBytes(file(), "[S]\r\nK=" + old + "\r\n");
    EXPECT_EQ(Visit("Dir\\app.ini|S|K", longer), StepResult::GoOn);
    EXPECT_EQ(Ini("S", "K"), longer);
    EXPECT_EQ(Logged("Dir\\app.ini|S|K"), old);
    // Appended, the value would be longer than a profile value can be.
    EXPECT_EQ(Visit("Dir\\app.ini|S|K|,", std::string(32400, 'x')), StepResult::Abort);
    EXPECT_EQ(Ini("S", "K"), longer);
    ASSERT_EQ(answered.Texts().size(), 7u);
    for (const std::string& text : answered.Texts())
        EXPECT_EQ(text.find("Cannot carry out specified entry as written !"), 4u) << text;
}

// A variable filled from the registry may hold line breaks; written into an
// INI file they would add sections and keys the script never named.
TEST_F(IniEntryTest, LineBreaksAreRefused) {
    SetVariable("Planted", "v\r\n[boot]\r\nshell=evil.exe");
    MessageBoxes& answered = Answer({IDOK, IDOK, IDOK});
    EXPECT_EQ(Visit("Dir\\app.ini|S|K", "%Planted%"), StepResult::Skipped);
    EXPECT_EQ(Visit("Dir\\app.ini|%Planted%|K", "v"), StepResult::Skipped);
    EXPECT_EQ(Visit("Dir\\app.ini|S|%Planted%", "v"), StepResult::Skipped);
    EXPECT_EQ(ReadBytes(file()), "<missing>");
    EXPECT_EQ(ReadBytes(log), "<missing>");
    EXPECT_EQ(answered.Texts().size(), 3u) << "each refusal is said";
}

// The UTF-16LE file, mark first, of a UTF-8 text.
std::string Utf16(const std::string& text) {
    std::wstring wide = Wide(text.c_str());
    return "\xFF\xFE" + std::string(reinterpret_cast<const char*>(wide.data()), wide.size() * sizeof(wchar_t));
}

// Each file keeps its encoding. An ANSI file refuses a text its code page
// cannot spell (message 202) before anything is recorded, and is left as it
// was; a UTF-16LE file takes any character and gets its old value back
// whole; a new file for such a text is made UTF-16LE; a UTF-8 file stays UTF-8.
TEST_F(IniEntryTest, EncodingsKeptOrRefused) {
    const std::string omega = "\xCE\xA9mega \xE4\xB8\xAD\xE6\x96\x87", cafe = "Caf\xC3\xA9 \xCE\xA9";
    WriteBytes(file(), "[S]\r\nK=old\r\n");
    MessageBoxes& answered = Answer({IDOK});
    EXPECT_EQ(Visit("Dir\\app.ini|S|K", "\xCE\xA9"), StepResult::Skipped);
    EXPECT_EQ(ReadBytes(file()), "[S]\r\nK=old\r\n");
    EXPECT_EQ(ReadBytes(log), "<missing>");
    ASSERT_EQ(answered.Texts().size(), 1u);
    EXPECT_EQ(answered.Texts()[0].find("The value cannot be written in the character set of its file !"), 4u)
        << answered.Texts()[0];

    const std::string before = Utf16("[S]\r\nK=" + cafe + "\r\n[T]\r\nx=\xE4\xB8\xAD\r\n");
    WriteBytes(Path("u16.ini"), before);
    EXPECT_EQ(Visit("Dir\\u16.ini|S|K", omega), StepResult::GoOn);
    EXPECT_EQ(ReadBytes(Path("u16.ini")), Utf16("[S]\r\nK=" + omega + "\r\n[T]\r\nx=\xE4\xB8\xAD\r\n"));
    EXPECT_EQ(Logged("Dir\\u16.ini|S|K"), cafe);
    EXPECT_EQ(Visit("Dir\\new.ini|S|K", omega), StepResult::GoOn);
    EXPECT_EQ(ReadBytes(Path("new.ini")), Utf16("[S]\r\nK=" + omega + "\r\n"));
    WriteBytes(Path("u8.ini"), "\xEF\xBB\xBF[S]\r\nK=" + cafe + "\r\n");
    EXPECT_EQ(Visit("Dir\\u8.ini|S|K", omega), StepResult::GoOn);
    EXPECT_EQ(ReadBytes(Path("u8.ini")), "\xEF\xBB\xBF[S]\r\nK=" + omega + "\r\n");
    EXPECT_EQ(Logged("Dir\\u8.ini|S|K"), cafe);

    // The removal writes the recorded value back.
    gProcess.removeMode = 1;
    EXPECT_EQ(Visit("Dir\\u16.ini|S|K", Logged("Dir\\u16.ini|S|K")), StepResult::GoOn);
    EXPECT_EQ(ReadBytes(Path("u16.ini")), before);
}

// A directory where the file should be: the write fails and message 101 asks.
TEST_F(IniEntryTest, FailedWriteAsksAbortRetryIgnore) {
    ASSERT_TRUE(CreateDirectoryA(file().c_str(), nullptr));
    MessageBoxes& answered = Answer({IDIGNORE, IDABORT, IDRETRY, IDRETRY}, [&](size_t index) {
        if (index == 3) RemoveDirectoryA(file().c_str());
    });
    EXPECT_EQ(Visit("Dir\\app.ini|S|K", "v"), StepResult::Skipped);
    EXPECT_EQ(Visit("Dir\\app.ini|S|K", "v"), StepResult::Abort);
    EXPECT_EQ(Visit("Dir\\app.ini|S|K", "v"), StepResult::GoOn);
    EXPECT_EQ(Ini("S", "K"), "v");
    std::vector<std::string> texts = answered.Texts();
    ASSERT_EQ(texts.size(), 4u);
    EXPECT_EQ(texts[0], file() + "\nCannot modify specified file !");
}

}  // namespace
