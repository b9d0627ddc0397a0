#include "script_encoding.h"

#include <vector>

namespace pack {

namespace {

constexpr char kUtf8Mark[] = "\xEF\xBB\xBF";

void PutUtf8(unsigned code, std::string& out) {
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

void PutUnit(unsigned unit, bool little, std::string& out) {
    char low = static_cast<char>(unit & 0xFF), high = static_cast<char>(unit >> 8);
    out += little ? low : high;
    out += little ? high : low;
}

}  // namespace

std::string EditableScript(const std::string& bytes, ProfileEncoding encoding) {
    if (encoding != ProfileEncoding::Utf16LittleEndian && encoding != ProfileEncoding::Utf16BigEndian) return bytes;
    const bool little = encoding == ProfileEncoding::Utf16LittleEndian;
    const unsigned char* data = reinterpret_cast<const unsigned char*>(bytes.data());
    auto unit = [&](size_t i) -> unsigned { return little ? data[i] | data[i + 1] << 8 : data[i] << 8 | data[i + 1]; };
    std::string text = kUtf8Mark;
    for (size_t i = 2; i + 1 < bytes.size();) {
        unsigned code = unit(i);
        i += 2;
        if (code >= 0xD800 && code < 0xDC00 && i + 1 < bytes.size() && unit(i) >= 0xDC00 && unit(i) < 0xE000) {
            code = 0x10000 + ((code - 0xD800) << 10) + (unit(i) - 0xDC00);
            i += 2;
        } else if (code >= 0xD800 && code < 0xE000) {
            code = 0xFFFD;  // a surrogate without its pair, as the reader takes it
        }
        PutUtf8(code, text);
    }
    return text;
}

std::string ScriptInEncoding(const std::string& edited, ProfileEncoding encoding) {
    if (encoding != ProfileEncoding::Utf16LittleEndian && encoding != ProfileEncoding::Utf16BigEndian) return edited;
    const bool little = encoding == ProfileEncoding::Utf16LittleEndian;
    std::string out;
    PutUnit(0xFEFF, little, out);
    const unsigned char* at = reinterpret_cast<const unsigned char*>(edited.data());
    const unsigned char* end = at + edited.size();
    if (edited.compare(0, 3, kUtf8Mark) == 0) at += 3;
    // The edited text is the reader's well-formed UTF-8 with ASCII put in.
    while (at < end) {
        unsigned c = *at++;
        int more = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
        unsigned code = more ? c & (0x3Fu >> more) : c;
        for (; more && at < end && (*at & 0xC0) == 0x80; --more) code = code << 6 | (*at++ & 0x3F);
        if (code >= 0x10000) {
            PutUnit(0xD800 + ((code - 0x10000) >> 10), little, out);
            PutUnit(0xDC00 + ((code - 0x10000) & 0x3FF), little, out);
        } else {
            PutUnit(code, little, out);
        }
    }
    return out;
}

}  // namespace pack
