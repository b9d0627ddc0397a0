#include <gtest/gtest.h>

#include <string>

#include "action_test_support.h"
#include "actions/actions.h"
#include "run/setup_state.h"
#include "script/text.h"
#include "script/variables.h"

namespace {

const char kTestKey[] = "Software\\SettingsTest";
const char kCu[] = "HKEY_CURRENT_USER\\Software\\SettingsTest";

struct Value {
    bool exists;
    DWORD type;
    std::string data;
};

Value Read(HKEY root, const std::string& subkey, const char* name) {
    HKEY key;
    if (RegOpenKeyExA(root, subkey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return {false, 0, "<no key>"};
    char data[4096];
    DWORD type = 0, size = sizeof data;
    LONG r = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(key);
    if (r != ERROR_SUCCESS) return {false, 0, ""};
    return {true, type, std::string(data, size)};
}

void Write(const std::string& subkey, const char* name, DWORD type, const std::string& data) {
    HKEY key;
    RegCreateKeyExA(HKEY_CURRENT_USER, subkey.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr);
    RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(data.data()), static_cast<DWORD>(data.size()));
    RegCloseKey(key);
}

bool KeyExists(HKEY root, const std::string& subkey) {
    HKEY key;
    if (RegOpenKeyExA(root, subkey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

std::string Bytes(const char* text, size_t length) { return std::string(text, length); }

class RegistryEntryTest : public ActionTest {
protected:
    void SetUp() override {
        ActionTest::SetUp();
        CleanUp();
    }
    void TearDown() override {
        CleanUp();
        ActionTest::TearDown();
    }
    static void CleanUp() {
        RegDeleteTreeA(HKEY_CURRENT_USER, kTestKey);
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, "SOFTWARE\\SettingsTestApp");
        for (const char* key : {".settingstestabc", ".settingstestvolatile", "SettingsTestLower", "SettingsTestNoRoot",
                                "SettingsTestX"})
            RegDeleteTreeA(HKEY_CLASSES_ROOT, key);
    }
    Value Cu(const char* name, const std::string& below = "") { return Read(HKEY_CURRENT_USER, kTestKey + below, name); }
    std::string Logged(const std::string& key) { return ActionTest::Logged("reg.step1", key); }
};

TEST_F(RegistryEntryTest, StringDwordAndDeletion) {
    EXPECT_EQ(VisitEntry(RegistryEntry, "HKEY_LOCAL_MACHINE\\SOFTWARE\\SettingsTestApp|Version:REG_DWORD", "1f"), 0);
    Value v = Read(HKEY_LOCAL_MACHINE, "SOFTWARE\\SettingsTestApp", "Version");
    EXPECT_EQ(v.type, DWORD(REG_DWORD));
    EXPECT_EQ(v.data, Bytes("\x1f\0\0\0", 4));

    EXPECT_EQ(VisitEntry(RegistryEntry, std::string(kCu) + "|Path", "%InstDir%"), 0);
    v = Cu("Path");
    EXPECT_EQ(v.type, DWORD(REG_SZ));
    EXPECT_EQ(v.data, scratch.path() + std::string(1, '\0'));

    EXPECT_EQ(VisitEntry(RegistryEntry, std::string(kCu) + "|Path", ""), 0);
    EXPECT_FALSE(Cu("Path").exists);
    EXPECT_EQ(VisitEntry(RegistryEntry, std::string(kCu) + "\\Fresh|Path", ""), 0);
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, std::string(kTestKey) + "\\Fresh"));

    // "%lX" input; data that is no 32-bit number writes nothing.
    EXPECT_EQ(VisitEntry(RegistryEntry, std::string(kCu) + "|D:REG_DWORD", " 0x10"), 0);
    EXPECT_EQ(Cu("D").data, Bytes("\x10\0\0\0", 4));
    EXPECT_EQ(VisitEntry(RegistryEntry, std::string(kCu) + "|D:REG_DWORD", "-1"), 0);
    EXPECT_EQ(Cu("D").data, "\xff\xff\xff\xff");
    EXPECT_EQ(VisitEntry(RegistryEntry, std::string(kCu) + "|D:REG_DWORD", "none"), 0);
    EXPECT_EQ(Cu("D").data, "\xff\xff\xff\xff");
    EXPECT_EQ(VisitEntry(RegistryEntry, std::string(kCu) + "|D:REG_DWORD", ""), 0);
    EXPECT_FALSE(Cu("D").exists) << "empty data deletes whatever the type";
}

TEST_F(RegistryEntryTest, ShortFormSetsTheDefaultValueUnderClassesRoot) {
    StatusWindow status;
    gProcess.removeMode = 1;
    EXPECT_EQ(VisitEntry(RegistryEntry, ".settingstestabc", "abcfile"), 0);
    Value v = Read(HKEY_CLASSES_ROOT, ".settingstestabc", "");
    EXPECT_EQ(v.type, DWORD(REG_SZ));
    EXPECT_EQ(v.data.c_str(), std::string("abcfile"));
    EXPECT_EQ(status.Text(200), "") << "the short form shows no status";
    EXPECT_EQ(ReadBytes(log), "<missing>") << "and makes no record";
}

TEST_F(RegistryEntryTest, KeyPathRootsPiecesAndClass) {
    CopyText(AppendVariable("Sub")->value, "Expanded");
    // A root name in other letter case is no root name: the path goes under HKEY_CLASSES_ROOT.
    EXPECT_EQ(VisitEntry(RegistryEntry, "hkey_current_user\\SettingsTestLower|V", "x"), 0);
    EXPECT_TRUE(Read(HKEY_CLASSES_ROOT, "SettingsTestLower", "V").exists);
    EXPECT_EQ(VisitEntry(RegistryEntry, "SettingsTestNoRoot|V", "x"), 0);
    EXPECT_TRUE(Read(HKEY_CLASSES_ROOT, "SettingsTestNoRoot", "V").exists);
    EXPECT_EQ(VisitEntry(RegistryEntry, "CLSID\\SettingsTestX|V", "x"), 0);
    EXPECT_TRUE(Read(HKEY_CLASSES_ROOT, "SettingsTestX", "V").exists);

    // Pieces are looked up as whole names; %Name% stays as written.
    EXPECT_EQ(VisitEntry(RegistryEntry, std::string(kCu) + "\\Sub|V", "x"), 0);
    EXPECT_TRUE(Cu("V", "\\Expanded").exists);
    EXPECT_EQ(VisitEntry(RegistryEntry, std::string(kCu) + "\\%Sub%|V", "x"), 0);
    EXPECT_TRUE(Cu("V", "\\%Sub%").exists);

    EXPECT_EQ(VisitEntry(RegistryEntry, std::string(kCu) + "\\Classy:MyClass|Name", "x"), 0);
    HKEY key;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\SettingsTest\\Classy", 0, KEY_READ, &key), ERROR_SUCCESS);
    char keyClass[64] = "";
    DWORD classSize = sizeof keyClass;
    RegQueryInfoKeyA(key, keyClass, &classSize, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                     nullptr, nullptr);
    RegCloseKey(key);
    EXPECT_STREQ(keyClass, "MyClass");
    EXPECT_EQ(Cu("Name", "\\Classy").data, Bytes("x\0", 2));
    EXPECT_EQ(Logged(std::string(kCu) + "\\Classy|Name"), "");
}

TEST_F(RegistryEntryTest, TypeSuffixNeedsAnUpperCaseRAfterTheColon) {
    EXPECT_EQ(VisitEntry(RegistryEntry, std::string(kCu) + "|Name:xyz", "a"), 0);
    EXPECT_EQ(Cu("Name:xyz").data, Bytes("a\0", 2));
    EXPECT_EQ(VisitEntry(RegistryEntry, std::string(kCu) + "|Name:reg_sz", "b"), 0);
    EXPECT_EQ(Cu("Name:reg_sz").data, Bytes("b\0", 2));
    EXPECT_EQ(VisitEntry(RegistryEntry, std::string(kCu) + "|Name:reg_sz:REG_DWORD", "c"), 0);
    EXPECT_EQ(Cu("Name:reg_sz:REG_DWORD").type, DWORD(REG_SZ)) << "only the first colon counts";
    EXPECT_EQ(VisitEntry(RegistryEntry, std::string(kCu) + "|Name:REG_FOO", "c"), 0);
    EXPECT_FALSE(Cu("Name").exists);
    EXPECT_EQ(Logged(std::string(kCu) + "|Name"), "") << "an unknown type still records";
    // Behind the R, the type name compares without letter case.
    EXPECT_EQ(VisitEntry(RegistryEntry, std::string(kCu) + "|Up:Reg_dWord", "d"), 0);
    EXPECT_EQ(Cu("Up").type, DWORD(REG_DWORD));
    EXPECT_EQ(Cu("Up").data, Bytes("\x0d\0\0\0", 4));
}

TEST_F(RegistryEntryTest, BinaryAndMultiStringData) {
    EXPECT_EQ(VisitEntry(RegistryEntry, std::string(kCu) + "|Bin:REG_BINARY", "<0102>ab<2f>"), 0);
    EXPECT_EQ(Cu("Bin").type, DWORD(REG_BINARY));
    EXPECT_EQ(Cu("Bin").data, "\x01\x02" "ab/");
    EXPECT_EQ(VisitEntry(RegistryEntry, std::string(kCu) + "|Multi:REG_MULTI_SZ", "one<00>two<0000>"), 0);
    EXPECT_EQ(Cu("Multi").type, DWORD(REG_MULTI_SZ));
    EXPECT_EQ(Cu("Multi").data, Bytes("one\0two\0\0", 9));

    Write(kTestKey, "Three", REG_BINARY, "xyz");
    EXPECT_EQ(VisitEntry(RegistryEntry, std::string(kCu) + "|Three:REG_BINARY_ADD", "<0102>"), 0);
    EXPECT_EQ(Cu("Three").data, "xyz\x01\x02");
    Write(kTestKey, "Text", REG_SZ, Bytes("ab\0", 3));
    EXPECT_EQ(VisitEntry(RegistryEntry, std::string(kCu) + "|Text:REG_BINARY_ADD", "c"), 0);
    EXPECT_EQ(Cu("Text").type, DWORD(REG_BINARY));
    EXPECT_EQ(Cu("Text").data, Bytes("ab\0c", 4));
    EXPECT_EQ(VisitEntry(RegistryEntry, std::string(kCu) + "|Absent:REG_BINARY_ADD", "<ff>"), 0);
    EXPECT_EQ(Cu("Absent").data, "\xff");
    // A present value too large to read counts as absent and is replaced.
    Write(kTestKey, "Huge", REG_BINARY, std::string(2000, 'h'));
    EXPECT_EQ(VisitEntry(RegistryEntry, std::string(kCu) + "|Huge:REG_BINARY_ADD", "h"), 0);
    EXPECT_EQ(Cu("Huge").data, "h");
    // The sum stays within the buffer: the part that does not fit is dropped.
    Write(kTestKey, "Nearly", REG_BINARY, std::string(1022, 'n'));
    EXPECT_EQ(VisitEntry(RegistryEntry, std::string(kCu) + "|Nearly:REG_BINARY_ADD", "abcd"), 0);
    EXPECT_EQ(Cu("Nearly").data, std::string(1022, 'n') + "ab");
}

TEST_F(RegistryEntryTest, MultiStringAdditions) {
    std::string add = std::string(kCu) + "|List:REG_MULTI_SZ_ADD";
    EXPECT_EQ(VisitEntry(RegistryEntry, add, "two"), 0);
    EXPECT_EQ(Cu("List").type, DWORD(REG_MULTI_SZ));
    EXPECT_EQ(Cu("List").data, Bytes("two\0\0", 5));
    Write(kTestKey, "List", REG_MULTI_SZ, Bytes("one\0two\0\0", 9));
    EXPECT_EQ(VisitEntry(RegistryEntry, add, "TWO"), 0);
    EXPECT_EQ(Cu("List").data, Bytes("one\0two\0\0", 9));
    EXPECT_EQ(VisitEntry(RegistryEntry, add, "three"), 0);
    EXPECT_EQ(Cu("List").data, Bytes("one\0two\0three\0\0", 15));

    Write(kTestKey, "List", REG_MULTI_SZ, "one");  // no terminator at all
    EXPECT_EQ(VisitEntry(RegistryEntry, add, "two"), 0);
    EXPECT_EQ(Cu("List").data, Bytes("one\0two\0\0", 9));

    std::string full;
    while (full.size() < 1016) full += "entry" + std::to_string(full.size()) + std::string(1, '\0');
    full.resize(1020);
    full += Bytes("x\0\0", 3);
    Write(kTestKey, "List", REG_MULTI_SZ, full);
    EXPECT_EQ(VisitEntry(RegistryEntry, add, "another"), 0);
    EXPECT_EQ(Cu("List").data, full) << "no room: the list stays as it was";
}

TEST_F(RegistryEntryTest, RecordsByThePresentType) {
    Write(kTestKey, "S", REG_SZ, Bytes("a/b\0", 4));
    Write(kTestKey, "D", REG_DWORD, Bytes("\xff\0\0\0", 4));
    Write(kTestKey, "B", REG_BINARY, "\x01<\x02");
    Write(kTestKey, "M", REG_MULTI_SZ, Bytes("x\0y\0\0", 5));
    Write(kTestKey, "E", REG_EXPAND_SZ, Bytes("e\0", 2));
    Write(kTestKey, "Huge", REG_SZ, std::string(1500, 'h'));
    for (const char* name : {"S", "D", "B", "M", "E", "A", "Huge"})
        EXPECT_EQ(VisitEntry(RegistryEntry, std::string(kCu) + "|" + name, "new"), 0);
    EXPECT_EQ(Logged(std::string(kCu) + "|S"), "a//b");
    EXPECT_EQ(Logged(std::string(kCu) + "|D:REG_DWORD"), "FF");
    EXPECT_EQ(Logged(std::string(kCu) + "|B:REG_BINARY"), "<013c02>");
    EXPECT_EQ(Logged(std::string(kCu) + "|M:REG_MULTI_SZ"), "x<00>y<0000>");
    for (const char* key : {"|E", "|E:REG_DWORD", "|E:REG_BINARY", "|E:REG_MULTI_SZ"})
        EXPECT_EQ(Logged(std::string(kCu) + key), "<none>");
    EXPECT_EQ(Logged(std::string(kCu) + "|A"), "");
    EXPECT_EQ(Logged(std::string(kCu) + "|Huge"), "");
    EXPECT_EQ(Cu("E").data, Bytes("new\0", 4));

    // The first old value stays.
    EXPECT_EQ(VisitEntry(RegistryEntry, std::string(kCu) + "|S", "newer"), 0);
    EXPECT_EQ(Logged(std::string(kCu) + "|S"), "a//b");
}

TEST_F(RegistryEntryTest, NoRecordWithTheFlagOrInRemoveModeAndConditionsApply) {
    EXPECT_EQ(VisitEntry(RegistryEntry, std::string(kCu) + "|F", "1/,-"), 0);
    EXPECT_EQ(Cu("F").data, Bytes("1\0", 2));
    EXPECT_EQ(Logged(std::string(kCu) + "|F"), "<none>");
    gProcess.removeMode = 1;
    EXPECT_EQ(VisitEntry(RegistryEntry, std::string(kCu) + "|R", "1"), 0);
    EXPECT_EQ(VisitEntry(RegistryEntry, std::string(kCu) + "|F", ""), 0);
    EXPECT_EQ(Cu("R").data, Bytes("1\0", 2));
    EXPECT_FALSE(Cu("F").exists);
    EXPECT_EQ(Logged(std::string(kCu) + "|R"), "<none>");

    gProcess.removeMode = 0;
    CopyText(gState->optionCodes, "A");
    EXPECT_EQ(VisitEntry(RegistryEntry, std::string(kCu) + "\\Cond|C", "1/B"), 0);
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, std::string(kTestKey) + "\\Cond"));
    EXPECT_EQ(Logged(std::string(kCu) + "\\Cond|C"), "<none>");
    // The registry visitor does not look at the cancel flag.
    gProcess.cancelFlag = 1;
    EXPECT_EQ(VisitEntry(RegistryEntry, std::string(kCu) + "|C", "1/A"), 0);
    EXPECT_TRUE(Cu("C").exists);
}

TEST_F(RegistryEntryTest, StatusShowsSubkeyValueAndData) {
    StatusWindow status;
    EXPECT_EQ(VisitEntry(RegistryEntry, std::string(kCu) + ":Cls|Val:REG_SZ", "%InstDir%"), 0);
    EXPECT_EQ(status.Text(200), "Modify key:\n\nValue:\n\nData:");
    EXPECT_EQ(status.Text(100), kTestKey);
    EXPECT_EQ(status.Text(110), "Val");
    EXPECT_EQ(status.Text(120), scratch.path());
}

TEST_F(RegistryEntryTest, OverlongTextsRefuseTheEntry) {
    CopyText(AppendVariable("Long")->value, std::string(200, 'l').c_str());
    std::string longName(64, 'n');
    EXPECT_EQ(VisitEntry(RegistryEntry, std::string(kCu) + "\\" + std::string(30, 'k') + "|V", "x"), 0);
    EXPECT_EQ(VisitEntry(RegistryEntry, std::string(kCu) + "|" + longName, "x"), 0);
    EXPECT_EQ(VisitEntry(RegistryEntry, std::string(kCu) + "|V:R" + longName, "x"), 0);
    EXPECT_EQ(VisitEntry(RegistryEntry, "HKEY_CURRENT_USER\\Software:" + longName + "|V", "x"), 0);
    EXPECT_EQ(VisitEntry(RegistryEntry, std::string(kCu) + "|V", "%Long%+%Long%"), 0);
    EXPECT_EQ(VisitEntry(RegistryEntry, "HKEY_CURRENT_USER\\Long\\Long|V", "x"), 0);
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kTestKey));
    EXPECT_EQ(ReadBytes(log), "<missing>");
    // Within the sizes: 255 characters of data are written whole.
    EXPECT_EQ(VisitEntry(RegistryEntry, std::string(kCu) + "|V", "%Long%" + std::string(55, 'm')), 0);
    EXPECT_EQ(Cu("V").data.size(), 256u);
}

// A non-volatile key cannot be made below a volatile one: message 105.
TEST_F(RegistryEntryTest, KeyThatCannotBeCreatedAsksOkCancel) {
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\SettingsTest\\Volatile", 0, nullptr, REG_OPTION_VOLATILE,
                              KEY_WRITE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(key);
    ASSERT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, ".settingstestvolatile", 0, nullptr, REG_OPTION_VOLATILE, KEY_WRITE,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(key);

    MessageBoxAnswerer& answered = Answer({IDOK, IDCANCEL, IDCANCEL});
    EXPECT_EQ(VisitEntry(RegistryEntry, std::string(kCu) + "\\Volatile\\Child:Cls|V", "x"), 0);
    EXPECT_EQ(VisitEntry(RegistryEntry, std::string(kCu) + "\\Volatile\\Child|V", "x"), -1);
    EXPECT_EQ(VisitEntry(RegistryEntry, ".settingstestvolatile\\child", "x"), -1);
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\SettingsTest\\Volatile\\Child"));
    EXPECT_EQ(ReadBytes(log), "<missing>");
    std::vector<std::string> texts = answered.Texts();
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[0], "Cannot create specified key in the regstration database !\nSoftware\\SettingsTest\\Volatile\\Child");
    EXPECT_EQ(texts[2], "Cannot create specified key in the regstration database !\n.settingstestvolatile\\child");
}

}  // namespace
