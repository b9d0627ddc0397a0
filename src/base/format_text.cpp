#include "base/format_text.h"

namespace {

struct Output {
    char* at;
    char* end;  // the place of the terminator
    void Put(char c) {
        if (at < end) *at++ = c;
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

void PutText(Output& out, const Conversion& c, const char* text) {
    if (!text) text = "(null)";
    long length = 0;
    while (text[length] && (c.precision < 0 || length < c.precision)) ++length;
    // Texts are padded with blanks only, whatever the flags say.
    if (!c.left) out.Repeat(' ', c.width - length);
    for (long i = 0; i < length; ++i) out.Put(text[i]);
    if (c.left) out.Repeat(' ', c.width - length);
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
    Output o = {out, out + cap - 1};
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
            char one[2] = {static_cast<char>(argument.number), '\0'};
            PutText(o, c, one);
        } else {
            PutNumber(o, c, argument.number);
        }
    }
    *o.at = '\0';
    return static_cast<size_t>(o.at - out);
}
