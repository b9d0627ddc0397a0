#include <gtest/gtest.h>

#include "test_support.h"
#include "base/setup_state.h"
#include "base/text.h"
#include "base/wide_text.h"
#include "script/variables.h"

namespace {

const std::string kKey = "Software\\SettingsTest";
const std::string kCu = "HKEY_CURRENT_USER\\" + kKey;

std::string Bytes(const char* text, size_t length) { return std::string(text, length); }

// The value's data, "<absent>" or "<no key>"; its type into *type.
std::string Read(HKEY root, const std::string& subkey, const char* name, DWORD* type = nullptr) {
    HKEY key;
    if (RegOpenKeyExA(root, subkey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return "<no key>";
    char data[4096];
    DWORD size = sizeof data, scratchType;
    LONG r = RegQueryValueExA(key, name, nullptr, type ? type : &scratchType, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(key);
    return r == ERROR_SUCCESS ? std::string(data, size) : "<absent>";
}

// The value's data as UTF-16, read by the W function: text beyond the
// legacy code page as the registry holds it. "<absent>" when it is not there.
std::wstring CuWide(const char* name) {
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\SettingsTest", 0, KEY_READ, &key) != ERROR_SUCCESS)
        return L"<no key>";
    wchar_t data[1024];
    DWORD size = sizeof data;
    LONG r = RegQueryValueExW(key, Wide(name).c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(key);
    return r == ERROR_SUCCESS ? std::wstring(data, size / sizeof(wchar_t)) : L"<absent>";
}

void WriteWide(const char* name, DWORD type, const std::wstring& data) {
    HKEY key;
    RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\SettingsTest", 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr);
    RegSetValueExW(key, Wide(name).c_str(), 0, type, reinterpret_cast<const BYTE*>(data.data()),
                   static_cast<DWORD>(data.size() * sizeof(wchar_t)));
    RegCloseKey(key);
}

void Write(const char* name, DWORD type, const std::string& data) {
    HKEY key;
    RegCreateKeyExA(HKEY_CURRENT_USER, kKey.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr);
    RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(data.data()), static_cast<DWORD>(data.size()));
    RegCloseKey(key);
}

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
        RegDeleteTreeA(HKEY_CURRENT_USER, kKey.c_str());
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, "SOFTWARE\\SettingsTestApp");
        for (const char* key : {".settingstestabc", ".settingstestvolatile", "SettingsTestLower", "SettingsTestX"})
            RegDeleteTreeA(HKEY_CLASSES_ROOT, key);
    }
    StepResult Visit(const std::string& key, const std::string& value) { return CarryOutEntry(ActionKind::Registry, key, value); }
    std::string Cu(const char* name, DWORD* type = nullptr) { return Read(HKEY_CURRENT_USER, kKey, name, type); }
    std::string Logged(const std::string& key) { return ActionTest::Logged("reg.step1", key); }
};

TEST_F(RegistryEntryTest, StringDwordDeletionAndTheShortForm) {
    DWORD type;
    EXPECT_EQ(Visit("HKEY_LOCAL_MACHINE\\SOFTWARE\\SettingsTestApp|Version:REG_DWORD", "1f"), StepResult::GoOn);
    EXPECT_EQ(Read(HKEY_LOCAL_MACHINE, "SOFTWARE\\SettingsTestApp", "Version", &type), Bytes("\x1f\0\0\0", 4));
    EXPECT_EQ(type, DWORD(REG_DWORD));
    EXPECT_EQ(Visit(kCu + "|Path", "%InstDir%"), StepResult::GoOn);
    EXPECT_EQ(Cu("Path", &type), dir + std::string(1, '\0'));
    EXPECT_EQ(type, DWORD(REG_SZ));
    EXPECT_EQ(Visit(kCu + "|Path:REG_BINARY", ""), StepResult::GoOn);
    EXPECT_EQ(Cu("Path"), "<absent>") << "empty data deletes, whatever the type";
    EXPECT_EQ(Visit(kCu + "\\Fresh|Path", ""), StepResult::GoOn);
    EXPECT_EQ(Read(HKEY_CURRENT_USER, kKey + "\\Fresh", "Path"), "<absent>") << "the key is made all the same";

    gProcess.removeMode = 1;  // the short form does not care
    EXPECT_EQ(Visit(".settingstestabc", "abcfile"), StepResult::GoOn);
    EXPECT_EQ(Read(HKEY_CLASSES_ROOT, ".settingstestabc", "", &type), Bytes("abcfile\0", 8));
    EXPECT_EQ(type, DWORD(REG_SZ));
    EXPECT_EQ(ReadText(log).find("settingstestabc"), std::string::npos) << "the short form makes no record";
}

TEST_F(RegistryEntryTest, KeyPathsClassesAndTypeSuffixes) {
    CopyText(AppendVariable("Sub")->value, "Expanded");
    // A root name in other letter case is none: the path goes under HKEY_CLASSES_ROOT.
    EXPECT_EQ(Visit("hkey_current_user\\SettingsTestLower|V", "x"), StepResult::GoOn);
    EXPECT_EQ(Read(HKEY_CLASSES_ROOT, "SettingsTestLower", "V"), Bytes("x\0", 2));
    EXPECT_EQ(Visit("CLSID\\SettingsTestX|V", "x"), StepResult::GoOn);
    EXPECT_EQ(Read(HKEY_CLASSES_ROOT, "SettingsTestX", "V"), Bytes("x\0", 2));
    // Pieces are whole names; %Name% stays as written.
    EXPECT_EQ(Visit(kCu + "\\Sub|V", "x"), StepResult::GoOn);
    EXPECT_EQ(Read(HKEY_CURRENT_USER, kKey + "\\Expanded", "V"), Bytes("x\0", 2));
    EXPECT_EQ(Visit(kCu + "\\%Sub%|V", "x"), StepResult::GoOn);
    EXPECT_EQ(Read(HKEY_CURRENT_USER, kKey + "\\%Sub%", "V"), Bytes("x\0", 2));

    EXPECT_EQ(Visit(kCu + "\\Classy:MyClass|Name", "x"), StepResult::GoOn);
    HKEY key;
    char keyClass[64] = "";
    DWORD classSize = sizeof keyClass;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, (kKey + "\\Classy").c_str(), 0, KEY_READ, &key), ERROR_SUCCESS);
    RegQueryInfoKeyA(key, keyClass, &classSize, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    RegCloseKey(key);
    EXPECT_STREQ(keyClass, "MyClass");
    EXPECT_EQ(Logged(kCu + "\\Classy|Name"), "");

    // A type only with an upper-case R right after the first colon.
    for (const char* name : {"Name:xyz", "Name:reg_sz", "Name:reg_sz:REG_DWORD"}) {
        EXPECT_EQ(Visit(kCu + "|" + name, "a"), StepResult::GoOn);
        EXPECT_EQ(Cu(name), Bytes("a\0", 2)) << name;
    }
    EXPECT_EQ(Visit(kCu + "|Up:Reg_dWord", "d"), StepResult::GoOn);
    EXPECT_EQ(Cu("Up"), Bytes("\x0d\0\0\0", 4));
    EXPECT_EQ(Visit(kCu + "|Foo:REG_FOO", "c"), StepResult::GoOn);
    EXPECT_EQ(Cu("Foo"), "<absent>");
    EXPECT_EQ(Logged(kCu + "|Foo"), "") << "an unknown type still records";
}

TEST_F(RegistryEntryTest, BinaryAndMultiStringTypes) {
    DWORD type;
    EXPECT_EQ(Visit(kCu + "|Bin:REG_BINARY", "<0102>ab<2f>"), StepResult::GoOn);
    EXPECT_EQ(Cu("Bin", &type), "\x01\x02" "ab/");
    EXPECT_EQ(type, DWORD(REG_BINARY));
    EXPECT_EQ(Visit(kCu + "|Multi:REG_MULTI_SZ", "one<00>two<0000>"), StepResult::GoOn);
    EXPECT_EQ(Cu("Multi", &type), Bytes("one\0two\0\0", 9));
    EXPECT_EQ(type, DWORD(REG_MULTI_SZ));

    Write("Three", REG_BINARY, "xyz");
    EXPECT_EQ(Visit(kCu + "|Three:REG_BINARY_ADD", "<0102>"), StepResult::GoOn);
    EXPECT_EQ(Cu("Three"), "xyz\x01\x02");
    Write("Text", REG_SZ, Bytes("ab\0", 3));  // the present type does not matter
    EXPECT_EQ(Visit(kCu + "|Text:REG_BINARY_ADD", "c"), StepResult::GoOn);
    EXPECT_EQ(Cu("Text", &type), Bytes("ab\0c", 4));
    EXPECT_EQ(type, DWORD(REG_BINARY));
    Write("Huge", REG_BINARY, std::string(2000, 'h'));  // present values are read whole, whatever their size
    EXPECT_EQ(Visit(kCu + "|Huge:REG_BINARY_ADD", "abcd"), StepResult::GoOn);
    EXPECT_EQ(Cu("Huge"), std::string(2000, 'h') + "abcd");

    std::string add = kCu + "|List:REG_MULTI_SZ_ADD";
    EXPECT_EQ(Visit(add, "two"), StepResult::GoOn);
    EXPECT_EQ(Cu("List", &type), Bytes("two\0\0", 5));
    EXPECT_EQ(type, DWORD(REG_MULTI_SZ));
    Write("List", REG_MULTI_SZ, Bytes("one\0two\0\0", 9));
    EXPECT_EQ(Visit(add, "TWO"), StepResult::GoOn);
    EXPECT_EQ(Cu("List"), Bytes("one\0two\0\0", 9));
    Write("List", REG_MULTI_SZ, "one");  // malformed: no terminator at all
    EXPECT_EQ(Visit(add, "two"), StepResult::GoOn);
    EXPECT_EQ(Cu("List"), Bytes("one\0two\0\0", 9));
    std::string full = std::string(1020, 'f') + Bytes("\0x\0\0", 4);
    Write("List", REG_MULTI_SZ, full);
    EXPECT_EQ(Visit(add, "another"), StepResult::GoOn);
    EXPECT_EQ(Cu("List"), std::string(1020, 'f') + Bytes("\0x\0another\0\0", 12));

    // Text beyond the legacy code page is stored as UTF-16: a string, each
    // string of a list and the list's end; letter case is put aside for
    // every letter. Bytes of the code page spelled in groups (an old
    // script's "<e9>") are read as the code page's characters.
    EXPECT_EQ(Visit(kCu + "|Uni", "Caf\xc3\xa9 \xce\xa9mega \xe4\xb8\xad\xe6\x96\x87"), StepResult::GoOn);
    EXPECT_TRUE(CuWide("Uni") == std::wstring(L"Caf\u00e9 \u03a9mega \u4e2d\u6587") + L'\0');
    EXPECT_EQ(Visit(kCu + "|UniList:REG_MULTI_SZ", "Caf\xc3\xa9<00>\xce\xa9mega \xe4\xb8\xad\xe6\x96\x87<0000>"),
              StepResult::GoOn);
    const std::wstring list(L"Caf\u00e9\0\u03a9mega \u4e2d\u6587\0\0", 15);
    EXPECT_TRUE(CuWide("UniList") == list);
    EXPECT_EQ(Visit(kCu + "|UniList:REG_MULTI_SZ_ADD", "\xcf\x89MEGA \xe4\xb8\xad\xe6\x96\x87"), StepResult::GoOn);
    EXPECT_TRUE(CuWide("UniList") == list) << "on the list already, letter case aside";
    EXPECT_EQ(Visit(kCu + "|UniList:REG_MULTI_SZ_ADD", "\xe4\xb8\xad"), StepResult::GoOn);
    EXPECT_TRUE(CuWide("UniList") == list.substr(0, 14) + std::wstring(L"\u4e2d\0\0", 3));
    EXPECT_EQ(Visit(kCu + "|OldList:REG_MULTI_SZ", "caf<e9><0000>"), StepResult::GoOn);
    EXPECT_TRUE(CuWide("OldList") == std::wstring(L"caf\u00e9\0\0", 6));
}

// Data that does not read as its type is reported, not stored as a guess:
// hex numbers beyond 32 bits, escaped text with digits that are none, odd
// pairs or an open group. OK skips the entry; nothing is made or recorded.
TEST_F(RegistryEntryTest, DataThatIsNotItsTypeIsReported) {
    MessageBoxes& answered = Answer({IDOK, IDOK, IDOK, IDOK, IDOK, IDOK, IDCANCEL});
    for (const char* entry : {"D:REG_DWORD=not hex", "D:REG_DWORD=123456789", "B:REG_BINARY=<0g>", "B:REG_BINARY=<012>",
                              "B:REG_BINARY_ADD=<01", "M:REG_MULTI_SZ=a<0A>"}) {
        std::string text(entry);
        size_t equals = text.find('=');
        EXPECT_EQ(Visit(kCu + "|" + text.substr(0, equals), text.substr(equals + 1)), StepResult::Skipped) << entry;
    }
    EXPECT_EQ(Visit(kCu + "|D:REG_DWORD", "1ffffffff"), StepResult::Abort);
    EXPECT_EQ(Cu("D"), "<no key>");
    EXPECT_EQ(ReadBytes(log), "<missing>");
    ASSERT_EQ(answered.Texts().size(), 7u);
    EXPECT_EQ(answered.Texts()[0].find("\nCannot carry out specified entry as written !"), 3u);
    EXPECT_EQ(Visit(kCu + "|D:REG_DWORD", "0000001f"), StepResult::GoOn);
    EXPECT_EQ(Cu("D"), Bytes("\x1f\0\0\0", 4));
}

TEST_F(RegistryEntryTest, RecordsByThePresentType) {
    Write("S", REG_SZ, Bytes("a/b\0", 4));
    Write("D", REG_DWORD, Bytes("\xff\0\0\0", 4));
    Write("B", REG_BINARY, "\x01<\x02");
    Write("M", REG_MULTI_SZ, Bytes("x\0y\0\0", 5));
    Write("E", REG_EXPAND_SZ, Bytes("e\0", 2));
    Write("Huge", REG_SZ, std::string(1500, 'h'));
    WriteWide("U", REG_SZ, std::wstring(L"\u03a9mega \u4e2d\u6587", 8) + L'\0');
    WriteWide("UM", REG_MULTI_SZ, std::wstring(L"\u03a9mega\0\u4e2d\u6587\0\0", 10));
    WriteWide("Lone", REG_SZ, std::wstring(L"a\xd800" L"b", 3));  // a lone surrogate: no text to record
    const std::wstring lone = CuWide("Lone");
    // The log has no type for REG_EXPAND_SZ, nor text for a lone surrogate: reported, skipped.
    MessageBoxes& answered = Answer({IDOK, IDOK});
    for (const char* name : {"S", "D", "B", "M", "A", "Huge", "U", "UM"})
        EXPECT_EQ(Visit(kCu + "|" + name, "new"), StepResult::GoOn);
    EXPECT_EQ(Visit(kCu + "|E", "new"), StepResult::Skipped);
    EXPECT_EQ(Cu("E"), Bytes("e\0", 2));
    EXPECT_EQ(Visit(kCu + "|Lone", "new"), StepResult::Skipped);
    EXPECT_TRUE(CuWide("Lone") == lone && lone.substr(0, 3) == std::wstring(L"a\xd800" L"b", 3));
    ASSERT_EQ(answered.Texts().size(), 2u);
    EXPECT_EQ(answered.Texts()[0].find("\nThe old value cannot be recorded for removal !"), 3u);
    EXPECT_EQ(Logged(kCu + "|U"), "\xce\xa9mega \xe4\xb8\xad\xe6\x96\x87") << "the engine's text, UTF-8";
    EXPECT_EQ(Logged(kCu + "|UM:REG_MULTI_SZ"), "<cea9>mega<00e4b8ade696870000>");
    EXPECT_EQ(Visit(kCu + "|S", "newer"), StepResult::GoOn);
    EXPECT_EQ(Logged(kCu + "|S"), "a//b") << "the first old value, its '/' doubled";
    EXPECT_EQ(Logged(kCu + "|D:REG_DWORD"), "FF");
    EXPECT_EQ(Logged(kCu + "|B:REG_BINARY"), "<013c02>");
    EXPECT_EQ(Logged(kCu + "|M:REG_MULTI_SZ"), "x<00>y<0000>");
    for (const char* suffix : {"", ":REG_DWORD", ":REG_BINARY", ":REG_MULTI_SZ"})
        EXPECT_EQ(Logged(kCu + "|E" + suffix), "<none>");
    EXPECT_EQ(Logged(kCu + "|A"), "");
    EXPECT_EQ(Logged(kCu + "|Huge"), std::string(1500, 'h'));

    EXPECT_EQ(Visit(kCu + "|F", "1/,-"), StepResult::GoOn);
    gProcess.removeMode = 1;
    EXPECT_EQ(Visit(kCu + "|R", "1"), StepResult::GoOn);
    EXPECT_EQ(Cu("F") + Cu("R"), Bytes("1\0" "1\0", 4));
    EXPECT_EQ(Logged(kCu + "|F") + Logged(kCu + "|R"), "<none><none>");

    CopyText(gState->optionCodes, "A");
    gState->pass.cancelFlag = 1;  // not looked at by this visitor
    EXPECT_EQ(Visit(kCu + "|C", "1/B"), StepResult::GoOn);
    EXPECT_EQ(Visit(kCu + "|C2", "1/A"), StepResult::GoOn);
    EXPECT_EQ(Cu("C") + Cu("C2"), std::string("<absent>") + Bytes("1\0", 2));
}

// Cut paths or names would change values the script did not name: they are
// reported, and OK skips the entry. Data is taken whole.
TEST_F(RegistryEntryTest, OverlongNamesReportedLongDataWhole) {
    CopyText(AppendVariable("Long")->value, std::string(200, 'l').c_str());
    CopyText(AppendVariable("Classy")->value, ("App:" + std::string(256, 'c')).c_str());
    MessageBoxes& answered = Answer({IDOK, IDOK, IDOK, IDOK, IDOK});
    // The platform's limits: 259 characters of key path, 255 of value name or class.
    for (const std::string& key : {kCu + "\\" + std::string(230, 'k') + "|V", kCu + "|" + std::string(256, 'n'),
                                   kCu + "|V:R" + std::string(64, 't'), std::string("HKEY_CURRENT_USER\\Classy|V"),
                                   std::string("HKEY_CURRENT_USER\\Long\\Long|V")})
        EXPECT_EQ(Visit(key, "x"), StepResult::Skipped) << key;
    EXPECT_EQ(answered.Texts().size(), 5u);
    EXPECT_EQ(Cu("V"), "<no key>");
    EXPECT_EQ(ReadBytes(log), "<missing>");
    EXPECT_EQ(Visit(kCu + "|V", "%Long%+%Long%"), StepResult::GoOn);
    EXPECT_EQ(Cu("V"), std::string(200, 'l') + "+" + std::string(200, 'l') + '\0');
}

bool KeyThere(const std::string& subkey) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, subkey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

// The outermost key an entry makes is recorded before it is made; carried
// out, that record deletes the key and the keys below it that hold nothing,
// deepest first, and never a key that was there before or holds a value.
TEST_F(RegistryEntryTest, MadeKeysRecordedAndRemovedOnceEmpty) {
    HKEY before;  // kKey was there before the install, empty
    RegCreateKeyExA(HKEY_CURRENT_USER, kKey.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &before, nullptr);
    RegCloseKey(before);
    EXPECT_EQ(Visit(kCu + "\\Made\\Deep|V", "x"), StepResult::GoOn);
    EXPECT_EQ(Visit(kCu + "\\Made\\Deep|W", "y"), StepResult::GoOn);
    EXPECT_EQ(ActionTest::Logged("reg.step3", kCu + "\\Made|:REG_REMOVE_EMPTY_KEYS"), "Key made by the install");
    EXPECT_EQ(ProfileText(log, "reg.step3", kCu + "|:REG_REMOVE_EMPTY_KEYS"), "<none>");
    HKEY other;
    RegCreateKeyExA(HKEY_CURRENT_USER, (kKey + "\\Made\\Other").c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &other,
                    nullptr);
    RegSetValueExA(other, "Theirs", 0, REG_SZ, reinterpret_cast<const BYTE*>("z"), 2);
    RegCloseKey(other);

    gProcess.removeMode = 1;
    const std::string removeKeys = kCu + "\\Made|:REG_REMOVE_EMPTY_KEYS";
    EXPECT_EQ(Visit(kCu + "\\Made\\Deep|V", ""), StepResult::GoOn);
    EXPECT_EQ(Visit(kCu + "\\Made\\Deep|W", ""), StepResult::GoOn);
    EXPECT_EQ(Visit(removeKeys, "Key made by the install"), StepResult::GoOn);
    EXPECT_FALSE(KeyThere(kKey + "\\Made\\Deep"));
    EXPECT_TRUE(KeyThere(kKey + "\\Made\\Other")) << "a key that holds a value stays, and its parents";
    RegDeleteKeyValueA(HKEY_CURRENT_USER, (kKey + "\\Made\\Other").c_str(), "Theirs");
    EXPECT_EQ(Visit(removeKeys, "Key made by the install"), StepResult::GoOn);
    EXPECT_FALSE(KeyThere(kKey + "\\Made"));
    EXPECT_TRUE(KeyThere(kKey)) << "the key from before stays, empty as it was";
    EXPECT_EQ(Visit(removeKeys, "Key made by the install"), StepResult::GoOn);
    EXPECT_FALSE(KeyThere(kKey + "\\Made")) << "a missing key is not made again";
}

// A value the registry refuses to take (here: its key deleted after it was
// opened, while the user was asked about the log) is reported, naming the
// entry, with Abort/Retry/Ignore.
TEST_F(RegistryEntryTest, ValueTheRegistryRefusesIsReported) {
    Write("Other", REG_SZ, "x");  // the key is there: only the value's record is asked about
    CopyText(gState->variables[0].value, "Z:\\dev\\full");
    MessageBoxes& answered = Answer({IDIGNORE, IDABORT}, [](size_t n) {
        if (n == 0) RegDeleteTreeA(HKEY_CURRENT_USER, kKey.c_str());
    });
    EXPECT_EQ(Visit(kCu + "|Name", "data"), StepResult::Abort);
    std::vector<std::string> texts = answered.Texts();
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[1], "Cannot write specified value in the registration database !\n" + kCu + "|Name");
}

// A non-volatile key cannot be made below a volatile one: message 105.
TEST_F(RegistryEntryTest, KeyThatCannotBeCreatedAsksOkCancel) {
    HKEY key;
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_CLASSES_ROOT}) {
        const char* path = root == HKEY_CURRENT_USER ? "Software\\SettingsTest\\Volatile" : ".settingstestvolatile";
        ASSERT_EQ(RegCreateKeyExA(root, path, 0, nullptr, REG_OPTION_VOLATILE, KEY_WRITE, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        RegCloseKey(key);
    }
    MessageBoxes& answered = Answer({IDOK, IDCANCEL, IDCANCEL});
    EXPECT_EQ(Visit(kCu + "\\Volatile\\Child:Cls|V", "x"), StepResult::Skipped);
    EXPECT_EQ(Visit(kCu + "\\Volatile\\Child|V", "x"), StepResult::Abort);
    EXPECT_EQ(Visit(".settingstestvolatile\\child", "x"), StepResult::Abort);
    // Only the key it was about to make was recorded, before it tried: a
    // removal finds no such key and leaves everything as it is.
    EXPECT_EQ(ReadText(log), "[reg.step3]\r\n" + kCu +
                                  "\\Volatile\\Child|:REG_REMOVE_EMPTY_KEYS=Key made by the install\r\n");
    std::vector<std::string> texts = answered.Texts();
    ASSERT_EQ(texts.size(), 3u);
    const std::string message = "Cannot create specified key in the regstration database !\n";
    EXPECT_EQ(texts[0], message + kKey + "\\Volatile\\Child");
    EXPECT_EQ(texts[2], message + ".settingstestvolatile\\child");
}

}  // namespace
