#include "ui/progress_dialog.h"

#include "base/format_text.h"
#include "base/resource_ids.h"
#include "base/run_log.h"
#include "base/run_outcome.h"
#include "base/setup_state.h"
#include "ui/status_lines.h"
#include "base/text.h"
#include "ui/window_text.h"

void DrainMessageQueue() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

bool CancelRequested() {
    // A text that waited through the last entry's work is due by now.
    PaintStatusIfDue();
    // A quiet run has no window to cancel from, and nothing to pump.
    if (gState->pass.ownerWindow) DrainMessageQueue();
    return gState->pass.cancelFlag != 0 || RunStopped();
}

void SendProgress(int percent) { PostProgress(gState->pass.ownerWindow, percent); }

int ProgressBarWidth(int frameWidth, unsigned percent) {
    if (percent < 10) percent = 10;
    return static_cast<int>(static_cast<long long>(frameWidth) * percent / 100);
}

namespace {

// The status as one line of the run's log: each label followed by its text.
void LogStatus(const char* labels, const char* first, const char* second, const char* third) {
    const char* texts[] = {first, second, third};
    char line[2048] = "";
    int shown = 0;
    for (const char* at = labels; *at && shown < 3;) {
        const char* end = at;
        while (*end && *end != '\n') ++end;
        if (end > at) {
            char label[64];
            CopyTextN(label, sizeof label, at, end - at);
            char part[1024];
            FormatText(part, sizeof part, shown ? "  %s %s" : "%s %s",
                       {TextArgument(label), TextArgument(texts[shown] ? texts[shown] : "")});
            AppendText(line, part);
            ++shown;
        }
        at = *end ? end + 1 : end;
    }
    LogLine("%s", {TextArgument(line)});
}

void Cancelled() {
    if (!gState->pass.cancelFlag) LogLine("Installing: Cancel");
    gState->pass.cancelFlag = 1;
    NoteEndReason(EndReason::Cancelled);
}

}  // namespace

void ShowStatus(ProgramText labels, const char* first, const char* second, const char* third) {
    LogStatus(ProgramTextOf(labels), first, second, third);
    PostStatusLines(gState->pass.ownerWindow, ShownText(labels), first, second, third);
}

namespace {

void SetBar(HWND dialog, unsigned percent) {
    HWND frame = GetDlgItem(dialog, IDC_PROGRESS_FRAME);
    HWND bar = GetDlgItem(dialog, IDC_PROGRESS_BAR);
    RECT r;
    if (!frame || !bar || !GetWindowRect(frame, &r)) return;
    POINT corner = {r.left, r.top};
    ScreenToClient(dialog, &corner);
    MoveWindow(bar, corner.x, corner.y, ProgressBarWidth(r.right - r.left, percent), r.bottom - r.top, TRUE);
    char text[16];
    FormatText(text, sizeof text, "%d %%", {NumberArgument(static_cast<long>(percent))});
    SetWindowTextUtf8(bar, text);
}

}  // namespace

INT_PTR CALLBACK ProgressDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: {
            // The bar lies over its frame: keep it on top, and keep the frame
            // from painting over it.
            HWND frame = GetDlgItem(dialog, IDC_PROGRESS_FRAME);
            SetWindowLongW(frame, GWL_STYLE, GetWindowLongW(frame, GWL_STYLE) | WS_CLIPSIBLINGS);
            SetWindowPos(GetDlgItem(dialog, IDC_PROGRESS_BAR), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
            SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_PROGRESS_BAR, 0), 0);
            return TRUE;
        }
        case WM_CTLCOLORSTATIC:
            if (GetDlgCtrlID(reinterpret_cast<HWND>(lParam)) == IDC_PROGRESS_BAR) {
                HDC dc = reinterpret_cast<HDC>(wParam);
                SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
                SetBkColor(dc, GetSysColor(COLOR_HIGHLIGHT));
                return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_HIGHLIGHT));
            }
            return FALSE;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDC_PROGRESS_BAR && lParam == 0) {
                SetBar(dialog, HIWORD(wParam));
                return TRUE;
            }
            if (LOWORD(wParam) == IDCANCEL) {
                Cancelled();
                return TRUE;
            }
            return FALSE;
        case WM_CLOSE:
            Cancelled();
            return TRUE;
    }
    return FALSE;
}
