#include <gtest/gtest.h>

#include "test_support.h"
#include "actions/text_lines.h"
#include "base/wide_text.h"

namespace {

const std::string kBoot = "[boot]\r\nshell=progman.exe\r\ndrivers=mmsystem.dll\r\n; sound\r\n\r\n[386Enh]\r\ndevice=*vpd\r\n";
const char* const kUntouched = "<untouched>";

// The edit prepared and put in place.
int EditTextFile(const char* section, const char* key, const char* newLine, TextBuffer* oldLine,
                 const std::string& path) {
    PreparedEdit edit;
    return PrepareTextEdit(section, key, newLine, oldLine, path.c_str(), &edit) == kTextEditDone && edit.Commit();
}

class TextLinesTest : public ActionTest {
protected:
    // One edit of a file holding `content` ("<missing>": no file); the old line is kUntouched unless captured.
    int Edit(const std::string& content, const char* section, const char* key, const char* newLine) {
        if (content == "<missing>") DeleteFileA(file.c_str());
        else WriteBytes(file, content);
        captured.Assign(kUntouched);
        int result = EditTextFile(section, key, newLine, &captured, file);
        EXPECT_EQ(FileCount(), 1) << "a temporary file was left behind";
        oldLine = std::string(captured.Text(), captured.Length());
        return result;
    }
    std::string Result() { return ReadBytes(file); }
    void SetUp() override {
        ActionTest::SetUp();
        file = Path("t.ini");
    }
    std::string file;
    TextBuffer captured;
    std::string oldLine;
};

// The UTF-16LE file, mark first, of a UTF-8 text.
std::string Utf16(const char* text) {
    std::wstring wide = Wide(text);
    return "\xFF\xFE" + std::string(reinterpret_cast<const char*>(wide.data()), wide.size() * sizeof(wchar_t));
}

struct Case {
    const char* what;
    std::string content;
    const char* section;
    const char* key;
    const char* newLine;
    std::string expected;
    const char* oldLine;
};

const Case kCases[] = {
    {"key anywhere, any letter case", kBoot, "BOOT", "PROGMAN", "shell=a.exe",
     "[boot]\r\nshell=a.exe\r\ndrivers=mmsystem.dll\r\n; sound\r\n\r\n[386Enh]\r\ndevice=*vpd\r\n", "shell=progman.exe"},
    {"the byte that broke a match is not retried", "[s]\r\naabc\r\n", "s", "abc", "new", "[s]\r\naabc\r\nnew\r\n", kUntouched},
    {"comment lines never match", "[s]\r\n; drivers=old\r\nx=1\r\n", "s", "drivers=", "drivers=new",
     "[s]\r\n; drivers=old\r\nx=1\r\ndrivers=new\r\n", kUntouched},
    {"a header line is searched before it ends the section", kBoot, "boot", "[386", "[Other]",
     "[boot]\r\nshell=progman.exe\r\ndrivers=mmsystem.dll\r\n; sound\r\n\r\n[Other]\r\ndevice=*vpd\r\n", "[386Enh]"},
    {"empty key: right after the header", kBoot, "boot", "", "first=1",
     "[boot]\r\nfirst=1\r\nshell=progman.exe\r\ndrivers=mmsystem.dll\r\n; sound\r\n\r\n[386Enh]\r\ndevice=*vpd\r\n", kUntouched},
    {"none: the lines before the first header", "a=1\r\n; c\r\n\r\n[s]\r\nb=2\r\n", "NONE", "b=", "b=9",
     "a=1\r\nb=9\r\n; c\r\n\r\n[s]\r\nb=2\r\n", kUntouched},
    {"none without content lines", "; c\r\n[s]\r\n", "none", "z", "z=9", "z=9\r\n; c\r\n[s]\r\n", kUntouched},
    {"last section: after trailing blank lines", "[s]\r\na=1\r\n\r\n; c\r\n\r\n", "s", "z", "z=9",
     "[s]\r\na=1\r\n\r\n; c\r\n\r\nz=9\r\n", kUntouched},
    {"a line of blanks is a content line", "[s]\r\n  \r\n\r\n[t]\r\n", "s", "z", "z=9", "[s]\r\n  \r\nz=9\r\n\r\n[t]\r\n", kUntouched},
    {"delete", kBoot, "386enh", "device=*vpd", nullptr,
     "[boot]\r\nshell=progman.exe\r\ndrivers=mmsystem.dll\r\n; sound\r\n\r\n[386Enh]\r\n", "device=*vpd"},
    {"delete a line that is not there", kBoot, "boot", "nothing", nullptr, kBoot, kUntouched},
    {"delete from a missing section adds it", kBoot, "drivers", "timer=", nullptr, kBoot + "\r\n[drivers]\r\n", kUntouched},
    {"missing file, none", "<missing>", "none", "k", "k=1", "k=1\r\n", kUntouched},
    {"missing file, a section", "<missing>", "s", "k", "k=1", "\r\n[s]\r\nk=1\r\n", kUntouched},
    // Any of CR LF, LF and CR ends a line; new lines end as the file's first line does.
    {"LF-only file", "[s]\na=1\nb=2\n\n[t]\nc=3\n", "s", "b=", "b=new", "[s]\na=1\nb=new\n\n[t]\nc=3\n", "b=2"},
    {"LF-only file, insertion", "[s]\na=1\n\n[t]\n", "s", "z", "z=9", "[s]\na=1\nz=9\n\n[t]\n", kUntouched},
    {"CR-only file", "[s]\ra=1\rb=2\r\r[t]\rc=3\r", "s", "b=", "b=new", "[s]\ra=1\rb=new\r\r[t]\rc=3\r", "b=2"},
    {"CR-only file, insertion and a new section", "[s]\ra=1\r\r[t]\r", "u", "z", "z=9",
     "[s]\ra=1\r\r[t]\r\r[u]\rz=9\r", kUntouched},
    // New text always starts a line of its own.
    {"matching last line without line end", "a=1\r\nSET TEMP=C:\\OLD", "none", "set temp=", "SET TEMP=C:\\TEMP",
     "a=1\r\nSET TEMP=C:\\TEMP\r\n", "SET TEMP=C:\\OLD"},
    {"appending after a last line without line end", "a=1\r\nb=2", "none", "z", "z=9", "a=1\r\nb=2\r\nz=9\r\n", kUntouched},
    {"header as last line without line end", "x=1\r\n[boot]", "boot", "z", "z=9", "x=1\r\n[boot]\r\nz=9\r\n", kUntouched},
    {"a header without line end still ends the section", "[a]\r\nx=1\r\n[b]", "a", "y", "y=2", "[a]\r\nx=1\r\ny=2\r\n[b]", kUntouched},
    {"missing section after a last line without line end", "[a]\r\nx=1", "b", "y", "y=2", "[a]\r\nx=1\r\n[b]\r\ny=2\r\n", kUntouched},
    // Texts are UTF-8; each file keeps its encoding, and the old line comes back as UTF-8.
    {"ANSI file: the code page's bytes, letter case beyond ASCII ignored", "[s]\r\n\xC9T\xC9=1\r\n", "s",
     "\xC3\xA9t\xC3\xA9=", "\xC3\xA9t\xC3\xA9=2", "[s]\r\n\xE9t\xE9=2\r\n", "\xC3\x89T\xC3\x89=1"},
    {"UTF-16LE file", Utf16("[s]\r\nk=Caf\xC3\xA9\r\n[t]\r\n"), "s", "K=", "k=\xCE\xA9mega \xE4\xB8\xAD\xE6\x96\x87",
     Utf16("[s]\r\nk=\xCE\xA9mega \xE4\xB8\xAD\xE6\x96\x87\r\n[t]\r\n"), "k=Caf\xC3\xA9"},
    {"UTF-8 file: its mark is not part of the first line", "\xEF\xBB\xBF" "a=\xCE\xA9\r\n[s]\r\n", "none", "a=",
     "a=\xE4\xB8\xAD", "\xEF\xBB\xBF" "a=\xE4\xB8\xAD\r\n[s]\r\n", "a=\xCE\xA9"},
    {"missing file, a line the code page cannot spell: UTF-16LE", "<missing>", "s", "k", "k=\xCE\xA9",
     Utf16("\r\n[s]\r\nk=\xCE\xA9\r\n"), kUntouched},
};

TEST_F(TextLinesTest, Cases) {
    for (const Case& c : kCases) {
        EXPECT_EQ(Edit(c.content, c.section, c.key, c.newLine), 1) << c.what;
        EXPECT_EQ(Result(), c.expected) << c.what;
        EXPECT_EQ(oldLine, c.oldLine) << c.what;
    }
}

// The found line comes back whole, zero bytes included, up to one byte more
// than the removal log can record.
TEST_F(TextLinesTest, FoundLineIsCapturedWhole) {
    std::string longLine = "PATH=" + std::string(200, 'p');
    Edit("[s]\r\n" + longLine + "\r\n", "s", "path=", "PATH=C:\\");
    EXPECT_EQ(Result(), "[s]\r\nPATH=C:\\\r\n");
    EXPECT_EQ(oldLine, longLine);
    std::string zero = std::string("k=a") + '\0' + "b";
    Edit("[s]\r\n" + zero + "\r\n", "s", "k=", "k=1");
    EXPECT_EQ(oldLine, zero);
    std::string huge = "k=" + std::string(70000, 'h');
    Edit("[s]\r\n" + huge + "\r\n", "s", "k=", "k=1");
    EXPECT_EQ(oldLine, huge.substr(0, kCaptureLimit));
}

// Content lines of 100 bytes each and one longer line, `bytes` (at least 100) in all.
std::string Filler(size_t bytes, char tag) {
    std::string text;
    for (size_t n = 0; text.size() + 200 <= bytes; ++n) {
        std::string line = std::string("fill") + tag + std::to_string(n) + "=";
        text += line + std::string(98 - line.size(), 'x') + "\r\n";
    }
    return text + std::string(bytes - text.size() - 2, 'y') + "\r\n";
}

TEST_F(TextLinesTest, MatchOrHeaderAcrossAChunkBoundaryOfAFileOfSeveralMegabytes) {
    const size_t boundary = 20 * size_t(kChunkSize);
    const std::string head = "[other]\r\na=1\r\n[s]\r\n";
    for (size_t before : {0, 1, 3, 6, 7, 10, 11, 12}) {  // bytes of the target line before the boundary
        std::string start = head + Filler(boundary - before - head.size(), 'a');
        std::string rest = Filler(3 << 20, 'b') + "[t]\r\nb=1\r\n";
        EXPECT_EQ(Edit(start + "TARGET=old\r\n" + rest, "s", "target=", "TARGET=new"), 1);
        EXPECT_EQ(oldLine, "TARGET=old") << before;
        EXPECT_TRUE(Result() == start + "TARGET=new\r\n" + rest) << before << " bytes before the boundary";
    }
    for (size_t before : {1, 4, 8, 9}) {  // bytes of the header before the boundary
        std::string start = "[a]\r\n" + Filler(3 * kChunkSize - before - 5, 'a');
        std::string rest = "\r\n[z]\r\n" + Filler(200000, 'z');
        Edit(start + "[target]\r\nk=1\r\n" + rest, "TARGET", "n=", "n=2");
        EXPECT_TRUE(Result() == start + "[target]\r\nk=1\r\nn=2\r\n" + rest) << before;
    }
}

TEST_F(TextLinesTest, LinesLongerThanAChunk) {
    std::string giant = "giant=" + std::string(3 * kChunkSize, 'g') + "\r\n";
    std::string comment = ";" + std::string(2 * kChunkSize, 'c') + "\r\n";
    Edit("[s]\r\n" + giant + "k=1\r\n[t]\r\n", "s", "k=", "k=2");
    EXPECT_TRUE(Result() == "[s]\r\n" + giant + "k=2\r\n[t]\r\n");
    Edit("[s]\r\n" + giant + comment + "[t]\r\n", "s", "k=", "k=2");
    EXPECT_TRUE(Result() == "[s]\r\n" + giant + "k=2\r\n" + comment + "[t]\r\n");
    Edit(giant + "[s]\r\n", "s", "k", "k=1");
    EXPECT_TRUE(Result() == giant + "[s]\r\nk=1\r\n");
    // The long line matches at its far end and is replaced.
    Edit("[s]\r\na=1\r\n" + std::string(2 * kChunkSize, 'm') + "needle\r\nb=2\r\n", "s", "NEEDLE", "short=1");
    EXPECT_TRUE(Result() == "[s]\r\na=1\r\nshort=1\r\nb=2\r\n");
    EXPECT_EQ(oldLine, std::string(kCaptureLimit, 'm'));
}

TEST_F(TextLinesTest, LongRunsOfBlankAndCommentLines) {
    std::string run;
    for (int i = 0; run.size() < 3 * kChunkSize; ++i) run += i % 3 ? "; remark " + std::to_string(i) + "\r\n" : "\r\n";
    Edit("[s]\r\na=1\r\n" + run + "[t]\r\nb=1\r\n", "s", "z", "z=9");
    EXPECT_TRUE(Result() == "[s]\r\na=1\r\nz=9\r\n" + run + "[t]\r\nb=1\r\n");
    Edit("[s]\r\n" + run + "[t]\r\n", "s", "z", "z=9");
    EXPECT_TRUE(Result() == "[s]\r\nz=9\r\n" + run + "[t]\r\n");
    Edit("[s]\r\na=1\r\n" + run, "s", "z", "z=9");
    EXPECT_TRUE(Result() == "[s]\r\na=1\r\n" + run + "z=9\r\n");
}

TEST_F(TextLinesTest, FailuresKeepTheTarget) {
    WriteBytes(file, kBoot);
    // Held open elsewhere, the target cannot be replaced, and with no read sharing not even read.
    for (DWORD share : {DWORD(FILE_SHARE_READ), DWORD(0)}) {
        HANDLE holder = CreateFileA(file.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr);
        EXPECT_EQ(EditTextFile("boot", "shell=", "shell=x.exe", &captured, file), 0);
        CloseHandle(holder);
        EXPECT_EQ(Result(), kBoot);
        EXPECT_EQ(FileCount(), 1);
    }
    // Writes that fail make the edit fail.
    HANDLE input = CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    HANDLE output = CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(EditSection(input, "boot", "nothing", nullptr, &captured, output), 0);
    EXPECT_EQ(EditSection(input, "absent", "k", "k=1", &captured, output), 0);
    CloseHandle(input);
    CloseHandle(output);
}

}  // namespace
