#include "actions/group_windows.h"

#include <windows.h>

#include "actions/shell_links.h"
#include "base/run_log.h"
#include "base/wide_text.h"

namespace {

constexpr int kMaxGroups = 16;
constexpr int kMaxLeftAlone = 64;
constexpr UINT kPollMs = 100;
// Long enough for a slow shell to have opened its windows.
constexpr DWORD kWatchMs = 15000;

struct Watch {
    UINT_PTR timer;
    DWORD lastCommand;  // tick count of the last showing command
    int groupCount;
    wchar_t groups[kMaxGroups][MAX_PATH];  // the folders' names, as their windows are titled
    int leftAloneCount;
    HWND leftAlone[kMaxLeftAlone];  // open before the run showed their group, or closed already
};
Watch watch;

// A folder window of the shell (of another process) titled with one of the
// names, or with the one name given.
bool IsGroupWindow(HWND window, const wchar_t* only) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    wchar_t name[64] = L"", title[MAX_PATH] = L"";
    if (process == GetCurrentProcessId() || !GetClassNameW(window, name, 64) ||
        (lstrcmpW(name, L"CabinetWClass") != 0 && lstrcmpW(name, L"ExplorerWClass") != 0) ||
        !GetWindowTextW(window, title, MAX_PATH))
        return false;
    if (only) return lstrcmpiW(title, only) == 0;
    for (int i = 0; i < watch.groupCount; ++i)
        if (lstrcmpiW(title, watch.groups[i]) == 0) return true;
    return false;
}

bool LeftAlone(HWND window) {
    for (int i = 0; i < watch.leftAloneCount; ++i)
        if (watch.leftAlone[i] == window) return true;
    return false;
}

void LeaveAlone(HWND window) {
    if (watch.leftAloneCount < kMaxLeftAlone && !LeftAlone(window)) watch.leftAlone[watch.leftAloneCount++] = window;
}

BOOL CALLBACK NoteOpenWindow(HWND window, LPARAM name) {
    if (IsGroupWindow(window, reinterpret_cast<const wchar_t*>(name))) LeaveAlone(window);
    return TRUE;
}

BOOL CALLBACK CloseNewWindow(HWND window, LPARAM) {
    if (!IsWindowVisible(window) || LeftAlone(window) || !IsGroupWindow(window, nullptr)) return TRUE;
    // Posted: a shell that is busy must not hold up the run.
    if (PostMessageW(window, WM_CLOSE, 0, 0)) {
        wchar_t title[MAX_PATH] = L"";
        char text[kPathBytes] = "";
        GetWindowTextW(window, title, MAX_PATH);
        FromWide(title, text);
        LogLine("Closed the window Program Manager opened on %s", {TextArgument(text)});
    }
    LeaveAlone(window);
    return TRUE;
}

void CALLBACK Poll(HWND, UINT, UINT_PTR, DWORD) {
    EnumWindows(CloseNewWindow, 0);
    if (GetTickCount() - watch.lastCommand < kWatchMs) return;
    KillTimer(nullptr, watch.timer);
    watch = Watch{};
}

}  // namespace

void WatchForGroupWindows(const char* group) {
    wchar_t name[MAX_PATH];
    if (!ShellFileName(group, name)) return;
    watch.lastCommand = GetTickCount();
    bool known = false;
    for (int i = 0; i < watch.groupCount && !known; ++i) known = lstrcmpiW(watch.groups[i], name) == 0;
    if (!known && watch.groupCount < kMaxGroups) {
        EnumWindows(NoteOpenWindow, reinterpret_cast<LPARAM>(name));
        lstrcpynW(watch.groups[watch.groupCount++], name, MAX_PATH);
    }
    if (!watch.timer && !(watch.timer = SetTimer(nullptr, 0, kPollMs, Poll)))
        LogLine("No timer: the windows Program Manager opens stay open");
}
