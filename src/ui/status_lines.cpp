#include "ui/status_lines.h"

#include "base/resource_ids.h"
#include "base/text.h"

namespace {

// Room for every status text the actions show but a registry value's data,
// which can be of any length: such a text is painted at once instead.
constexpr size_t kLabelsSize = 64;
constexpr size_t kLineSize = 1024;

struct PendingStatus {
    HWND owner;
    bool lines;
    bool bar;
    char labels[kLabelsSize];
    char texts[3][kLineSize];
    int percent;
};

PendingStatus pending;
DWORD frame = kStatusFrameMs;
DWORD lastPaint;
bool paintedOnce;

bool FrameHasPassed() { return !paintedOnce || GetTickCount() - lastPaint >= frame; }

// A text that is shown already (the labels, most of the time) is left alone:
// setting it again would repaint it.
void SetStatusText(HWND owner, int id, const char* text) {
    char shown[kLineSize + 2];
    UINT length = GetDlgItemTextA(owner, id, shown, sizeof shown);
    if (length < sizeof shown - 1 && lstrcmpA(shown, text ? text : "") == 0) return;
    SetDlgItemTextA(owner, id, text);
}

void PaintLines(HWND owner, const char* labels, const char* first, const char* second, const char* third) {
    SetStatusText(owner, IDC_STATUS_LABELS, labels);
    SetStatusText(owner, IDC_STATUS_FIRST, first);
    SetStatusText(owner, IDC_STATUS_SECOND, second);
    SetStatusText(owner, IDC_STATUS_THIRD, third);
}

void Paint() {
    if (pending.lines) PaintLines(pending.owner, pending.labels, pending.texts[0], pending.texts[1], pending.texts[2]);
    if (pending.bar) SendMessageA(pending.owner, WM_COMMAND, MAKEWPARAM(IDC_PROGRESS_BAR, pending.percent & 0xFFFF), 0);
    pending.lines = pending.bar = false;
    lastPaint = GetTickCount();
    paintedOnce = true;
}

// What waits for another window is painted before this one's text replaces it.
void Adopt(HWND owner) {
    if (pending.owner != owner && (pending.lines || pending.bar)) Paint();
    pending.owner = owner;
}

}  // namespace

void SetStatusFrame(DWORD milliseconds) { frame = milliseconds; }

void PostStatusLines(HWND owner, const char* labels, const char* first, const char* second, const char* third) {
    if (!owner) return;
    Adopt(owner);
    const char* texts[] = {first, second, third};
    bool fits = CopyText(pending.labels, labels);
    for (int i = 0; i < 3; ++i) fits = CopyText(pending.texts[i], texts[i]) && fits;
    if (!fits) {
        pending.lines = false;
        PaintLines(owner, labels, first, second, third);
        Paint();
        return;
    }
    pending.lines = true;
    if (FrameHasPassed()) Paint();
}

void PostProgress(HWND owner, int percent) {
    if (!owner) return;
    Adopt(owner);
    pending.percent = percent;
    pending.bar = true;
    if (FrameHasPassed()) Paint();
}

void PaintStatusIfDue() {
    if ((pending.lines || pending.bar) && FrameHasPassed()) Paint();
}

void PaintPendingStatus() {
    if (pending.lines || pending.bar) Paint();
}
