#include <gtest/gtest.h>
#include <windows.h>
#include <lzexpand.h>

#include <string>

#include "szdd.h"
#include "szdd_samples.h"
#include "test_support.h"
#include "base/wide_text.h"

namespace {

// A file opened the way the installer opens media: by the W function, its
// handle then given to the LZ library.
HFILE OpenHandle(const std::string& path, DWORD access, DWORD disposition) {
    HANDLE file = CreateFileW(Wide(path.c_str()).c_str(), access, FILE_SHARE_READ, nullptr, disposition, 0, nullptr);
    return file == INVALID_HANDLE_VALUE ? HFILE_ERROR : static_cast<HFILE>(HandleToLong(file));
}

}  // namespace

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

            HFILE sourceFile = OpenHandle(packed, GENERIC_READ, OPEN_EXISTING);
            ASSERT_NE(sourceFile, HFILE_ERROR);
            INT source = LZInit(sourceFile);
            INT target = OpenHandle(copy, GENERIC_WRITE, CREATE_ALWAYS);
            ASSERT_GE(source, 0);
            ASSERT_NE(target, HFILE_ERROR);
            EXPECT_EQ(LZSeek(source, 0, 2), LONG(size));
            LZSeek(source, 0, 0);
            EXPECT_EQ(LZCopy(source, target), LONG(size));
            LZClose(target);
            LZClose(source);
            EXPECT_TRUE(ReadBytes(copy) == data);
            std::wstring sourceName = Wide(packed.c_str());  // the library takes a writable name
            wchar_t expanded[MAX_PATH];
            ASSERT_EQ(GetExpandedNameW(&sourceName[0], expanded), 1);
            EXPECT_EQ(Narrow(expanded), plain);

            ASSERT_EQ(szdd::ExpandFile(packed.c_str(), copy.c_str()), szdd::Status::Ok);
            EXPECT_TRUE(ReadBytes(copy) == data);
        }
    }
}
