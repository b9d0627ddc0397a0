#include <windows.h>
#include <gtest/gtest.h>

#include <string>

#include "test_support.h"
#include "actions/expand_copy.h"
#include "ui/overwrite_dialog.h"
#include "base/compressed_header.h"
#include "actions/records.h"
#include "base/file_system.h"
#include "base/media_crc.h"
#include "base/media_source.h"
#include "base/setup_state.h"
#include "base/text.h"
#include "base/wide_text.h"

namespace {

// data in the LZ library's compressed format, every byte a literal.
std::string Compress(const std::string& data) {
    std::string out("SZDD\x88\xf0\x27\x33" "A", 9);
    out += '\0';
    unsigned length = static_cast<unsigned>(data.size());
    for (int i = 0; i < 4; ++i) out += static_cast<char>((length >> (8 * i)) & 0xFF);
    for (size_t at = 0; at < data.size(); at += 8) {
        out += '\xff';
        out += data.substr(at, 8);
    }
    return out;
}

std::string Pattern(size_t size) {
    std::string data(size, '\0');
    unsigned x = 12345;
    for (char& c : data) c = static_cast<char>((x = x * 1103515245 + 12345) >> 16);
    return data;
}

// Files by the W functions, for names beyond the legacy code page (the A
// functions would make and read a best fit).
bool WriteNamed(const std::string& path, const std::string& bytes) {
    HANDLE file = CreateFileW(Wide(path.c_str()).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD put = 0;
    bool whole = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr) && put == bytes.size();
    return CloseHandle(file) && whole;
}

// Makes each folder of a path that ends in a backslash, from `from` on.
bool MakeFolders(const std::string& path, size_t from) {
    for (size_t at = path.find('\\', from); at != std::string::npos; at = path.find('\\', at + 1))
        if (!CreateDirectoryW(Wide(path.c_str(), at).c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
            return false;
    return true;
}

std::string ReadNamed(const std::string& path) {
    HANDLE file = CreateFileW(Wide(path.c_str()).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE) return "<missing>";
    std::string bytes;
    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
    CloseHandle(file);
    return bytes;
}

using FileCopy = PassFixture;

std::string Crc(const std::string& bytes) {
    char text[9];
    FormatCrc(Crc32Of(bytes.data(), bytes.size()), text);
    return text;
}

}  // namespace

// Only a file that starts with the whole signature is taken for a
// compressed one; its header must then be whole and name the method 'A'.
TEST(CompressedHeader, DamageAndItsCode) {
    auto check = [](const std::string& start) {
        return CheckCompressedHeader(reinterpret_cast<const unsigned char*>(start.data()), start.size());
    };
    EXPECT_EQ(check(Compress("sound")), 0);
    EXPECT_EQ(check(""), 0);
    EXPECT_EQ(check("SZDD plain text that starts like one"), 0);
    EXPECT_EQ(check(std::string("SZDD\x88\xf0\x27", 7)), 0);
    EXPECT_EQ(check(Compress("sound").substr(0, 13)), kLzErrorRead);
    EXPECT_EQ(check(std::string("SZDD\x88\xf0\x27\x33", 8)), kLzErrorRead);
    std::string method = Compress("sound");
    method[8] = 'B';
    EXPECT_EQ(check(method), kLzErrorUnknownMethod);
}

TEST_F(FileCopy, ExpandsCompressedAndCopiesPlainInLargeBlocks) {
    std::string text = Pattern(70000);
    WriteBytes(Path("packed"), Compress(text));
    EXPECT_EQ(ExpandCopy(Path("packed").c_str(), Path("a\\b\\c\\unpacked").c_str()), StepResult::GoOn);
    EXPECT_EQ(ReadBytes(Path("a\\b\\c\\unpacked")), text);

    std::string big = Pattern(2600000);  // several blocks of the copy loop
    WriteBytes(Path("big"), big);
    EXPECT_EQ(ExpandCopy(Path("big").c_str(), Path("big.out").c_str()), StepResult::GoOn);
    EXPECT_EQ(ReadBytes(Path("big.out")), big);
}

// Media and targets whose paths the LZ library's own open could not take:
// longer than the 128 characters of its open-file record, or named beyond
// the legacy code page. A name that is not there is looked for under its
// compressed name, as the library's open would (its last character '_').
TEST_F(FileCopy, MediaInADeepDirectory) {
    const std::string cafe = "Caf\xc3\xa9 \xce\xa9mega \xe4\xb8\xad\xe6\x96\x87";  // "Café Ωmega 中文"
    const struct {
        std::string media, target, asked, packed, plain;
    } rows[] = {
        {Path(std::string(70, 'm')) + "\\" + std::string(70, 'n') + "\\", Path("out\\"), "packed", "packed",
         "plain"},
        {Path(cafe) + "\\", Path(cafe + " out\\"), "\xce\xa9.dat", "\xce\xa9.da_", "\xe4\xb8\xad\xe6\x96\x87.txt"},
        {Path(cafe) + "\\", Path(cafe + " out\\"), "\xe6\x96\x87.\xce\xa9\xce\xa9\xce\xa9", "\xe6\x96\x87.\xce\xa9\xce\xa9_",
         "plain"},
    };
    const std::string text = Pattern(30000);
    for (const auto& row : rows) {
        ASSERT_TRUE(MakeFolders(row.media, dir.size() + 1) && MakeFolders(row.target, dir.size() + 1)) << row.target;
        ASSERT_TRUE(WriteNamed(row.media + row.packed, Compress(text)));
        ASSERT_TRUE(WriteNamed(row.media + row.plain, text));
        EXPECT_EQ(ExpandCopy((row.media + row.asked).c_str(), (row.target + row.plain).c_str()), StepResult::GoOn);
        EXPECT_EQ(ReadNamed(row.target + row.plain), text) << row.target + row.plain;
        EXPECT_EQ(ExpandCopy((row.media + row.plain).c_str(), (row.target + row.packed).c_str()), StepResult::GoOn);
        EXPECT_EQ(ReadNamed(row.target + row.packed), text) << row.target + row.packed;
        // The scratch directory's own clean-up reads names through the A functions.
        for (const std::string& file : {row.media + row.packed, row.media + row.plain, row.target + row.packed,
                                        row.target + row.plain})
            DeleteFileW(Wide(file.c_str()).c_str());
        for (const std::string& folder : {row.media, row.target})
            RemoveDirectoryW(Wide(folder.c_str(), folder.size() - 1).c_str());
    }
    EXPECT_TRUE(boxes.Texts().empty());
}

TEST_F(FileCopy, ExistenceTest) {
    BY_HANDLE_FILE_INFORMATION info = {};
    WriteBytes(Path("five"), "12345");
    EXPECT_EQ(GetFileInfo(Path("five").c_str(), &info), 1);
    EXPECT_EQ(info.nFileSizeLow, 5u);
    EXPECT_EQ(GetFileInfo((dir + "\\").c_str(), &info), 0);  // a directory is no file
    EXPECT_EQ(GetFileInfo(Path("none").c_str(), &info), 0);
    HANDLE writer = CreateFileA(Path("five").c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(GetFileInfo(Path("five").c_str(), &info), 0);  // held open for writing
    CloseHandle(writer);

    EXPECT_EQ(EnsureDirectory(Path("x\\y\\z\\file").c_str()), StepResult::GoOn);
    EXPECT_TRUE(Exists(Path("x\\y\\z")));
    EXPECT_EQ(EnsureDirectory(Path("x\\y\\z\\").c_str()), StepResult::Skipped);  // no file part
}

TEST_F(FileCopy, OverwriteTextFormats) {
    BY_HANDLE_FILE_INFORMATION target = {}, source = {};
    target.nFileSizeLow = 5 * 1024 + 1023;
    source.nFileSizeLow = 1023;
    SYSTEMTIME when = {2001, 2, 0, 3, 4, 5, 6, 0};
    FILETIME local;
    SystemTimeToFileTime(&when, &local);
    LocalFileTimeToFileTime(&local, &target.ftLastWriteTime);
    source.ftLastWriteTime = target.ftLastWriteTime;
    char date[64], time[64];
    GetDateFormatA(LOCALE_SYSTEM_DEFAULT, DATE_LONGDATE, &when, nullptr, date, sizeof date);
    GetTimeFormatA(LOCALE_SYSTEM_DEFAULT, TIME_NOSECONDS, &when, nullptr, time, sizeof time);
    std::string stamp = std::string(date) + ", " + time;

    OverwriteRequest both = {"C:\\APP\\A.DLL", "A:\\A.DLL", &source, &target};
    char text[1024];
    FormatOverwriteText(text, sizeof text, &both);
    EXPECT_EQ(std::string(text), "C:\\APP\\A.DLL\n5KB\nmodified  on " + stamp + "\nA:\\A.DLL\n0KB\nmodified  on " +
                                     stamp);
    OverwriteRequest font = {"C:\\WINDOWS\\F.FOT", "New Font Resource file", nullptr, &target};
    FormatOverwriteText(text, sizeof text, &font);
    EXPECT_EQ(std::string(text), "C:\\WINDOWS\\F.FOT\n5KB\nmodified  on " + stamp + "\nNew Font Resource file");
    FormatOverwriteText(text, 16, &font);  // bounded
    EXPECT_EQ(std::string(text), "C:\\WINDOWS\\F.FO");
}

TEST_F(FileCopy, OverlongTargetIsRefused) {
    const std::string deep = Path(std::string(250 - dir.size() - 1, 'd'));
    SetVariable("Deep", deep);
    WriteBytes(std::string(gProcess.mediaDirectory) + "some-long-file-name.txt", "x");
    Answer({IDRETRY, IDIGNORE});
    EXPECT_EQ(CarryOutEntry(ActionKind::Copy, "1:%Deep%\\some-long-file-name.txt", "Long"), StepResult::Skipped);
    const std::vector<std::string>& shown = boxes.Texts();
    ASSERT_EQ(shown.size(), 2u);
    // The path is shortened at its start; its end and the message's own line show.
    const std::string tail = "\\some-lon\nCannot create specified file !";
    ASSERT_GT(shown[0].size(), tail.size());
    EXPECT_EQ(shown[0].substr(shown[0].size() - tail.size()), tail) << shown[0];
    EXPECT_FALSE(Exists(deep));
}

// Sources are read from the media under the target's file name. A file name
// that a variable (say one read from the registry) makes into a path would
// reach outside the media: the entry is refused as a file that cannot be
// opened. A target or media name the platform takes for a device (NUL.txt;
// NUx_L is read as NUL) is refused as a file that cannot be created. Either
// way nothing is read, written or recorded.
TEST_F(FileCopy, NamesThatLeaveTheMediaOrNameADeviceAreRefused) {
    WriteBytes(Path("secret.txt"), "not on the media");
    SetVariable("Name", "..\\secret.txt");
    const std::string media = gProcess.mediaDirectory;
    const std::pair<std::string, std::string> rows[] = {
        {"%Dir%\\out\\deeper\\%Name%", media + "..\\secret.txt\nCannot open specified file !"},
        {"%Dir%\\out\\nul.txt", Path("out\\nul.txt") + "\nCannot create specified file !"},
        {"%Dir%\\out\\NUx_L", media + "NUL\nCannot create specified file !"},
    };
    Answer({IDIGNORE, IDIGNORE, IDIGNORE});
    std::vector<std::string> shown;
    for (const auto& [path, text] : rows) {
        EXPECT_EQ(CarryOutEntry(ActionKind::Copy, "1:" + path, "Nowhere"), StepResult::Skipped) << path;
        shown.push_back(text);
        EXPECT_EQ(boxes.Texts(), shown) << path;
        EXPECT_FALSE(Exists(Path("out"))) << path;
        EXPECT_EQ(ReadBytes(log), "<missing>") << path;
    }
}

// Files of a media folder whose script lists them in [media.crc] are checked
// against it by the installer itself, before any byte reaches a target: a
// file that does not match, or whose compressed data do not expand to the
// length its header states, is refused naming it (Ignore passes it over),
// and a file it was to replace keeps its bytes. A name is looked up without
// letter case, the first of two lines counts, and a file the section does
// not list, or lists without a CRC-32, is copied as before. Files larger
// than a read are proved in a pass of their own.
TEST_F(FileCopy, FolderMediaAreCheckedAgainstMediaCrc) {
    const std::string text = Pattern(70000), big = Pattern(2600000);
    std::string cut = Compress(text);
    cut.resize(cut.size() - 100);
    std::string changed = big;
    changed[2500000] ^= 0x20;
    struct Row {
        const char* entry;   // the copy entry's file name
        const char* media;   // as it lies on the media
        std::string stored;
        std::string listed;  // the line of [media.crc]
        bool installed;
    } rows[] = {
        {"small.txt", "small.txt", text, "small.txt=" + Crc(text), true},
        {"packed.txt__", "packed.tx_", Compress(text), "PACKED.TX_=" + Crc(Compress(text)), true},
        {"big.bin", "big.bin", big, "big.bin=" + Crc(big), true},
        {"huge.dat__", "huge.da_", Compress(big), "huge.da_=" + Crc(Compress(big)), true},
        {"unlisted.txt", "unlisted.txt", text, "", true},
        {"typo.txt", "typo.txt", text, "typo.txt=CRC", true},
        {"first.txt", "first.txt", text, "first.txt=" + Crc(text) + "\r\nfirst.txt=" + Crc(big), true},
        {"bad.txt", "bad.txt", text, "BAD.TXT=" + Crc(big), false},
        {"changed.bin", "changed.bin", changed, "changed.bin=" + Crc(big), false},
        {"cut.txt__", "cut.tx_", cut, "cut.tx_=" + Crc(cut), false},
    };
    std::string section = "[media.crc]\r\n";
    for (const Row& row : rows) {
        WriteBytes(gProcess.mediaDirectory + std::string(row.media), row.stored);
        if (!row.listed.empty()) section += row.listed + "\r\n";
    }
    Script(section);
    ASSERT_TRUE(ReadMediaCrcs(gProcess.scriptPath));
    WriteBytes(Path("bad.txt"), "the file before");
    gState->pass.yesToAll = 1;
    std::vector<std::string> asked;
    for (const Row& row : rows) {
        const std::string target = std::string(row.entry).substr(0, std::string(row.entry).find("__"));
        Answer({IDRETRY, IDIGNORE});
        // Ignore passes a file over: at once, or as its copy in flight lands.
        EXPECT_NE(CarryOutEntry(ActionKind::Copy, "1:%Dir%\\" + std::string(row.entry), "File"), StepResult::Abort)
            << row.entry;
        EXPECT_EQ(LandCopyInFlight(), StepResult::GoOn) << row.entry;
        const std::string damaged = gProcess.mediaDirectory + std::string(row.media) +
                                    "\nThe file on the media is damaged or changed while it was read: it is not "
                                    "installed !";
        if (!row.installed) asked.insert(asked.end(), {damaged, damaged});  // asked again after Retry
        EXPECT_EQ(boxes.Texts(), asked) << row.entry;
        const std::string expanded = row.stored == big || row.stored == Compress(big) ? big : text;
        EXPECT_EQ(ReadBytes(Path(target)), row.installed                ? expanded
                                           : target == "bad.txt" ? "the file before"
                                                                 : "<missing>")
            << row.entry;
    }
}
