#include "ui/overwrite_dialog.h"

#include "base/format_text.h"
#include "ui/library_dialog.h"
#include "base/resource_ids.h"
#include "base/run_log.h"
#include "base/run_switches.h"
#include "base/setup_state.h"
#include "base/wide_text.h"
#include "ui/window_text.h"

namespace {

constexpr int kStampCharacters = 63;
constexpr size_t kStampBytes = Utf8Room(kStampCharacters);

// The date and time as the system's locale writes them (its month names
// may need more than the code page), in UTF-8.
void FormatStamp(const BY_HANDLE_FILE_INFORMATION* info, char (&date)[kStampBytes], char (&time)[kStampBytes]) {
    FILETIME local;
    SYSTEMTIME st;
    FileTimeToLocalFileTime(&info->ftLastWriteTime, &local);
    FileTimeToSystemTime(&local, &st);
    wchar_t wide[kStampCharacters + 1] = L"";
    if (GetDateFormatW(LOCALE_SYSTEM_DEFAULT, DATE_LONGDATE, &st, nullptr, wide, kStampCharacters + 1))
        FromWide(wide, date);
    if (GetTimeFormatW(LOCALE_SYSTEM_DEFAULT, TIME_NOSECONDS, &st, nullptr, wide, kStampCharacters + 1))
        FromWide(wide, time);
}

INT_PTR CALLBACK OverwriteProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: {
            char text[4096];
            FormatOverwriteText(text, sizeof text, reinterpret_cast<const OverwriteRequest*>(lParam));
            SetControlTextUtf8(dialog, IDC_OVERWRITE_TEXT, text);
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
    char targetDate[kStampBytes] = "", targetTime[kStampBytes] = "";
    FormatStamp(request->targetInfo, targetDate, targetTime);
    long targetKb = static_cast<long>(request->targetInfo->nFileSizeLow >> 10);
    if (request->sourceInfo) {
        char sourceDate[kStampBytes] = "", sourceTime[kStampBytes] = "";
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
