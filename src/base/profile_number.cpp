#include "base/profile_reader.h"

int ProfileNumber(const char* text, int fallback) {
    while (*text == ' ' || (*text >= '\t' && *text <= '\r')) ++text;
    if (!*text) return fallback;
    bool negative = *text == '-';
    if (*text == '-' || *text == '+') ++text;
    unsigned long value = 0;
    for (; *text >= '0' && *text <= '9'; ++text) value = value * 10 + static_cast<unsigned long>(*text - '0');
    unsigned number = static_cast<unsigned>(value);  // wraps like the platform's 32 bits
    return static_cast<int>(negative ? 0u - number : number);
}
