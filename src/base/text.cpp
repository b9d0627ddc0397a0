#include "base/text.h"

#include <cstring>

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

bool HasLineBreak(const char* text) {
    for (const char* at = text ? text : ""; *at; ++at)
        if (*at == '\r' || *at == '\n') return true;
    return false;
}

const char* FindText(const char* text, const char* needle) {
    if (!text || !needle) return nullptr;
    for (const char* at = text; *at; ++at) {
        const char* a = at;
        const char* b = needle;
        while (*b && *a == *b) ++a, ++b;
        if (!*b) return at;
    }
    return nullptr;
}

char* FindText(char* text, const char* needle) {
    return const_cast<char*>(FindText(static_cast<const char*>(text), needle));
}

char* AddBackslash(char* path, size_t cap) {
    size_t n = std::strlen(path);
    if ((n == 0 || path[n - 1] != '\\') && n + 1 < cap) {
        path[n] = '\\';
        path[n + 1] = '\0';
    }
    return path;
}
