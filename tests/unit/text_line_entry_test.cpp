#include <gtest/gtest.h>

#include "test_support.h"
#include "base/setup_state.h"
#include "base/text.h"
#include "base/wide_text.h"

namespace {

const std::string kSystemIni =
    "[boot]\r\nshell=progman.exe\r\ndrivers=mmsystem.dll\r\n; sound\r\n\r\n[386Enh]\r\ndevice=*vpd\r\n";

class TextLineEntryTest : public ActionTest {
protected:
    StepResult Visit(const std::string& key, const std::string& value) { return CarryOutEntry(ActionKind::TextLine, key, value); }
    // The log's text as the profile writer left it.
    bool LogHasLine(const std::string& line) { return ReadText(log).find("\r\n" + line + "\r\n") != std::string::npos; }
};

// Each entry of the worked example, on the file as it was at the start.
TEST_F(TextLineEntryTest, WorkedExampleByteForByte) {
    struct Step {
        const char* key;
        const char* value;
        std::string expected;
        const char* logLine;
    };
    const Step steps[] = {
        {"system.ini|boot|drivers", "drivers=mmsystem.dll midimap.drv",
         "[boot]\r\nshell=progman.exe\r\ndrivers=mmsystem.dll midimap.drv\r\n; sound\r\n\r\n[386Enh]\r\ndevice=*vpd\r\n",
         "system.ini|boot|drivers=drivers=mmsystem.dll"},
        {"system.ini|boot|mouse.drv", "mouse.drv=mouse.drv",
         "[boot]\r\nshell=progman.exe\r\ndrivers=mmsystem.dll\r\nmouse.drv=mouse.drv\r\n; sound\r\n\r\n[386Enh]\r\ndevice=*vpd\r\n",
         "system.ini|boot|mouse.drv="},
        {"system.ini|386Enh|device", "",
         "[boot]\r\nshell=progman.exe\r\ndrivers=mmsystem.dll\r\n; sound\r\n\r\n[386Enh]\r\n",
         "system.ini|386Enh|device=device=*vpd"},
        {"system.ini|drivers|timer", "timer=timer.drv", kSystemIni + "\r\n[drivers]\r\ntimer=timer.drv\r\n",
         "system.ini|drivers|timer="},
    };
    std::string systemIni = WindowsDirectory() + "\\system.ini";
    std::string saved = ReadBytes(systemIni);
    for (const Step& step : steps) {
        WriteBytes(systemIni, kSystemIni);
        EXPECT_EQ(Visit(step.key, step.value), StepResult::GoOn);
        EXPECT_EQ(ReadBytes(systemIni), step.expected) << step.key;
        EXPECT_TRUE(LogHasLine(step.logLine)) << step.logLine;
    }
    WriteBytes(systemIni, saved);

    std::string autoexec = "C:\\autoexec.bat";
    std::string savedAutoexec = ReadBytes(autoexec);
    WriteBytes(autoexec, "@ECHO OFF\r\nset Temp=C:\\DOS\r\nPATH C:\\DOS\r\n");
    EXPECT_EQ(Visit("C:\\autoexec.bat|none|SET TEMP", "SET TEMP=C:\\TEMP"), StepResult::GoOn);
    EXPECT_EQ(ReadBytes(autoexec), "@ECHO OFF\r\nSET TEMP=C:\\TEMP\r\nPATH C:\\DOS\r\n");
    EXPECT_TRUE(LogHasLine("C:\\autoexec.bat|none|SET TEMP=set Temp=C:\\DOS"));
    WriteBytes(autoexec, "@ECHO OFF\r\nPATH C:\\DOS\r\n");
    EXPECT_EQ(Visit("C:\\autoexec.bat|none|SET TEMP", "SET TEMP=C:\\TEMP"), StepResult::GoOn);
    EXPECT_EQ(ReadBytes(autoexec), "@ECHO OFF\r\nPATH C:\\DOS\r\nSET TEMP=C:\\TEMP\r\n");
    if (savedAutoexec == "<missing>") DeleteFileA(autoexec.c_str());
    else WriteBytes(autoexec, savedAutoexec);
}

TEST_F(TextLineEntryTest, RecordsFlagsConditionsAndReadOnlyTargets) {
    std::string file = Path("t.txt");
    WriteBytes(file, "[s]\r\nk=1\r\nj=1\r\n");
    SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(Visit("Dir\\t.txt|s|k", "k=2"), StepResult::GoOn);
    EXPECT_EQ(Visit("Dir\\t.txt|s|k", "k=3"), StepResult::GoOn);
    EXPECT_EQ(Logged("str.step1", "Dir\\t.txt|s|k"), "k=1") << "the first old line stays";
    EXPECT_EQ(Visit("Dir\\t.txt|s|j", "j=2/,-"), StepResult::GoOn);
    gProcess.removeMode = 1;
    EXPECT_EQ(Visit("Dir\\t.txt|s|m", "m=2"), StepResult::GoOn);
    EXPECT_EQ(Logged("str.step1", "Dir\\t.txt|s|j"), "<none>");
    EXPECT_EQ(Logged("str.step1", "Dir\\t.txt|s|m"), "<none>");
    CopyText(gState->optionCodes, "A");
    EXPECT_EQ(Visit("Dir\\t.txt|s|n", "n=1/B"), StepResult::GoOn);
    gState->pass.cancelFlag = 1;
    EXPECT_EQ(Visit("Dir\\t.txt|s|n", "n=1/A"), StepResult::Abort);
    EXPECT_EQ(ReadBytes(file), "[s]\r\nk=3\r\nj=2\r\nm=2\r\n");
}

// Names that would have to be cut, and a file the platform takes for a device,
// are reported. The replaced line is
// recorded whole; one the log cannot hold (a zero byte in it, or longer than a
// profile value) is reported before the file changes: OK skips, Cancel stops.
TEST_F(TextLineEntryTest, OldLinesRecordedWholeOrReported) {
    std::string file = Path("t.txt");
    std::string longLine = "l=" + std::string(200, 'x');
    std::string zero = std::string("z=a") + '\0' + "b";
    std::string huge = "h=" + std::string(70000, 'h');
    const std::string content = "[s]\r\n" + longLine + "\r\n" + zero + "\r\n" + huge + "\r\n";
    WriteBytes(file, content);
    MessageBoxes& answered = Answer({IDOK, IDOK, IDOK, IDOK, IDOK, IDCANCEL});
    for (const std::string& key : {"Dir\\t.txt|s|" + std::string(260, 'k'),
                                   "Dir\\t.txt|" + std::string(260, 's') + "|k",
                                   "Dir\\" + std::string(256, 't') + "|s|k", std::string("Dir\\nul.tar.gz|s|k")})
        EXPECT_EQ(Visit(key, "k=2"), StepResult::Skipped) << key;
    EXPECT_EQ(Visit("Dir\\t.txt|s|z", "z=new"), StepResult::Skipped);
    EXPECT_EQ(Visit("Dir\\t.txt|s|h", "h=new"), StepResult::Abort);
    EXPECT_EQ(ReadBytes(file), content);
    EXPECT_EQ(FileCount(), 1) << "no record and no temporary file";
    ASSERT_EQ(answered.Texts().size(), 6u);
    EXPECT_NE(answered.Texts()[3].find("\nCannot carry out specified entry as written !"), std::string::npos);
    EXPECT_NE(answered.Texts()[4].find("\nThe old value cannot be recorded for removal !"), std::string::npos);

    EXPECT_EQ(Visit("Dir\\t.txt|s|l", "l=new"), StepResult::GoOn);
    EXPECT_EQ(Logged("str.step1", "Dir\\t.txt|s|l"), longLine);
    EXPECT_EQ(ReadBytes(file), "[s]\r\nl=new\r\n" + zero + "\r\n" + huge + "\r\n");
}

// The UTF-16LE file, mark first, of a UTF-8 text.
std::string Utf16(const std::string& text) {
    std::wstring wide = Wide(text.c_str());
    return "\xFF\xFE" + std::string(reinterpret_cast<const char*>(wide.data()), wide.size() * sizeof(wchar_t));
}

// A line goes into a file in the file's own encoding; the old line is
// recorded as UTF-8 and the removal's re-edit gives back the bytes there
// were. An ANSI file that cannot spell the line keeps its bytes: message 202.
TEST_F(TextLineEntryTest, EncodingsKeptAndOldLinesRestoredByteForByte) {
    const std::string line = "k=\xCE\xA9mega \xE4\xB8\xAD\xE6\x96\x87", old = "k=Caf\xC3\xA9";
    std::string ansi = Path("ansi.txt");
    WriteBytes(ansi, "[s]\r\nk=Caf\xE9\r\n");
    MessageBoxes& answered = Answer({IDOK});
    EXPECT_EQ(Visit("Dir\\ansi.txt|s|k", line), StepResult::Skipped);
    EXPECT_EQ(ReadBytes(ansi), "[s]\r\nk=Caf\xE9\r\n");
    EXPECT_EQ(Logged("str.step1", "Dir\\ansi.txt|s|k"), "<none>") << "refused before anything was recorded";
    ASSERT_EQ(answered.Texts().size(), 1u);
    EXPECT_EQ(answered.Texts()[0].find("The value cannot be written in the character set of its file !"), 4u)
        << answered.Texts()[0];

    struct Row {
        const char* file;
        std::string before, after;
    };
    const Row rows[] = {
        {"utf16.txt", Utf16("[s]\r\n" + old + "\r\nj=1\r\n"), Utf16("[s]\r\n" + line + "\r\nj=1\r\n")},
        {"utf8.txt", "\xEF\xBB\xBF[s]\r\n" + old + "\r\nj=1\r\n", "\xEF\xBB\xBF[s]\r\n" + line + "\r\nj=1\r\n"},
    };
    for (const Row& row : rows) {
        std::string key = std::string("Dir\\") + row.file + "|s|k";
        gProcess.removeMode = 0;
        WriteBytes(Path(row.file), row.before);
        EXPECT_EQ(Visit(key, line), StepResult::GoOn) << row.file;
        EXPECT_EQ(ReadBytes(Path(row.file)), row.after) << row.file;
        EXPECT_EQ(Logged("str.step1", key), old) << row.file;
        gProcess.removeMode = 1;
        EXPECT_EQ(Visit(key, Logged("str.step1", key)), StepResult::GoOn) << row.file;
        EXPECT_EQ(ReadBytes(Path(row.file)), row.before) << row.file;
    }
}

// A directory where the file should be: the edit fails and message 101 asks.
TEST_F(TextLineEntryTest, FailedEditAsksAbortRetryIgnore) {
    std::string file = Path("t.txt");
    ASSERT_TRUE(CreateDirectoryA(file.c_str(), nullptr));
    MessageBoxes& answered = Answer({IDIGNORE, IDABORT, IDRETRY, IDRETRY}, [&](size_t index) {
        if (index == 3) RemoveDirectoryA(file.c_str());
    });
    EXPECT_EQ(Visit("Dir\\t.txt|s|k", "k=1"), StepResult::Skipped);
    EXPECT_EQ(Visit("Dir\\t.txt|s|k", "k=1"), StepResult::Abort);
    EXPECT_EQ(ReadBytes(log), "<missing>") << "no record before an edit succeeds";
    EXPECT_EQ(Visit("Dir\\t.txt|s|k", "k=1"), StepResult::GoOn);
    EXPECT_EQ(ReadBytes(file), "\r\n[s]\r\nk=1\r\n");
    EXPECT_EQ(Logged("str.step1", "Dir\\t.txt|s|k"), "");
    std::vector<std::string> texts = answered.Texts();
    ASSERT_EQ(texts.size(), 4u);
    EXPECT_EQ(texts[0], file + "\nCannot modify specified file !");
    EXPECT_EQ(FileCount(), 2) << "the log and the edited file only";
}

}  // namespace
