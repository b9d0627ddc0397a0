// A script's ini., str. and reg. sections run through ForEachEntry, then the
// removal log they left read back the same way in remove mode: the pre-state
// must come back.
#include <gtest/gtest.h>

#include "action_test_support.h"
#include "actions/actions.h"
#include "run/setup_state.h"
#include "script/sections.h"

namespace {

const char kKey[] = "Software\\SettingsRoundTrip";
const char kText[] = "[boot]\r\nshell=progman.exe\r\ndrivers=mmsystem.dll\r\n; sound\r\n\r\n[386Enh]\r\ndevice=*vpd\r\n";

std::string Bytes(const char* text, size_t length) { return std::string(text, length); }

std::string RegValue(const char* name, DWORD* type) {
    HKEY key;
    *type = REG_NONE;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return "<no key>";
    char data[2048];
    DWORD size = sizeof data;
    LONG r = RegQueryValueExA(key, name, nullptr, type, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(key);
    return r == ERROR_SUCCESS ? std::string(data, size) : "<absent>";
}

void SetRegValue(const char* name, DWORD type, const std::string& data) {
    HKEY key;
    RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr);
    RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(data.data()), static_cast<DWORD>(data.size()));
    RegCloseKey(key);
}

class RemovalRoundTripTest : public ActionTest {
protected:
    void TearDown() override {
        RegDeleteTreeA(HKEY_CURRENT_USER, kKey);
        ActionTest::TearDown();
    }
    int Run(const char* section, const std::string& script, EntryVisitor visitor) {
        return ForEachEntry(section, script.c_str(), '|', '/', visitor, nullptr);
    }
};

TEST_F(RemovalRoundTripTest, RemoveModeReadBackRestoresThePreState) {
    std::string ini = scratch / "app.ini";
    std::string text = scratch / "system.txt";
    std::string script = scratch / "setup.inf";
    WriteBytes(ini, "[Settings]\r\nExisting=old\r\n[windows]\r\nload=one.exe\r\n[Desktop]\r\nPattern=a/b\r\n");
    WriteBytes(text, kText);
    RegDeleteTreeA(HKEY_CURRENT_USER, kKey);
    SetRegValue("Str", REG_SZ, Bytes("old/value\0", 10));
    SetRegValue("Num", REG_DWORD, Bytes("\xff\0\0\0", 4));
    SetRegValue("Bin", REG_BINARY, "\x01<\x02");
    SetRegValue("Multi", REG_MULTI_SZ, Bytes("one\0\0", 5));
    WriteBytes(script,
               "[ini.Main]\r\n"
               "Dir\\app.ini|Settings|Existing=new\r\n"
               "Dir\\app.ini|Settings|Fresh=added\r\n"
               "Dir\\app.ini|windows|load|,=app.exe\r\n"
               "Dir\\app.ini|Desktop|Pattern=\r\n"
               "[str.Main]\r\n"
               "Dir\\system.txt|boot|drivers=drivers=mmsystem.dll midimap.drv\r\n"
               "Dir\\system.txt|boot|mouse.drv=mouse.drv=mouse.drv\r\n"
               "Dir\\system.txt|386Enh|device=\r\n"
               "[reg.Main]\r\n"
               "HKEY_CURRENT_USER\\Software\\SettingsRoundTrip|Str=new//value\r\n"
               "HKEY_CURRENT_USER\\Software\\SettingsRoundTrip|Num:REG_DWORD=20\r\n"
               "HKEY_CURRENT_USER\\Software\\SettingsRoundTrip|Bin:REG_BINARY_ADD=<ff>\r\n"
               "HKEY_CURRENT_USER\\Software\\SettingsRoundTrip|Multi:REG_MULTI_SZ_ADD=two\r\n"
               "HKEY_CURRENT_USER\\Software\\SettingsRoundTrip|Gone=x\r\n");

    EXPECT_EQ(Run("ini.Main", script, IniEntry), 4);
    EXPECT_EQ(Run("str.Main", script, TextLineEntry), 3);
    EXPECT_EQ(Run("reg.Main", script, RegistryEntry), 5);

    DWORD type;
    EXPECT_EQ(ProfileText(ini, "windows", "load"), "one.exe,app.exe");
    EXPECT_EQ(ReadBytes(text),
              "[boot]\r\nshell=progman.exe\r\ndrivers=mmsystem.dll midimap.drv\r\nmouse.drv=mouse.drv\r\n; sound\r\n\r\n[386Enh]\r\n");
    EXPECT_EQ(RegValue("Str", &type), Bytes("new/value\0", 10));
    EXPECT_EQ(RegValue("Bin", &type), "\x01<\x02\xff");
    EXPECT_EQ(RegValue("Multi", &type), Bytes("one\0two\0\0", 9));

    std::string logged = ReadBytes(log);
    gProcess.removeMode = 1;
    EXPECT_EQ(Run("ini.step1", log, IniEntry), 4);
    EXPECT_EQ(Run("str.step1", log, TextLineEntry), 3);
    EXPECT_EQ(Run("reg.step1", log, RegistryEntry), 5);

    EXPECT_EQ(ProfileText(ini, "Settings", "Existing"), "old");
    EXPECT_EQ(ProfileText(ini, "Settings", "Fresh"), "<none>");
    EXPECT_EQ(ProfileText(ini, "windows", "load"), "one.exe");
    EXPECT_EQ(ProfileText(ini, "Desktop", "Pattern"), "a/b");
    EXPECT_EQ(ReadBytes(text), kText);
    EXPECT_EQ(RegValue("Str", &type), Bytes("old/value\0", 10));
    EXPECT_EQ(type, DWORD(REG_SZ));
    EXPECT_EQ(RegValue("Num", &type), Bytes("\xff\0\0\0", 4));
    EXPECT_EQ(type, DWORD(REG_DWORD));
    EXPECT_EQ(RegValue("Bin", &type), "\x01<\x02");
    EXPECT_EQ(type, DWORD(REG_BINARY));
    EXPECT_EQ(RegValue("Multi", &type), Bytes("one\0\0", 5));
    EXPECT_EQ(type, DWORD(REG_MULTI_SZ));
    EXPECT_EQ(RegValue("Gone", &type), "<absent>");
    EXPECT_EQ(ReadBytes(log), logged) << "reading the log back does not extend it";
}

}  // namespace
