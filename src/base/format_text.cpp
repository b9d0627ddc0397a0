#include "base/format_text.h"

namespace {

struct Output {
    char* start;
    char* at;
    char* end;  // the place of the terminator
    bool cut = false;
    void Put(char c) {
        if (at < end) *at++ = c;
        else cut = true;
    }
    // After a cut, the bytes of a character that did not fit whole go too:
    // the text ends between characters.
    void DropCutCharacter() {
        if (!cut) return;
        char* lead = at;
        while (lead > start && IsContinuation(lead[-1])) --lead;
        if (lead == start) return;
        --lead;
        if (static_cast<unsigned char>(*lead) < 0xC0) return;  // no character was begun
        if (at - lead < SequenceLength(*lead)) at = lead;
    }
    static bool IsContinuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }
    static long SequenceLength(char lead) {
        unsigned char c = static_cast<unsigned char>(lead);
        return c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
    }
    void Repeat(char c, long times) {
        for (; times > 0; --times) Put(c);
    }
};

struct Conversion {
    bool left = false, prefix = false, zeros = false;
    long width = 0, precision = -1;
    char type = '\0';
};

long Digits(const char*& at) {
    long value = 0;
    while (*at >= '0' && *at <= '9') {
        if (value < 100000) value = value * 10 + (*at - '0');
        ++at;
    }
    return value;
}

// Reads what follows a "%" in the platform's order; the type is '\0' for a
// letter the formatter does not know, which is then written as text.
Conversion Parse(const char*& at) {
    Conversion c;
    if (*at == '-') c.left = true, ++at;
    if (*at == '#') c.prefix = true, ++at;
    if (*at == '0') c.zeros = true, ++at;
    c.width = Digits(at);
    if (*at == '.') {
        ++at;
        c.precision = Digits(at);
    }
    // Every number is taken at its full width, as the platform does.
    if (*at == 'l' || *at == 'h') ++at;
    switch (*at) {
        case 's': case 'c': case 'd': case 'i': case 'u': case 'x': case 'X':
            c.type = *at++;
            break;
        default:
            break;
    }
    return c;
}

// Texts are UTF-8: width and precision count characters, and a precision
// never ends a text inside one.
void PutText(Output& out, const Conversion& c, const char* text) {
    if (!text) text = "(null)";
    long bytes = 0, characters = 0;
    while (text[bytes] && (c.precision < 0 || characters < c.precision)) {
        bytes += 1;
        while (Output::IsContinuation(text[bytes])) ++bytes;
        ++characters;
    }
    // Texts are padded with blanks only, whatever the flags say.
    if (!c.left) out.Repeat(' ', c.width - characters);
    for (long i = 0; i < bytes; ++i) out.Put(text[i]);
    if (c.left) out.Repeat(' ', c.width - characters);
}

// A character by its code, in UTF-8 (a code beyond Unicode, or a surrogate,
// as U+FFFD).
void EncodeCharacter(long code, char (&out)[5]) {
    unsigned long u = static_cast<unsigned long>(code);
    if (u > 0x10FFFF || (u >= 0xD800 && u <= 0xDFFF)) u = 0xFFFD;
    int n = 0;
    if (u < 0x80) {
        out[n++] = static_cast<char>(u);
    } else if (u < 0x800) {
        out[n++] = static_cast<char>(0xC0 | (u >> 6));
        out[n++] = static_cast<char>(0x80 | (u & 0x3F));
    } else if (u < 0x10000) {
        out[n++] = static_cast<char>(0xE0 | (u >> 12));
        out[n++] = static_cast<char>(0x80 | ((u >> 6) & 0x3F));
        out[n++] = static_cast<char>(0x80 | (u & 0x3F));
    } else {
        out[n++] = static_cast<char>(0xF0 | (u >> 18));
        out[n++] = static_cast<char>(0x80 | ((u >> 12) & 0x3F));
        out[n++] = static_cast<char>(0x80 | ((u >> 6) & 0x3F));
        out[n++] = static_cast<char>(0x80 | (u & 0x3F));
    }
    out[n] = '\0';
}

void PutNumber(Output& out, const Conversion& c, long number) {
    bool negative = (c.type == 'd' || c.type == 'i') && number < 0;
    unsigned long magnitude = static_cast<unsigned long>(number);
    if (negative) magnitude = 0UL - magnitude;
    bool hex = c.type == 'x' || c.type == 'X';
    const char* digitSet = c.type == 'X' ? "0123456789ABCDEF" : "0123456789abcdef";
    char digits[24];
    int count = 0;
    do {
        digits[count++] = digitSet[magnitude % (hex ? 16 : 10)];
        magnitude /= hex ? 16 : 10;
    } while (magnitude);
    long precision = c.precision > count ? c.precision : count;
    long length = precision + (negative ? 1 : 0) + (hex && c.prefix ? 2 : 0);
    bool zeroPad = c.zeros && !c.left && c.precision < 0;
    if (!c.left && !zeroPad) out.Repeat(' ', c.width - length);
    if (negative) out.Put('-');
    if (hex && c.prefix) {
        out.Put('0');
        out.Put(c.type);
    }
    if (zeroPad) out.Repeat('0', c.width - length);
    out.Repeat('0', precision - count);
    while (count) out.Put(digits[--count]);
    if (c.left) out.Repeat(' ', c.width - length);
}

}  // namespace

size_t FormatText(char* out, size_t cap, const char* format, const FormatArgument* arguments, size_t count) {
    if (cap == 0) return 0;
    Output o = {out, out, out + cap - 1};
    size_t next = 0;
    for (const char* at = format ? format : ""; *at;) {
        if (*at != '%') {
            o.Put(*at++);
            continue;
        }
        ++at;
        if (*at == '%') {
            o.Put(*at++);
            continue;
        }
        Conversion c = Parse(at);
        if (c.type == '\0') continue;
        if (next >= count) continue;
        const FormatArgument& argument = arguments[next++];
        bool wantsText = c.type == 's';
        if (argument.isText != wantsText) continue;
        if (wantsText) {
            PutText(o, c, argument.text);
        } else if (c.type == 'c') {
            char one[5];
            EncodeCharacter(argument.number, one);
            PutText(o, c, one);
        } else {
            PutNumber(o, c, argument.number);
        }
    }
    o.DropCutCharacter();
    *o.at = '\0';
    return static_cast<size_t>(o.at - out);
}
