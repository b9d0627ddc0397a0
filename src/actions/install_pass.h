// The install pass: path variables, the progress dialog, the disks stage with
// the copy sections and the action stage with the six action kinds.
#pragma once
#include <windows.h>

#include "run/setup_state.h"
#include "script/sections.h"

struct ActionKind {
    const char* prefix;    // section name prefix, such as "ini."
    char keySeparator;     // 0: the key is not cut
    char valueSeparator;
    EntryVisitor visitor;  // null while a kind has no visitor yet
};

// The action kinds in the order they run: fonts, INI entries, text lines,
// registry, program groups, deletions.
extern const ActionKind ActionTable[6];

// 0 when the pass ran to its end, -1 when it was aborted.
int RunInstallPass(HWND startingWindow);
int VisitDisk(char** keyFields, int keyCount, char** valueFields, int valueCount, void* context);
int RunActionStage();

// Sets the status texts (controls 200, 100, 110, 120) of the owner window.
void ShowStatus(const char* labels, const char* first, const char* second, const char* third);
// Dispatches every waiting message of the thread.
void DrainMessageQueue();
// Drains the queue; true when the user has cancelled the pass.
bool CancelRequested();
// Percentage of step `step` (counted from 1) of `stages` stages of `perStage`
// steps; never divides by zero.
int ProgressPercent(long long step, int stages, int perStage);
// Sends the progress command (id 300, the percentage in the high word) to the
// owner window.
void SendProgress(int percent);

// Room for the longest action section name: a 7-character prefix, "!" and a
// 63-character component section.
constexpr int kSectionNameSize = 72;
// Section of a component for an action prefix ("" for the copy section), with
// "!" before the component's section when it is not selected.
void ComponentSectionName(char (&out)[kSectionNameSize], const char* prefix, const ComponentEntry& component);

// The progress dialog (template 50) and its bar: the bar is the frame's width
// times the percentage, never less than 10 % of it and not capped above.
INT_PTR CALLBACK ProgressDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
int ProgressBarWidth(int frameWidth, unsigned percent);
