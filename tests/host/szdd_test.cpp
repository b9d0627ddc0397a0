// Native tests of the codec and of setupkit. The codec is built here with
// ASan and UBSan, so a damaged file that made it step out of bounds fails
// the run. msexpand and mscompress, written by others, are the second opinion.
#include <gtest/gtest.h>

#include "host_support.h"
#include "szdd.h"
#include "szdd_samples.h"

namespace {

using namespace host;
namespace fs = std::filesystem;

szdd::Status Expand(const Bytes& file, Bytes* out = nullptr) {
    Bytes scratch;
    szdd::Header header;
    szdd::Status status = szdd::Expand(file.data(), file.size(), out ? *out : scratch, &header);
    if (status == szdd::Status::Ok) EXPECT_EQ((out ? *out : scratch).size(), header.length);
    return status;
}

}  // namespace

// Whatever the sizes of the pieces it is read and written in, a file
// expands to the same bytes, or is refused for the same reason, as whole.
TEST(Szdd, ExpandsPieceByPiece) {
    const Bytes data = samples::Make(true, 20000, 17);
    Bytes packed, back;
    ASSERT_EQ(szdd::Compress(data.data(), data.size(), 0, packed), szdd::Status::Ok);
    Bytes cut(packed.begin(), packed.end() - 3), longer = packed, less = packed;
    longer.push_back(0);
    --less[10];
    const std::pair<const Bytes*, szdd::Status> files[] = {{&packed, szdd::Status::Ok},
                                                          {&cut, szdd::Status::Truncated},
                                                          {&longer, szdd::Status::Damaged},
                                                          {&less, szdd::Status::Damaged}};
    for (const auto& [file, status] : files) {
        ASSERT_EQ(Expand(*file), status);
        for (size_t inStep : {1, 2, 3, 17, 4096, 1 << 20})
            for (size_t outStep : {1, 2, 18, 143, 144, 5000, 1 << 20}) {
                ASSERT_EQ(samples::ExpandInPieces(*file, inStep, outStep, &back), status) << inStep << " " << outStep;
                if (status == szdd::Status::Ok) ASSERT_TRUE(back == data) << inStep << " " << outStep;
            }
    }
}

// Every size and kind comes back exactly through our expansion and msexpand;
// for the large ones mscompress's file expands through ours as well, and
// ours is no larger than it.
TEST(Szdd, RoundTripThroughOursAndMsexpand) {
    Scratch dir;
    for (bool text : {false, true}) {
        for (size_t size : samples::Sizes()) {
            SCOPED_TRACE((text ? "text " : "random ") + std::to_string(size));
            const Bytes data = samples::Make(text, size, 3 + uint32_t(size));
            Bytes packed, back;
            ASSERT_EQ(szdd::Compress(data.data(), data.size(), 't', packed), szdd::Status::Ok);
            szdd::Header header;
            ASSERT_EQ(szdd::ReadHeader(packed.data(), packed.size(), packed.size(), &header), szdd::Status::Ok);
            EXPECT_EQ(header.length, size);
            EXPECT_EQ(header.lastChar, 't');
            ASSERT_EQ(Expand(packed, &back), szdd::Status::Ok);
            EXPECT_TRUE(back == data);
            Write(dir / "packed", packed);
            ASSERT_EQ(Shell("msexpand < " + dir / "packed" + " > " + dir / "expanded"), 0);
            EXPECT_TRUE(Read(dir / "expanded") == data);

            if (size < 100000) continue;
            Write(dir / "plain", data);
            fs::remove(dir / "plain_");
            ASSERT_EQ(Shell("mscompress " + dir / "plain"), 0);
            const Bytes theirs = Read(dir / "plain_");
            ASSERT_EQ(Expand(theirs, &back), szdd::Status::Ok);
            EXPECT_TRUE(back == data);
            EXPECT_LE(packed.size(), theirs.size() * 1.01) << "theirs " << theirs.size();
        }
    }
    // Matches into the ring's first filling, which our compressor never makes.
    const Bytes spaces = {'S', 'Z', 'D', 'D', 0x88, 0xF0, 0x27, 0x33, 'A', 0, 7, 0, 0, 0, 0x02, 0, 0, 'x', 0, 0x10};
    Bytes back;
    ASSERT_EQ(Expand(spaces, &back), szdd::Status::Ok);
    EXPECT_EQ(std::string(back.begin(), back.end()), "   x   ");
    Write(dir / "packed", spaces);
    ASSERT_EQ(Shell("msexpand < " + dir / "packed" + " > " + dir / "expanded"), 0);
    EXPECT_TRUE(Read(dir / "expanded") == back);
}

TEST(Szdd, RefusesDamagedFiles) {
    const Bytes data = samples::Make(true, 5000, 11);
    Bytes good;
    szdd::Compress(data.data(), data.size(), 0, good);
    ASSERT_EQ(Expand(good), szdd::Status::Ok);
    for (size_t n = 0; n < good.size(); ++n)
        EXPECT_NE(Expand(Bytes(good.begin(), good.begin() + n)), szdd::Status::Ok) << "cut to " << n;
    EXPECT_EQ(Expand(Bytes(good.begin(), good.begin() + 7)), szdd::Status::NotCompressed);
    EXPECT_EQ(Expand(Bytes(good.begin(), good.begin() + 13)), szdd::Status::BadHeader);
    EXPECT_EQ(Expand(Bytes(good.begin(), good.end() - 1)), szdd::Status::Truncated);

    Bytes longer = good, mode = good, huge = good, more = good, less = good;
    longer.push_back(0);
    mode[8] = 'B';
    huge[13] = 0xFF;  // a length the data cannot hold: refused before anything is reserved
    ++more[10];
    --less[10];
    EXPECT_EQ(Expand(longer), szdd::Status::Damaged);
    EXPECT_EQ(Expand(mode), szdd::Status::BadHeader);
    EXPECT_EQ(Expand(huge), szdd::Status::BadHeader);
    EXPECT_EQ(Expand(more), szdd::Status::Truncated);
    EXPECT_EQ(Expand(less), szdd::Status::Damaged);

    // Garbled data: refused, or expanded to exactly the stated length.
    uint32_t seed = 99;
    int refused = 0;
    for (int round = 0; round < 3000; ++round) {
        Bytes bad = good;
        for (int k = 0; k < 3; ++k)
            bad[szdd::kHeaderSize + samples::Next(seed) % (bad.size() - szdd::kHeaderSize)] ^= uint8_t(seed >> 24 | 1);
        refused += Expand(bad) != szdd::Status::Ok;
    }
    EXPECT_GT(refused, 0);
}

// The command line end to end: names, exit status, messages.
TEST(Setupkit, CompressAndExpandCommands) {
    Scratch dir;
    const std::string kit = SETUPKIT " ";
    const Bytes data = samples::Make(true, 20000, 5);
    Write(dir / "readme.txt", data);
    ASSERT_EQ(Shell(kit + "compress " + dir / "readme.txt" + " " + dir / "readme.tx_"), 0);
    const Bytes packed = Read(dir / "readme.tx_");
    ASSERT_GT(packed.size(), szdd::kHeaderSize);
    EXPECT_EQ(packed[9], 't');  // the character the name replaced
    ASSERT_EQ(Shell(kit + "expand " + dir / "readme.tx_" + " " + dir / "back.txt"), 0);
    EXPECT_TRUE(Read(dir / "back.txt") == data);

    Write(dir / "cut.tx_", Bytes(packed.begin(), packed.end() - 1));
    EXPECT_EQ(Shell(kit + "expand " + dir / "cut.tx_" + " " + dir / "cut.txt" + " 2>" + dir / "err"), 1);
    const Bytes err = Read(dir / "err");
    EXPECT_EQ(std::string(err.begin(), err.end()), "setupkit: " + dir / "cut.tx_" + ": compressed data ends early\n");
    EXPECT_FALSE(fs::exists(dir / "cut.txt"));
    EXPECT_EQ(Shell(kit + "compress " + dir / "missing" + " " + dir / "x" + " 2>/dev/null"), 1);
    for (const char* args : {"", "compress", "compress a", "expand a b c", "unpack a b", "pack a",
                             "pack a b --disk-size 0", "pack a b c", "pack a b --engine"})
        EXPECT_EQ(Shell(kit + args + " 2>/dev/null"), 2) << args;
}
