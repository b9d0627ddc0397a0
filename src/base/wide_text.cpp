#include "base/wide_text.h"

#include <cstring>

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

namespace {

std::wstring Decode(UINT codePage, const char* text, size_t length) {
    std::wstring wide;
    if (!text || length == 0) return wide;
    int n = MultiByteToWideChar(codePage, 0, text, static_cast<int>(length), nullptr, 0);
    if (n <= 0) return wide;
    wide.resize(static_cast<size_t>(n));
    MultiByteToWideChar(codePage, 0, text, static_cast<int>(length), &wide[0], n);
    return wide;
}

}  // namespace

std::wstring Wide(const char* text) { return Wide(text, text ? std::strlen(text) : 0); }

std::wstring Wide(const char* text, size_t length) { return Decode(kEngineCodePage, text, length); }

std::string Narrow(const wchar_t* text, int length) {
    std::string out;
    if (!text || length == 0) return out;
    int n = WideCharToMultiByte(kEngineCodePage, 0, text, length, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return out;
    out.resize(static_cast<size_t>(n));
    WideCharToMultiByte(kEngineCodePage, 0, text, length, &out[0], n, nullptr, nullptr);
    if (length < 0 && !out.empty() && out.back() == '\0') out.pop_back();
    return out;
}

std::string FromAnsi(const char* text, size_t length) {
    std::wstring wide = Decode(CP_ACP, text, length);
    return Narrow(wide.c_str(), static_cast<int>(wide.size()));
}

bool ToAnsi(const char* utf8, std::string& out) {
    std::wstring wide = Wide(utf8);
    if (wide.empty()) {
        out.clear();
        return true;
    }
    int wideLength = static_cast<int>(wide.size());
    BOOL lossy = FALSE;
    int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.c_str(), wideLength, nullptr, 0, nullptr, &lossy);
    if (n <= 0 || lossy) return false;
    std::string ansi(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.c_str(), wideLength, &ansi[0], n, nullptr, &lossy);
    if (lossy) return false;
    out.swap(ansi);
    return true;
}
