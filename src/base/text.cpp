#include "base/text.h"

#include <cstring>

bool CopyTextN(char* dst, size_t cap, const char* src, size_t n) {
    if (cap == 0) return false;
    size_t i = 0;
    if (src)
        for (; i < n && src[i] && i + 1 < cap; ++i) dst[i] = src[i];
    bool whole = !src || i == n || src[i] == '\0';
    // A text cut short is cut before the character that did not fit whole:
    // half a UTF-8 sequence would read as a character of its own.
    if (!whole) i = CharacterStart(src, i);
    dst[i] = '\0';
    return whole;
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

size_t CharacterStart(const char* text, size_t at) {
    // A character has three continuation bytes at most: more are no text.
    for (int back = 0; back < 3 && at > 0 && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80; ++back) --at;
    return at;
}

size_t WideLength(const char* text, size_t length) {
    size_t units = 0;
    for (size_t i = 0; i < length; ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        // Every character counts at its first byte; one beyond the 16-bit
        // range takes two units (a surrogate pair).
        if ((c & 0xC0) != 0x80) units += c >= 0xF0 ? 2 : 1;
    }
    return units;
}

size_t WideLength(const char* text) { return text ? WideLength(text, std::strlen(text)) : 0; }

bool CopyTextWidth(char* dst, size_t cap, const char* src, size_t width) {
    const char* text = src ? src : "";
    size_t end = 0, units = 0;
    while (text[end]) {
        size_t next = end + 1;
        while ((static_cast<unsigned char>(text[next]) & 0xC0) == 0x80) ++next;
        size_t add = WideLength(text + end, next - end);
        if (units + add > width) break;
        units += add;
        end = next;
    }
    return CopyTextN(dst, cap, text, end) && !text[end];
}
