#include "base/media_crc.h"

namespace {

// Eight tables, so that the sum takes eight bytes per step: the copy feeds
// it every byte it installs.
struct Tables {
    uint32_t t[8][256];
};

constexpr Tables MakeTables() {
    Tables tables{};
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t c = i;
        for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        tables.t[0][i] = c;
    }
    for (uint32_t i = 0; i < 256; ++i)
        for (int k = 1; k < 8; ++k) tables.t[k][i] = (tables.t[k - 1][i] >> 8) ^ tables.t[0][tables.t[k - 1][i] & 0xFF];
    return tables;
}

constexpr Tables kTables = MakeTables();

}  // namespace

void Crc32::Add(const void* data, size_t size) {
    const unsigned char* p = static_cast<const unsigned char*>(data);
    uint32_t c = state_;
    const auto& t = kTables.t;
    for (; size >= 8; size -= 8, p += 8) {
        // Assembled byte by byte: the same on any byte order and alignment.
        uint32_t low = c ^ (uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24);
        c = t[7][low & 0xFF] ^ t[6][(low >> 8) & 0xFF] ^ t[5][(low >> 16) & 0xFF] ^ t[4][low >> 24] ^ t[3][p[4]] ^
            t[2][p[5]] ^ t[1][p[6]] ^ t[0][p[7]];
    }
    for (; size; --size, ++p) c = t[0][(c ^ *p) & 0xFF] ^ (c >> 8);
    state_ = c;
}

uint32_t Crc32Of(const void* data, size_t size) {
    Crc32 crc;
    crc.Add(data, size);
    return crc.Value();
}

void FormatCrc(uint32_t crc, char (&text)[9]) {
    static const char kDigits[] = "0123456789ABCDEF";
    for (int i = 7; i >= 0; --i, crc >>= 4) text[i] = kDigits[crc & 0xF];
    text[8] = '\0';
}

bool ParseCrc(const char* text, uint32_t* crc) {
    uint32_t value = 0;
    for (int i = 0; i < 8; ++i) {
        const char c = text[i];
        uint32_t digit;
        if (c >= '0' && c <= '9')
            digit = uint32_t(c - '0');
        else if (c >= 'A' && c <= 'F')
            digit = uint32_t(c - 'A' + 10);
        else if (c >= 'a' && c <= 'f')
            digit = uint32_t(c - 'a' + 10);
        else
            return false;
        value = value << 4 | digit;
    }
    if (text[8] != '\0') return false;
    *crc = value;
    return true;
}
