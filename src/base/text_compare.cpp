#include "base/text_compare.h"

#include <windows.h>

#include "base/wide_text.h"

namespace {

bool IsAscii(const char* text) {
    for (; *text; ++text)
        if (static_cast<unsigned char>(*text) >= 0x80) return false;
    return true;
}

}  // namespace

int CompareNoCase(const char* a, const char* b) {
    a = a ? a : "";
    b = b ? b : "";
    if (IsAscii(a) && IsAscii(b)) return lstrcmpiA(a, b);
    return lstrcmpiW(Wide(a).c_str(), Wide(b).c_str());
}

bool EndsWithNoCase(const char* text, const char* suffix) {
    size_t t = lstrlenA(text), s = lstrlenA(suffix);
    return s <= t && CompareNoCase(text + (t - s), suffix) == 0;
}
