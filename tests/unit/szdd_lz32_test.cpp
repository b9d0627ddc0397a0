#include <gtest/gtest.h>
#include <windows.h>
#include <lzexpand.h>

#include <string>

#include "szdd.h"
#include "szdd_samples.h"
#include "test_support.h"

// What setupkit compresses, the platform's LZ library expands byte for byte
// and names from the header's last character; our own file expansion agrees
// (binary files on this platform too).
TEST(SzddCodec, PlatformLzLibraryExpandsOurFiles) {
    ScratchDirectory scratch;
    const std::string plain = scratch / "product.dat", packed = scratch / "product.da_", copy = scratch / "copy";
    for (bool text : {false, true}) {
        for (size_t size : samples::Sizes()) {
            SCOPED_TRACE((text ? "text " : "random ") + std::to_string(size));
            const std::vector<uint8_t> bytes = samples::Make(text, size, 13 + uint32_t(size));
            const std::string data(bytes.begin(), bytes.end());
            ASSERT_TRUE(WriteBytes(plain, data));
            ASSERT_EQ(szdd::CompressFile(plain.c_str(), packed.c_str()), szdd::Status::Ok);

            std::string sourceName = packed, targetName = copy;  // the library takes writable names
            OFSTRUCT sourceOf = {}, targetOf = {};
            INT source = LZOpenFileA(&sourceName[0], &sourceOf, OF_READ);
            INT target = LZOpenFileA(&targetName[0], &targetOf, OF_CREATE);
            ASSERT_GE(source, 0);
            ASSERT_GE(target, 0);
            EXPECT_EQ(LZSeek(source, 0, 2), LONG(size));
            LZSeek(source, 0, 0);
            EXPECT_EQ(LZCopy(source, target), LONG(size));
            LZClose(target);
            LZClose(source);
            EXPECT_TRUE(ReadBytes(copy) == data);
            char expanded[MAX_PATH];
            ASSERT_EQ(GetExpandedNameA(&sourceName[0], expanded), 1);
            EXPECT_EQ(std::string(expanded), plain);

            ASSERT_EQ(szdd::ExpandFile(packed.c_str(), copy.c_str()), szdd::Status::Ok);
            EXPECT_TRUE(ReadBytes(copy) == data);
        }
    }
}
