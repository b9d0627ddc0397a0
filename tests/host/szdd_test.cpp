// Native tests of the codec and of setupkit. The codec is built here with
// ASan and UBSan, so a damaged file that made it step out of bounds fails
// the run. msexpand and mscompress, written by others, are the second
// opinion on the format.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "szdd.h"
#include "szdd_samples.h"

namespace {

using Bytes = std::vector<uint8_t>;
namespace fs = std::filesystem;

class Scratch {
public:
    Scratch() {
        std::string pattern = (fs::temp_directory_path() / "szdd-test-XXXXXX").string();
        path_ = mkdtemp(pattern.data()) ? pattern : "";
    }
    ~Scratch() {
        std::error_code ignored;
        if (!path_.empty()) fs::remove_all(path_, ignored);
    }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

Bytes Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Write(const std::string& path, const Bytes& data) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(data.data()), data.size());
}

// The exit status of a shell command, -1 when it did not exit.
int Shell(const std::string& command) {
    int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

Bytes Compressed(const Bytes& data, uint8_t lastChar = 0) {
    Bytes packed;
    EXPECT_EQ(szdd::Compress(data.data(), data.size(), lastChar, packed), szdd::Status::Ok);
    return packed;
}

szdd::Status Expand(const Bytes& file, Bytes* out = nullptr) {
    Bytes scratch;
    Bytes& data = out ? *out : scratch;
    szdd::Header header;
    szdd::Status status = szdd::Expand(file.data(), file.size(), data, &header);
    if (status == szdd::Status::Ok) EXPECT_EQ(data.size(), header.length);
    return status;
}

}  // namespace

// Every size and kind comes back exactly from our expansion and msexpand's;
// on the large inputs mscompress's file expands through ours too, and ours is
// no larger than it.
TEST(Szdd, RoundTripThroughOursAndMsexpand) {
    Scratch dir;
    for (int kind = 0; kind < 2; ++kind) {
        for (size_t size : samples::kSizes) {
            SCOPED_TRACE(std::string(kind ? "text " : "random ") + std::to_string(size));
            const Bytes data = kind ? samples::Text(size, 7 + uint32_t(size)) : samples::Random(size, 3 + uint32_t(size));
            const Bytes packed = Compressed(data, 't');
            szdd::Header header;
            ASSERT_EQ(szdd::ReadHeader(packed.data(), packed.size(), packed.size(), &header), szdd::Status::Ok);
            EXPECT_EQ(header.length, size);
            EXPECT_EQ(header.lastChar, 't');
            Bytes back;
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

    // Our compressor never refers to the ring's first filling; others may.
    const Bytes spaces = {'S', 'Z', 'D', 'D', 0x88, 0xF0, 0x27, 0x33, 'A', 0, 7, 0, 0, 0, 0x02, 0x00, 0x00, 'x', 0x00, 0x10};
    Bytes back;
    ASSERT_EQ(Expand(spaces, &back), szdd::Status::Ok);
    EXPECT_EQ(std::string(back.begin(), back.end()), "   x   ");
    Write(dir / "packed", spaces);
    ASSERT_EQ(Shell("msexpand < " + dir / "packed" + " > " + dir / "expanded"), 0);
    EXPECT_TRUE(Read(dir / "expanded") == back);
}

TEST(Szdd, RefusesDamagedFiles) {
    const Bytes plain = samples::Text(5000, 11);
    const Bytes good = Compressed(plain);
    ASSERT_EQ(Expand(good), szdd::Status::Ok);

    // Cut anywhere: never taken for whole.
    for (size_t n = 0; n < good.size(); ++n) {
        const Bytes cut(good.begin(), good.begin() + n);
        const szdd::Status status = Expand(cut);
        if (n < 8) EXPECT_EQ(status, szdd::Status::NotCompressed) << n;
        else if (n < szdd::kHeaderSize) EXPECT_EQ(status, szdd::Status::BadHeader) << n;
        else EXPECT_TRUE(status == szdd::Status::Truncated || status == szdd::Status::BadHeader) << n;
    }

    Bytes longer = good;
    longer.push_back(0);
    EXPECT_EQ(Expand(longer), szdd::Status::Damaged);
    Bytes mode = good;
    mode[8] = 'B';
    EXPECT_EQ(Expand(mode), szdd::Status::BadHeader);
    // A length the data cannot hold is refused before anything is reserved.
    Bytes huge = good;
    huge[10] = huge[11] = huge[12] = huge[13] = 0xFF;
    EXPECT_EQ(Expand(huge), szdd::Status::BadHeader);
    Bytes more = good, less = good;
    ++more[10];
    --less[10];
    EXPECT_EQ(Expand(more), szdd::Status::Truncated);
    EXPECT_EQ(Expand(less), szdd::Status::Damaged);

    // Garbled data: refused, or expanded to exactly the stated length.
    uint32_t seed = 99;
    int refused = 0;
    for (int round = 0; round < 3000; ++round) {
        Bytes bad = good;
        for (uint32_t k = samples::NextRandom(seed) % 3; k < 3; ++k)
            bad[szdd::kHeaderSize + samples::NextRandom(seed) % (bad.size() - szdd::kHeaderSize)] ^=
                uint8_t(1 + samples::NextRandom(seed) % 255);
        refused += Expand(bad) != szdd::Status::Ok;
    }
    EXPECT_GT(refused, 0);
}

// The command line end to end: names, exit status, messages.
TEST(Setupkit, CompressAndExpandCommands) {
    Scratch dir;
    const std::string kit = SETUPKIT;
    const Bytes data = samples::Text(20000, 5);
    Write(dir / "readme.txt", data);
    ASSERT_EQ(Shell(kit + " compress " + dir / "readme.txt" + " " + dir / "readme.tx_"), 0);
    const Bytes packed = Read(dir / "readme.tx_");
    szdd::Header header;
    ASSERT_EQ(szdd::ReadHeader(packed.data(), packed.size(), packed.size(), &header), szdd::Status::Ok);
    EXPECT_EQ(header.lastChar, 't');
    ASSERT_EQ(Shell("msexpand < " + dir / "readme.tx_" + " > " + dir / "ms.txt"), 0);
    EXPECT_TRUE(Read(dir / "ms.txt") == data);
    ASSERT_EQ(Shell(kit + " expand " + dir / "readme.tx_" + " " + dir / "back.txt"), 0);
    EXPECT_TRUE(Read(dir / "back.txt") == data);

    // A damaged file: status 1, one line naming it, no output left behind.
    Write(dir / "cut.tx_", Bytes(packed.begin(), packed.end() - 1));
    EXPECT_EQ(Shell(kit + " expand " + dir / "cut.tx_" + " " + dir / "cut.txt" + " 2>" + dir / "err"), 1);
    const Bytes err = Read(dir / "err");
    EXPECT_EQ(std::string(err.begin(), err.end()), "setupkit: " + dir / "cut.tx_" + ": compressed data ends early\n");
    EXPECT_FALSE(fs::exists(dir / "cut.txt"));
    EXPECT_EQ(Shell(kit + " expand " + dir / "readme.txt" + " " + dir / "x 2>/dev/null"), 1);
    EXPECT_EQ(Shell(kit + " compress " + dir / "missing" + " " + dir / "x 2>/dev/null"), 1);
    EXPECT_EQ(Shell(kit + " compress " + dir / "readme.txt" + " " + dir / "no/such/dir/x 2>/dev/null"), 1);

    for (const char* args : {"", " compress", " compress a", " expand a b c", " pack a b"})
        EXPECT_EQ(Shell(kit + args + " 2>/dev/null"), 2) << args;
}
