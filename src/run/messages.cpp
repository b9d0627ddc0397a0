#include "run/messages.h"

#include <shlwapi.h>

#include <cstdarg>

#include "run/setup_state.h"
#include "script/text.h"

int MessageArgumentCount(int id) {
    if (id < 100) return 0;
    if (id < 200) return 1;
    if (id < 300) return 2;
    return 3;
}

int MapMessageAnswer(UINT style, int answer) {
    if ((style & MB_TYPEMASK & 2) == 0) return answer;
    switch (answer) {
        case IDABORT: return -1;
        case IDRETRY: return 0;
        case IDIGNORE: return 1;
        default: return answer;
    }
}

namespace {

void Format(char* out, int cap, const char* text, int id, const void* const* args) {
    if (id == kMsgLzError)
        wnsprintfA(out, cap, text, static_cast<long>(reinterpret_cast<INT_PTR>(args[0])));
    else
        wnsprintfA(out, cap, text, args[0], args[1], args[2]);
    out[cap - 1] = '\0';
}

}  // namespace

void ComposeMessage(char* out, int cap, int id, const void* const* args) {
    char text[256] = "";
    LoadStringA(gProcess.ownModule, id, text, sizeof text);
    char wide[1024];
    Format(wide, sizeof wide, text, id, args);
    int count = MessageArgumentCount(id);
    if (lstrlenA(wide) < cap - 1 || id == kMsgLzError || count == 0) {
        Format(out, cap, text, id, args);
        return;
    }
    // Too long for the box: shorten the texts handed in, keeping their ends
    // (a path's file name), so the message's own words stay readable.
    int budget = (cap - 1 - lstrlenA(text)) / count;
    if (budget < 8) budget = 8;
    char shortened[3][256];
    const void* shortArgs[3] = {"", "", ""};
    for (int i = 0; i < count && i < 3; ++i) {
        const char* arg = static_cast<const char*>(args[i]);
        int len = lstrlenA(arg);
        if (len <= budget) {
            shortArgs[i] = arg;
            continue;
        }
        CopyText(shortened[i], "...");
        AppendText(shortened[i], arg + len - (budget - 3));
        shortArgs[i] = shortened[i];
    }
    Format(out, cap, text, id, shortArgs);
}

int ReportMessage(HWND owner, int id, UINT style, ...) {
    // The system text belongs to the failure that led here, so take its code
    // before loading the text can change it.
    DWORD lastError = GetLastError();
    const void* args[3] = {"", "", ""};
    va_list list;
    va_start(list, style);
    int count = MessageArgumentCount(id);
    for (int i = 0; i < count && i < 3; ++i) args[i] = va_arg(list, const void*);
    va_end(list);

    char composed[256];
    ComposeMessage(composed, sizeof composed, id, args);
    if (style & kAppendSystemText) {
        char system[256] = "";
        FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, lastError,
                       MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), system, sizeof system, nullptr);
        AppendText(composed, "\n\n");
        AppendText(composed, system);
        style &= ~kAppendSystemText;
    }
    MessageBeep(style);
    if (!owner) style |= MB_TASKMODAL;
    return MapMessageAnswer(style, MessageBoxA(owner, composed, "SetUp", style));
}
