#include <gtest/gtest.h>

#include <string>

#include "action_test_support.h"
#include "actions/text_lines.h"

namespace {

class TextLinesTest : public testing::Test {
protected:
    struct Outcome {
        int result;
        std::string bytes;
        std::string oldLine;
    };

    // Runs one edit on a file holding `content` ("<missing>": no file).
    Outcome Edit(const std::string& content, const char* section, const char* key, const char* newLine) {
        if (content == "<missing>") DeleteFileA(file.c_str());
        else WriteBytes(file, content);
        char oldLine[kLineSize] = "<untouched>";
        int result = EditTextFile(section, key, newLine, oldLine, sizeof oldLine, file.c_str());
        EXPECT_EQ(scratch.Files().size(), 1u) << "a temporary file was left behind";
        return {result, ReadBytes(file), oldLine};
    }

    ScratchDirectory scratch;
    std::string file = scratch / "t.ini";
    MessageBoxAnswerer boxes;  // none expected: any box is answered and fails the test below
    void TearDown() override { EXPECT_TRUE(boxes.Texts().empty()); }
};

const char kBoot[] = "[boot]\r\nshell=progman.exe\r\ndrivers=mmsystem.dll\r\n; sound\r\n\r\n[386Enh]\r\ndevice=*vpd\r\n";

TEST_F(TextLinesTest, KeyMatchesAnywhereWithoutLetterCaseButNotInComments) {
    Outcome o = Edit(kBoot, "BOOT", "PROGMAN", "shell=new.exe");
    EXPECT_EQ(o.result, 1);
    EXPECT_EQ(o.bytes, "[boot]\r\nshell=new.exe\r\ndrivers=mmsystem.dll\r\n; sound\r\n\r\n[386Enh]\r\ndevice=*vpd\r\n");
    EXPECT_EQ(o.oldLine, "shell=progman.exe");

    // The second 'a' broke the partial match and is not tried again as a first character.
    o = Edit("[s]\r\naabc\r\n", "s", "abc", "new");
    EXPECT_EQ(o.bytes, "[s]\r\naabc\r\nnew\r\n");
    EXPECT_EQ(o.oldLine, "<untouched>");

    o = Edit("[s]\r\n; drivers=old.dll\r\nx=1\r\n", "s", "drivers=", "drivers=new.dll");
    EXPECT_EQ(o.bytes, "[s]\r\n; drivers=old.dll\r\nx=1\r\ndrivers=new.dll\r\n");

    // A header line is searched too before it ends the section.
    o = Edit(kBoot, "boot", "[386", "[Other]");
    EXPECT_EQ(o.bytes, "[boot]\r\nshell=progman.exe\r\ndrivers=mmsystem.dll\r\n; sound\r\n\r\n[Other]\r\ndevice=*vpd\r\n");
}

TEST_F(TextLinesTest, WhereANewLineGoes) {
    // An empty key finds no line: right after the header.
    Outcome o = Edit(kBoot, "boot", "", "first=1");
    EXPECT_EQ(o.bytes,
              "[boot]\r\nfirst=1\r\nshell=progman.exe\r\ndrivers=mmsystem.dll\r\n; sound\r\n\r\n[386Enh]\r\ndevice=*vpd\r\n");
    EXPECT_EQ(o.oldLine, "<untouched>");

    // "none" is what comes before the first header.
    o = Edit("a=1\r\n; c\r\n\r\n[s]\r\nb=2\r\n", "NONE", "z", "z=9");
    EXPECT_EQ(o.bytes, "a=1\r\nz=9\r\n; c\r\n\r\n[s]\r\nb=2\r\n");
    o = Edit("; only a comment\r\n[s]\r\n", "none", "z", "z=9");
    EXPECT_EQ(o.bytes, "z=9\r\n; only a comment\r\n[s]\r\n");

    // In the last section: at the very end, after trailing blank lines.
    o = Edit("[s]\r\na=1\r\n\r\n; c\r\n\r\n", "s", "z", "z=9");
    EXPECT_EQ(o.bytes, "[s]\r\na=1\r\n\r\n; c\r\n\r\nz=9\r\n");

    // A line of blanks is a content line.
    o = Edit("[s]\r\n  \r\n\r\n[t]\r\n", "s", "z", "z=9");
    EXPECT_EQ(o.bytes, "[s]\r\n  \r\nz=9\r\n\r\n[t]\r\n");
}

TEST_F(TextLinesTest, DeletingAndMissingSectionsAndFiles) {
    Outcome o = Edit(kBoot, "386enh", "device=*vpd", nullptr);
    EXPECT_EQ(o.bytes, "[boot]\r\nshell=progman.exe\r\ndrivers=mmsystem.dll\r\n; sound\r\n\r\n[386Enh]\r\n");
    EXPECT_EQ(o.oldLine, "device=*vpd");

    o = Edit(kBoot, "boot", "nothing", nullptr);
    EXPECT_EQ(o.result, 1);
    EXPECT_EQ(o.bytes, kBoot);

    o = Edit(kBoot, "drivers", "timer=", nullptr);
    EXPECT_EQ(o.bytes, std::string(kBoot) + "\r\n[drivers]\r\n");

    o = Edit("<missing>", "none", "k", "k=1");
    EXPECT_EQ(o.bytes, "k=1\r\n");
    o = Edit("<missing>", "s", "k", "k=1");
    EXPECT_EQ(o.bytes, "\r\n[s]\r\nk=1\r\n");
}

TEST_F(TextLinesTest, LineFeedOnlyFilesGetCrLfForNewLinesOnly) {
    Outcome o = Edit("[s]\na=1\nb=2\n[t]\nc=3\n", "s", "b=", "b=new");
    EXPECT_EQ(o.bytes, "[s]\na=1\nb=new\r\n[t]\nc=3\n");
    EXPECT_EQ(o.oldLine, "b=2");
    o = Edit("[s]\na=1\n\n[t]\n", "s", "z", "z=9");
    EXPECT_EQ(o.bytes, "[s]\na=1\nz=9\r\n\n[t]\n");
}

// New text always starts on a line of its own.
TEST_F(TextLinesTest, LastLineWithoutLineEnd) {
    Outcome o = Edit("a=1\r\nSET TEMP=C:\\OLD", "none", "set temp=", "SET TEMP=C:\\TEMP");
    EXPECT_EQ(o.bytes, "a=1\r\nSET TEMP=C:\\TEMP\r\n");
    EXPECT_EQ(o.oldLine, "SET TEMP=C:\\OLD");

    o = Edit("a=1\r\nb=2", "none", "set temp=", "SET TEMP=C:\\TEMP");
    EXPECT_EQ(o.bytes, "a=1\r\nb=2\r\nSET TEMP=C:\\TEMP\r\n");

    o = Edit("x=1\r\n[boot]", "boot", "shell=", "shell=a.exe");
    EXPECT_EQ(o.bytes, "x=1\r\n[boot]\r\nshell=a.exe\r\n");

    // A header without a line end still ends the section before it.
    o = Edit("[a]\r\nx=1\r\n[b]", "a", "y=", "y=2");
    EXPECT_EQ(o.bytes, "[a]\r\nx=1\r\ny=2\r\n[b]");

    o = Edit("[a]\r\nx=1", "b", "y=", "y=2");
    EXPECT_EQ(o.bytes, "[a]\r\nx=1\r\n[b]\r\ny=2\r\n");
}

TEST_F(TextLinesTest, FoundLineLongerThanTheCaptureIsCut) {
    std::string longLine = "PATH=" + std::string(200, 'p');
    Outcome o = Edit("[s]\r\n" + longLine + "\r\n", "s", "path=", "PATH=C:\\");
    EXPECT_EQ(o.bytes, "[s]\r\nPATH=C:\\\r\n");
    EXPECT_EQ(o.oldLine, longLine.substr(0, kLineSize - 1));
    // A CR right before the line feed is not part of the line, even at the capture's edge.
    std::string edge = "k=" + std::string(kLineSize - 3, 'e');
    o = Edit("[s]\r\n" + edge + "\r\n", "s", "k=", "k=1");
    EXPECT_EQ(o.oldLine, edge);
}

// ---- chunk boundaries -------------------------------------------------------

// Content lines of 100 bytes each and one longer line, `bytes` (at least 100) in all.
std::string Filler(size_t bytes, char tag) {
    std::string text;
    for (size_t n = 0; text.size() + 200 <= bytes; ++n) {
        std::string line = std::string("fill") + tag + std::to_string(n) + "=";
        line += std::string(98 - line.size(), 'x') + "\r\n";
        text += line;
    }
    text += std::string(bytes - text.size() - 2, 'y') + "\r\n";  // makes the exact size
    return text;
}

TEST_F(TextLinesTest, MatchAcrossAChunkBoundaryInAFileOfSeveralMegabytes) {
    const size_t boundary = 20 * size_t(kChunkSize);
    const std::string head = "[other]\r\na=1\r\n[s]\r\n";
    const std::string target = "TARGET=old\r\n";
    for (size_t before : {0, 1, 3, 6, 7, 10, 11, 12}) {  // bytes of the target line before the boundary
        std::string start = head + Filler(boundary - before - head.size(), 'a');
        std::string rest = Filler(3 << 20, 'b') + "[t]\r\nb=1\r\n";
        Outcome o = Edit(start + target + rest, "s", "target=", "TARGET=new");
        EXPECT_EQ(o.result, 1);
        EXPECT_EQ(o.oldLine, "TARGET=old") << before;
        EXPECT_TRUE(o.bytes == start + "TARGET=new\r\n" + rest) << "target line starting " << before
                                                                  << " bytes before the boundary";
    }
}

TEST_F(TextLinesTest, HeaderAcrossAChunkBoundary) {
    const size_t boundary = 3 * size_t(kChunkSize);
    for (size_t before : {1, 4, 8, 9}) {
        std::string start = "[a]\r\n" + Filler(boundary - before - 5, 'a');
        std::string section = "[target]\r\nk=1\r\n\r\n";
        std::string rest = "[z]\r\n" + Filler(200000, 'z');
        Outcome o = Edit(start + section + rest, "TARGET", "n=", "n=2");
        EXPECT_TRUE(o.bytes == start + "[target]\r\nk=1\r\nn=2\r\n\r\n" + rest) << before;
    }
}

TEST_F(TextLinesTest, LinesLongerThanAChunk) {
    std::string giant = "giant=" + std::string(3 * kChunkSize, 'g') + "\r\n";
    std::string comment = ";" + std::string(2 * kChunkSize, 'c') + "\r\n";

    // Passed over on the way to the match, and as the section's last content line.
    Outcome o = Edit("[s]\r\n" + giant + "k=1\r\n" + "[t]\r\n", "s", "k=", "k=2");
    EXPECT_TRUE(o.bytes == "[s]\r\n" + giant + "k=2\r\n[t]\r\n");
    o = Edit("[s]\r\n" + giant + comment + "[t]\r\n", "s", "k=", "k=2");
    EXPECT_TRUE(o.bytes == "[s]\r\n" + giant + "k=2\r\n" + comment + "[t]\r\n");

    // The long line itself matches at its far end and is replaced.
    std::string longMatch = std::string(2 * kChunkSize, 'm') + "needle\r\n";
    o = Edit("[s]\r\na=1\r\n" + longMatch + "b=2\r\n", "s", "NEEDLE", "short=1");
    EXPECT_TRUE(o.bytes == "[s]\r\na=1\r\nshort=1\r\nb=2\r\n");
    EXPECT_EQ(o.oldLine, std::string(kLineSize - 1, 'm'));

    // A header search over a line longer than a chunk.
    o = Edit(giant + "[s]\r\n", "s", "k", "k=1");
    EXPECT_TRUE(o.bytes == giant + "[s]\r\nk=1\r\n");
}

TEST_F(TextLinesTest, LongRunsOfBlankAndCommentLines) {
    std::string run;
    for (int i = 0; run.size() < 3 * kChunkSize; ++i) run += i % 3 ? "; remark " + std::to_string(i) + "\r\n" : "\r\n";
    Outcome o = Edit("[s]\r\na=1\r\n" + run + "[t]\r\nb=1\r\n", "s", "z", "z=9");
    EXPECT_TRUE(o.bytes == "[s]\r\na=1\r\nz=9\r\n" + run + "[t]\r\nb=1\r\n");
    // The same run with no content line at all in the section.
    o = Edit("[s]\r\n" + run + "[t]\r\n", "s", "z", "z=9");
    EXPECT_TRUE(o.bytes == "[s]\r\nz=9\r\n" + run + "[t]\r\n");
    // And at the end of the file.
    o = Edit("[s]\r\na=1\r\n" + run, "s", "z", "z=9");
    EXPECT_TRUE(o.bytes == "[s]\r\na=1\r\n" + run + "z=9\r\n");
}

// ---- failures keep the target -----------------------------------------------

TEST_F(TextLinesTest, TargetThatCannotBeReplacedIsKept) {
    WriteBytes(file, kBoot);
    // Open without delete sharing: the rename onto it must fail.
    HANDLE holder = CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    char oldLine[kLineSize] = "";
    EXPECT_EQ(EditTextFile("boot", "shell=", "shell=x.exe", oldLine, sizeof oldLine, file.c_str()), 0);
    CloseHandle(holder);
    EXPECT_EQ(ReadBytes(file), kBoot);
    EXPECT_EQ(scratch.Files().size(), 1u);
}

TEST_F(TextLinesTest, TargetThatCannotBeReadIsNotTakenForEmpty) {
    WriteBytes(file, kBoot);
    HANDLE holder = CreateFileA(file.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    char oldLine[kLineSize] = "";
    EXPECT_EQ(EditTextFile("boot", "shell=", "shell=x.exe", oldLine, sizeof oldLine, file.c_str()), 0);
    CloseHandle(holder);
    EXPECT_EQ(ReadBytes(file), kBoot);
    EXPECT_EQ(scratch.Files().size(), 1u);
}

TEST_F(TextLinesTest, FailedWritesFailTheEdit) {
    WriteBytes(file, kBoot);
    std::string outName = scratch / "out.txt";
    WriteBytes(outName, "");
    HANDLE input = CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    HANDLE output = CreateFileA(outName.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    char oldLine[kLineSize] = "";
    EXPECT_EQ(EditSection(input, "boot", "nothing", nullptr, oldLine, sizeof oldLine, output), 0);
    EXPECT_EQ(EditSection(input, "absent", "k", "k=1", oldLine, sizeof oldLine, output), 0);
    CloseHandle(input);
    CloseHandle(output);
}

}  // namespace
