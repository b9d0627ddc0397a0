#include "base/utf.h"

void AppendUtf8(uint32_t code, std::string& out) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | code >> 6);
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | code >> 12);
        out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | code >> 18);
        out += static_cast<char>(0x80 | (code >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

namespace {

void AppendUnit(uint32_t unit, bool littleEndian, std::string& out) {
    char low = static_cast<char>(unit & 0xFF), high = static_cast<char>(unit >> 8 & 0xFF);
    out += littleEndian ? low : high;
    out += littleEndian ? high : low;
}

}  // namespace

void AppendUtf16(uint32_t code, bool littleEndian, std::string& out) {
    if (code >= 0x10000) {
        AppendUnit(0xD800 + ((code - 0x10000) >> 10), littleEndian, out);
        AppendUnit(0xDC00 + ((code - 0x10000) & 0x3FF), littleEndian, out);
    } else {
        AppendUnit(code, littleEndian, out);
    }
}
