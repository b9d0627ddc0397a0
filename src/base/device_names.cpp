#include "base/device_names.h"

#include <cstring>

namespace {

// The text [at, at + n) equals name, letter case of A-Z aside.
bool Same(const char* at, size_t n, const char* name) {
    if (std::strlen(name) != n) return false;
    for (size_t i = 0; i < n; ++i) {
        char c = at[i] >= 'a' && at[i] <= 'z' ? static_cast<char>(at[i] - 32) : at[i];
        if (c != name[i]) return false;
    }
    return true;
}

// The platform looks only at the name before the first dot (or a colon),
// without the blanks at its end: "nul.tar.gz", "CON .txt" and "LPT1:" are
// devices as much as NUL, CON and LPT1.
bool IsDevicePart(const char* begin, const char* end) {
    const char* stem = begin;
    while (stem < end && *stem != '.' && *stem != ':') ++stem;
    while (stem > begin && stem[-1] == ' ') --stem;
    size_t n = static_cast<size_t>(stem - begin);
    static const char* const kNames[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
    for (const char* name : kNames)
        if (Same(begin, n, name)) return true;
    if (n != 4 || !(Same(begin, 3, "COM") || Same(begin, 3, "LPT"))) return false;
    // The superscript digits of code page 1252 count as digits here.
    unsigned char digit = static_cast<unsigned char>(begin[3]);
    return (digit >= '1' && digit <= '9') || digit == 0xB9 || digit == 0xB2 || digit == 0xB3;
}

}  // namespace

bool IsDeviceName(const char* fileName) { return IsDevicePart(fileName, fileName + std::strlen(fileName)); }

const char* FindDeviceName(const char* path) {
    for (const char* part = path;;) {
        const char* end = part + std::strcspn(part, "\\/");
        if (IsDevicePart(part, end)) return part;
        if (!*end) return nullptr;
        part = end + 1;
    }
}
