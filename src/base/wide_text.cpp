#include "base/wide_text.h"

bool ToWide(const char* text, wchar_t* out, size_t cap) {
    if (cap == 0) return false;
    int n = MultiByteToWideChar(kEngineCodePage, 0, text ? text : "", -1, out, static_cast<int>(cap));
    if (n == 0) out[0] = L'\0';
    return n != 0;
}

bool FromWide(const wchar_t* text, char* out, size_t cap) {
    if (cap == 0) return false;
    int n = WideCharToMultiByte(kEngineCodePage, 0, text ? text : L"", -1, out, static_cast<int>(cap), nullptr,
                                nullptr);
    if (n == 0) out[0] = '\0';
    return n != 0;
}
