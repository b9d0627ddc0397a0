#include "script/registry_data.h"

size_t BinaryToText(char* destination, size_t capacity, const unsigned char* bytes, size_t length) {
    if (capacity == 0) return 0;
    static const char kDigits[] = "0123456789abcdef";
    size_t written = 0;
    bool open = false;
    for (size_t i = 0; i < length; ++i) {
        unsigned char b = bytes[i];
        bool escaped = b < 0x20 || b >= 0x80 || b == '<';
        // Room for this byte's text, the '>' that may close its group, and the terminator.
        size_t need = (escaped ? (open ? 2 : 3) : (open ? 2 : 1)) + (escaped ? 1 : 0) + 1;
        if (written + need > capacity) break;
        if (escaped) {
            if (!open) destination[written++] = '<';
            open = true;
            destination[written++] = kDigits[b >> 4];
            destination[written++] = kDigits[b & 15];
        } else {
            if (open) destination[written++] = '>';
            open = false;
            destination[written++] = static_cast<char>(b);
        }
    }
    if (open) destination[written++] = '>';
    destination[written++] = '\0';
    return written;
}

namespace {

// Only 0-9 and a-f mean what they say; every other character still gives a
// value, by the same arithmetic.
int DigitValue(unsigned char c) { return c < 'a' ? c - '0' : c - 'a' + 10; }

}  // namespace

bool IsEscapedText(const char* text) {
    auto digit = [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); };
    for (const char* at = text; *at;) {
        if (at[0] != '<') {
            ++at;
        } else if (at[1] == '<') {
            at += 2;
        } else {
            for (++at; *at != '>'; at += 2)
                if (!digit(at[0]) || !digit(at[1])) return false;
            ++at;
        }
    }
    return true;
}

size_t TextToBinary(unsigned char* destination, size_t capacity, const char* text) {
    const unsigned char* at = reinterpret_cast<const unsigned char*>(text);
    size_t written = 0;
    bool group = false;
    while (*at && written < capacity) {
        if (!group) {
            if (at[0] == '<' && at[1] == '<') {
                destination[written++] = '<';
                at += 2;
            } else if (at[0] == '<') {
                group = true;
                ++at;
            } else {
                destination[written++] = *at++;
            }
        } else if (*at == '>') {
            group = false;
            ++at;
        } else {
            // An odd digit takes whatever follows as its partner, '>' or the
            // end of the text included; the end is not stepped over.
            int high = DigitValue(at[0]);
            int low = DigitValue(at[1]);
            destination[written++] = static_cast<unsigned char>((high * 16 + low) & 0xFF);
            at += at[1] ? 2 : 1;
        }
    }
    return written;
}

bool ReadHexNumber(const char* text, unsigned long* value) {
    const char* at = text;
    while (*at == ' ' || (*at >= '\t' && *at <= '\r')) ++at;
    bool negative = *at == '-';
    if (*at == '-' || *at == '+') ++at;
    if (at[0] == '0' && (at[1] == 'x' || at[1] == 'X')) {
        bool digitFollows =
            (at[2] >= '0' && at[2] <= '9') || (at[2] >= 'a' && at[2] <= 'f') || (at[2] >= 'A' && at[2] <= 'F');
        if (!digitFollows) {  // "0x" alone reads as the number 0
            *value = 0;
            return true;
        }
        at += 2;
    }
    unsigned long long number = 0;
    int digits = 0;
    for (;; ++at, ++digits) {
        int d;
        if (*at >= '0' && *at <= '9')
            d = *at - '0';
        else if (*at >= 'a' && *at <= 'f')
            d = *at - 'a' + 10;
        else if (*at >= 'A' && *at <= 'F')
            d = *at - 'A' + 10;
        else
            break;
        number = number * 16 + d;
        if (number > 0xFFFFFFFFull) return false;
    }
    if (digits == 0) return false;
    *value = static_cast<unsigned long>((negative ? 0u - number : number) & 0xFFFFFFFFu);
    return true;
}
