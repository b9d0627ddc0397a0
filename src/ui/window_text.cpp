#include "ui/window_text.h"

#include <vector>

#include "base/wide_text.h"

bool SetWindowTextUtf8(HWND window, const char* text) { return SetWindowTextW(window, Wide(text).c_str()) != 0; }

bool SetControlTextUtf8(HWND dialog, int id, const char* text) {
    return SetDlgItemTextW(dialog, id, Wide(text).c_str()) != 0;
}

std::string ControlTextUtf8(HWND dialog, int id) {
    HWND control = GetDlgItem(dialog, id);
    if (!control) return std::string();
    int length = GetWindowTextLengthW(control);
    if (length <= 0) return std::string();
    // The length may be an upper bound; the copy says how much it wrote.
    std::vector<wchar_t> text(static_cast<size_t>(length) + 1);
    int got = GetWindowTextW(control, text.data(), length + 1);
    return Narrow(text.data(), got);
}

bool ReadControlTextUtf8(HWND dialog, int id, char* out, size_t cap) {
    if (cap == 0) return false;
    out[0] = '\0';
    std::string text = ControlTextUtf8(dialog, id);
    if (text.size() >= cap) return false;
    text.copy(out, text.size());
    out[text.size()] = '\0';
    return true;
}

LRESULT AddItemUtf8(HWND box, UINT message, const char* text) {
    std::wstring wide = Wide(text);
    return SendMessageW(box, message, 0, reinterpret_cast<LPARAM>(wide.c_str()));
}

void ReadScriptKey(const char* section, const char* key, const char* fallback, const char* scriptPath,
                   size_t characters, char* out, size_t cap) {
    if (cap == 0) return;
    out[0] = '\0';
    std::vector<wchar_t> text(characters + 1, L'\0');
    DWORD got = GetPrivateProfileStringW(Wide(section).c_str(), Wide(key).c_str(), Wide(fallback).c_str(),
                                         text.data(), static_cast<DWORD>(characters + 1), Wide(scriptPath).c_str());
    // A value cut at the room's end may end in the first half of a pair.
    if (got > 0 && got == characters && IS_HIGH_SURROGATE(text[got - 1])) text[--got] = L'\0';
    FromWide(text.data(), out, cap);
}
