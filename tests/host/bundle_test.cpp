// The one-file installer: the CRC-32, the container's reader against every
// kind of damage, `setupkit bundle` and what it refuses, and a bundle
// signed with osslsigncode (written by others), which must still verify and
// still be found, and must fail both checks once a byte of it is changed.
#include <gtest/gtest.h>

#include <cctype>
#include <functional>
#include <string>
#include <vector>

#include "base/bundle.h"
#include "base/media_crc.h"
#include "bundle.h"
#include "host_support.h"

namespace {

using namespace host;
namespace fs = std::filesystem;

void PutLe(Bytes& bytes, size_t at, uint64_t value, int size) {
    for (int i = 0; i < size; ++i, value >>= 8) bytes[at + i] = static_cast<uint8_t>(value);
}

// A program image of 0x400 bytes: headers, and one section of 0x200 bytes.
Bytes TinyExe() {
    Bytes exe(0x400, 0);
    exe[0] = 'M';
    exe[1] = 'Z';
    PutLe(exe, 0x3C, 0x40, 4);
    const std::string pe = "PE";
    std::copy(pe.begin(), pe.end(), exe.begin() + 0x40);
    PutLe(exe, 0x44, 0x8664, 2);  // machine
    PutLe(exe, 0x46, 1, 2);       // sections
    PutLe(exe, 0x54, 240, 2);     // optional header size
    PutLe(exe, 0x58, 0x20B, 2);   // PE32+
    PutLe(exe, 0x58 + 60, 0x200, 4);
    PutLe(exe, 0x58 + 108, 16, 4);  // data directories
    PutLe(exe, 0x148 + 16, 0x200, 4);
    PutLe(exe, 0x148 + 20, 0x200, 4);
    return exe;
}
constexpr size_t kSecurityEntry = 0x58 + 112 + 32;

// Signs as a signer does: zeros up to a multiple of 8, then a table.
void FakeSign(Bytes& file) {
    file.resize((file.size() + 7) / 8 * 8, 0);
    PutLe(file, kSecurityEntry, file.size(), 4);
    PutLe(file, kSecurityEntry + 4, 24, 4);
    file.insert(file.end(), 24, 0xC5);
}

using Files = std::vector<std::pair<std::string, std::string>>;  // in the index's order

// The program with files appended; `before` shifted so that the end is
// not aligned, as another writer might leave it.
Bytes Bundled(const Bytes& program, const Files& files, uint64_t misalign = 0) {
    Bytes out = program;
    std::vector<bundle::Member> members;
    for (const auto& [name, data] : files) {
        out.insert(out.end(), data.begin(), data.end());
        members.push_back({name, data.size(), Crc32Of(data.data(), data.size())});
    }
    const Bytes tail = bundle::EncodeTail(members, out.size() + misalign);
    out.insert(out.end(), tail.begin(), tail.end());
    return out;
}

const Files kFiles = {{"LICENSE.TXT", "the licence"}, {"readme.txt", ""}, {"SETUP.INF", "[SetUp]\r\nname=T\r\n"},
                      {"STP.DLL", std::string(3000, 'd')}, {"TOOLS.HL_", "SZDD compressed help"}};

BundleStatus Open(const Bytes& file, Bundle& bundle) {
    MemoryBytes source(file.data(), file.size());
    return bundle.Open(source);
}

// Where the index lies, and its CRC recomputed after a change to it, so
// that the checks behind the CRC are reached.
size_t IndexAt(const Bytes& b) { return b.size() - kBundleTrailerSize - ReadLe32(&b[b.size() - 20]); }
void Reseal(Bytes& b) {
    const size_t at = IndexAt(b);
    PutLe(b, b.size() - 16, Crc32Of(&b[at], b.size() - kBundleTrailerSize - at), 4);
}
size_t EntryAt(const Bytes& b, size_t i) { return IndexAt(b) + kBundleIndexHeaderSize + i * kBundleEntrySize; }

}  // namespace

// The check value every CRC-32 implementation gives, the same sum fed in
// any two pieces, and the text form.
TEST(BundleCrc, CheckValueChunksAndText) {
    EXPECT_EQ(Crc32Of("123456789", 9), 0xCBF43926u);
    EXPECT_EQ(Crc32Of("", 0), 0u);
    std::string data;
    for (int i = 0; i < 70; ++i) data += static_cast<char>(i * 37 + 11);
    const uint32_t whole = Crc32Of(data.data(), data.size());
    for (size_t cut = 0; cut <= data.size(); ++cut) {
        Crc32 crc;
        crc.Add(data.data(), cut);
        crc.Add(data.data() + cut, data.size() - cut);
        EXPECT_EQ(crc.Value(), whole) << cut;
    }
    char text[9];
    FormatCrc(0x0A1B2C3Du, text);
    EXPECT_STREQ(text, "0A1B2C3D");
    uint32_t crc = 0;
    EXPECT_TRUE(ParseCrc("0a1b2c3D", &crc));
    EXPECT_EQ(crc, 0x0A1B2C3Du);
    for (const char* bad : {"", "0A1B2C3", "0A1B2C3D4", "0A1B2C3G", " 0A1B2C3", "0x1B2C3D"})
        EXPECT_FALSE(ParseCrc(bad, &crc)) << bad;
}

// Every file where the index says, found by its name in any letter case;
// the program alone before them; the same behind a signature.
TEST(BundleReader, FindsEveryFile) {
    for (bool sign : {false, true}) {
        SCOPED_TRACE(sign ? "signed" : "unsigned");
        Bytes file = Bundled(TinyExe(), kFiles, sign ? 3 : 0);
        if (sign) FakeSign(file);
        Bundle bundle;
        ASSERT_EQ(Open(file, bundle), BundleStatus::kOk);
        EXPECT_EQ(bundle.ProgramSize(), 0x400u);
        EXPECT_EQ(bundle.Layout().Signed(), sign);
        ASSERT_EQ(bundle.Count(), kFiles.size());
        MemoryBytes source(file.data(), file.size());
        for (const auto& [name, data] : kFiles) {
            std::string other = name;
            for (char& c : other) c = static_cast<char>(std::isupper(c) ? std::tolower(c) : std::toupper(c));
            BundleFile found;
            ASSERT_TRUE(bundle.Find(other.c_str(), &found)) << other;
            EXPECT_EQ(std::string(found.name), name);
            EXPECT_EQ(std::string(file.begin() + found.offset, file.begin() + found.offset + found.size), data);
            EXPECT_EQ(bundle.CheckFile(source, found), BundleStatus::kOk);
        }
        BundleFile none;
        for (const char* name : {"SETUP.IN", "SETUP.INF_", "", "A", "zzz"})
            EXPECT_FALSE(bundle.Find(name, &none)) << name;
        file.pop_back();  // the signature, or the trailer, cut
        EXPECT_EQ(Open(file, bundle), sign ? BundleStatus::kCutShort : BundleStatus::kNoTrailer);
    }
    // A program without media, signed or carrying a linker's symbol table.
    Bundle bundle;
    Bytes plain = TinyExe();
    EXPECT_EQ(Open(plain, bundle), BundleStatus::kNone);
    Bytes symbols = TinyExe();
    PutLe(symbols, 0x4C, 0x400, 4);
    PutLe(symbols, 0x50, 2, 4);
    symbols.resize(0x400 + 2 * 18 + 9, 'y');
    PutLe(symbols, 0x400 + 36, 9, 4);
    EXPECT_EQ(Open(symbols, bundle), BundleStatus::kNone);
    EXPECT_EQ(Open(Bundled(symbols, kFiles), bundle), BundleStatus::kOk);
    EXPECT_EQ(bundle.ProgramSize(), symbols.size());
    symbols.resize(0x400 + 40);  // its string table cut
    EXPECT_EQ(Open(symbols, bundle), BundleStatus::kCutShort);
    FakeSign(plain);
    EXPECT_EQ(Open(plain, bundle), BundleStatus::kNone);
}

// Every kind of damage is told apart before any file is read; a changed
// byte of a file's data only by that file's check.
TEST(BundleReader, EveryDamageIsFound) {
    const Bytes good = Bundled(TinyExe(), kFiles);
    const size_t payload = 0x400, index = IndexAt(good), trailer = good.size() - kBundleTrailerSize;
    struct Row {
        const char* what;
        std::function<void(Bytes&)> damage;
        BundleStatus status;
    };
    const Row rows[] = {
        {"cut by a byte", [](Bytes& b) { b.pop_back(); }, BundleStatus::kNoTrailer},
        {"cut inside the image", [](Bytes& b) { b.resize(0x3FF); }, BundleStatus::kCutShort},
        {"cut to the program: no media", [](Bytes& b) { b.resize(0x400); }, BundleStatus::kNone},
        {"a byte of the trailer's magic", [&](Bytes& b) { b.back() ^= 0x20; }, BundleStatus::kNoTrailer},
        {"a later version", [&](Bytes& b) { PutLe(b, trailer + 16, 2, 4); }, BundleStatus::kNewerVersion},
        {"a byte of the index", [&](Bytes& b) { b[index + kBundleIndexHeaderSize + 9] ^= 1; }, BundleStatus::kIndexCrc},
        {"an index size one larger", [&](Bytes& b) { PutLe(b, trailer + 8, b.size() - index - 27, 4); },
         BundleStatus::kIndexCrc},
        {"a container reaching into the image", [&](Bytes& b) { PutLe(b, trailer, b.size() - 0x3FF, 8); },
         BundleStatus::kBadTrailer},
        {"a container size of 2^64 - 1", [&](Bytes& b) { PutLe(b, trailer, ~0ull, 8); }, BundleStatus::kBadTrailer},
        {"an index larger than the container", [&](Bytes& b) { PutLe(b, trailer + 8, 0xFFFFFFF0u, 4); },
         BundleStatus::kBadTrailer},
        {"a payload size that overlaps the index",
         [&](Bytes& b) { PutLe(b, index + 8, ReadLe64(&b[index + 8]) + 1, 8), Reseal(b); }, BundleStatus::kBadIndex},
        {"a file that runs into the index",
         [&](Bytes& b) { PutLe(b, EntryAt(b, 4) + 8, ReadLe64(&b[EntryAt(b, 4) + 8]) + 1, 8), Reseal(b); },
         BundleStatus::kBadIndex},
        {"a file that overlaps the one before", [&](Bytes& b) { PutLe(b, EntryAt(b, 2), 0, 8), Reseal(b); },
         BundleStatus::kBadIndex},
        {"sizes that wrap round to the payload's end",
         [&](Bytes& b) {
             const uint64_t at = ReadLe64(&b[EntryAt(b, 3)]), payloadSize = index - payload;
             PutLe(b, EntryAt(b, 3) + 8, ~0ull, 8);  // ends one byte before it starts
             PutLe(b, EntryAt(b, 4), at - 1, 8);
             PutLe(b, EntryAt(b, 4) + 8, payloadSize - at + 1, 8);
             Reseal(b);
         },
         BundleStatus::kBadIndex},
        {"eight more zeros behind the index",
         [&](Bytes& b) {
             b.insert(b.begin() + trailer, 8, 0);
             PutLe(b, b.size() - 28, ReadLe64(&b[b.size() - 28]) + 8, 8);
             PutLe(b, b.size() - 20, ReadLe32(&b[b.size() - 20]) + 8, 4);
             Reseal(b);
         },
         BundleStatus::kBadIndex},
        {"more files than entries", [&](Bytes& b) { PutLe(b, index, 6, 4), Reseal(b); }, BundleStatus::kBadIndex},
        {"a name running past the names", [&](Bytes& b) { PutLe(b, EntryAt(b, 4) + 24, 200, 4), Reseal(b); },
         BundleStatus::kBadIndex},
        {"a name without its zero", [&](Bytes& b) { b[index + 16 + 5 * 28 + 12 + 10] = 'x', Reseal(b); },
         BundleStatus::kBadIndex},
        {"an empty name", [](Bytes& b) { b = Bundled(TinyExe(), {{"", "x"}, {"A", "y"}}); }, BundleStatus::kBadIndex},
        {"a name with a backslash", [](Bytes& b) { b = Bundled(TinyExe(), {{"A\\B", "x"}}); }, BundleStatus::kBadIndex},
        {"a name of 256 bytes", [](Bytes& b) { b = Bundled(TinyExe(), {{std::string(256, 'n'), "x"}}); },
         BundleStatus::kBadIndex},
        {"names out of order", [](Bytes& b) { b = Bundled(TinyExe(), {{"B", "x"}, {"a", "y"}}); },
         BundleStatus::kBadIndex},
        {"one name twice in other case",
         [](Bytes& b) { b = Bundled(TinyExe(), {{"SETUP.INF", "x"}, {"setup.inf", "y"}}); }, BundleStatus::kBadIndex},
        {"a byte of the zeros that end the index", [&](Bytes& b) { b[index + 16 + 5 * 28 + 51 + 2] = 1, Reseal(b); },
         BundleStatus::kBadIndex},
        {"not a program", [](Bytes& b) { b[1] = 'Y'; }, BundleStatus::kNotExe},
        {"a section table past the end", [](Bytes& b) { PutLe(b, 0x46, 200, 2); }, BundleStatus::kNotExe},
    };
    for (const Row& row : rows) {
        Bytes file = good;
        row.damage(file);
        Bundle bundle;
        EXPECT_EQ(Open(file, bundle), row.status) << row.what << ": " << DescribeBundleStatus(Open(file, bundle));
        if (row.status != BundleStatus::kOk) EXPECT_EQ(bundle.Count(), 0u) << row.what;
    }
    // A changed byte of the payload: the index is sound, that file is not.
    for (size_t at = payload; at < index; at += 97) {
        Bytes file = good;
        file[at] ^= 0x01;
        Bundle bundle;
        ASSERT_EQ(Open(file, bundle), BundleStatus::kOk);
        MemoryBytes source(file.data(), file.size());
        int damaged = 0;
        for (size_t i = 0; i < bundle.Count(); ++i) {
            const BundleFile f = bundle.File(i);
            const bool holds = at >= f.offset && at < f.offset + f.size;
            EXPECT_EQ(bundle.CheckFile(source, f), holds ? BundleStatus::kFileCrc : BundleStatus::kOk) << at;
            damaged += holds;
        }
        EXPECT_EQ(damaged, 1) << at;
    }
}

namespace {

const std::string kKit = SETUPKIT;

// Media as pack writes them without --disk-size, with a program of our own
// as the engine.
void WriteMedia(const std::string& media, const Bytes& engine) {
    fs::create_directories(media);
    Write(media + "/setup.exe", engine);
    WriteText(media + "/SETUP.INF", "[SetUp]\r\nname=T\r\n[disks]\r\n1=T disk\r\n");
    for (const auto& [name, data] : kFiles)
        if (name != "SETUP.INF") WriteText(media + "/" + name, data);
}

}  // namespace

// The media's files (all but the engine) in the program, which ends on a
// multiple of 8; a signed engine loses its signature. What the command
// refuses leaves nothing behind.
TEST(BundleCommand, CarriesTheMediaAndRefusesWhatItCannot) {
    for (bool sign : {false, true}) {
        Scratch dir;
        Bytes engine = TinyExe();
        if (sign) FakeSign(engine);
        WriteMedia(dir / "media", engine);
        ASSERT_EQ(Shell(kKit + " bundle " + dir / "media " + dir / "out.exe >" + dir / "log"), 0);
        const Bytes out = Read(dir / "out.exe");
        EXPECT_EQ(out.size() % 8, 0u);
        EXPECT_NE(fs::status(dir / "out.exe").permissions() & fs::perms::owner_exec, fs::perms::none);
        Bundle bundle;
        ASSERT_EQ(Open(out, bundle), BundleStatus::kOk) << sign;
        EXPECT_FALSE(bundle.Layout().Signed());
        EXPECT_EQ(Bytes(out.begin(), out.begin() + bundle.ProgramSize()), TinyExe());
        ASSERT_EQ(bundle.Count(), kFiles.size());
        for (size_t i = 0; i < bundle.Count(); ++i) {
            const BundleFile f = bundle.File(i);
            EXPECT_EQ(Bytes(out.begin() + f.offset, out.begin() + f.offset + f.size), Read(dir / "media/" + f.name));
        }
    }

    struct Row {
        const char* what;
        std::function<void(const std::string& media)> change;
        std::string out;  // under the scratch directory
        const char* refusal;
    };
    const Row rows[] = {
        {"disks as directories", [](const std::string& m) { fs::create_directory(m + "/DISK1"); }, "out.exe",
         "/media/DISK1: media over several disks cannot be bundled: pack without --disk-size"},
        {"another directory", [](const std::string& m) { fs::create_directory(m + "/extras"); }, "out.exe",
         "/media/extras: a directory: media to bundle hold files only"},
        {"two disks in the script",
         [](const std::string& m) { WriteText(m + "/SETUP.INF", "[disks]\n1=one\n2=two\n"); }, "out.exe",
         "/media/SETUP.INF: [disks] lists 2 disks: only media of one disk can be bundled (pack without --disk-size)"},
        {"no resource library", [](const std::string& m) { fs::remove(m + "/STP.DLL"); }, "out.exe",
         "/media/STP.DLL: missing from the media"},
        {"an engine that is no program", [](const std::string& m) { WriteText(m + "/setup.exe", "MZ and no more"); },
         "out.exe", "/media/setup.exe: not a Windows program"},
        {"an engine cut short",
         [](const std::string& m) {
             Bytes cut = TinyExe();
             cut.pop_back();
             Write(m + "/setup.exe", cut);
         },
         "out.exe", "/media/setup.exe: the file is cut short"},
        {"a bundle as the engine", [](const std::string& m) { Write(m + "/setup.exe", Bundled(TinyExe(), kFiles)); },
         "out.exe", "/media/setup.exe: carries media already: bundle the media's own engine"},
        {"one name in two letter cases", [](const std::string& m) { WriteText(m + "/stp.dll", "second"); }, "out.exe",
         "/media/stp.dll: also there as STP.DLL: the installer looks names up without letter case"},
        {"a name the installer cannot look up", [](const std::string& m) { WriteText(m + "/A\\B", "x"); }, "out.exe",
         "/media/A\\B: a name the installer cannot look up (a control character or one of \\/:*?\"<>|)"},
        {"the program among its media", [](const std::string&) {}, "media/out.exe",
         "/media/out.exe: would land among the media it carries: write it elsewhere"},
        {"an output directory that does not exist", [](const std::string&) {}, "none/out.exe",
         "/none/out.exe.part: cannot write"},
    };
    for (const Row& row : rows) {
        Scratch dir;
        WriteMedia(dir / "media", TinyExe());
        row.change(dir / "media");
        EXPECT_EQ(Shell(kKit + " bundle " + dir / "media " + dir / row.out + " 2>" + dir / "err"), 1) << row.what;
        EXPECT_EQ(ReadText(dir / "err"), "setupkit: " + dir.dir + row.refusal + "\n") << row.what;
        EXPECT_FALSE(fs::exists(dir / row.out)) << row.what;
        EXPECT_FALSE(fs::exists(dir / row.out + ".part")) << row.what;
    }
    EXPECT_EQ(Shell(kKit + " bundle only-one 2>/dev/null"), 2);
}

// Signed with osslsigncode and a throwaway certificate, the bundle of media
// packed with the engine as built verifies, and the reader finds every file
// behind the signature. A byte changed after signing fails the signature
// and the CRC-32 of what holds it.
TEST(BundleSigning, OsslsigncodeSignsWhatTheReaderStillReads) {
    ASSERT_EQ(Shell("command -v osslsigncode >/dev/null && command -v openssl >/dev/null"), 0)
        << "osslsigncode or openssl is missing: scripts/bootstrap installs them";
    Scratch dir;
    fs::create_directories(dir / "product");
    WriteText(dir / "product/SETUP.INF",
              "[SetUp]\r\nname=Signed\r\n[choise]\r\nMain=Main|All\r\n[path]\r\nAppDir=C:\\Signed\r\n"
              "[disks]\r\n1=Signed disk\r\n[Main]\r\n1:%AppDir%\\README.TXT=Read me\r\n");
    std::string readme;
    for (int i = 0; i < 400; ++i) readme += "line " + std::to_string(i) + " of the read-me\r\n";
    WriteText(dir / "product/README.TXT", readme);
    ASSERT_EQ(Shell(kKit + " pack " + dir / "product " + dir / "media >/dev/null"), 0);
    ASSERT_EQ(Shell(kKit + " bundle " + dir / "media " + dir / "bundle.exe >/dev/null"), 0);
    ASSERT_EQ(Shell("openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=Bundle-Test -keyout " +
                    dir / "key.pem -out " + dir / "cert.pem 2>/dev/null"),
              0);
    ASSERT_EQ(Shell("osslsigncode sign -certs " + dir / "cert.pem -key " + dir / "key.pem -n Bundle-Test -in " +
                    dir / "bundle.exe -out " + dir / "signed.exe >" + dir / "log 2>&1"),
              0)
        << ReadText(dir / "log");
    const std::string verify =
        "osslsigncode verify -CAfile " + dir / "cert.pem -in " + dir / "checked.exe >" + dir / "log 2>&1";
    const Bytes signedBytes = Read(dir / "signed.exe");
    Write(dir / "checked.exe", signedBytes);
    ASSERT_EQ(Shell(verify), 0) << ReadText(dir / "log");

    Bundle bundle;
    ASSERT_EQ(Open(signedBytes, bundle), BundleStatus::kOk);
    EXPECT_TRUE(bundle.Layout().Signed());
    EXPECT_EQ(bundle.ProgramSize(), fs::file_size(dir / "media/setup.exe"));
    ASSERT_EQ(bundle.Count(), 3u);  // README.TXT, SETUP.INF, STP.DLL
    MemoryBytes source(signedBytes.data(), signedBytes.size());
    BundleFile library;
    ASSERT_TRUE(bundle.Find("stp.dll", &library));
    for (size_t i = 0; i < bundle.Count(); ++i) {
        const BundleFile f = bundle.File(i);
        EXPECT_EQ(bundle.CheckFile(source, f), BundleStatus::kOk) << f.name;
        EXPECT_EQ(Bytes(signedBytes.begin() + f.offset, signedBytes.begin() + f.offset + f.size),
                  Read(dir / "media/" + f.name));
    }

    Bytes changed = signedBytes;
    changed[library.offset + library.size / 2] ^= 0x40;
    Write(dir / "checked.exe", changed);
    EXPECT_NE(Shell(verify), 0) << "a changed payload byte still verifies";
    MemoryBytes changedSource(changed.data(), changed.size());
    ASSERT_EQ(Open(changed, bundle), BundleStatus::kOk);
    EXPECT_EQ(bundle.CheckFile(changedSource, library), BundleStatus::kFileCrc);

    changed = signedBytes;
    changed[library.offset + library.size + 20] ^= 0x01;  // in the index
    Write(dir / "checked.exe", changed);
    EXPECT_NE(Shell(verify), 0) << "a changed index byte still verifies";
    EXPECT_EQ(Open(changed, bundle), BundleStatus::kIndexCrc);
}
