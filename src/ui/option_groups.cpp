#include "ui/option_groups.h"

#include <cstring>

#include "ui/library_dialog.h"
#include "base/resource_ids.h"
#include "base/results.h"
#include "base/run_switches.h"
#include "base/setup_state.h"
#include "base/text.h"
#include "ui/sections.h"
#include "ui/option_detection.h"
#include "ui/window_text.h"

namespace {

struct GroupKind {
    const char* name;  // the value of an [options] entry that selects this kind
    EntryVisitor visitor;
};

const GroupKind kDetectionKinds[] = {
    {"platform", PlatformChoiceEntry},
    {"codepage", CodePageChoiceEntry},
    {"fsize", FontSizeChoiceEntry},
};

}  // namespace

StepResult AddChoice(OptionGroup* group, const SectionEntry& entry, int* index) {
    *index = -1;
    // A full group has no room: the entry is put to the user, who may go on without it.
    if (group->count >= kMaxChoices) return ReportEntry(entry, kMsgCannotCarryOut);
    *index = group->count;
    CopyText(group->labels[*index], entry.keyFields[0]);
    CopyText(group->codes[*index], entry.valueFields[0]);
    group->count++;
    return StepResult::GoOn;
}

StepResult OptionsEntry(SectionEntry& entry, void*) {
    // The dialog has no room for more: the entry is put to the user.
    if (gState->optionGroupCount >= kMaxOptionGroups) return ReportEntry(entry, kMsgCannotCarryOut);
    OptionGroup* group = &gState->optionGroups[gState->optionGroupCount];
    group->count = 0;
    CopyText(group->title, entry.keyFields[0]);
    const char* section = entry.valueFields[0];

    EntryVisitor detector = nullptr;
    for (const GroupKind& kind : kDetectionKinds)
        if (CompareNoCase(section, kind.name) == 0) detector = kind.visitor;
    StepResult result;
    if (detector) {
        group->preselection = kNoPreselection;
        result = ForEachEntry(section, gProcess.scriptPath, '/', 0, detector, group);
    } else {
        group->preselection = 0;
        result = ForEachEntry(section, gProcess.scriptPath, 0, 0, PlainChoiceEntry, group);
    }
    gState->optionGroupCount++;
    return result;
}

StepResult PlainChoiceEntry(SectionEntry& entry, void* context) {
    int index;
    if (!entry.keyFields[0][0] || !entry.valueFields[0][0]) return StepResult::GoOn;
    return AddChoice(static_cast<OptionGroup*>(context), entry, &index);
}

void JoinOptionCodes(const int* chosen, int groupCount) {
    char joined[sizeof gState->optionCodes] = "";
    for (int i = 0; i < groupCount; ++i) {
        const OptionGroup& group = gState->optionGroups[i];
        if (chosen[i] < 0 || chosen[i] >= group.count) continue;
        // A cut code could satisfy conditions its whole text would not: drop it instead.
        size_t used = std::strlen(joined);
        if (used + std::strlen(group.codes[chosen[i]]) < sizeof joined) AppendText(joined, group.codes[chosen[i]]);
    }
    CopyText(gState->optionCodes, joined);
}

void AcceptPreselections() {
    int chosen[kMaxOptionGroups];
    int count = gState->optionGroupCount < kMaxOptionGroups ? gState->optionGroupCount : kMaxOptionGroups;
    for (int i = 0; i < count; ++i) {
        unsigned char preselected = gState->optionGroups[i].preselection;
        chosen[i] = preselected == kNoPreselection ? -1 : preselected;
    }
    JoinOptionCodes(chosen, count);
}

namespace {

// Finds, from `group` on, one choice per group (or none) whose codes spell
// `rest`; a (group, offset) that cannot be spelled is noted in `failed`, so
// the search stays small whatever the codes.
bool SpellCodes(int group, const char* codes, size_t at, unsigned char* picks, bool (*failed)[64]) {
    if (group == gState->optionGroupCount) return codes[at] == '\0';
    if (failed[group][at]) return false;
    const OptionGroup& g = gState->optionGroups[group];
    for (int c = 0; c < g.count; ++c) {
        size_t n = std::strlen(g.codes[c]);
        if (n && std::strncmp(codes + at, g.codes[c], n) == 0 && SpellCodes(group + 1, codes, at + n, picks, failed)) {
            picks[group] = static_cast<unsigned char>(c);
            return true;
        }
    }
    if (SpellCodes(group + 1, codes, at, picks, failed)) {
        picks[group] = kNoPreselection;
        return true;
    }
    failed[group][at] = true;
    return false;
}

}  // namespace

bool PreselectAnsweredCodes(const char* codes) {
    static_assert(sizeof RunAnswers::optionCodes <= 64, "the search notes offsets up to 64");
    if (std::strlen(codes) >= 64) return false;
    unsigned char picks[kMaxOptionGroups] = {};
    bool failed[kMaxOptionGroups][64] = {};
    if (!SpellCodes(0, codes, 0, picks, failed)) return false;
    for (int i = 0; i < gState->optionGroupCount; ++i) gState->optionGroups[i].preselection = picks[i];
    return true;
}

namespace {

void InitOptionDialog(HWND dialog) {
    for (int i = 0; i < gState->optionGroupCount; ++i) {
        const OptionGroup& group = gState->optionGroups[i];
        SetControlTextUtf8(dialog, IDC_OPTION_TITLE + i, group.title);
        HWND combo = GetDlgItem(dialog, IDC_OPTION_COMBO + i);
        for (int c = 0; c < group.count; ++c)
            AddItemUtf8(combo, CB_ADDSTRING, group.labels[c]);
        unsigned char preselected = group.preselection;
        SendMessageW(combo, CB_SETCURSEL, preselected == kNoPreselection ? -1 : preselected, 0);
        // Our library hides the combo boxes, so that groups a script does not use leave no empty boxes.
        ShowWindow(combo, SW_SHOW);
    }
}

// With the combo boxes of unused groups hidden (as in our library), the
// buttons move up under the last group in use and the dialog shrinks with them.
void FitOptionDialog(HWND dialog) {
    int used = gState->optionGroupCount;
    HWND firstUnused = used < kMaxOptionGroups ? GetDlgItem(dialog, IDC_OPTION_COMBO + used) : nullptr;
    HWND ok = GetDlgItem(dialog, IDOK);
    HWND cancel = GetDlgItem(dialog, IDCANCEL);
    if (!firstUnused || (GetWindowLongW(firstUnused, GWL_STYLE) & WS_VISIBLE) || !ok || !cancel) return;
    LONG lowest = 0;
    for (int i = 0; i < used; ++i) {
        RECT r;
        GetWindowRect(GetDlgItem(dialog, IDC_OPTION_COMBO + i), &r);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
        if (r.bottom > lowest) lowest = r.bottom;
    }
    RECT button;
    GetWindowRect(ok, &button);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&button), 2);
    RECT gap = {0, 0, 0, 8};  // dialog units between the last group and the buttons
    MapDialogRect(dialog, &gap);
    LONG shift = lowest + gap.bottom - button.top;
    if (shift >= 0) return;
    // The titles of unused groups would lie below the shrunken dialog: hidden
    // like their combo boxes.
    for (int i = used; i < kMaxOptionGroups; ++i)
        if (HWND title = GetDlgItem(dialog, IDC_OPTION_TITLE + i)) ShowWindow(title, SW_HIDE);
    HWND buttons[] = {ok, cancel};
    for (HWND b : buttons) {
        RECT r;
        GetWindowRect(b, &r);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
        SetWindowPos(b, nullptr, r.left, r.top + shift, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    RECT frame;
    GetWindowRect(dialog, &frame);
    SetWindowPos(dialog, nullptr, frame.left, frame.top - shift / 2, frame.right - frame.left,
                 frame.bottom - frame.top + shift, SWP_NOZORDER | SWP_NOACTIVATE);  // still centred
}

void AcceptOptions(HWND dialog) {
    int chosen[kMaxOptionGroups];
    for (int i = 0; i < gState->optionGroupCount; ++i)
        chosen[i] = static_cast<int>(SendDlgItemMessageW(dialog, IDC_OPTION_COMBO + i, CB_GETCURSEL, 0, 0));
    JoinOptionCodes(chosen, gState->optionGroupCount);
}

INT_PTR CALLBACK OptionDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            InitOptionDialog(dialog);
            FitOptionDialog(dialog);
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK) {
                AcceptOptions(dialog);
                EndDialog(dialog, IDOK);
                return TRUE;
            }
            if (LOWORD(wParam) == IDCANCEL) {
                EndDialog(dialog, IDCANCEL);
                return TRUE;
            }
            return FALSE;
        case WM_CLOSE:
            EndDialog(dialog, IDCANCEL);
            return TRUE;
    }
    return FALSE;
}

}  // namespace

Answer ShowOptionDialog(HWND parent) {
    return AnswerOf(static_cast<int>(ShowLibraryDialog(IDD_OPTIONS, parent, OptionDialogProc, 0)));
}
