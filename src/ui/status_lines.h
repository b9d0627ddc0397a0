// The progress dialog's status lines and bar, painted no more often than the
// eye can follow. Painting a line costs far more than most entries do, so the
// newest text waits here and is painted once a frame has passed since the
// last paint. Before anything asks the user (a message box, a dialog) and at
// the end of the pass the waiting text is painted at once: the window then
// shows exactly the entry the question is about.
#pragma once
#include <windows.h>

// Milliseconds between two paints: about one frame.
constexpr DWORD kStatusFrameMs = 16;
// Sets the time between two paints; the tests that follow every step set 0.
void SetStatusFrame(DWORD milliseconds);

// The status texts (controls 200, 100, 110, 120) of owner; painted now when
// a frame has passed, or when a text is too long to keep waiting.
void PostStatusLines(HWND owner, const char* labels, const char* first, const char* second, const char* third);
// The bar's percentage: the progress command (id 300, the percentage in the
// high word) sent to owner, as the status lines are painted.
void PostProgress(HWND owner, int percent);
// Paints what waits when a frame has passed since the last paint.
void PaintStatusIfDue();
// Paints what waits, now: before every prompt and at the end of the pass.
void PaintPendingStatus();
