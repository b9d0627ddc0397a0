#include "script_encoding.h"

#include <vector>

#include "base/utf.h"

namespace pack {

namespace {

constexpr char kUtf8Mark[] = "\xEF\xBB\xBF";

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
        AppendUtf8(code, text);
    }
    return text;
}

std::string ScriptInEncoding(const std::string& edited, ProfileEncoding encoding) {
    if (encoding != ProfileEncoding::Utf16LittleEndian && encoding != ProfileEncoding::Utf16BigEndian) return edited;
    const bool little = encoding == ProfileEncoding::Utf16LittleEndian;
    std::string out;
    AppendUtf16(0xFEFF, little, out);
    const unsigned char* at = reinterpret_cast<const unsigned char*>(edited.data());
    const unsigned char* end = at + edited.size();
    if (edited.compare(0, 3, kUtf8Mark) == 0) at += 3;
    // The edited text is the reader's well-formed UTF-8 with ASCII put in.
    while (at < end) {
        unsigned c = *at++;
        int more = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
        unsigned code = more ? c & (0x3Fu >> more) : c;
        for (; more && at < end && (*at & 0xC0) == 0x80; --more) code = code << 6 | (*at++ & 0x3F);
        AppendUtf16(code, little, out);
    }
    return out;
}

}  // namespace pack
