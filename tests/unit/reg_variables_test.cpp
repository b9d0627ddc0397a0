#include <gtest/gtest.h>

#include <string>

#include "test_support.h"
#include "base/setup_state.h"
#include "base/text.h"
#include "ui/reg_variables.h"
#include "script/variables.h"

namespace {

// A [reg] section read against real registry values under a test key.
class RegVariables : public testing::Test {
protected:
    const std::string at = "=HKEY_CURRENT_USER\\Software\\SetupVariablesTest";

    void SetUp() override {
        HKEY key;
        RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\SetupVariablesTest", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &key, nullptr);
        SetString(key, "Path", "C:\\OLD");
        SetString(key, nullptr, "default text");
        SetString(key, "Fits", std::string(255, 'f').c_str());
        SetString(key, "TooLong", std::string(256, 't').c_str());
        // A text beyond the code page: only a wide read gets it whole.
        const wchar_t wide[] = L"C:\\Caf\u00e9 \u03a9mega \u4e2d\u6587";
        RegSetValueExW(key, L"Wide", 0, REG_SZ, reinterpret_cast<const BYTE*>(wide), sizeof wide);
        DWORD number = 255, zero = 0;
        RegSetValueExA(key, "Count", 0, REG_DWORD, reinterpret_cast<BYTE*>(&number), sizeof number);
        RegSetValueExA(key, "Zero", 0, REG_DWORD, reinterpret_cast<BYTE*>(&zero), sizeof zero);
        RegSetValueExA(key, "Bytes", 0, REG_BINARY, reinterpret_cast<const BYTE*>("\1\2"), 2);
        RegCloseKey(key);
        script = scratch / "SETUP.INF";
        CopyText(gProcess.scriptPath, script.c_str());
    }
    void TearDown() override {
        RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\SetupVariablesTest");
        gProcess.scriptPath[0] = '\0';
    }
    static void SetString(HKEY key, const char* name, const char* text) {
        RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), lstrlenA(text) + 1);
    }
    // The entries read, or -1 after Abort.
    int Read(const std::string& entries) {
        WriteBytes(script, "[reg]\r\n" + entries);
        int visited = 0;
        return ReadRegVariables(&visited) == StepResult::Abort ? -1 : visited;
    }
    std::string Value(const std::string& name) {
        const ScriptVariable* row = FindVariable(name.c_str());
        return row ? row->value : "<none>";
    }

    StateScope state;
    ScratchDirectory scratch;
    std::string script;
};

TEST_F(RegVariables, StringAndNumberValues) {
    EXPECT_EQ(Read("OLDDIR" + at + "|Path\r\nCOUNT" + at + "|Count\r\nZERO" + at + "|Zero\r\nDEFAULT" + at +
                   "\r\nFITS" + at + "|Fits\r\nWIDE" + at + "|Wide\r\n"),
              6);
    EXPECT_EQ(Value("OLDDIR"), "C:\\OLD");
    EXPECT_EQ(Value("COUNT"), "FF");
    EXPECT_EQ(Value("ZERO"), "0");
    EXPECT_EQ(Value("DEFAULT"), "default text");
    EXPECT_EQ(Value("FITS"), std::string(255, 'f'));
    EXPECT_EQ(Value("WIDE"), "C:\\Caf\xC3\xA9 \xCE\xA9mega \xE4\xB8\xAD\xE6\x96\x87");
}

TEST_F(RegVariables, NothingToReadGivesAnEmptyVariable) {
    Read("NOKEY" + at + "\\Missing|Path\r\nNOVALUE" + at + "|Missing\r\nBYTES" + at + "|Bytes\r\nLONG" + at +
         "|TooLong\r\nCASE=hkey_current_user\\Software\\SetupVariablesTest|Path\r\n");
    EXPECT_EQ(gState->variableCount, 5);
    for (const char* name : {"NOKEY", "NOVALUE", "BYTES", "LONG", "CASE"}) EXPECT_EQ(Value(name), "") << name;
}

TEST_F(RegVariables, ConditionsAndRepeatedNames) {
    CopyText(gState->optionCodes, "XYZ");
    Read("DIR" + at + "|Path\r\nDIR/X" + at + "|Missing\r\nDIR/Y" + at + "|Count\r\nDIR/Z" + at +
         "|Bytes\r\nSKIPPED/B" + at + "|Path\r\n");
    EXPECT_EQ(gState->variableCount, 1);
    EXPECT_EQ(Value("DIR"), "FF");  // the last entry that read something
    EXPECT_EQ(Value("SKIPPED"), "<none>");
}

TEST_F(RegVariables, PathWithoutBackslashIsASubkeyOfClassesRoot) {
    HKEY key;
    ASSERT_EQ(RegCreateKeyA(HKEY_CLASSES_ROOT, ".setupvariablestest", &key), ERROR_SUCCESS);
    RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>("testfile"), 9);
    RegCloseKey(key);
    Read("TYPE=.setupvariablestest\r\n");
    RegDeleteKeyA(HKEY_CLASSES_ROOT, ".setupvariablestest");
    EXPECT_EQ(Value("TYPE"), "testfile");
}

TEST_F(RegVariables, TableIsEmptiedFirstAndNeverOverflows) {
    SetVariable("STALE", "x");
    std::string entries = std::string(64, 'N') + at + "|Path\r\n";  // a name that cannot be held whole
    for (int i = 0; i < 70; ++i) entries += "V" + std::to_string(i) + at + "|Path\r\n";
    entries += "V1/" + at + "|Count\r\n";  // an existing row still takes its value
    // The long name and the six rows beyond the table are put to the user.
    MessageBoxes answerer(std::vector<int>(7, IDOK));
    EXPECT_EQ(Read(entries), 72);
    ASSERT_EQ(answerer.Texts().size(), 7u);
    EXPECT_EQ(answerer.Texts()[0].substr(0, 10), "[reg] NNNN");
    EXPECT_EQ(answerer.Texts()[6].substr(0, answerer.Texts()[6].find('\n')), "[reg] V69");
    EXPECT_EQ(gState->variableCount, kMaxVariables);
    EXPECT_EQ(gState->regVariableCount, kMaxVariables);
    EXPECT_EQ(Value("STALE"), "<none>");
    EXPECT_EQ(Value("V0"), "C:\\OLD");
    EXPECT_EQ(Value("V63"), "C:\\OLD");
    EXPECT_EQ(Value("V64"), "<none>");
    EXPECT_EQ(Value("V1"), "FF");
}

}  // namespace
