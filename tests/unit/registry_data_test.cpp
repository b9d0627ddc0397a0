#include <gtest/gtest.h>

#include <random>
#include <string>

#include "actions/registry_data.h"

namespace {

std::string Bytes(const char* text, size_t length) { return std::string(text, length); }

std::string Encode(const std::string& bytes, size_t capacity = kRegistryDataSize) {
    std::string out(capacity, '\0');
    size_t n = BinaryToText(&out[0], capacity, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    EXPECT_GE(n, 1u);
    EXPECT_EQ(out[n - 1], '\0');
    return out.substr(0, n - 1);
}

std::string Decode(const char* text, size_t capacity = kRegistryDataSize) {
    std::string out(capacity, '\0');
    size_t n = TextToBinary(reinterpret_cast<unsigned char*>(&out[0]), capacity, text);
    return out.substr(0, n);
}

TEST(RegistryData, EscapedTextExamples) {
    EXPECT_EQ(Encode(Bytes("A\0\1B", 4)), "A<0001>B");
    EXPECT_EQ(Encode(Bytes("one\0two\0\0", 9)), "one<00>two<0000>");
    EXPECT_EQ(Encode("a<b/c\x7f\x80\xff"), "a<3c>b/c\x7f<80ff>");
    EXPECT_EQ(Encode(""), "");

    EXPECT_EQ(Decode("a<<b"), "a<b");
    EXPECT_EQ(Decode("<>"), "");
    EXPECT_EQ(Decode("one<00>two<0000>"), Bytes("one\0two\0\0", 9));
    EXPECT_EQ(Decode("<3c><<"), "<<");
    // Only 0-9 and a-f mean what they say; 'F' counts 'F' - '0' = 22.
    EXPECT_EQ(Decode("<FF>"), "\x76");
}

TEST(RegistryData, RoundTripOfRandomBytes) {
    std::mt19937 random(20240611);
    for (int round = 0; round < 2000; ++round) {
        std::string bytes(random() % 300, '\0');
        for (char& b : bytes) b = static_cast<char>(random() % 4 ? random() % 256 : "<a\0>"[random() % 4]);
        std::string text = Encode(bytes, 1024);
        ASSERT_LT(text.size(), 1024u);
        ASSERT_EQ(Decode(text.c_str()), bytes) << "round " << round;
    }
}

// The text ends right before an unreadable page: decoding must stop at its terminator.
TEST(RegistryData, DecodingNeverReadsPastTheText) {
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    char* pages = static_cast<char*>(VirtualAlloc(nullptr, 2 * info.dwPageSize, MEM_COMMIT, PAGE_READWRITE));
    ASSERT_NE(pages, nullptr);
    DWORD old;
    VirtualProtect(pages + info.dwPageSize, info.dwPageSize, PAGE_NOACCESS, &old);
    auto atEnd = [&](const char* text) {
        size_t n = strlen(text) + 1;
        char* placed = pages + info.dwPageSize - n;
        memcpy(placed, text, n);
        return Decode(placed);
    };
    // An odd digit's partner is whatever follows: '>' or the end of the text.
    EXPECT_EQ(atEnd("<1"), "\xe0");         // 1*16 + ('\0' - '0')
    EXPECT_EQ(atEnd("<1>2"), "\x1e\xf0");   // 1*16 + ('>' - '0'), then 2*16 - 48
    EXPECT_EQ(atEnd("<"), "");
    EXPECT_EQ(atEnd("x<"), "x");
    EXPECT_EQ(atEnd("<124"), "\x12\x10");     // 4*16 - 48
    VirtualFree(pages, 0, MEM_RELEASE);
}

TEST(RegistryData, CapacitiesAreKept) {
    EXPECT_EQ(Decode("abcdef", 4), "abcd");
    EXPECT_EQ(Decode("<0102030405>", 3), "\x01\x02\x03");

    // Every capacity: the output stays inside it, is terminated, and decodes
    // to a leading part of the bytes.
    std::string bytes = Bytes("ab\0c<<d\x90\x91z", 11);
    for (size_t capacity = 1; capacity <= 40; ++capacity) {
        std::string out(capacity + 8, '#');
        size_t n = BinaryToText(&out[0], capacity, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
        ASSERT_LE(n, capacity);
        EXPECT_EQ(out.substr(capacity), "########") << capacity;
        ASSERT_EQ(out[n - 1], '\0');
        std::string decoded = Decode(out.c_str());
        EXPECT_EQ(decoded, bytes.substr(0, decoded.size())) << capacity;
    }
    EXPECT_EQ(BinaryToText(nullptr, 0, nullptr, 0), 0u);
}

TEST(RegistryData, HexNumbersReadLikeScanf) {
    DWORD value = 7;
    EXPECT_TRUE(ReadHexNumber("1f", &value));
    EXPECT_EQ(value, 0x1Fu);
    EXPECT_TRUE(ReadHexNumber("  0X1F", &value));
    EXPECT_EQ(value, 0x1Fu);
    EXPECT_TRUE(ReadHexNumber("+ffffFFFF", &value));
    EXPECT_EQ(value, 0xFFFFFFFFu);
    EXPECT_TRUE(ReadHexNumber("-1", &value));
    EXPECT_EQ(value, 0xFFFFFFFFu);
    EXPECT_TRUE(ReadHexNumber("12zz", &value));
    EXPECT_EQ(value, 0x12u);
    EXPECT_TRUE(ReadHexNumber("0x", &value));
    EXPECT_EQ(value, 0u);
    value = 7;
    EXPECT_FALSE(ReadHexNumber("zz", &value));
    EXPECT_FALSE(ReadHexNumber("", &value));
    EXPECT_FALSE(ReadHexNumber("-", &value));
    EXPECT_FALSE(ReadHexNumber("100000000", &value));
    EXPECT_EQ(value, 7u);
}

struct ListCase {
    std::string list;
    std::string expected;  // "=": unchanged
    StringListResult result;
};

TEST(RegistryData, StringListAdditions) {
    const ListCase cases[] = {
        {Bytes("one\0two\0\0", 9), "=", StringListResult::AlreadyThere},
        {Bytes("one\0TWO\0\0", 9), "=", StringListResult::AlreadyThere},
        {"", Bytes("two\0\0", 5), StringListResult::Added},
        {Bytes("\0", 1), Bytes("two\0\0", 5), StringListResult::Added},
        {Bytes("one\0\0", 5), Bytes("one\0two\0\0", 9), StringListResult::Added},
        {Bytes("one\0", 4), Bytes("one\0two\0\0", 9), StringListResult::Added},
        // Malformed: no terminator at all, and strings after the list's end.
        {"one", Bytes("one\0two\0\0", 9), StringListResult::Added},
        {Bytes("one\0\0two\0\0", 10), "=", StringListResult::Added},
        {Bytes("one\0\0zz", 7), Bytes("one\0two\0\0", 9), StringListResult::Added},
        {"twofold", Bytes("twofold\0two\0\0", 13), StringListResult::Added},
    };
    for (const ListCase& c : cases) {
        unsigned char list[kRegistryDataSize];
        memset(list, '#', sizeof list);  // nothing beyond the data may be relied on
        memcpy(list, c.list.data(), c.list.size());
        DWORD size = static_cast<DWORD>(c.list.size());
        EXPECT_EQ(AddToStringList(list, &size, sizeof list, "two"), c.result) << c.list;
        std::string after(reinterpret_cast<char*>(list), size);
        if (c.expected == "=") {
            if (c.result == StringListResult::Added) EXPECT_EQ(after, Bytes("one\0two\0\0", 9));
            else EXPECT_EQ(after, c.list);
        } else {
            EXPECT_EQ(after, c.expected);
        }
    }
}

TEST(RegistryData, StringListStaysInsideItsBuffer) {
    // A guard behind the buffer's end must stay untouched.
    unsigned char buffer[32 + 4];
    memset(buffer, '#', sizeof buffer);
    std::string full = std::string(26, 'a') + std::string(1, '\0');  // 27 bytes, no list end
    memcpy(buffer, full.data(), full.size());
    DWORD size = static_cast<DWORD>(full.size());
    EXPECT_EQ(AddToStringList(buffer, &size, 32, "three"), StringListResult::NoRoom);
    EXPECT_EQ(size, 27u);
    EXPECT_EQ(AddToStringList(buffer, &size, 32, "two"), StringListResult::Added);
    EXPECT_EQ(size, 32u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), 36), std::string(26, 'a') + Bytes("\0two\0\0####", 10));

    // Data that fills the whole buffer without a terminator: read to its end only.
    memset(buffer, 'b', 32);
    size = 32;
    EXPECT_EQ(AddToStringList(buffer, &size, 32, "b"), StringListResult::NoRoom);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer + 32), 4), "####");
}

}  // namespace
