#include "script/text.h"

#include <windows.h>

bool CopyTextN(char* dst, size_t cap, const char* src, size_t n) {
    if (cap == 0) return false;
    size_t i = 0;
    if (src)
        for (; i < n && src[i] && i + 1 < cap; ++i) dst[i] = src[i];
    dst[i] = '\0';
    return !src || i == n || src[i] == '\0';
}

bool CopyText(char* dst, size_t cap, const char* src) {
    return CopyTextN(dst, cap, src, static_cast<size_t>(-1));
}

bool AppendText(char* dst, size_t cap, const char* src) {
    size_t used = 0;
    while (used < cap && dst[used]) ++used;
    if (used >= cap) {  // not terminated inside its buffer: terminate it
        if (cap) dst[cap - 1] = '\0';
        return false;
    }
    return CopyText(dst + used, cap - used, src);
}

int CompareNoCase(const char* a, const char* b) { return lstrcmpiA(a ? a : "", b ? b : ""); }

bool EndsWithNoCase(const char* text, const char* suffix) {
    size_t t = lstrlenA(text), s = lstrlenA(suffix);
    return s <= t && lstrcmpiA(text + (t - s), suffix) == 0;
}
