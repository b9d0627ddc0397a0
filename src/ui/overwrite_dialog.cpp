#include "ui/overwrite_dialog.h"

#include "base/format_text.h"
#include "ui/library_dialog.h"
#include "base/resource_ids.h"
#include "base/run_log.h"
#include "base/run_switches.h"
#include "base/setup_state.h"

namespace {

void FormatStamp(const BY_HANDLE_FILE_INFORMATION* info, char (&date)[64], char (&time)[64]) {
    FILETIME local;
    SYSTEMTIME st;
    FileTimeToLocalFileTime(&info->ftLastWriteTime, &local);
    FileTimeToSystemTime(&local, &st);
    GetDateFormatA(LOCALE_SYSTEM_DEFAULT, DATE_LONGDATE, &st, nullptr, date, sizeof date);
    GetTimeFormatA(LOCALE_SYSTEM_DEFAULT, TIME_NOSECONDS, &st, nullptr, time, sizeof time);
}

INT_PTR CALLBACK OverwriteProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: {
            char text[1024];
            FormatOverwriteText(text, sizeof text, reinterpret_cast<const OverwriteRequest*>(lParam));
            SetDlgItemTextA(dialog, IDC_OVERWRITE_TEXT, text);
            MessageBeep(MB_ICONQUESTION);
            return TRUE;
        }
        case WM_COMMAND: {
            int id = LOWORD(wParam);
            if (id == IDCANCEL || id == IDC_SKIP || id == IDYES || id == IDC_YES_TO_ALL) {
                EndDialog(dialog, id);
                return TRUE;
            }
            return FALSE;
        }
        case WM_CLOSE:
            EndDialog(dialog, IDCANCEL);
            return TRUE;
    }
    return FALSE;
}

}  // namespace

void FormatOverwriteText(char* out, int cap, const OverwriteRequest* request) {
    char targetDate[64] = "", targetTime[64] = "";
    FormatStamp(request->targetInfo, targetDate, targetTime);
    long targetKb = static_cast<long>(request->targetInfo->nFileSizeLow >> 10);
    if (request->sourceInfo) {
        char sourceDate[64] = "", sourceTime[64] = "";
        FormatStamp(request->sourceInfo, sourceDate, sourceTime);
        long sourceKb = static_cast<long>(request->sourceInfo->nFileSizeLow >> 10);
        FormatText(out, cap, "%s\n%ldKB\nmodified  on %s, %s\n%s\n%ldKB\nmodified  on %s, %s",
                   {TextArgument(request->targetName), NumberArgument(targetKb), TextArgument(targetDate),
                    TextArgument(targetTime), TextArgument(request->secondText), NumberArgument(sourceKb),
                    TextArgument(sourceDate), TextArgument(sourceTime)});
    } else {
        FormatText(out, cap, "%s\n%ldKB\nmodified  on %s, %s\n%s",
                   {TextArgument(request->targetName), NumberArgument(targetKb), TextArgument(targetDate),
                    TextArgument(targetTime), TextArgument(request->secondText)});
    }
}

Replace OverwriteDialog(const OverwriteRequest* request) {
    // A quiet run replaces, as Y2AOverwrite would.
    INT_PTR button =
        QuietRun() ? IDYES
                   : ShowLibraryDialog(IDD_OVERWRITE, OwnerWindow(), OverwriteProc, reinterpret_cast<LPARAM>(request));
    Replace answer = button == IDYES            ? Replace::Yes
                     : button == IDC_YES_TO_ALL ? Replace::YesToAll
                     : button == IDC_SKIP       ? Replace::Skip
                                                : Replace::Cancel;
    const char* name = answer == Replace::Yes        ? "Yes"
                       : answer == Replace::YesToAll ? "Yes to All"
                       : answer == Replace::Skip     ? "Skip"
                                                     : "Cancel";
    LogLine("Confirm File Replace %s: %s%s",
            {TextArgument(request->targetName), TextArgument(name), TextArgument(QuietRun() ? " (quiet)" : "")});
    return answer;
}
