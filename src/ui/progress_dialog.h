// The progress dialog of the install pass: its status lines and bar, and the
// message queue that keeps it alive and carries the user's Cancel.
#pragma once
#include <windows.h>

#include "ui/branding.h"

// Logs the status and sets the status texts (controls 200, 100, 110, 120) of
// the owner window, painted at most once a frame (ui/status_lines.h).
void ShowStatus(ProgramText labels, const char* first, const char* second, const char* third);
// Dispatches every waiting message of the thread.
void DrainMessageQueue();
// Drains the queue; true when the user has cancelled the pass, or the run must stop.
bool CancelRequested();
// Sends the progress command (id 300, the percentage in the high word) to the
// owner window, at most once a frame like the status texts.
void SendProgress(int percent);

// The progress dialog (template 50) and its bar: the bar is the frame's width
// times the percentage, never less than 10 % of it and not capped above.
INT_PTR CALLBACK ProgressDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
int ProgressBarWidth(int frameWidth, unsigned percent);
