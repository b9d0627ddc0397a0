#include "ui/status_lines.h"

#include "base/resource_ids.h"
#include "base/text.h"
#include "base/wide_text.h"

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

// What the status lines show and when they were last painted.
struct StatusPainter {
    PendingStatus pending;
    DWORD frame = kStatusFrameMs;
    DWORD lastPaint = 0;
    bool paintedOnce = false;
};
StatusPainter gStatus;

bool FrameHasPassed() { return !gStatus.paintedOnce || GetTickCount() - gStatus.lastPaint >= gStatus.frame; }

// A text that is shown already (the labels, most of the time) is left alone:
// setting it again would repaint it.
void SetStatusText(HWND owner, int id, const char* text) {
    std::wstring wide = Wide(text);
    wchar_t shown[kLineSize + 2];
    UINT length = GetDlgItemTextW(owner, id, shown, kLineSize + 2);
    if (length < kLineSize + 1 && wide == shown) return;
    SetDlgItemTextW(owner, id, wide.c_str());
}

void PaintLines(HWND owner, const char* labels, const char* first, const char* second, const char* third) {
    SetStatusText(owner, IDC_STATUS_LABELS, labels);
    SetStatusText(owner, IDC_STATUS_FIRST, first);
    SetStatusText(owner, IDC_STATUS_SECOND, second);
    SetStatusText(owner, IDC_STATUS_THIRD, third);
}

void Paint() {
    if (gStatus.pending.lines)
        PaintLines(gStatus.pending.owner, gStatus.pending.labels, gStatus.pending.texts[0], gStatus.pending.texts[1],
                   gStatus.pending.texts[2]);
    if (gStatus.pending.bar)
        SendMessageW(gStatus.pending.owner, WM_COMMAND, MAKEWPARAM(IDC_PROGRESS_BAR, gStatus.pending.percent & 0xFFFF),
                     0);
    gStatus.pending.lines = gStatus.pending.bar = false;
    gStatus.lastPaint = GetTickCount();
    gStatus.paintedOnce = true;
}

// What waits for another window is painted before this one's text replaces it.
void Adopt(HWND owner) {
    if (gStatus.pending.owner != owner && (gStatus.pending.lines || gStatus.pending.bar)) Paint();
    gStatus.pending.owner = owner;
}

}  // namespace

void SetStatusFrame(DWORD milliseconds) { gStatus.frame = milliseconds; }

void PostStatusLines(HWND owner, const char* labels, const char* first, const char* second, const char* third) {
    if (!owner) return;
    Adopt(owner);
    const char* texts[] = {first, second, third};
    bool fits = CopyText(gStatus.pending.labels, labels);
    for (int i = 0; i < 3; ++i) fits = CopyText(gStatus.pending.texts[i], texts[i]) && fits;
    if (!fits) {
        gStatus.pending.lines = false;
        PaintLines(owner, labels, first, second, third);
        Paint();
        return;
    }
    gStatus.pending.lines = true;
    if (FrameHasPassed()) Paint();
}

void PostProgress(HWND owner, int percent) {
    if (!owner) return;
    Adopt(owner);
    gStatus.pending.percent = percent;
    gStatus.pending.bar = true;
    if (FrameHasPassed()) Paint();
}

void PaintStatusIfDue() {
    if ((gStatus.pending.lines || gStatus.pending.bar) && FrameHasPassed()) Paint();
}

void PaintPendingStatus() {
    if (gStatus.pending.lines || gStatus.pending.bar) Paint();
}
