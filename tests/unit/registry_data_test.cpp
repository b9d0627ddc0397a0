#include <windows.h>
#include <gtest/gtest.h>

#include <cwchar>
#include <random>
#include <string>

#include "actions/string_list.h"
#include "script/registry_data.h"

namespace {

std::string Bytes(const char* text, size_t length) { return std::string(text, length); }

std::string Encode(const std::string& bytes) {
    char out[kRegistryDataSize];
    size_t n = BinaryToText(out, sizeof out, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    return std::string(out, n - 1);
}

std::string Decode(const char* text, size_t capacity = kRegistryDataSize) {
    std::string out(capacity, '\0');
    return out.substr(0, TextToBinary(reinterpret_cast<unsigned char*>(&out[0]), capacity, text));
}

TEST(RegistryData, EscapedText) {
    EXPECT_EQ(Encode(Bytes("A\0\1B", 4)), "A<0001>B");
    EXPECT_EQ(Encode(Bytes("one\0two\0\0", 9)), "one<00>two<0000>");
    EXPECT_EQ(Encode("a<b/c\x7f\x80\xff"), "a<3c>b/c\x7f<80ff>");
    EXPECT_EQ(Decode("a<<b"), "a<b");
    EXPECT_EQ(Decode("<>"), "");
    EXPECT_EQ(Decode("<FF>"), "\x76") << "'F' counts 'F' - '0' = 22";
    EXPECT_EQ(Decode("abcdef", 4), "abcd");
    EXPECT_EQ(Decode("<0102030405>", 3), "\x01\x02\x03");

    std::mt19937 random(20240611);
    for (int round = 0; round < 2000; ++round) {
        std::string bytes(random() % 300, '\0');
        for (char& b : bytes) b = static_cast<char>(random() % 4 ? random() % 256 : "<a\0>"[random() % 4]);
        ASSERT_EQ(Decode(Encode(bytes).c_str()), bytes) << "round " << round;
    }
}

// The text ends right before an unreadable page: decoding must stop at its terminator.
TEST(RegistryData, DecodingNeverReadsPastTheText) {
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    char* pages = static_cast<char*>(VirtualAlloc(nullptr, 2 * info.dwPageSize, MEM_COMMIT, PAGE_READWRITE));
    DWORD old;
    VirtualProtect(pages + info.dwPageSize, info.dwPageSize, PAGE_NOACCESS, &old);
    auto atEnd = [&](const char* text) {
        char* placed = pages + info.dwPageSize - (strlen(text) + 1);
        return Decode(strcpy(placed, text));
    };
    // An odd digit's partner is what follows it: '>' or the end of the text.
    EXPECT_EQ(atEnd("<1"), "\xe0");        // 1*16 + ('\0' - '0')
    EXPECT_EQ(atEnd("<1>2"), "\x1e\xf0");  // 1*16 + ('>' - '0'), then 2*16 - 48
    EXPECT_EQ(atEnd("<"), "");
    EXPECT_EQ(atEnd("x<<"), "x<");
    VirtualFree(pages, 0, MEM_RELEASE);
}

// Every capacity: the text stays inside it, ends, and stands for a leading part of the bytes.
TEST(RegistryData, EncodingStaysInsideItsCapacity) {
    std::string bytes = Bytes("ab\0c<<d\x90\x91z", 11);
    for (size_t capacity = 1; capacity <= 40; ++capacity) {
        std::string out(capacity + 8, '#');
        size_t n = BinaryToText(&out[0], capacity, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
        ASSERT_LE(n, capacity);
        ASSERT_EQ(out[n - 1], '\0');
        EXPECT_EQ(out.substr(capacity), "########") << capacity;
        std::string decoded = Decode(out.c_str());
        EXPECT_EQ(decoded, bytes.substr(0, decoded.size())) << capacity;
    }
}

TEST(RegistryData, HexNumbersReadLikeScanf) {
    const std::pair<const char*, DWORD> read[] = {{"1f", 0x1F}, {"  0X1F", 0x1F}, {"+ffffFFFF", 0xFFFFFFFF},
                                                  {"-1", 0xFFFFFFFF}, {"12zz", 0x12}, {"0x", 0}};
    for (const auto& c : read) {
        DWORD value = 7;
        EXPECT_TRUE(ReadHexNumber(c.first, &value) && value == c.second) << c.first;
    }
    for (const char* text : {"zz", "", "-", "100000000"}) {
        DWORD value = 7;
        EXPECT_FALSE(ReadHexNumber(text, &value) || value != 7) << text;
    }
}

std::wstring Chars(const wchar_t* text, size_t length) { return std::wstring(text, length); }

// The list is the registry's UTF-16 data, counted in characters.
TEST(RegistryData, StringListAdditionsStayInsideTheBufferAndTheData) {
    const std::pair<std::wstring, std::wstring> cases[] = {
        {Chars(L"one\0two\0\0", 9), Chars(L"one\0two\0\0", 9)},  // already there
        {Chars(L"one\0TWO\0\0", 9), Chars(L"one\0TWO\0\0", 9)},  // letter case aside
        {L"", Chars(L"two\0\0", 5)},
        {Chars(L"\0", 1), Chars(L"two\0\0", 5)},
        {Chars(L"one\0\0", 5), Chars(L"one\0two\0\0", 9)},
        {Chars(L"one\0", 4), Chars(L"one\0two\0\0", 9)},       // no list end
        {L"one", Chars(L"one\0two\0\0", 9)},                    // no terminator at all
        {Chars(L"one\0\0two\0\0", 10), Chars(L"one\0two\0\0", 9)},  // the list ends at its empty string
        {L"twofold", Chars(L"twofold\0two\0\0", 13)},
    };
    for (const auto& c : cases) {
        wchar_t list[kRegistryDataSize];
        wmemset(list, L'#', kRegistryDataSize);  // nothing beyond the data may be relied on
        wmemcpy(list, c.first.data(), c.first.size());
        DWORD size = static_cast<DWORD>(c.first.size());
        StringListResult result = AddToStringList(list, &size, kRegistryDataSize, L"two");
        EXPECT_EQ(result == StringListResult::AlreadyThere, c.first == c.second) << c.first.size();
        EXPECT_TRUE(std::wstring(list, size) == c.second) << c.first.size();
    }
    // Letter case beyond ASCII is put aside too; a string of other letters is added.
    wchar_t greek[32] = L"\u03a9MEGA \u4e2d\u6587";  // "ΩMEGA 中文", ended twice
    DWORD greekSize = 10;
    EXPECT_EQ(AddToStringList(greek, &greekSize, 32, L"\u03c9mega \u4e2d\u6587"), StringListResult::AlreadyThere);
    EXPECT_EQ(AddToStringList(greek, &greekSize, 32, L"\u03a9mega \u4e2d"), StringListResult::Added);
    EXPECT_TRUE(std::wstring(greek, greekSize) == Chars(L"\u03a9MEGA \u4e2d\u6587\0\u03a9mega \u4e2d\0\0", 18));

    wchar_t buffer[32 + 4];
    wmemset(buffer, L'#', 36);  // 4 guard characters behind a 32-character buffer
    wmemset(buffer, L'a', 26);  // one unterminated string
    DWORD size = 26;
    EXPECT_EQ(AddToStringList(buffer, &size, 32, L"three"), StringListResult::NoRoom);
    EXPECT_EQ(AddToStringList(buffer, &size, 32, L"two"), StringListResult::Added);
    EXPECT_TRUE(std::wstring(buffer, 36) == std::wstring(26, L'a') + Chars(L"\0two\0\0####", 10));
    wmemset(buffer, L'b', 32);  // data filling the whole buffer
    size = 32;
    EXPECT_EQ(AddToStringList(buffer, &size, 32, L"b"), StringListResult::NoRoom);
    EXPECT_TRUE(std::wstring(buffer, 36) == std::wstring(32, L'b') + L"####");
}

}  // namespace
