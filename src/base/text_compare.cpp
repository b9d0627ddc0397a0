#include "base/text_compare.h"

#include <windows.h>

int CompareNoCase(const char* a, const char* b) { return lstrcmpiA(a ? a : "", b ? b : ""); }

bool EndsWithNoCase(const char* text, const char* suffix) {
    size_t t = lstrlenA(text), s = lstrlenA(suffix);
    return s <= t && lstrcmpiA(text + (t - s), suffix) == 0;
}
