// Native tests of the compressed-name rule and of the packer's plan: the
// names it gives compressed files, and the script it writes, byte for byte.
// The whole command runs under Wine in tests/e2e/scenarios/pack.py.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "base/device_names.h"
#include "base/media_name.h"
#include "crc_section.h"
#include "pack_plan.h"

namespace {

// Split(Join(name, c)) gives back the name and the media name.
TEST(MediaName, RuleAndItsInverse) {
    char target[16], media[16], entry[16];
    EXPECT_TRUE(SplitMediaName("setup.exe__", target, media));
    EXPECT_STREQ(target, "setup.exe");
    EXPECT_STREQ(media, "setup.ex_");
    EXPECT_TRUE(SplitMediaName("a_1", target, media));
    EXPECT_STREQ(target, "a");
    EXPECT_STREQ(media, "1");
    // Too short to leave a name behind, or no marker: taken as written.
    for (const char* name : {"_1", "readme.txt", "x_", "_"}) {
        EXPECT_FALSE(SplitMediaName(name, target, media)) << name;
        EXPECT_STREQ(target, name);
        EXPECT_STREQ(media, name);
    }
    for (const char* name : {"TOOLS.HLP", "a", "_1", "x_", "READ_ME", "notes.tx_"}) {
        for (char c : {'_', '7'}) {
            ASSERT_TRUE(JoinMediaName(name, c, media, sizeof media, entry, sizeof entry)) << name;
            char back[16], read[16];
            EXPECT_TRUE(SplitMediaName(entry, back, read)) << entry;
            EXPECT_STREQ(back, name);
            EXPECT_STREQ(read, media);
        }
    }
    EXPECT_TRUE(JoinMediaName("TOOLS.HLP", '_', media, 10, entry, 12));
    EXPECT_STREQ(entry, "TOOLS.HLP__");
    EXPECT_FALSE(JoinMediaName("TOOLS.HLP", '_', media, 10, entry, 11));  // no room for the terminator
    EXPECT_FALSE(JoinMediaName("", '_', media, sizeof media, entry, sizeof entry));
}

// The names the platform keeps for its devices, as it reads them in a path.
TEST(DeviceName, ReservedNamesWithExtensionsBlanksAndDigits) {
    for (const char* name : {"NUL", "nul", "NUL.txt", "nul.tar.gz", "CON ", "CON .txt", "AUX.", "AUX..", "Prn",
                             "COM1", "com9.log", "LPT1", "lpt9", "LPT1:", "COM\xB9", "LPT\xB2.txt", "com\xB3",
                             "CONIN$", "conout$.x"})
        EXPECT_TRUE(IsDeviceName(name)) << name;
    for (const char* name : {"", ".", "..", "NULL", "NUL1", "xNUL", " NUL", "NUL_", "NUx", "CONSOLE", "COM0",
                             "COM10", "LPT", "COM\xB4", "CONIN", "AUX-1.txt"})
        EXPECT_FALSE(IsDeviceName(name)) << name;
    // Every part of a path counts, whichever separator ends it: where the
    // first device name starts, -1 for none.
    const std::pair<const char*, int> paths[] = {
        {"C:\\App\\con\\x.txt", 7}, {"C:\\App/nul.txt", 7}, {"Com1", 0}, {"C:\\aux\\prn", 3},
        {"C:\\Program Files\\NULL\\a.txt", -1}, {"D:\\", -1}, {"", -1}, {"\\\\server\\share\\x", -1}};
    for (const auto& [path, at] : paths) {
        const char* found = FindDeviceName(path);
        EXPECT_EQ(found ? found - path : -1, at) << path;
    }
}

pack::File Compressible(const char* name) {
    pack::File f;
    f.name = f.mediaName = name;
    f.compressed = true;
    f.plainSize = 100;
    f.mediaSize = 40;
    return f;
}

pack::File Plain(const char* name) {
    pack::File f = Compressible(name);
    f.compressed = false;
    f.mediaSize = f.plainSize;
    return f;
}

// Files whose compressed names would meet take the next character the rule
// allows; no media name is another file's own name or a device's; a file
// with no free name stays plain under its own.
TEST(PackNames, CollisionsTakeTheNextFreeCharacter) {
    std::vector<pack::File> files = {Compressible("X.TXT"), Compressible("x.txa"), Plain("X.TX0"),
                                     Compressible("Y.TXT"), Compressible("Q!")};
    files.push_back(Plain("Y.TX_"));
    files.back().fixed = true;  // named in the compressed-name form by the script itself
    for (const char* c = "_0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ"; *c; ++c)
        files.push_back(Plain((std::string("Q") + *c).c_str()));
    const size_t comX = files.size();
    files.push_back(Compressible("COMX"));
    for (const char* name : {"COM_", "COM0"}) files.push_back(Plain(name));
    pack::ChooseMediaNames(files);
    EXPECT_EQ(files[comX].mediaName, "COMA");  // COM1 to COM9 are serial ports
    EXPECT_EQ(files[0].mediaName, "X.TX_");
    EXPECT_EQ(files[0].marker, '_');
    EXPECT_EQ(files[1].mediaName, "x.tx1");  // x.tx_ is taken, X.TX0 is another file's name
    EXPECT_EQ(files[1].marker, '1');
    EXPECT_EQ(files[2].mediaName, "X.TX0");
    EXPECT_EQ(files[3].mediaName, "Y.TX0");
    EXPECT_EQ(files[4].mediaName, "Q!");
    EXPECT_FALSE(files[4].compressed);
    EXPECT_EQ(files[4].marker, 0);
    EXPECT_EQ(files[4].mediaSize, files[4].plainSize);
    std::set<std::string> names;
    for (const pack::File& f : files) EXPECT_TRUE(names.insert(FoldedProfileName(f.mediaName)).second) << f.mediaName;
}

// Disks dealt out best-fit: the largest file first, on the fullest disk it
// fits; a file is split only when it is larger than a disk, its disk-sized
// pieces on disks of their own and the rest dealt out like a file.
TEST(PackDisks, BestFitAndFilesLargerThanADisk) {
    struct Row {
        const char* what;
        uint64_t diskSize, engine;
        std::vector<uint64_t> sizes;
        std::vector<std::string> disks;  // each file's disk field
        int diskCount;
    };
    const Row rows[] = {
        {"in the order they install they would take three disks", 200, 100, {60, 90, 40, 100},
         {"2", "2", "2", "1"}, 2},
        {"larger than a disk: two disks of its own, the rest beside the installer", 200, 100, {450},
         {"1+2+3"}, 3},
        {"never split when it fits whole, a disk's size too", 200, 150, {100, 200, 20}, {"3", "2", "1"}, 3},
        {"one medium", 0, 100, {450, 60}, {"1", "1"}, 1},
    };
    for (const Row& row : rows) {
        pack::Plan plan;
        pack::AddEngineFile(&plan, "setup.exe", row.engine);
        plan.disks = {"1"};
        for (size_t i = 0; i < row.sizes.size(); ++i) {
            pack::File f = Plain(("F" + std::to_string(i)).c_str());
            f.plainSize = f.mediaSize = row.sizes[i];
            plan.files.push_back(f);
        }
        std::string error;
        ASSERT_TRUE(pack::AssignDisks(&plan, row.diskSize, &error)) << row.what << ": " << error;
        std::vector<std::string> disks;
        for (size_t i = 1; i < plan.files.size(); ++i) disks.push_back(pack::DiskField(plan, plan.files[i]));
        EXPECT_EQ(disks, row.disks) << row.what;
        EXPECT_EQ(plan.diskCount, row.diskCount) << row.what;
        uint64_t pieces = 0;
        for (const pack::File::Piece& piece : plan.files[1].pieces) pieces += piece.size;
        if (!plan.files[1].pieces.empty()) EXPECT_EQ(pieces, row.sizes[0]) << row.what;
    }
}

// A plan over a script's text, with every product file compressed to a
// tenth of `size` bytes (or of its own size in `sizes`), dealt out over
// disks of diskSize bytes; folder: the product folder's names.
std::string Packed(const std::string& script, uint64_t size, uint64_t diskSize, std::string* error,
                   const std::vector<std::string>& folder = {}, const std::map<std::string, uint64_t>& sizes = {}) {
    pack::Script text(script);
    pack::Plan plan;
    pack::AddEngineFile(&plan, "setup.exe", 50);
    pack::AddEngineFile(&plan, "SETUP.INF", 50);
    if (!pack::ReadCopyEntries(text, folder, &plan, error)) return std::string();
    for (pack::File& f : plan.files) {
        if (f.fixed) continue;
        f.compressed = true;
        f.plainSize = sizes.count(f.name) ? sizes.at(f.name) : size;
        f.mediaSize = f.plainSize / 10;
    }
    pack::ChooseMediaNames(plan.files);
    std::string out;
    if (!pack::AssignDisks(&plan, diskSize, error) || !pack::Rewrite(text, plan, &out, error)) return std::string();
    return out;
}

// The text with its CR LF line ends made the form's, behind the form's byte
// order mark; in UTF-16LE for a form that says so (the text's characters
// here take at most two bytes of UTF-8).
struct Form {
    const char* mark;
    const char* lineBreak;
    bool utf16 = false;
};
const Form kForms[] = {{"", "\r\n"}, {"", "\n"}, {"", "\r"}, {"\xEF\xBB\xBF", "\r"}, {"\xFF\xFE", "\r\n", true}};
std::string InForm(const Form& form, std::string text) {
    for (size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at + 1))
        text.replace(at, 2, form.lineBreak);
    if (!form.utf16) return form.mark + text;
    std::string wide = form.mark;
    for (size_t i = 0; i < text.size(); ++i) {
        unsigned c = static_cast<unsigned char>(text[i]);
        if (c >= 0xC0) c = (c & 0x1F) << 6 | (static_cast<unsigned char>(text[++i]) & 0x3F);
        wide += static_cast<char>(c & 0xFF);
        wide += static_cast<char>(c >> 8);
    }
    return wide;
}

// Only the disk fields and file names of copy entries, [disks] and the
// [SetUp] disks change; comments, blanks, quotes, separators written twice,
// other sections and entries that do not act keep every byte; the same with
// any line ends, in UTF-8 (its first character, in the comment, is two
// bytes long) and in UTF-16LE, which stay so.
TEST(PackScript, RewriteKeepsEveryOtherByte) {
    const std::string before =
        "; pr\xC3\xB6" "duct\r\n"
        "[SetUp]\r\n"
        "name=Tools  ; kept\r\n"
        "[choise]\r\n"
        "Tools=Main|The program\r\n"
        "Extras/E=\"Extras|More\"\r\n"
        "[disks]\r\n"
        "; the only disk\r\n"
        "1 = Tools disk \r\n"
        "[Main]\r\n"
        "  1:%AppDir%\\TOOLS.HLP =Help/,-\r\n"
        "1 :%AppDir%\\SPACED.TXT=never copied: its disk is \"1 \"\r\n"
        "1:C::\\Data\\A.TXT=A\r\n"
        "1:AppDir\\b::c\\a.txa=a\r\n"
        "1:%AppDir%\\HELP.TXT__=ready\r\n"
        "; 1:%AppDir%\\NOT.ME=comment\r\n"
        "9:%AppDir%\\NOT.ME=no such disk\r\n"
        "[!Extras]\r\n"
        "1:%BackUpDir%\\setup.exe=Removal/,-\r\n"
        "[ini.Main]\r\n"
        "1:%AppDir%\\TOOLS.HLP=not a copy section\r\n"
        "[Extras]\r\n"
        "1:%AppDir%\\BIG.DAT=Big";
    const std::string onOneMedium =
        "; pr\xC3\xB6" "duct\r\n"
        "[SetUp]\r\n"
        "name=Tools  ; kept\r\n"
        "[choise]\r\n"
        "Tools=Main|The program\r\n"
        "Extras/E=\"Extras|More\"\r\n"
        "[disks]\r\n"
        "; the only disk\r\n"
        "1 = Tools disk \r\n"
        "[Main]\r\n"
        "  1:%AppDir%\\TOOLS.HLP__ =Help/,-\r\n"
        "1 :%AppDir%\\SPACED.TXT=never copied: its disk is \"1 \"\r\n"
        "1:C::\\Data\\A.TXT__=A\r\n"
        "1:AppDir\\b::c\\a.txa_0=a\r\n"
        "1:%AppDir%\\HELP.TXT__=ready\r\n"
        "; 1:%AppDir%\\NOT.ME=comment\r\n"
        "9:%AppDir%\\NOT.ME=no such disk\r\n"
        "[!Extras]\r\n"
        "1:%BackUpDir%\\setup.exe=Removal/,-\r\n"
        "[ini.Main]\r\n"
        "1:%AppDir%\\TOOLS.HLP=not a copy section\r\n"
        "[Extras]\r\n"
        "1:%AppDir%\\BIG.DAT__=Big";
    // Disks of 200 bytes: 100 of them go to setup.exe and the script; the
    // laid-out HELP.TX_ (no bytes here) goes to the fullest disk.
    const std::string onThreeDisks =
        "; pr\xC3\xB6" "duct\r\n"
        "[SetUp]\r\n"
        "disks=3\r\n"
        "name=Tools  ; kept\r\n"
        "[choise]\r\n"
        "Tools=Main|The program\r\n"
        "Extras/E=\"Extras|More\"\r\n"
        "[disks]\r\n"
        "; the only disk\r\n"
        "1=Tools disk 1\r\n2=Tools disk 2\r\n3=Tools disk 3 \r\n"  // the line's own blank stays
        "[Main]\r\n"
        "  1:%AppDir%\\TOOLS.HLP__ =Help/,-\r\n"
        "1 :%AppDir%\\SPACED.TXT=never copied: its disk is \"1 \"\r\n"
        "2:C::\\Data\\A.TXT__=A\r\n"
        "2:AppDir\\b::c\\a.txa_0=a\r\n"
        "1:%AppDir%\\HELP.TXT__=ready\r\n"
        "; 1:%AppDir%\\NOT.ME=comment\r\n"
        "9:%AppDir%\\NOT.ME=no such disk\r\n"
        "[!Extras]\r\n"
        "1:%BackUpDir%\\setup.exe=Removal/,-\r\n"
        "[ini.Main]\r\n"
        "1:%AppDir%\\TOOLS.HLP=not a copy section\r\n"
        "[Extras]\r\n"
        "3:%AppDir%\\BIG.DAT__=Big";
    for (const Form& form : kForms) {
        std::string error;
        EXPECT_EQ(Packed(InForm(form, before), 1000, 0, &error), InForm(form, onOneMedium)) << error;
        EXPECT_EQ(Packed(InForm(form, before), 1000, 200, &error), InForm(form, onThreeDisks)) << error;
    }
}

// A file larger than a disk names the disks of its pieces; an entry whose
// file name holds '*' or '?' becomes one entry for each file it matches,
// in the script's line ends; an entry after them keeps its own line.
TEST(PackScript, SplitFilesAndPatterns) {
    const std::string script =
        "[choise]\r\nMain=Main|m\r\n[disks]\r\n1=Disk\r\n[Main]\r\n"
        "  1:%AppDir%\\tmpl\\*.TPL =Template/,-\r\n1:%AppDir%\\BIG.DAT=Big\r\n1:%AppDir%\\x.txt=X\r\n";
    const std::string packed =
        "[choise]\r\nMain=Main|m\r\n[disks]\r\n1=Disk 1\r\n2=Disk 2\r\n3=Disk 3\r\n[Main]\r\n"
        "  1:%AppDir%\\tmpl\\A.TPL__ =Template/,-\r\n  1:%AppDir%\\tmpl\\b.tpl__ =Template/,-\r\n"
        "1+2+3:%AppDir%\\BIG.DAT__=Big\r\n1:%AppDir%\\x.txt__=X\r\n[SetUp]\r\ndisks=3\r\n";
    const std::vector<std::string> folder = {"A.TPL", "BIG.DAT", "b.tpl", "notes.txt", "x.txt"};
    const std::map<std::string, uint64_t> sizes = {{"BIG.DAT", 4500}, {"A.TPL", 100}, {"b.tpl", 100}, {"x.txt", 100}};
    for (const Form& form : kForms) {
        std::string error;
        EXPECT_EQ(Packed(InForm(form, script), 200, 200, &error, folder, sizes), InForm(form, packed)) << error;
    }
    std::string error;
    EXPECT_EQ(Packed(script, 200, 200, &error, {"notes.txt"}), "");
    EXPECT_EQ(error, "6: *.TPL: no file of the product folder matches it");
}

// Entries the installer would not copy as packed are refused: two entries
// for one file on two disks that end up on one (their keys would meet, and
// the reader would give the second the first one's value), and a target,
// directory or media name the platform takes for a device.
TEST(PackScript, EntriesThatWouldMeetOrNameADeviceAreRefused) {
    const std::string device = ": a device name of the platform, never a file: the copy is refused";
    const std::pair<std::string, std::string> rows[] = {
        {"2:%D%\\A.TXT=second/X",
         "8: would read the same key as line 7 once packed (one file, one disk): write one entry or other keys"},
        {"2:%D%\\NUL.txt=null", "8: NUL.txt" + device},
        {"2:%D%\\con\\B.TXT=in the console", "8: con" + device},
        {"2:%D%\\NUx_L=read as NUL", "8: NUL" + device},
        {"2:%D%\\Com1_x=installed as Com1", "8: Com1" + device},
    };
    const std::string script = "[choise]\r\nA=A|a\r\n[disks]\r\n1=one\r\n2=two\r\n[A]\r\n1:%D%\\A.TXT=first\r\n";
    for (const Form& form : kForms)
        for (const auto& [entry, refusal] : rows) {
            std::string error;
            EXPECT_EQ(Packed(InForm(form, script + entry + "\r\n"), 100, 0, &error), "") << entry;
            EXPECT_EQ(error, refusal) << form.lineBreak;
        }
}

// The CRC section goes at the end, in the script's own line ends, after a
// blank line; a script that holds one already is refused, since the reader
// would find the old one first.
TEST(PackScript, CrcSectionAtTheEndInTheScriptsLineEnds) {
    const std::vector<std::pair<std::string, uint32_t>> files = {{"setup.exe", 0x0A1B2C3D}, {"TOOLS.HL_", 0xFFFFFFFF}};
    const std::pair<std::string, std::string> rows[] = {
        {"[SetUp]\r\nname=T\r\n",
         "[SetUp]\r\nname=T\r\n\r\n[media.crc]\r\nsetup.exe=0A1B2C3D\r\nTOOLS.HL_=FFFFFFFF\r\n"},
        {"[SetUp]\nname=T", "[SetUp]\nname=T\n\n[media.crc]\nsetup.exe=0A1B2C3D\nTOOLS.HL_=FFFFFFFF\n"},
        {"\n[SetUp]\r\n", "\n[SetUp]\r\n\n[media.crc]\nsetup.exe=0A1B2C3D\nTOOLS.HL_=FFFFFFFF\n"},
        {"[SetUp]", "[SetUp]\r\n\r\n[media.crc]\r\nsetup.exe=0A1B2C3D\r\nTOOLS.HL_=FFFFFFFF\r\n"},
        {"[SetUp]\rname=T\r", "[SetUp]\rname=T\r\r[media.crc]\rsetup.exe=0A1B2C3D\rTOOLS.HL_=FFFFFFFF\r"},
    };
    for (const auto& [script, packed] : rows) {
        std::string text = script, error;
        EXPECT_TRUE(pack::AddCrcSection(&text, files, &error)) << error;
        EXPECT_EQ(text, packed);
        // A script in UTF-8 or UTF-16LE gets the section in its encoding.
        for (const Form& form : {Form{"\xEF\xBB\xBF", "\r\n"}, kForms[4]}) {
            text = InForm(form, script);
            EXPECT_TRUE(pack::AddCrcSection(&text, files, &error)) << error;
            EXPECT_EQ(text, InForm(form, packed)) << form.mark;
        }
    }
    std::string text = "[SetUp]\r\n; written by hand\r\n [Media.CRC] \r\nA=00000000\r\n", error;
    EXPECT_FALSE(pack::AddCrcSection(&text, files, &error));
    EXPECT_EQ(error, "3: [media.crc] is written by pack itself: take it out of the product's script");
    EXPECT_EQ(text, "[SetUp]\r\n; written by hand\r\n [Media.CRC] \r\nA=00000000\r\n");
}

}  // namespace
