// setupkit check: a script with one of every mistake gives exactly the
// findings it should; tables over their capacity and the files of a media
// directory are found; and the sample product (also as setupkit pack lays it
// out over disks) and every example script of the docs pass without an error.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "base/media_crc.h"
#include "check_report.h"
#include "host_support.h"
#include "script_check.h"
#include "szdd.h"

namespace {

using namespace host;

const std::string kSource = SOURCE_DIR;
const std::string kKit = SETUPKIT;

// The findings for a script, as the command prints them (the file named
// "script"), and the number of errors.
std::string Findings(const std::string& script, const std::string& media = "", int* errors = nullptr) {
    CheckReport report;
    CheckScript(script, media, report);
    char* text = nullptr;
    size_t size = 0;
    FILE* out = open_memstream(&text, &size);
    report.Print(out, "script");
    std::fclose(out);
    std::string findings(text, size);
    std::free(text);
    if (errors) *errors = report.Errors();
    return findings;
}

std::string Crc(const std::string& bytes) {
    char text[9];
    FormatCrc(Crc32Of(bytes.data(), bytes.size()), text);
    return text;
}

// The ```ini blocks of a markdown file.
std::vector<std::string> IniBlocks(const std::string& markdown) {
    std::vector<std::string> blocks;
    for (size_t at = markdown.find("```ini\n"); at != std::string::npos; at = markdown.find("```ini\n", at)) {
        at += 7;
        size_t end = markdown.find("```\n", at);
        blocks.push_back(markdown.substr(at, end - at));
        at = end;
    }
    return blocks;
}

const std::pair<const char*, const char*> kLineBreaks[] = {{"LF", "\n"}, {"CR LF", "\r\n"}, {"CR", "\r"}};

// The text with each line break (LF or CR LF) made the one given.
std::string WithLineBreaks(const std::string& text, const std::string& lineBreak) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        out += text[i] == '\n' ? lineBreak : std::string(1, text[i]);
    }
    return out;
}

}  // namespace

// The output for the sample of mistakes, whole: every finding at its line,
// nothing else, and exit status 1; the same with any line ends.
TEST(Check, FindsEveryMistakeOfTheSampleOfMistakes) {
    const std::string fixture = kSource + "/tests/host/check/";
    for (const auto& [name, lineBreak] : kLineBreaks) {
        Scratch dir;
        WriteText(dir / "mistakes.inf", WithLineBreaks(ReadText(fixture + "mistakes.inf"), lineBreak));
        ASSERT_EQ(Shell("cd " + dir.dir + " && " + kKit + " check mistakes.inf > out"), 1);
        EXPECT_EQ(ReadText(dir / "out"), ReadText(fixture + "mistakes.expected")) << name;
    }
}

// One past every table's capacity: the 17th option group and choice, codes
// joined longer than 15 characters, the 33rd component, the 65th variable.
TEST(Check, FindsTablesOverTheirCapacity) {
    std::string script = "[options]\n";
    int line = 1;
    auto add = [&](const std::string& text) {
        script += text + "\n";
        return ++line;
    };
    std::vector<int> groups;
    for (int g = 1; g <= 17; ++g) groups.push_back(add("Group " + std::to_string(g) + "=G" + std::to_string(g)));
    int choice17 = 0;
    for (int g = 1; g <= 17; ++g) {
        add("[G" + std::to_string(g) + "]");
        add("Choice=" + std::string(1, static_cast<char>('A' + g)));
        for (int c = 2; g == 1 && c <= 17; ++c) choice17 = add("More " + std::to_string(c) + "=B");
    }
    int again = add("[G1]");  // a second header of the same name is never read
    add("Never=Z");
    int choise = add("[choise]");
    int component33 = 0;
    for (int c = 1; c <= 33; ++c) component33 = add("Part " + std::to_string(c) + "=Part" + std::to_string(c) + "|Part.");
    add("[reg]");
    int variable65 = 0;
    for (int v = 1; v <= 65; ++v)
        variable65 = add("Value" + std::to_string(v) + "=HKEY_CURRENT_USER\\Software\\Sample|V" + std::to_string(v));

    int errors = 0;
    std::string findings = Findings(script, "", &errors);
    auto at = [](int n) { return "script:" + std::to_string(n) + ": error: "; };
    EXPECT_NE(findings.find(at(groups[16]) + "option group 17: the installer shows at most 16"), std::string::npos);
    EXPECT_NE(findings.find(at(groups[0]) + "the longest codes of all groups joined are 16 characters"),
              std::string::npos);
    EXPECT_NE(findings.find(at(choice17) + "choice 17 of the group: a group holds at most 16"), std::string::npos);
    EXPECT_NE(findings.find(at(component33) + "component 33: the installer takes at most 32"), std::string::npos);
    EXPECT_NE(findings.find(at(variable65) + "variable 65: [reg] and [path] hold at most 64"), std::string::npos);
    EXPECT_NE(findings.find("warning: no variable RemoveInf (letter case counts): the removal log goes to a file named "
                            "RemoveInf in the Windows directory"),
              std::string::npos);
    EXPECT_NE(findings.find(at(again) + "[G1] stands on line 19 already: the entries of this one are never read"),
              std::string::npos);
    EXPECT_NE(findings.find(at(choise) + "the components of [choise] install nothing: none of their sections holds "
                                         "an entry the installer carries out"),
              std::string::npos);
    EXPECT_EQ(errors, 7) << findings;
}

// A media directory: a file that is missing, one that two entries read as
// different files, a compressed file with a damaged header, a second disk
// in the sibling directory the installer switches to, a file split over
// both disks (and one whose second piece is missing), the licence, and the
// files' CRC-32 (one changed since, one gone, one not written as a CRC, and
// the split file's of its pieces joined).
TEST(Check, FindsTheFilesOfAMediaDirectory) {
    Scratch dir;
    const std::string media = dir / "DISK1";
    std::filesystem::create_directories(media);
    std::filesystem::create_directories(dir / "DISK2");
    WriteText(media + "/SETUP.INF",
              "[SetUp]\r\nlicense=1\r\ndisks=2\r\n"
              "[choise]\r\nMain=Main|Everything.\r\n"
              "[path]\r\nAppDir=C:\\Program Files\\Media Test\r\nBackUpDir=%AppDir%\\Uninstall\r\n"
              "RemoveInf=%BackUpDir%\\SETUP.INF\r\n"
              "[disks]\r\n1=Disk one\r\n2=Disk two\r\n"
              "[Main]\r\n"
              "1:%AppDir%\\PRESENT.TXT=Present\r\n"                 // line 14
              "1:%AppDir%\\MISSING.TXT=Missing\r\n"                 // 15
              "1:%AppDir%\\HELP.TXT__=Help\r\n"                     // 16
              "1:%AppDir%\\HELP.TX_=Help as stored\r\n"             // 17
              "1:%AppDir%\\DAMAGED.BIN=Damaged\r\n"                 // 18
              "2:%AppDir%\\SECOND.TXT=From the second disk\r\n"     // 19
              "2:%AppDir%\\THIRD.TXT=Not on the second disk\r\n"    // 20
              "1+2:%AppDir%\\SPLIT.BIN=Split over both disks\r\n"  // 21
              "1+2:%AppDir%\\HALF.BIN=Its second piece is missing\r\n"
              "[ini.Main]\r\n"
              "BackUpDir\\SETUP.INF|SetUp|remove=1/,-\r\n"
              "BackUpDir\\SETUP.INF|choise|Remove=step2|Deletes what was installed./,-\r\n"
              "[media.crc]\r\n"
              "PRESENT.TXT=" + Crc("plain bytes") + "\r\n"  // line 27
              "HELP.TX_=" + Crc("as packed") + "\r\n"        // 28
              "second.txt=" + Crc("on disk two") + "\r\n"    // 29
              "GONE.TXT=0A1B2C3D\r\n"                         // 30
              "DAMAGED.BIN=0A1B2C3\r\n"                       // 31
              "SPLIT.BIN=" + Crc("first half, second half") + "\r\n");
    for (const char* name : {"setup.exe", "STP.DLL", "present.txt"}) WriteText(media + "/" + name, "plain bytes");
    Bytes packed;
    const std::string help = "Help for the media test, long enough to be worth compressing.";
    ASSERT_EQ(szdd::Compress(reinterpret_cast<const uint8_t*>(help.data()), help.size(), 'T', packed),
              szdd::Status::Ok);
    Write(media + "/HELP.TX_", packed);
    const std::string helpCrc = Crc(std::string(packed.begin(), packed.end()));
    packed[8] = 'B';  // a method the platform does not know
    Write(media + "/DAMAGED.BIN", packed);
    WriteText(dir / "DISK2/SECOND.TXT", "on disk two");
    WriteText(media + "/SPLIT.BIN", "first half, ");
    WriteText(dir / "DISK2/split.bin", "second half");
    WriteText(media + "/HALF.BIN", "only the first half");

    ASSERT_EQ(Shell(kKit + " check " + media + " > " + dir / "out"), 1);
    const std::string script = media + "/SETUP.INF:";
    EXPECT_EQ(ReadText(dir / "out"),
              script + "2: error: license=1, but the media directory holds no LICENSE.TXT: the run ends\n" + script +
                  "15: error: the media file 'MISSING.TXT' of disk '1' is missing (\"Cannot open specified file !\")\n" +
                  script + "17: warning: reads the media file 'HELP.TX_', as line 16 does, which installs it as 'HELP.TXT'\n" +
                  script +
                  "18: error: the media file DAMAGED.BIN starts with the compressed-file signature but its header is "
                  "damaged (\"Lempel-Ziv Encoding Error\", message 150)\n" +
                  script + "20: error: the media file 'THIRD.TXT' of disk '2' is missing (\"Cannot open specified file !\")\n" +
                  script + "22: error: the media file 'HALF.BIN' of disk '2' is missing (\"Cannot open specified file !\")\n" +
                  script + "28: error: the media file 'HELP.TX_' does not match its CRC-32 (its bytes give " + helpCrc +
                  "): it changed after packing, or was damaged\n" + script +
                  "30: warning: no media file 'GONE.TXT' to check\n" + script +
                  "31: error: '0A1B2C3' is no CRC-32 (eight hexadecimal digits): the file cannot be checked\n");
}

// The look a script gives the installer: keys and texts the installer
// cannot take, and a picture that is not there or is no picture.
TEST(Check, FindsWhatTheLookCannotTake) {
    Scratch dir;
    WriteText(dir / "LOGO.BMP", "not a picture");
    const std::string script =
        "[SetUp]\r\ngradient=FF0000\r\npicture=LOGO.BMP\r\npicturepos=middle\r\ntitle=" + std::string(130, 't') +
        "\r\n[choise]\r\nMain=Main\r\n[disks]\r\n1=Disk\r\n[Main]\r\n"
        "[texts]\r\n"
        "1/101=Welcome\r\n"       // line 12: fine
        "1/200=No such text\r\n"  // 13
        "30/0=Caption\r\n"        // 14: the component dialog's caption is [SetUp] name
        "90/1=No such dialog\r\n"  // 15
        "counter=%d of %s\r\n"    // 16
        "copy=Copying:\r\n"       // 17: fine
        "greeting=Hello\r\n";     // 18
    const std::string findings = Findings(script, dir.dir);
    for (const char* wanted :
         {"script:2: warning: gradient=FF0000 is not two colours", "script:3: error: picture=LOGO.BMP is no BMP",
          "script:4: warning: picturepos=middle is none of", "script:5: error: the text",
          "script:13: warning: dialog 1 of the installer's library has no control 200",
          "script:14: warning: dialog 30 of the installer's library has no control 0",
          "script:15: warning: 90/1 names no dialog", "script:16: warning: counter=%d of %s does not hold exactly one",
          "script:18: warning: [texts] has no text named greeting"})
        EXPECT_NE(findings.find(wanted), std::string::npos) << wanted << " not in\n" << findings;
    EXPECT_EQ(findings.find("script:12:"), std::string::npos) << findings;
    EXPECT_EQ(findings.find("script:17:"), std::string::npos) << findings;
    std::filesystem::remove(dir / "LOGO.BMP");
    EXPECT_NE(Findings(script, dir.dir).find("script:3: error: picture=LOGO.BMP, but the media directory holds no"),
              std::string::npos);

    // pack puts the picture beside the script, where the installer reads it.
    for (const char* folder : {"product", "engine"}) std::filesystem::create_directories(dir / folder);
    WriteText(dir / "product/SETUP.INF", "[SetUp]\r\npicture=logo.bmp\r\n[choise]\r\nMain=Main\r\n[disks]\r\n1=Disk\r\n"
                                         "[path]\r\nAppDir=C:\\App\r\n[Main]\r\n1:%AppDir%\\A.TXT=A\r\n");
    WriteText(dir / "product/LOGO.BMP", "BM" + std::string(60, '\0'));
    WriteText(dir / "product/A.TXT", "a");
    for (const char* name : {"setup.exe", "STP.DLL"}) WriteText(dir / (std::string("engine/") + name), "engine");
    ASSERT_EQ(Shell(kKit + " pack " + dir / "product " + dir / "media --engine " + dir / "engine >/dev/null"), 0);
    EXPECT_EQ(ReadText(dir / "media/LOGO.BMP"), "BM" + std::string(60, '\0'));
}

TEST(Check, TheSampleProductAndEveryExampleOfTheDocsPass) {
    // The sample's script reads as meant, to the last warning.
    EXPECT_EQ(Findings(ReadText(kSource + "/samples/demo/SETUP.INF")), "");
    // Packed over two disks, its media hold every file it copies, where the
    // installer looks for it; with its CR LF line ends made CR alone, the
    // same files (the script a little shorter, they may be dealt out
    // otherwise), and a script in those line ends.
    Scratch dir;
    std::filesystem::create_directories(dir / "product");
    std::filesystem::create_directories(dir / "engine");
    for (const auto& file : std::filesystem::directory_iterator(kSource + "/samples/demo"))
        if (file.path().extension() != ".plan") std::filesystem::copy(file.path(), dir / "product");
    std::string font;
    for (int i = 0; i < 2000; ++i) font += "glyph " + std::to_string(i) + " outline\n";
    WriteText(dir / "product/NOTESANS.TTF", font);
    for (const char* name : {"setup.exe", "STP.DLL"})
        WriteText(dir / (std::string("engine/") + name), std::string(3000, 'x'));
    const std::string script = ReadText(dir / "product/SETUP.INF");
    std::vector<std::string> packed[2];
    for (int crOnly = 0; crOnly < 2; ++crOnly) {
        const std::string media = dir / (crOnly ? "media-cr" : "media");
        WriteText(dir / "product/SETUP.INF", crOnly ? WithLineBreaks(script, "\r") : script);
        ASSERT_EQ(Shell(kKit + " pack " + dir / "product " + media + " --disk-size 14000 --engine " + dir / "engine" +
                        " >/dev/null"),
                  0);
        ASSERT_TRUE(std::filesystem::exists(media + "/DISK2"));
        // Multi-disk media by their first disk, or by the folder that holds it.
        for (const std::string& at : {media + "/DISK1", media}) {
            EXPECT_EQ(Shell(kKit + " check " + at + " > " + dir / "out"), 0) << at;
            EXPECT_EQ(ReadText(dir / "out"), "") << at;
        }
        for (const auto& file : std::filesystem::recursive_directory_iterator(media))
            if (file.is_regular_file()) packed[crOnly].push_back(file.path().filename().string());
        std::sort(packed[crOnly].begin(), packed[crOnly].end());
    }
    EXPECT_EQ(packed[1], packed[0]);
    // The product folder itself: its files by their plain names, the
    // installer's own not needed.
    EXPECT_EQ(Shell(kKit + " check " + dir / "product > " + dir / "out"), 0);
    EXPECT_EQ(ReadText(dir / "out"), "");
    EXPECT_EQ(ReadText(dir / "media-cr/DISK1/SETUP.INF").find('\n'), std::string::npos);

    // The reference and the branding page show sections one at a time:
    // there the lack of components to install is no error. The other pages'
    // scripts are whole.
    int blocks = 0;
    for (const char* doc :
         {"/docs/script-reference.md", "/docs/removal.md", "/docs/publishing.md", "/docs/branding.md"}) {
        for (const std::string& block : IniBlocks(ReadText(kSource + doc))) {
            int errors = 0;
            std::string findings = Findings(block, "", &errors);
            if (std::string(doc) == "/docs/script-reference.md" || std::string(doc) == "/docs/branding.md")
                for (const char* whole : {"error: there is no [choise] section", "error: the components of [choise] "
                                                                                  "install nothing"})
                    errors -= findings.find(whole) != std::string::npos;
            EXPECT_EQ(errors, 0) << doc << ", the example\n" << block << "\nhas errors:\n" << findings;
            ++blocks;
        }
    }
    EXPECT_GE(blocks, 20);
}

// A script that installs something passes; one without components, or
// with [choise] spelt otherwise, installs nothing; a file that cannot be
// read, and a directory without a script, fail; bad usage.
TEST(Check, ExitStatus) {
    Scratch dir;
    const std::string installs = "[ini.Main]\r\nwin.ini|Clean|Installed=1\r\n";
    const std::pair<std::string, int> scripts[] = {
        {"[SetUp]\r\nname=Clean\r\n[choise]\r\nMain=Main|All\r\n" + installs, 0},
        {"[SetUp]\r\nname=Clean\r\n", 1},
        {"[SetUp]\r\nname=Clean\r\n[choice]\r\nMain=Main|All\r\n" + installs, 1},
        {"[choise]\r\nMain=Main|All\r\n[ini.Mian]\r\nwin.ini|Clean|Installed=1\r\n", 1},
    };
    for (const auto& [script, status] : scripts) {
        WriteText(dir / "script.inf", script);
        EXPECT_EQ(Shell(kKit + " check " + dir / "script.inf >/dev/null"), status) << script;
    }
    EXPECT_EQ(Shell(kKit + " check " + dir / "missing.inf 2>/dev/null"), 1);
    std::filesystem::create_directories(dir / "empty");
    EXPECT_EQ(Shell(kKit + " check " + dir / "empty 2>/dev/null"), 1);  // a directory without SETUP.INF
    for (const char* args : {"check", "check a b"}) EXPECT_EQ(Shell(kKit + " " + args + " 2>/dev/null"), 2) << args;
}
