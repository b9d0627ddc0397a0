#include <gtest/gtest.h>

#include "action_test_support.h"
#include "actions/actions.h"
#include "run/setup_state.h"
#include "script/text.h"

namespace {

const char kSystemIni[] =
    "[boot]\r\nshell=progman.exe\r\ndrivers=mmsystem.dll\r\n; sound\r\n\r\n[386Enh]\r\ndevice=*vpd\r\n";

class TextLineEntryTest : public ActionTest {
protected:
    // The log's text as the profile writer left it (keys may hold '=' here).
    bool LogHasLine(const std::string& line) {
        return ReadBytes(log).find("\r\n" + line + "\r\n") != std::string::npos;
    }
    std::string file = scratch / "t.txt";
};

// Each entry of the worked example, on the file as it was at the start.
TEST_F(TextLineEntryTest, WorkedExampleByteForByte) {
    std::string systemIni = WindowsDirectory() + "\\system.ini";
    std::string saved = ReadBytes(systemIni);

    WriteBytes(systemIni, kSystemIni);
    EXPECT_EQ(VisitEntry(TextLineEntry, "system.ini|boot|drivers=", "drivers=mmsystem.dll midimap.drv"), 1);
    EXPECT_EQ(ReadBytes(systemIni),
              "[boot]\r\nshell=progman.exe\r\ndrivers=mmsystem.dll midimap.drv\r\n; sound\r\n\r\n[386Enh]\r\n"
              "device=*vpd\r\n");
    EXPECT_TRUE(LogHasLine("system.ini|boot|drivers==drivers=mmsystem.dll"));

    WriteBytes(systemIni, kSystemIni);
    EXPECT_EQ(VisitEntry(TextLineEntry, "system.ini|boot|mouse.drv=", "mouse.drv=mouse.drv"), 1);
    EXPECT_EQ(ReadBytes(systemIni),
              "[boot]\r\nshell=progman.exe\r\ndrivers=mmsystem.dll\r\nmouse.drv=mouse.drv\r\n; sound\r\n\r\n"
              "[386Enh]\r\ndevice=*vpd\r\n");
    EXPECT_TRUE(LogHasLine("system.ini|boot|mouse.drv=="));

    WriteBytes(systemIni, kSystemIni);
    EXPECT_EQ(VisitEntry(TextLineEntry, "system.ini|386Enh|device=*vpd", ""), 1);
    EXPECT_EQ(ReadBytes(systemIni),
              "[boot]\r\nshell=progman.exe\r\ndrivers=mmsystem.dll\r\n; sound\r\n\r\n[386Enh]\r\n");
    EXPECT_TRUE(LogHasLine("system.ini|386Enh|device=*vpd=device=*vpd"));

    WriteBytes(systemIni, kSystemIni);
    EXPECT_EQ(VisitEntry(TextLineEntry, "system.ini|drivers|timer=", "timer=timer.drv"), 1);
    EXPECT_EQ(ReadBytes(systemIni), std::string(kSystemIni) + "\r\n[drivers]\r\ntimer=timer.drv\r\n");
    EXPECT_TRUE(LogHasLine("system.ini|drivers|timer=="));

    WriteBytes(systemIni, saved);

    std::string autoexec = "C:\\autoexec.bat";
    std::string savedAutoexec = ReadBytes(autoexec);
    WriteBytes(autoexec, "@ECHO OFF\r\nset Temp=C:\\DOS\r\nPATH C:\\DOS\r\n");
    EXPECT_EQ(VisitEntry(TextLineEntry, "C:\\autoexec.bat|none|SET TEMP=", "SET TEMP=C:\\TEMP"), 1);
    EXPECT_EQ(ReadBytes(autoexec), "@ECHO OFF\r\nSET TEMP=C:\\TEMP\r\nPATH C:\\DOS\r\n");
    EXPECT_TRUE(LogHasLine("C:\\autoexec.bat|none|SET TEMP==set Temp=C:\\DOS"));
    WriteBytes(autoexec, "@ECHO OFF\r\nPATH C:\\DOS\r\n");
    EXPECT_EQ(VisitEntry(TextLineEntry, "C:\\autoexec.bat|none|SET TEMP=", "SET TEMP=C:\\TEMP"), 1);
    EXPECT_EQ(ReadBytes(autoexec), "@ECHO OFF\r\nPATH C:\\DOS\r\nSET TEMP=C:\\TEMP\r\n");
    if (savedAutoexec == "<missing>") DeleteFileA(autoexec.c_str());
    else WriteBytes(autoexec, savedAutoexec);
}

TEST_F(TextLineEntryTest, RecordsTheFirstOldLineUnlessFlaggedOrRemoving) {
    WriteBytes(file, "[s]\r\nk=1\r\nj=1\r\nm=1\r\n");
    EXPECT_EQ(VisitEntry(TextLineEntry, "Dir\\t.txt|s|k", "k=2"), 1);
    EXPECT_EQ(VisitEntry(TextLineEntry, "Dir\\t.txt|s|k", "k=3"), 1);
    EXPECT_EQ(Logged("str.step1", "Dir\\t.txt|s|k"), "k=1");

    EXPECT_EQ(VisitEntry(TextLineEntry, "Dir\\t.txt|s|j", "j=2/,-"), 1);
    EXPECT_EQ(Logged("str.step1", "Dir\\t.txt|s|j"), "<none>");
    gProcess.removeMode = 1;
    EXPECT_EQ(VisitEntry(TextLineEntry, "Dir\\t.txt|s|m", "m=2"), 1);
    EXPECT_EQ(Logged("str.step1", "Dir\\t.txt|s|m"), "<none>");
    EXPECT_EQ(ReadBytes(file), "[s]\r\nk=3\r\nj=2\r\nm=2\r\n");
}

TEST_F(TextLineEntryTest, ConditionCancelAndReadOnlyTargets) {
    WriteBytes(file, "[s]\r\nk=1\r\n");
    SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_READONLY);
    CopyText(gState->optionCodes, "A");
    EXPECT_EQ(VisitEntry(TextLineEntry, "Dir\\t.txt|s|k", "k=2/B"), 0);
    EXPECT_EQ(ReadBytes(file), "[s]\r\nk=1\r\n");
    EXPECT_EQ(VisitEntry(TextLineEntry, "Dir\\t.txt|s|k", "k=2/A"), 1);
    EXPECT_EQ(ReadBytes(file), "[s]\r\nk=2\r\n");
    gProcess.cancelFlag = 1;
    EXPECT_EQ(VisitEntry(TextLineEntry, "Dir\\t.txt|s|k", "k=3"), -1);
    EXPECT_EQ(ReadBytes(file), "[s]\r\nk=2\r\n");
}

TEST_F(TextLineEntryTest, StatusShowsFileSectionAndLineKey) {
    StatusWindow status;
    EXPECT_EQ(VisitEntry(TextLineEntry, "InstDir\\t.txt|s|%Dir%", "x"), 1);
    EXPECT_EQ(status.Text(200), "Modify file:\n\nSection:\n\nString:");
    EXPECT_EQ(status.Text(100), file);
    EXPECT_EQ(status.Text(110), "s");
    EXPECT_EQ(status.Text(120), scratch.path());
}

TEST_F(TextLineEntryTest, OverlongTextsRefuseTheEntry) {
    WriteBytes(file, "[s]\r\nk=1\r\n");
    EXPECT_EQ(VisitEntry(TextLineEntry, "Dir\\t.txt|s|k", "k=" + std::string(126, 'x')), 1);
    EXPECT_EQ(VisitEntry(TextLineEntry, "Dir\\t.txt|s|" + std::string(64, 'k'), "k=2"), 1);
    EXPECT_EQ(VisitEntry(TextLineEntry, "Dir\\t.txt|" + std::string(64, 's') + "|k", "k=2"), 1);
    EXPECT_EQ(VisitEntry(TextLineEntry, "Dir\\" + std::string(60, 't') + "|s|k", "k=2"), 1);
    EXPECT_EQ(ReadBytes(file), "[s]\r\nk=1\r\n");
    EXPECT_EQ(scratch.Files().size(), 1u);
    // 127 characters fit.
    std::string full = "k=" + std::string(125, 'x');
    EXPECT_EQ(VisitEntry(TextLineEntry, "Dir\\t.txt|s|k", full), 1);
    EXPECT_EQ(ReadBytes(file), "[s]\r\n" + full + "\r\n");
}

// A directory where the file should be: the edit fails and message 101 comes up.
TEST_F(TextLineEntryTest, FailedEditAsksAbortRetryIgnore) {
    ASSERT_TRUE(CreateDirectoryA(file.c_str(), nullptr));
    MessageBoxAnswerer& answered = Answer({IDIGNORE, IDABORT, IDRETRY, IDRETRY}, [&](size_t index) {
        if (index == 3) RemoveDirectoryA(file.c_str());
    });
    EXPECT_EQ(VisitEntry(TextLineEntry, "Dir\\t.txt|s|k", "k=1"), 1);
    EXPECT_EQ(VisitEntry(TextLineEntry, "Dir\\t.txt|s|k", "k=1"), -1);
    EXPECT_EQ(Logged("str.step1", "Dir\\t.txt|s|k"), "<none>") << "no record before an edit succeeds";
    EXPECT_EQ(VisitEntry(TextLineEntry, "Dir\\t.txt|s|k", "k=1"), 1);
    EXPECT_EQ(ReadBytes(file), "\r\n[s]\r\nk=1\r\n");
    EXPECT_EQ(Logged("str.step1", "Dir\\t.txt|s|k"), "");
    std::vector<std::string> texts = answered.Texts();
    ASSERT_EQ(texts.size(), 4u);
    EXPECT_EQ(texts[0], file + "\nCannot modify specified file !");
    EXPECT_EQ(scratch.Files().size(), 2u) << "the log and the edited file only";
}

}  // namespace
