#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "test_support.h"
#include "base/profile_text.h"
#include "base/setup_state.h"
#include "base/text.h"
#include "base/wide_text.h"
#include "actions/records.h"
#include "removal/removal_log.h"
#include "ui/sections.h"
#include "ui/path_variables.h"

namespace {

class RemovalLog : public testing::Test {
protected:
    void SetUp() override {
        log = scratch / "logs\\REMOVE.INF";
        SetVariable("RemoveInf", log.c_str());
    }
    std::string Get(const char* section, const char* key) { return ProfileText(log, section, key); }
    // Keys of a section, in file order.
    std::vector<std::string> Keys(const char* section) {
        char list[4096] = "";
        GetPrivateProfileStringA(section, nullptr, "", list, sizeof list, log.c_str());
        std::vector<std::string> keys;
        for (const char* at = list; *at; at += std::strlen(at) + 1) keys.push_back(at);
        return keys;
    }

    StateScope state;
    ScratchDirectory scratch;
    std::string log;
};

TEST_F(RemovalLog, CopyDeleteAndPathRecordsHoldTheLatestText) {
    EXPECT_EQ(LogRemoval(RestoreCopy, "WinDir\\CTL3D.DLL", "Library"), Recorded::Yes);
    LogRemoval(RestoreCopy, "WinDir\\CTL3D.DLL", "Library 2");
    LogRemoval(RemoveFile, "AppDir\\APP.EXE", "Program");
    LogRemoval(RemoveFile, "AppDir\\APP.EXE", "Program 2");
    LogRemoval(RemoveFile, "BackUpDir\\CTL3D.DLL", "Library");
    LogRemoval(PathVariable, "AppDir", "C:\\APP");
    LogRemoval(PathVariable, "AppDir", "D:\\APP");
    EXPECT_EQ(Keys("step1"), std::vector<std::string>{"1:WinDir\\CTL3D.DLL"});
    EXPECT_EQ(Get("step1", "1:WinDir\\CTL3D.DLL"), "Library 2");
    EXPECT_EQ(Keys("del.step2"), (std::vector<std::string>{"AppDir\\APP.EXE", "BackUpDir\\CTL3D.DLL"}));
    EXPECT_EQ(Get("del.step2", "AppDir\\APP.EXE"), "Program 2");
    EXPECT_EQ(Get("path", "AppDir"), "D:\\APP");
    EXPECT_TRUE(IsDirectory(scratch / "logs"));
}

// One record of each old-value kind: its section and key text, separators
// of the value doubled, and the first old value kept.
TEST_F(RemovalLog, OldValueRecordsKeepTheFirstValue) {
    LogRemoval(IniValue, "win.ini", "windows", "load", "a/b/c");
    LogRemoval(IniValue, "win.ini", "windows", "load", "second");
    LogRemoval(TextLine, "AUTOEXEC.BAT", "none", "PATH", "SET PATH=C:/DOS");
    LogRemoval(TextLine, "AUTOEXEC.BAT", "none", "PATH", "second");
    LogRemoval(RegistryString, "HKEY_LOCAL_MACHINE\\SOFTWARE\\App", "Path", "");
    LogRemoval(RegistryString, "HKEY_LOCAL_MACHINE\\SOFTWARE\\App", "Path", "second");
    LogRemoval(RegistryBinary, "HKEY_CURRENT_USER\\App", "Bytes", "A<0001>B/");
    LogRemoval(RegistryBinary, "HKEY_CURRENT_USER\\App", "Bytes", "second");
    LogRemoval(RegistryMultiString, "HKEY_CURRENT_USER\\App", "List", "one<00>two<0000>");
    LogRemoval(RegistryMultiString, "HKEY_CURRENT_USER\\App", "List", "second");
    unsigned long number = 255, zero = 0, later = 7;
    LogRemoval(RegistryDword, "HKEY_CURRENT_USER\\App", "Version", number);
    LogRemoval(RegistryDword, "HKEY_CURRENT_USER\\App", "Version", later);
    LogRemoval(RegistryDword, "HKEY_CURRENT_USER\\App", "Zero", zero);
    EXPECT_EQ(Get("ini.step1", "win.ini|windows|load"), "a//b//c");
    EXPECT_EQ(Get("str.step1", "AUTOEXEC.BAT|none|PATH"), "SET PATH=C://DOS");
    EXPECT_EQ(Get("reg.step1", "HKEY_LOCAL_MACHINE\\SOFTWARE\\App|Path"), "");
    EXPECT_EQ(Get("reg.step1", "HKEY_CURRENT_USER\\App|Bytes:REG_BINARY"), "A<0001>B//");
    EXPECT_EQ(Get("reg.step1", "HKEY_CURRENT_USER\\App|List:REG_MULTI_SZ"), "one<00>two<0000>");
    EXPECT_EQ(Get("reg.step1", "HKEY_CURRENT_USER\\App|Version:REG_DWORD"), "FF");
    EXPECT_EQ(Get("reg.step1", "HKEY_CURRENT_USER\\App|Zero:REG_DWORD"), "0");
    EXPECT_EQ(Keys("reg.step1").size(), 5u);
}

// A value the first install created is recorded as an absent string; the next
// install finds it with its own type. That must not add a second record,
// which would put the first install's data back on removal.
TEST_F(RemovalLog, RegistryValueKeepsItsFirstRecordWhateverTheType) {
    unsigned long number = 31;
    LogRemoval(RegistryString, "HKEY_CURRENT_USER\\App", "Value", "");
    LogRemoval(RegistryBinary, "HKEY_CURRENT_USER\\App", "Value", "<00ff>");
    LogRemoval(RegistryMultiString, "HKEY_CURRENT_USER\\App", "Value", "a<0000>");
    LogRemoval(RegistryDword, "HKEY_CURRENT_USER\\App", "Value", number);
    LogRemoval(RegistryDword, "HKEY_CURRENT_USER\\App", "Number", number);
    LogRemoval(RegistryString, "HKEY_CURRENT_USER\\App", "Number", "x");
    EXPECT_EQ(Keys("reg.step1"),
              (std::vector<std::string>{"HKEY_CURRENT_USER\\App|Value", "HKEY_CURRENT_USER\\App|Number:REG_DWORD"}));
    EXPECT_EQ(Get("reg.step1", "HKEY_CURRENT_USER\\App|Value"), "");
}

// An old value that starts with "." (or is ".") is a record like any other:
// a later change must not replace the value from before the first change.
TEST_F(RemovalLog, OldValueStartingWithADotIsKept) {
    LogRemoval(IniValue, "app.ini", "dirs", "data", ".\\data");
    LogRemoval(IniValue, "app.ini", "dirs", "data", "C:\\INSTALLED");
    LogRemoval(IniValue, "app.ini", "dirs", "dot", ".");
    LogRemoval(IniValue, "app.ini", "dirs", "dot", "C:\\INSTALLED");
    LogRemoval(IniValue, "app.ini", "dirs", "empty", "");
    LogRemoval(IniValue, "app.ini", "dirs", "empty", "C:\\INSTALLED");
    EXPECT_EQ(Get("ini.step1", "app.ini|dirs|data"), ".\\data");
    EXPECT_EQ(Get("ini.step1", "app.ini|dirs|dot"), ".");
    EXPECT_EQ(Get("ini.step1", "app.ini|dirs|empty"), "");
}

TEST_F(RemovalLog, NameIsLookedUpAfreshOnEveryCall) {
    std::string deep = scratch / "one\\two\\three\\REMOVE.INF";
    CopyText(gState->variables[0].value, deep.c_str());
    LogRemoval(RemoveFile, "AppDir\\A.EXE", "A");
    CopyText(gState->variables[0].value, log.c_str());
    LogRemoval(RemoveFile, "AppDir\\B.EXE", "B");
    // The log's own directories are the first the install makes: recorded, outermost.
    EXPECT_EQ(ReadBytes(deep), Utf16File("[del.step3]\r\n" + scratch / "one\\" + "=Folder made by the install\r\n"
                                         "[del.step2]\r\nAppDir\\A.EXE=A\r\n"));
    EXPECT_EQ(Keys("del.step2"), std::vector<std::string>{"AppDir\\B.EXE"});
}

TEST_F(RemovalLog, WithoutTheVariableTheLogIsRemoveInfInTheWindowsDirectory) {
    std::string bare = WindowsDirectory() + "\\RemoveInf";
    DeleteFileA(bare.c_str());
    CopyText(gState->variables[0].name, "removeinf");  // another letter case is another name
    LogRemoval(PathVariable, "AppDir", "C:\\APP");
    std::string text = ReadBytes(bare);
    DeleteFileA(bare.c_str());
    EXPECT_EQ(text, Utf16File("[path]\r\nAppDir=C:\\APP\r\n"));
    EXPECT_EQ(GetFileAttributesA(log.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(RemovalLog, AbortOnTheLogsDirectoryWritesNothing) {
    WriteBytes(scratch / "logs", "a file where the directory should be");
    MessageBoxes answerer({IDABORT});
    EXPECT_EQ(Record(RemoveFile, "AppDir\\APP.EXE", "Program"), StepResult::Abort);
    EXPECT_EQ(answerer.Texts().size(), 1u);
    EXPECT_EQ(ReadBytes(scratch / "logs"), "a file where the directory should be");
}

// Every record is read back from the disk. The profile writer says it wrote
// a file it could not write out (a full disk: /dev/full through Wine's Z:),
// and fails outright on a file that cannot be made: either way the user is
// asked, naming the log, and the answer is the record's result.
TEST_F(RemovalLog, RecordsThatDoNotReachTheDiskAreReported) {
    CopyText(gState->variables[0].value, "Z:\\dev\\full");
    {
        MessageBoxes answered({IDIGNORE, IDABORT});
        EXPECT_EQ(Record(RemoveFile, "AppDir\\APP.EXE", "Program"), StepResult::Skipped);
        unsigned long number = 1;
        EXPECT_EQ(Record(RegistryDword, "HKEY_CURRENT_USER\\App", "N", number), StepResult::Abort);
        EXPECT_EQ(answered.Texts(), std::vector<std::string>(2, "Z:\\dev\\full\nCannot write the removal log !"));
    }

    // A directory where the log should be; Retry once it is gone writes the record.
    CopyText(gState->variables[0].value, log.c_str());
    ASSERT_TRUE(CreateDirectoryA((scratch / "logs").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA(log.c_str(), nullptr));
    MessageBoxes retried({IDRETRY}, [&](size_t) { RemoveDirectoryA(log.c_str()); });
    EXPECT_EQ(Record(PathVariable, "AppDir", "C:\\APP"), StepResult::GoOn);
    EXPECT_EQ(retried.Texts().size(), 1u);
    EXPECT_EQ(ReadBytes(log), Utf16File("[path]\r\nAppDir=C:\\APP\r\n"));
}

// Texts are recorded whole up to the longest text a profile file carries
// (32,766 characters); a record beyond it is reported like one the disk
// refused. CanRecordOldText tells the callers which old values read back.
TEST_F(RemovalLog, WholeTextsUpToTheFormatsLimit) {
    std::string old = std::string(30000, 'v') + "/tail";
    EXPECT_EQ(Record(IniValue, "app.ini", "s", "k", old.c_str()), StepResult::GoOn);
    EXPECT_EQ(Get("ini.step1", "app.ini|s|k"), std::string(30000, 'v') + "//tail");
    std::string longPath = "AppDir\\" + std::string(kProfileTextLimit - 7, 'p');
    EXPECT_EQ(Record(RemoveFile, longPath.c_str(), "x"), StepResult::GoOn);
    EXPECT_EQ(Keys("del.step2").size(), 1u);
    MessageBoxes answered({IDIGNORE});
    EXPECT_EQ(Record(RemoveFile, (longPath + "q").c_str(), "x"), StepResult::Skipped);
    EXPECT_EQ(Keys("del.step2").size(), 1u);

    EXPECT_TRUE(CanRecordOldText(old.c_str(), old.size()));
    // A leading blank puts the value in quotes, two characters more.
    EXPECT_TRUE(CanRecordOldText((" " + std::string(kProfileTextLimit - 3, 'q')).c_str(), kProfileTextLimit - 2));
    EXPECT_FALSE(CanRecordOldText((" " + std::string(kProfileTextLimit - 2, 'q')).c_str(), kProfileTextLimit - 1));
    EXPECT_FALSE(CanRecordOldText(std::string(kProfileTextLimit / 2 + 1, '/').c_str(), kProfileTextLimit / 2 + 1));
    // The limit counts characters as the platform does (UTF-16 units), not
    // the bytes of their UTF-8: 16,383 euro signs are 49,149 bytes, and fit;
    // 32,767 e-acutes do not, nor do 16,384 characters beyond 16 bits.
    std::string euros, acutes, beyond;
    for (size_t i = 0; i < 16383; ++i) euros += "\xE2\x82\xAC";
    for (size_t i = 0; i < kProfileTextLimit + 1; ++i) acutes += "\xC3\xA9";
    for (size_t i = 0; i < 16384; ++i) beyond += "\xF0\x9F\x98\x80";
    EXPECT_TRUE(CanRecordOldText(euros.c_str(), euros.size()));
    EXPECT_FALSE(CanRecordOldText(acutes.c_str(), acutes.size()));
    EXPECT_FALSE(CanRecordOldText(beyond.c_str(), beyond.size()));
    EXPECT_EQ(Record(IniValue, "app.ini", "s", "euros", euros.c_str()), StepResult::GoOn);
    TextBuffer recorded;
    EXPECT_TRUE(FileProfileReader(log.c_str()).ReadValue("ini.step1", "app.ini|s|euros", recorded));
    EXPECT_EQ(std::string(recorded.Text()), euros);
    EXPECT_FALSE(CanRecordOldText("a\0b", 3));
    EXPECT_FALSE(CanRecordOldText("a\rb", 3));
    EXPECT_FALSE(CanRecordOldText("a\nb", 3));
}

// Old values come from the machine (a registry value any program of the user
// may have set) and names from variables that may be filled from there. A
// line break in one, written as it stands, would add records of someone
// else's choosing to a script that runs with administrator rights: such a
// record is not written.
TEST_F(RemovalLog, LineBreaksNeverAddRecords) {
    const char* planted = "old\r\n[del.step2]\r\nC:\\victim.txt=gone";
    // Each is refused before it is tried, and said so: Ignore goes on without it.
    MessageBoxes answered(std::vector<int>(5, IDIGNORE));
    Record(RegistryString, "HKEY_CURRENT_USER\\Software\\App", "Name", planted);
    Record(RegistryString, "HKEY_CURRENT_USER\\Software\\App", "Lone\r[del.step2]\rC:\\victim.txt", "");
    Record(IniValue, "app.ini", "s\n[del.step2]\nC:\\victim.txt", "k", "v");
    Record(PathVariable, "Old", planted);
    Record(RemoveFile, "AppDir\\APP.EXE", planted);
    Record(RegistryString, "HKEY_CURRENT_USER\\Software\\App", "Kept", "one line");
    EXPECT_EQ(Keys("del.step2"), std::vector<std::string>{});
    EXPECT_EQ(Keys("reg.step1"), std::vector<std::string>{"HKEY_CURRENT_USER\\Software\\App|Kept"});
    EXPECT_EQ(Keys("ini.step1"), std::vector<std::string>{});
    EXPECT_EQ(Keys("path"), std::vector<std::string>{});
    EXPECT_EQ(answered.Texts().size(), 5u);
}

TEST(DoubleSeparatorTest, CutsOnlyBetweenPairs) {
    char out[6];
    EXPECT_TRUE(DoubleSeparator(out, sizeof out, "a/b", '/'));
    EXPECT_STREQ(out, "a//b");
    EXPECT_FALSE(DoubleSeparator(out, sizeof out, "abcd/e", '/'));
    EXPECT_STREQ(out, "abcd");
}

// The log read back as a script gives every recorded field back.
using Fields = std::vector<std::vector<std::string>>;

StepResult Collect(SectionEntry& entry, void* context) {
    std::vector<std::string> fields;
    for (int i = 0; i < entry.keyCount; ++i) fields.push_back(entry.keyFields[i]);
    fields.push_back("=");
    for (int i = 0; i < entry.valueCount; ++i) fields.push_back(entry.valueFields[i]);
    static_cast<Fields*>(context)->push_back(fields);
    return StepResult::GoOn;
}

Fields Section(const std::string& log, const char* section, char keySeparator, char valueSeparator) {
    Fields fields;
    ForEachEntry(section, log.c_str(), keySeparator, valueSeparator, Collect, &fields);
    return fields;
}

TEST_F(RemovalLog, LogReadsBackAsAScript) {
    unsigned long number = 31;
    LogRemoval(RestoreCopy, "WinDir\\CTL3D.DLL", "Library/old");
    LogRemoval(RemoveFile, "AppDir\\APP.EXE", "Read/me");
    LogRemoval(IniValue, "win.ini", "windows", "load", "a/b/c");
    LogRemoval(TextLine, "AUTOEXEC.BAT", "none", "PATH", "//x/");
    LogRemoval(RegistryString, "HKEY_LOCAL_MACHINE\\SOFTWARE\\App", "Path", "");
    LogRemoval(RegistryDword, "HKEY_LOCAL_MACHINE\\SOFTWARE\\App", "Version", number);
    LogRemoval(RegistryBinary, "HKEY_CURRENT_USER\\App", "Bytes", "A<2f>/B");
    LogRemoval(RegistryMultiString, "HKEY_CURRENT_USER\\App", "List", "one<00>two<0000>");

    EXPECT_EQ(Section(log, "step1", ':', '/'), (Fields{{"1", "WinDir\\CTL3D.DLL", "=", "Library/old"}}));
    EXPECT_EQ(Section(log, "del.step2", 0, '/'), (Fields{{"AppDir\\APP.EXE", "=", "Read/me"}}));
    EXPECT_EQ(Section(log, "ini.step1", '|', '/'), (Fields{{"win.ini", "windows", "load", "=", "a/b/c"}}));
    EXPECT_EQ(Section(log, "str.step1", '|', '/'), (Fields{{"AUTOEXEC.BAT", "none", "PATH", "=", "//x/"}}));
    EXPECT_EQ(Section(log, "reg.step1", '|', '/'),
              (Fields{{"HKEY_LOCAL_MACHINE\\SOFTWARE\\App", "Path", "=", ""},
                      {"HKEY_LOCAL_MACHINE\\SOFTWARE\\App", "Version:REG_DWORD", "=", "1F"},
                      {"HKEY_CURRENT_USER\\App", "Bytes:REG_BINARY", "=", "A<2f>/B"},
                      {"HKEY_CURRENT_USER\\App", "List:REG_MULTI_SZ", "=", "one<00>two<0000>"}}));
}

// Path records are read back by the path visitor: a value holding ';' or
// '%' must come back as it was, not as a prompt or an expansion.
TEST_F(RemovalLog, PathRecordsReadBackThroughThePathSection) {
    LogRemoval(PathVariable, "AppDir", "C:\\100%\\A;B");
    LogRemoval(PathVariable, "DataDir", "C:\\DATA");
    gState->variableCount = 0;
    CopyText(gProcess.scriptPath, log.c_str());
    EXPECT_EQ(ReadPathVariables(), StepResult::GoOn);
    gProcess.scriptPath[0] = '\0';
    ASSERT_EQ(gState->variableCount, 2);
    EXPECT_STREQ(gState->variables[0].name, "AppDir");
    EXPECT_STREQ(gState->variables[0].value, "C:\\100%\\A;B");
    EXPECT_STREQ(gState->variables[1].value, "C:\\DATA");
}

}  // namespace
