// A script's ini., str. and reg. sections carried out as a pass does, then the
// removal log they left read back the same way in remove mode: the state from
// before must come back.
#include <gtest/gtest.h>

#include "test_support.h"
#include "base/setup_state.h"
#include "ui/sections.h"

namespace {

const char kKey[] = "Software\\SettingsRoundTrip";
const std::string kText = "[boot]\r\nshell=progman.exe\r\ndrivers=mmsystem.dll\r\n; sound\r\n\r\n[386Enh]\r\ndevice=*vpd\r\n";

// Type and data of every value of the key, in one text.
std::string Values() {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return "<no key>";
    std::string all;
    char name[64], data[1024];
    DWORD nameSize = sizeof name, size = sizeof data, type;
    for (DWORD i = 0; RegEnumValueA(key, i, name, &nameSize, nullptr, &type, reinterpret_cast<BYTE*>(data), &size) ==
                      ERROR_SUCCESS;
         ++i, nameSize = sizeof name, size = sizeof data)
        all += std::string(name) + ":" + std::to_string(type) + "=" + std::string(data, size) + ";";
    RegCloseKey(key);
    return all;
}

// A value's bytes as the W function reads them (strings in UTF-16).
std::string WideValueBytes(const wchar_t* name) {
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\SettingsRoundTrip", 0, KEY_READ, &key) != ERROR_SUCCESS)
        return "<no key>";
    char data[1024];
    DWORD size = sizeof data;
    LONG r = RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(key);
    return r == ERROR_SUCCESS ? std::string(data, size) : "<absent>";
}

class RemovalRoundTripTest : public ActionTest {
protected:
    void TearDown() override {
        RegDeleteTreeA(HKEY_CURRENT_USER, kKey);
        ActionTest::TearDown();
    }
    int Run(const char* section, const std::string& script, ActionKind kind) {
        return CarryOutScriptSection(section, script, kind);
    }
};

TEST_F(RemovalRoundTripTest, RemoveModeReadBackRestoresTheStateFromBefore) {
    std::string ini = Path("app.ini"), text = Path("system.txt"), script = Path("setup.inf");
    const std::string iniBefore = "[Settings]\r\nExisting=old\r\n[windows]\r\nload=one.exe\r\n[Desktop]\r\nPattern=a/b\r\n";
    WriteBytes(ini, iniBefore);
    WriteBytes(text, kText);
    HKEY key;
    RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr);
    RegSetValueExA(key, "Str", 0, REG_SZ, reinterpret_cast<const BYTE*>("old/value"), 10);
    RegSetValueExA(key, "Num", 0, REG_DWORD, reinterpret_cast<const BYTE*>("\xff\0\0\0"), 4);
    RegSetValueExA(key, "Bin", 0, REG_BINARY, reinterpret_cast<const BYTE*>("\x01<\x02"), 3);
    RegSetValueExA(key, "Multi", 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>("one\0"), 5);
    RegCloseKey(key);
    const std::string registryBefore = Values();
    WriteBytes(script,
               "[ini.Main]\r\nDir\\app.ini|Settings|Existing=new\r\nDir\\app.ini|Settings|Fresh=added\r\n"
               "Dir\\app.ini|windows|load|,=app.exe\r\nDir\\app.ini|Desktop|Pattern=\r\n"
               "[str.Main]\r\nDir\\system.txt|boot|drivers=drivers=mmsystem.dll midimap.drv\r\n"
               "Dir\\system.txt|boot|mouse.drv=mouse.drv=mouse.drv\r\nDir\\system.txt|386Enh|device=\r\n"
               "[reg.Main]\r\nHKEY_CURRENT_USER\\Software\\SettingsRoundTrip|Str=new//value\r\n"
               "HKEY_CURRENT_USER\\Software\\SettingsRoundTrip|Num:REG_DWORD=20\r\n"
               "HKEY_CURRENT_USER\\Software\\SettingsRoundTrip|Bin:REG_BINARY_ADD=<ff>\r\n"
               "HKEY_CURRENT_USER\\Software\\SettingsRoundTrip|Multi:REG_MULTI_SZ_ADD=two\r\n"
               "HKEY_CURRENT_USER\\Software\\SettingsRoundTrip|Gone=x\r\n");

    EXPECT_EQ(Run("ini.Main", script, ActionKind::Ini), 4);
    EXPECT_EQ(Run("str.Main", script, ActionKind::TextLine), 3);
    EXPECT_EQ(Run("reg.Main", script, ActionKind::Registry), 5);
    EXPECT_EQ(ProfileText(ini, "windows", "load"), "one.exe,app.exe");
    EXPECT_EQ(ReadBytes(text),
              "[boot]\r\nshell=progman.exe\r\ndrivers=mmsystem.dll midimap.drv\r\nmouse.drv=mouse.drv\r\n; sound\r\n\r\n"
              "[386Enh]\r\n");
    EXPECT_NE(Values(), registryBefore);

    std::string logged = ReadBytes(log);
    gProcess.removeMode = 1;
    EXPECT_EQ(Run("ini.step1", log, ActionKind::Ini), 4);
    EXPECT_EQ(Run("str.step1", log, ActionKind::TextLine), 3);
    EXPECT_EQ(Run("reg.step1", log, ActionKind::Registry), 5);
    EXPECT_EQ(ProfileText(ini, "Settings", "Existing") + ProfileText(ini, "Settings", "Fresh") +
                  ProfileText(ini, "windows", "load") + ProfileText(ini, "Desktop", "Pattern"),
              "old<none>one.exea/b");
    EXPECT_EQ(ReadBytes(text), kText);
    EXPECT_EQ(Values(), registryBefore);
    EXPECT_EQ(ReadBytes(log), logged) << "reading the log back does not extend it";
}

// Old data the log must not alter on the way back: percent signs (which the
// read-back expands), outer blanks and enclosing quotes (which the profile
// reader drops), and a binary byte that is '%'.
TEST_F(RemovalRoundTripTest, OldDataComesBackAsItWas) {
    std::string ini = Path("app.ini"), text = Path("autoexec.bat"), script = Path("setup.inf");
    WriteBytes(ini, "[Paths]\r\nTemp=%TEMP%\\notes\r\n");
    const std::string textBefore = "@echo off\r\nSET PATH=%PATH%;C:\\DOS\r\n    rem indented  \r\n";
    WriteBytes(text, textBefore);
    const std::string command = "\"C:\\Program Files\\x.exe\" \"%1\"";
    HKEY key;
    RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr);
    RegSetValueExA(key, "Command", 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()), command.size() + 1);
    RegSetValueExA(key, "Padded", 0, REG_SZ, reinterpret_cast<const BYTE*>(" 50% "), 6);
    RegSetValueExA(key, "Bin", 0, REG_BINARY, reinterpret_cast<const BYTE*>("%\x01%"), 3);
    // Text beyond the legacy code page, which its A twin would read as a best fit.
    const wchar_t unicode[] = L"\u03a9mega \u4e2d\u6587", list[] = L"Caf\u00e9\0\u03a9mega \u4e2d\u6587\0";
    RegSetValueExW(key, L"Unicode", 0, REG_SZ, reinterpret_cast<const BYTE*>(unicode), sizeof unicode);
    RegSetValueExW(key, L"UniList", 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(list), sizeof list);
    RegCloseKey(key);
    const std::string registryBefore = Values();
    const std::string unicodeBefore = WideValueBytes(L"Unicode"), listBefore = WideValueBytes(L"UniList");
    ASSERT_EQ(unicodeBefore.size(), sizeof unicode);
    WriteBytes(script,
               "[ini.Main]\r\nDir\\app.ini|Paths|Temp=C:\\TEMP\r\n"
               "[str.Main]\r\nDir\\autoexec.bat|none|SET PATH=SET PATH=C:\\NOTES\r\n"
               "Dir\\autoexec.bat|none|rem indented=rem indented, changed\r\n"
               "[reg.Main]\r\nHKEY_CURRENT_USER\\Software\\SettingsRoundTrip|Command=notes.exe\r\n"
               "HKEY_CURRENT_USER\\Software\\SettingsRoundTrip|Padded=x\r\n"
               "HKEY_CURRENT_USER\\Software\\SettingsRoundTrip|Bin:REG_BINARY=<00>\r\n"
               "HKEY_CURRENT_USER\\Software\\SettingsRoundTrip|Unicode=plain\r\n"
               "HKEY_CURRENT_USER\\Software\\SettingsRoundTrip|UniList:REG_MULTI_SZ=plain<0000>\r\n");
    Run("ini.Main", script, ActionKind::Ini);
    Run("str.Main", script, ActionKind::TextLine);
    Run("reg.Main", script, ActionKind::Registry);
    ASSERT_EQ(ReadBytes(text), "@echo off\r\nSET PATH=C:\\NOTES\r\nrem indented, changed\r\n");
    ASSERT_EQ(WideValueBytes(L"Unicode"), std::string("p\0l\0a\0i\0n\0\0\0", 12));

    gProcess.removeMode = 1;
    Run("ini.step1", log, ActionKind::Ini);
    Run("str.step1", log, ActionKind::TextLine);
    Run("reg.step1", log, ActionKind::Registry);
    EXPECT_EQ(ProfileText(ini, "Paths", "Temp"), "%TEMP%\\notes");
    EXPECT_EQ(ReadBytes(text), textBefore);
    EXPECT_EQ(Values(), registryBefore);
    EXPECT_EQ(WideValueBytes(L"Unicode"), unicodeBefore) << "character for character";
    EXPECT_EQ(WideValueBytes(L"UniList"), listBefore);
}

}  // namespace
