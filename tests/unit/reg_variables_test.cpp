#include <gtest/gtest.h>

#include <string>

#include "script/text.h"
#include "script/variables.h"
#include "unit_support.h"

namespace {

const char kTestKey[] = "Software\\SetupVariablesTest";

// A [reg] section read against real registry values under a test key.
class RegVariables : public testing::Test {
protected:
    void SetUp() override {
        HKEY key;
        RegCreateKeyExA(HKEY_CURRENT_USER, kTestKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
        SetString(key, "Path", "C:\\OLD");
        SetString(key, nullptr, "default text");
        DWORD number = 255, zero = 0;
        RegSetValueExA(key, "Count", 0, REG_DWORD, reinterpret_cast<BYTE*>(&number), sizeof number);
        RegSetValueExA(key, "Zero", 0, REG_DWORD, reinterpret_cast<BYTE*>(&zero), sizeof zero);
        RegSetValueExA(key, "Bytes", 0, REG_BINARY, reinterpret_cast<const BYTE*>("\1\2"), 2);
        SetString(key, "Fits", std::string(255, 'f').c_str());
        SetString(key, "TooLong", std::string(256, 't').c_str());
        RegCloseKey(key);
        script = scratch / "SETUP.INF";
        CopyText(gProcess.scriptPath, script.c_str());
    }
    void TearDown() override {
        RegDeleteTreeA(HKEY_CURRENT_USER, kTestKey);
        gProcess.scriptPath[0] = '\0';
    }
    static void SetString(HKEY key, const char* name, const char* text) {
        RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), lstrlenA(text) + 1);
    }
    int Read(const std::string& entries) {
        WriteTextFile(script, "[reg]\r\n" + entries);
        return ReadRegVariables();
    }
    std::string Value(const char* name) {
        const ScriptVariable* row = FindVariable(name);
        return row ? row->value : "<none>";
    }

    StateScope state;
    ScratchDirectory scratch;
    std::string script;
};

TEST_F(RegVariables, StringAndNumberValues) {
    EXPECT_EQ(Read("OLDDIR=HKEY_CURRENT_USER\\Software\\SetupVariablesTest|Path\r\n"
                   "COUNT=HKEY_CURRENT_USER\\Software\\SetupVariablesTest|Count\r\n"
                   "ZERO=HKEY_CURRENT_USER\\Software\\SetupVariablesTest|Zero\r\n"
                   "DEFAULT=HKEY_CURRENT_USER\\Software\\SetupVariablesTest\r\n"
                   "FITS=HKEY_CURRENT_USER\\Software\\SetupVariablesTest|Fits\r\n"),
              5);
    EXPECT_EQ(gState->variableCount, 5);
    EXPECT_EQ(Value("OLDDIR"), "C:\\OLD");
    EXPECT_EQ(Value("COUNT"), "FF");
    EXPECT_EQ(Value("ZERO"), "0");
    EXPECT_EQ(Value("DEFAULT"), "default text");
    EXPECT_EQ(Value("FITS"), std::string(255, 'f'));
}

TEST_F(RegVariables, NothingToReadGivesAnEmptyVariable) {
    Read("NOKEY=HKEY_CURRENT_USER\\Software\\SetupVariablesTest\\Missing|Path\r\n"
         "NOVALUE=HKEY_CURRENT_USER\\Software\\SetupVariablesTest|Missing\r\n"
         "BYTES=HKEY_CURRENT_USER\\Software\\SetupVariablesTest|Bytes\r\n"
         "LONG=HKEY_CURRENT_USER\\Software\\SetupVariablesTest|TooLong\r\n"
         "CASE=hkey_current_user\\Software\\SetupVariablesTest|Path\r\n");
    EXPECT_EQ(gState->variableCount, 5);
    for (const char* name : {"NOKEY", "NOVALUE", "BYTES", "LONG", "CASE"}) EXPECT_EQ(Value(name), "") << name;
}

TEST_F(RegVariables, LaterEntriesForOneNameKeepTheLastSuccess) {
    CopyText(gState->optionCodes, "XYZ");
    Read("DIR=HKEY_CURRENT_USER\\Software\\SetupVariablesTest|Path\r\n"
         "DIR/X=HKEY_CURRENT_USER\\Software\\SetupVariablesTest|Missing\r\n"
         "DIR/Y=HKEY_CURRENT_USER\\Software\\SetupVariablesTest|Count\r\n"
         "DIR/Z=HKEY_CURRENT_USER\\Software\\SetupVariablesTest|Bytes\r\n");
    EXPECT_EQ(gState->variableCount, 1);
    EXPECT_EQ(Value("DIR"), "FF");
}

TEST_F(RegVariables, ConditionThatFailsDefinesNothing) {
    CopyText(gState->optionCodes, "A");
    Read("SKIPPED/B=HKEY_CURRENT_USER\\Software\\SetupVariablesTest|Path\r\n"
         "TAKEN/A=HKEY_CURRENT_USER\\Software\\SetupVariablesTest|Path\r\n");
    EXPECT_EQ(Value("SKIPPED"), "<none>");
    EXPECT_EQ(Value("TAKEN"), "C:\\OLD");
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
    std::string entries;
    for (int i = 0; i < 70; ++i)
        entries += "V" + std::to_string(i) + "=HKEY_CURRENT_USER\\Software\\SetupVariablesTest|Path\r\n";
    entries += "V1/=HKEY_CURRENT_USER\\Software\\SetupVariablesTest|Count\r\n";  // an existing row still updates
    entries += std::string(64, 'N') + "=HKEY_CURRENT_USER\\Software\\SetupVariablesTest|Path\r\n";
    EXPECT_EQ(Read(entries), 72);
    EXPECT_EQ(gState->variableCount, kMaxVariables);
    EXPECT_EQ(gState->regVariableCount, kMaxVariables);
    EXPECT_EQ(Value("STALE"), "<none>");
    EXPECT_EQ(Value("V63"), "C:\\OLD");
    EXPECT_EQ(Value("V64"), "<none>");
    EXPECT_EQ(Value("V1"), "FF");
}

TEST_F(RegVariables, NameThatDoesNotFitIsNotDefined) {
    std::string name(64, 'N');
    Read(name + "=HKEY_CURRENT_USER\\Software\\SetupVariablesTest|Path\r\n" + std::string(63, 'M') +
         "=HKEY_CURRENT_USER\\Software\\SetupVariablesTest|Path\r\n");
    EXPECT_EQ(gState->variableCount, 1);
    EXPECT_EQ(Value(std::string(63, 'M').c_str()), "C:\\OLD");
}

}  // namespace
