#include "ui/path_dialog.h"

#include <cstring>

#include "base/format_text.h"
#include "ui/library_dialog.h"
#include "base/resource_ids.h"
#include "base/setup_state.h"
#include "base/text.h"
#include "base/wide_text.h"
#include "ui/window_text.h"

namespace {

struct PathRequest {
    ScriptVariable* row;
    const char* prompt;
};

// The templates come with the product's resource library. Only a template
// whose one conversion is a plain %s (flags, width and precision allowed) is
// given the prompt; any other is shown as it stands, since the formatter
// would read arguments that were never passed.
bool TakesOneText(const char* text) {
    int conversions = 0;
    for (const char* at = text; *at; ++at) {
        if (*at != '%') continue;
        if (at[1] == '%') {
            ++at;
            continue;
        }
        ++at;
        while (*at == '-' || *at == '0' || *at == '#') ++at;
        while (*at >= '0' && *at <= '9') ++at;
        if (*at == '.') {
            ++at;
            while (*at >= '0' && *at <= '9') ++at;
        }
        if (*at != 's' || ++conversions > 1) return false;
    }
    return true;
}

// The template and the text made of it hold 127 characters at most, as the
// fixed buffers always let them.
constexpr int kTemplateCharacters = 127;

void FillTemplate(HWND dialog, int id, const char* prompt) {
    wchar_t wideFormat[kTemplateCharacters + 1] = L"";
    GetDlgItemTextW(dialog, id, wideFormat, kTemplateCharacters + 1);
    char format[Utf8Room(kTemplateCharacters)];
    FromWide(wideFormat, format);
    char text[Utf8Room(kTemplateCharacters) + kPathBytes];
    if (TakesOneText(format)) FormatText(text, sizeof text, format, {TextArgument(prompt)});
    else CopyText(text, format);
    std::wstring shown = Wide(text);
    if (shown.size() > kTemplateCharacters) {
        // Cut at the characters' limit, never between the halves of a pair.
        size_t keep = kTemplateCharacters;
        if (IS_HIGH_SURROGATE(shown[keep - 1])) --keep;
        shown.resize(keep);
    }
    SetDlgItemTextW(dialog, id, shown.c_str());
}

// The characters the edit control takes: a path's room, or fewer when the
// row has fewer bytes (a longer text could never fit it). A text within the
// limit that still needs more bytes than the row has is refused on OK.
constexpr size_t PathCharacters(size_t rowBytes) { return rowBytes - 1 < MAX_PATH - 1 ? rowBytes - 1 : MAX_PATH - 1; }

INT_PTR CALLBACK PathProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* request = reinterpret_cast<PathRequest*>(lParam);
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        MessageBeep(MB_ICONQUESTION);
        FillTemplate(dialog, IDC_PATH_TEXT1, request->prompt);
        FillTemplate(dialog, IDC_PATH_TEXT2, request->prompt);
        // The limit counts characters, as the control does: a path's room,
        // so a long default is not cut on OK.
        SendDlgItemMessageW(dialog, IDC_PATH_EDIT, EM_LIMITTEXT, PathCharacters(sizeof request->row->value), 0);
        SetControlTextUtf8(dialog, IDC_PATH_EDIT, request->row->value);
        return TRUE;
    }
    if (message == WM_CLOSE) {
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    }
    if (message == WM_COMMAND && LOWORD(wParam) == IDOK) {
        auto* request = reinterpret_cast<PathRequest*>(GetWindowLongPtrW(dialog, DWLP_USER));
        char text[sizeof request->row->value] = "";
        // A path whose UTF-8 spelling is longer than the row holds is not
        // taken (never cut): the dialog stays for the user to shorten it.
        if (!ReadControlTextUtf8(dialog, IDC_PATH_EDIT, text, sizeof text)) {
            MessageBeep(MB_ICONHAND);
            return TRUE;
        }
        size_t n = std::strlen(text);
        if (n && text[n - 1] == '\\') text[n - 1] = '\0';
        CopyText(request->row->value, text);
        EndDialog(dialog, IDOK);
        return TRUE;
    }
    if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    }
    return FALSE;
}

}  // namespace

Answer PathDialog(ScriptVariable* row, const char* prompt) {
    PathRequest request = {row, prompt ? prompt : ""};
    return AnswerOf(
        static_cast<int>(ShowLibraryDialog(IDD_PATH, OwnerWindow(), PathProc, reinterpret_cast<LPARAM>(&request))));
}
