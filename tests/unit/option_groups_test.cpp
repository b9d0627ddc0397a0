#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "run/setup_state.h"
#include "script/sections.h"
#include "ui/options.h"

namespace {

// Each test reads a script of its own, written to a temporary file, into a
// fresh state record.
class OptionGroups : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(CreateSetupState());
        char directory[MAX_PATH];
        GetTempPathA(sizeof directory, directory);
        ASSERT_NE(GetTempFileNameA(directory, "opt", 0, gProcess.scriptPath), 0u);
    }
    void TearDown() override {
        DeleteFileA(gProcess.scriptPath);
        ReleaseSetupState();
    }

    void Read(const std::string& script) {
        HANDLE file = CreateFileA(gProcess.scriptPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        DWORD written = 0;
        WriteFile(file, script.data(), static_cast<DWORD>(script.size()), &written, nullptr);
        CloseHandle(file);
        gState->optionGroupCount = 0;
        ForEachEntry("options", gProcess.scriptPath, 0, 0, OptionsEntry, nullptr);
    }

    static int Preselected(int group) { return static_cast<unsigned char>(gState->optionCodes[group]); }
    static const OptionGroup& Group(int i) { return gState->optionGroups[i]; }
};

OSVERSIONINFOA Version() {
    OSVERSIONINFOA v = {};
    v.dwOSVersionInfoSize = sizeof v;
    GetVersionExA(&v);
    return v;
}

std::string Num(unsigned long n) { return std::to_string(n); }

TEST_F(OptionGroups, PlainGroupsKeepSectionOrderAndDropIncompleteChoices) {
    Read("[options]\r\nLanguage=LANG\r\nEmpty=MISSING\r\nSize=SIZE\r\n"
         "[LANG]\r\nEnglish=E\r\nNo code=\r\nGerman=G\r\n"
         "[SIZE]\r\nSmall=S\r\nLarge=L\r\n");
    ASSERT_EQ(gState->optionGroupCount, 3);
    EXPECT_STREQ(Group(0).title, "Language");
    ASSERT_EQ(Group(0).count, 2);
    EXPECT_STREQ(Group(0).labels[0], "English");
    EXPECT_STREQ(Group(0).codes[0], "E");
    EXPECT_STREQ(Group(0).labels[1], "German");
    EXPECT_STREQ(Group(0).codes[1], "G");
    // A group whose section is missing still counts, with no choices.
    EXPECT_STREQ(Group(1).title, "Empty");
    EXPECT_EQ(Group(1).count, 0);
    EXPECT_EQ(Group(2).count, 2);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(Preselected(i), 0) << "plain group " << i << " shows its first choice";
}

TEST_F(OptionGroups, PlatformPreselectsTheLastMatchAndComparesMinorOnlyWhenGiven) {
    OSVERSIONINFOA v = Version();
    std::string id = Num(v.dwPlatformId), major = Num(v.dwMajorVersion), minor = Num(v.dwMinorVersion);
    std::string otherMinor = Num(v.dwMinorVersion + 1);
    Read("[options]\r\nSystem=Platform\r\nAgain=PLATFORM\r\n"
         "[Platform]\r\n"
         "Other id/" + Num(v.dwPlatformId + 1) + "/" + major + "=O\r\n"
         "Major only/" + id + "/" + major + "=M\r\n"
         "Exact/" + id + "/" + major + "/" + minor + "=E\r\n"
         "Wrong minor/" + id + "/" + major + "/" + otherMinor + "=W\r\n"
         "Too short/" + id + "=S\r\n");
    ASSERT_EQ(gState->optionGroupCount, 2);
    ASSERT_EQ(Group(0).count, 5) << "every entry with a label and a code is a choice";
    EXPECT_EQ(Preselected(0), 2) << "the exact entry is the last one that matches";
    // The kind and the section name are found whatever their letter case.
    EXPECT_EQ(Preselected(1), 2);

    Read("[options]\r\nSystem=platform\r\n[platform]\r\n"
         "Exact/" + id + "/" + major + "/" + minor + "=E\r\n"
         "Major again/" + id + "/" + major + "=A\r\n");
    EXPECT_EQ(Preselected(0), 1) << "a later match replaces an earlier one";

    Read("[options]\r\nSystem=platform\r\n[platform]\r\nFuture/" + id + "/" + Num(v.dwMajorVersion + 1) + "=F\r\n");
    EXPECT_EQ(Group(0).count, 1);
    EXPECT_EQ(Preselected(0), kNoPreselection);
}

TEST_F(OptionGroups, CodePagePreselectsTheFirstEntryEqualToTheRegistryAcp) {
    char acp[64] = "";
    DWORD size = sizeof acp - 1;
    ASSERT_EQ(RegGetValueA(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Control\\Nls\\CodePage", "ACP",
                           RRF_RT_REG_SZ, nullptr, acp, &size),
              ERROR_SUCCESS);
    std::string page = acp;
    Read("[options]\r\nCode page=CODEPAGE\r\nNone=codepage2\r\n"
         "[CODEPAGE]\r\nOther/" + page + "0=O\r\nFirst/" + page + "=F\r\nSecond/" + page + "=S\r\nNo page=N\r\n"
         "[codepage2]\r\nFirst/" + page + "=F\r\n");
    ASSERT_EQ(Group(0).count, 4);
    EXPECT_EQ(Preselected(0), 1);
    // "codepage2" is not the detection kind: a plain group.
    EXPECT_EQ(Preselected(1), 0);
}

// Sets LogPixels for the test's duration, putting back what was there.
class FontDpi {
public:
    explicit FontDpi(DWORD pixels) {
        RegCreateKeyExA(HKEY_LOCAL_MACHINE, kPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_, nullptr);
        DWORD size = sizeof old_;
        had_ = RegQueryValueExA(key_, "LogPixels", nullptr, nullptr, reinterpret_cast<BYTE*>(&old_), &size) ==
               ERROR_SUCCESS;
        RegSetValueExA(key_, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&pixels), sizeof pixels);
    }
    ~FontDpi() {
        if (had_) RegSetValueExA(key_, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&old_), sizeof old_);
        else RegDeleteValueA(key_, "LogPixels");
        RegCloseKey(key_);
    }

private:
    static constexpr const char* kPath = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\FontDPI";
    HKEY key_ = nullptr;
    DWORD old_ = 0;
    bool had_ = false;
};

TEST_F(OptionGroups, FontSizeOnNtComparesTheNumberWithLogPixels) {
    if (Version().dwPlatformId != VER_PLATFORM_WIN32_NT) GTEST_SKIP() << "an NT platform is needed";
    FontDpi dpi(120);
    Read("[options]\r\nFonts=fsize\r\n[fsize]\r\nSmall/96=S\r\nLarge/0120=L\r\nLarge again/120=A\r\nNo size=N\r\n");
    ASSERT_EQ(Group(0).count, 4);
    EXPECT_EQ(Preselected(0), 1) << "compared as numbers, the first match kept";

    FontDpi other(144);
    Read("[options]\r\nFonts=fsize\r\n[fsize]\r\nSmall/96=S\r\nLarge/120=L\r\n");
    EXPECT_EQ(Preselected(0), kNoPreselection);
}

TEST_F(OptionGroups, TablesStopAtTheirCapacity) {
    std::string script = "[options]\r\n";
    for (int i = 0; i < kMaxOptionGroups + 2; ++i) script += "Group " + std::to_string(i) + "=MANY\r\n";
    script += "[MANY]\r\n";
    for (int i = 0; i < kMaxChoices + 3; ++i) script += "Choice " + std::to_string(i) + "=C" + std::to_string(i) + "\r\n";
    Read(script);
    EXPECT_EQ(gState->optionGroupCount, kMaxOptionGroups);
    EXPECT_STREQ(Group(kMaxOptionGroups - 1).title, "Group 15");
    EXPECT_EQ(Group(0).count, kMaxChoices);
    EXPECT_STREQ(Group(0).codes[kMaxChoices - 1], "C15");
    EXPECT_EQ(gState->componentCount, 0) << "the record beyond the groups is untouched";

    Read("[options]\r\nG=ONE\r\n[ONE]\r\n"
         "A label much longer than sixty-three characters, which is all a label holds=THISCODEISLONGERTHANFIFTEEN\r\n");
    EXPECT_EQ(lstrlenA(Group(0).labels[0]), 63);
    EXPECT_STREQ(Group(0).codes[0], "THISCODEISLONGE");
}

TEST_F(OptionGroups, ChosenCodesJoinInGroupOrder) {
    Read("[options]\r\nA=GA\r\nB=GB\r\nC=GC\r\n[GA]\r\nx=X\r\ny=Y\r\n[GB]\r\none=1\r\ntwo=2\r\n[GC]\r\nz=Z\r\n");
    int chosen[] = {1, 0, -1};
    JoinOptionCodes(chosen, 3);
    EXPECT_STREQ(gState->optionCodes, "Y1") << "a group without a choice adds nothing";

    int outOfRange[] = {5, 1, 0};
    JoinOptionCodes(outOfRange, 3);
    EXPECT_STREQ(gState->optionCodes, "2Z");
}

TEST_F(OptionGroups, ACodeThatDoesNotFitWholeIsLeftOut) {
    Read("[options]\r\nA=GA\r\nB=GB\r\nC=GC\r\n[GA]\r\na=ABCDEFGHIJ\r\n[GB]\r\nb=KLMNOP\r\n[GC]\r\nc=QRSTU\r\n");
    int chosen[] = {0, 0, 0};
    JoinOptionCodes(chosen, 3);
    EXPECT_STREQ(gState->optionCodes, "ABCDEFGHIJQRSTU");
}

}  // namespace
