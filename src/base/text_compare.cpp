#include "base/text_compare.h"

#include <windows.h>

#include <cstring>

#include "base/wide_text.h"

int CompareNoCase(const char* a, const char* b) {
    a = a ? a : "";
    b = b ? b : "";
    return lstrcmpiW(Wide(a).c_str(), Wide(b).c_str());
}

bool EndsWithNoCase(const char* text, const char* suffix) {
    size_t t = std::strlen(text), s = std::strlen(suffix);
    return s <= t && CompareNoCase(text + (t - s), suffix) == 0;
}
