#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "actions/file_copy.h"
#include "actions/install_pass.h"
#include "pass_fixture.h"

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

using FileCopy = PassFixture;

std::string Entry(char** keys, int keyCount, char** values, int valueCount) {
    return CopyEntry(keys, keyCount, values, valueCount, nullptr) == 0 ? "0" : "not 0";
}

}  // namespace

TEST(CompressedName, Rule) {
    char target[MAX_PATH], media[MAX_PATH];
    EXPECT_EQ(SplitMediaName("setup.exe__", target, media), 1);
    EXPECT_STREQ(target, "setup.exe");
    EXPECT_STREQ(media, "setup.ex_");
    EXPECT_EQ(SplitMediaName("readme.txt_1", target, media), 1);
    EXPECT_STREQ(target, "readme.txt");
    EXPECT_STREQ(media, "readme.tx1");
    EXPECT_EQ(SplitMediaName("a_1", target, media), 1);
    EXPECT_STREQ(target, "a");
    EXPECT_STREQ(media, "1");
    // Too short to leave a name behind, or no marker: taken as written.
    for (const char* name : {"_1", "readme.txt", "x_", "_"}) {
        EXPECT_EQ(SplitMediaName(name, target, media), 0) << name;
        EXPECT_STREQ(target, name);
        EXPECT_STREQ(media, name);
    }
}

TEST_F(FileCopy, ExpandsCompressedAndCopiesPlainInLargeBlocks) {
    std::string text = Pattern(70000);
    WriteAll(dir + "packed", Compress(text));
    EXPECT_EQ(ExpandCopy((dir + "packed").c_str(), (dir + "a\\b\\c\\unpacked").c_str()), 0);
    EXPECT_EQ(ReadAll(dir + "a\\b\\c\\unpacked"), text);

    std::string big = Pattern(2600000);  // several blocks of the copy loop
    WriteAll(dir + "big", big);
    EXPECT_EQ(ExpandCopy((dir + "big").c_str(), (dir + "big.out").c_str()), 0);
    EXPECT_EQ(ReadAll(dir + "big.out"), big);
}

TEST_F(FileCopy, CompressedFileEndingEarlyIsReported) {
    std::string text = Pattern(4000);
    std::string packed = Compress(text);
    WriteAll(dir + "cut", packed.substr(0, packed.size() / 2));
    DialogGuard::answers = {IDRETRY, IDIGNORE};
    EXPECT_EQ(ExpandCopy((dir + "cut").c_str(), (dir + "out").c_str()), 1);
    EXPECT_EQ(Shown(), (std::vector<std::string>(2, "Lempel-Ziv Encoding Error #-3 !")));
    EXPECT_LT(ReadAll(dir + "out").size(), text.size());  // left as far as it came

    gProcess.yesToAll = 1;
    EXPECT_EQ(ExpandCopy((dir + "cut").c_str(), (dir + "out").c_str()), -1);  // Abort
    EXPECT_EQ(Shown().size(), 1u);
}

TEST_F(FileCopy, ReadOnlyTargetReplaced) {
    WriteAll(dir + "new", "new content");
    WriteAll(dir + "old", "old");
    SetFileAttributesA((dir + "old").c_str(), FILE_ATTRIBUTE_READONLY);
    gProcess.yesToAll = 1;
    EXPECT_EQ(ExpandCopy((dir + "new").c_str(), (dir + "old").c_str()), 0);
    EXPECT_EQ(ReadAll(dir + "old"), "new content");
}

TEST_F(FileCopy, MissingSourceAndUncreatableTarget) {
    std::string missing = dir + "nothing.here";
    DialogGuard::answers = {IDRETRY, IDIGNORE};
    EXPECT_EQ(ExpandCopy(missing.c_str(), (dir + "x").c_str()), 1);
    EXPECT_EQ(Shown(), (std::vector<std::string>(2, missing + "\nCannot open specified file !")));

    // A file where a directory should be: the outermost missing directory is
    // the one reported, and the target then cannot be created either.
    WriteAll(dir + "source", "data");
    WriteAll(dir + "blocker", "in the way");
    std::string target = dir + "blocker\\inner\\file.txt";
    DialogGuard::answers = {IDIGNORE, IDIGNORE};
    EXPECT_EQ(ExpandCopy((dir + "source").c_str(), target.c_str()), 1);
    EXPECT_EQ(Shown(), (std::vector<std::string>{dir + "blocker\nCannot create specified directory !!",
                                                 target + "\nCannot create specified file !"}));
    DialogGuard::answers = {IDABORT};
    EXPECT_EQ(ExpandCopy((dir + "source").c_str(), target.c_str()), -1);
    EXPECT_EQ(Shown().size(), 1u);
}

TEST_F(FileCopy, ExistenceTest) {
    BY_HANDLE_FILE_INFORMATION info = {};
    WriteAll(dir + "five", "12345");
    EXPECT_EQ(GetFileInfo((dir + "five").c_str(), &info), 1);
    EXPECT_EQ(info.nFileSizeLow, 5u);
    EXPECT_EQ(GetFileInfo(dir.c_str(), &info), 0);  // a directory is no file
    EXPECT_EQ(GetFileInfo((dir + "none").c_str(), &info), 0);
    HANDLE writer = CreateFileA((dir + "five").c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(GetFileInfo((dir + "five").c_str(), &info), 0);  // held open for writing
    CloseHandle(writer);

    EXPECT_EQ(EnsureDirectory((dir + "x\\y\\z\\file").c_str()), 0);
    EXPECT_TRUE(Exists(dir + "x\\y\\z"));
    EXPECT_EQ(EnsureDirectory((dir + "x\\y\\z\\").c_str()), 1);  // no file part
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

TEST_F(FileCopy, DiskChange) {
    std::string set = dir + "Set\\";
    CreateDirectoryA(set.c_str(), nullptr);
    CreateDirectoryA((set + "disk1").c_str(), nullptr);
    CreateDirectoryA((set + "Disk2").c_str(), nullptr);
    WriteAll(set + "Disk2\\two.txt", "from disk two");
    Script("[disks]\r\n1=First\r\n2=Second\r\n");
    CopyText(gProcess.mediaDirectory, (set + "disk1\\").c_str());
    CopyText(gState->diskInDrive, "1");
    CopyText(gState->currentDisk, "1");

    std::string target = dir + "out\\two.txt";
    char disk[] = "2", path[MAX_PATH], description[] = "Two";
    CopyText(path, target.c_str());
    char* keys[] = {disk, path, nullptr};
    char* values[] = {description, nullptr};
    // Not this disk's entry: nothing happens, not even a disk change.
    EXPECT_EQ(Entry(keys, 2, values, 1), "0");
    EXPECT_STREQ(gState->diskInDrive, "1");
    EXPECT_FALSE(Exists(target));

    // disk1\ moves to its sibling by itself, whatever the letter case.
    CopyText(gState->currentDisk, "2");
    EXPECT_EQ(Entry(keys, 2, values, 1), "0");
    EXPECT_EQ(std::string(gProcess.mediaDirectory), set + "disk2\\");
    EXPECT_STREQ(gState->diskInDrive, "2");
    EXPECT_EQ(ReadAll(target), "from disk two");

    // Without the disk marker the user is asked; Cancel ends the pass.
    CopyText(gProcess.mediaDirectory, set.c_str());
    CopyText(gState->currentDisk, "3");
    char disk3[] = "3";
    keys[0] = disk3;
    CopyText(path, target.c_str());
    EXPECT_EQ(CopyEntry(keys, 2, values, 1, nullptr), -1);
    EXPECT_EQ(Shown(), std::vector<std::string>{"<dialog>"});
    EXPECT_EQ(std::string(gProcess.mediaDirectory), set);
    EXPECT_STREQ(gState->diskInDrive, "2");
}

TEST_F(FileCopy, OverlongTargetIsRefused) {
    CopyText(gState->variables[1].name, "Deep");
    CopyText(gState->variables[1].value, (dir + std::string(250 - dir.size(), 'd')).c_str());
    gState->variableCount = 2;
    WriteAll(std::string(gProcess.mediaDirectory) + "some-long-file-name.txt", "x");
    char disk[] = "1", path[] = "%Deep%\\some-long-file-name.txt", description[] = "Long";
    char* keys[] = {disk, path, nullptr};
    char* values[] = {description, nullptr};
    CopyText(gState->currentDisk, "1");
    CopyText(gState->diskInDrive, "1");
    DialogGuard::answers = {IDRETRY, IDIGNORE};
    EXPECT_EQ(CopyEntry(keys, 2, values, 1, nullptr), 1);
    std::vector<std::string> shown = Shown();
    ASSERT_EQ(shown.size(), 2u);
    // The path fills the message's 256 characters; what shows is the target's start.
    EXPECT_EQ(shown[0].substr(0, 255), (std::string(gState->variables[1].value) + "\\some-long").substr(0, 255));
    EXPECT_FALSE(Exists(gState->variables[1].value));
}
