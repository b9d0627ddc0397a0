#include "ui/messages.h"

#include <cstring>

#include "ui/branding.h"

#include "base/format_text.h"
#include "base/run_log.h"
#include "base/run_outcome.h"
#include "base/run_switches.h"
#include "base/setup_state.h"
#include "ui/status_lines.h"
#include "base/text.h"
#include "base/wide_text.h"

Answer AnswerOf(int platformAnswer) {
    switch (platformAnswer) {
        case IDOK:
            return Answer::Ok;
        case IDABORT:
            return Answer::Abort;
        case IDRETRY:
            return Answer::Retry;
        case IDIGNORE:
            return Answer::Ignore;
        case IDYES:
            return Answer::Yes;
        case IDNO:
            return Answer::No;
        default:
            return Answer::Cancel;  // Cancel, and a box closed
    }
}

StepResult AfterAnswer(Answer answer) {
    return answer == Answer::Abort || answer == Answer::Cancel ? StepResult::Abort : StepResult::Skipped;
}

namespace {

void Format(char* out, int cap, const char* text, const MessageArguments& arguments, const char* const* texts) {
    if (arguments.numbered)
        FormatText(out, cap, text, {NumberArgument(arguments.number)});
    else
        FormatText(out, cap, text, {TextArgument(texts[0]), TextArgument(texts[1]), TextArgument(texts[2])});
}

// The first byte of the UTF-8 character at or after `at` in text.
const char* CharacterStart(const char* at) {
    while ((static_cast<unsigned char>(*at) & 0xC0) == 0x80) ++at;
    return at;
}

// Drops the bytes of a character that a cut at the buffer's end left
// incomplete at the end of text.
void DropCutCharacter(char* text) {
    size_t length = std::strlen(text);
    size_t start = length;
    while (start > 0 && (static_cast<unsigned char>(text[start - 1]) & 0xC0) == 0x80) --start;
    if (start == 0) return;
    unsigned char lead = static_cast<unsigned char>(text[start - 1]);
    if (lead < 0xC0) return;  // ASCII before the continuation bytes: nothing was cut
    size_t needed = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
    if (length - (start - 1) < needed) text[start - 1] = '\0';
}

}  // namespace

void ComposeMessage(char* out, int cap, int id, const MessageArguments& arguments) {
    // The string table holds up to 255 characters a text; in UTF-8 each may take three bytes.
    wchar_t wideText[256] = L"";
    LoadStringW(gProcess.ownModule, id, wideText, 256);
    char text[3 * 255 + 1];
    FromWide(wideText, text);
    const char* texts[3] = {"", "", ""};
    int count = arguments.textCount < 3 ? arguments.textCount : 3;
    for (int i = 0; i < count; ++i) texts[i] = arguments.texts[i] ? arguments.texts[i] : "";
    char wide[1024];
    Format(wide, sizeof wide, text, arguments, texts);
    if (static_cast<int>(std::strlen(wide)) < cap - 1 || count == 0) {
        Format(out, cap, text, arguments, texts);
        return;
    }
    // Too long for the box: shorten the texts handed in, keeping their ends
    // (a path's file name), so the message's own words stay readable. The cut
    // falls between characters, never inside one.
    int budget = (cap - 1 - static_cast<int>(std::strlen(text))) / count;
    if (budget < 8) budget = 8;
    char shortened[3][256];
    const char* shortTexts[3] = {"", "", ""};
    for (int i = 0; i < count; ++i) {
        int len = static_cast<int>(std::strlen(texts[i]));
        if (len <= budget) {
            shortTexts[i] = texts[i];
            continue;
        }
        CopyText(shortened[i], "...");
        if (!AppendText(shortened[i], CharacterStart(texts[i] + len - (budget - 3)))) DropCutCharacter(shortened[i]);
        shortTexts[i] = shortened[i];
    }
    Format(out, cap, text, arguments, shortTexts);
}

namespace {

// The answer a quiet run gives: the one that stops, so that nothing is
// passed over unseen and the exit code tells of it.
int QuietAnswer(UINT style) {
    switch (style & MB_TYPEMASK) {
        case MB_ABORTRETRYIGNORE:
            return IDABORT;
        case MB_YESNO:
            return IDNO;
        case MB_OK:
            return IDOK;
        default:
            return IDCANCEL;  // OK/Cancel, Retry/Cancel, Yes/No/Cancel
    }
}

const char* AnswerName(int answer) {
    switch (answer) {
        case IDOK:
            return "OK";
        case IDCANCEL:
            return "Cancel";
        case IDABORT:
            return "Abort";
        case IDRETRY:
            return "Retry";
        case IDIGNORE:
            return "Ignore";
        case IDYES:
            return "Yes";
        case IDNO:
            return "No";
        default:
            return "closed";
    }
}

// What an answer says about the end of the run. Every box with OK alone
// reports a failure that ends the run or the pass; a Cancel given in a quiet
// run is the program's own answer to an error, so it counts as a failure.
void NoteAnswer(UINT style, int answer) {
    UINT buttons = style & MB_TYPEMASK;
    bool note = (style & MB_ICONMASK) == MB_ICONINFORMATION;
    if (answer == IDABORT || (buttons == MB_OK && answer == IDOK && !note))
        NoteEndReason(EndReason::Failed);
    else if (answer == IDCANCEL)
        NoteEndReason(QuietRun() ? EndReason::Failed : EndReason::Cancelled);
}

Answer Show(HWND owner, int id, UINT style, const MessageArguments& arguments) {
    // The system text belongs to the failure that led here, so take its code
    // before loading the text can change it.
    DWORD lastError = GetLastError();
    char composed[256];
    ComposeMessage(composed, sizeof composed, id, arguments);
    if (style & kAppendSystemText) {
        wchar_t system[256] = L"";
        FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, lastError,
                       MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), system, 256, nullptr);
        AppendText(composed, "\n\n");
        if (!AppendText(composed, Narrow(system).c_str())) DropCutCharacter(composed);
        style &= ~kAppendSystemText;
    }
    int answer;
    if (QuietRun()) {
        answer = QuietAnswer(style);
    } else {
        PaintPendingStatus();
        MessageBeep(style);
        if (!owner) style |= MB_TASKMODAL;
        answer = MessageBoxW(owner, Wide(composed).c_str(), Wide(ProductCaption()).c_str(), style);
    }
    // The log names the file or entry whole, however long: the box may have
    // had to shorten it.
    char whole[1536];
    ComposeMessage(whole, sizeof whole, id, arguments);
    LogLine("Message %d: %s -> %s%s", {NumberArgument(id), TextArgument(whole), TextArgument(AnswerName(answer)),
                                       TextArgument(QuietRun() ? " (quiet)" : "")});
    NoteAnswer(style, answer);
    return AnswerOf(answer);
}

}  // namespace

Answer ReportMessage(HWND owner, PlainMessage id, UINT style) { return Show(owner, id, style, {0, {}, false, 0}); }

Answer ReportMessage(HWND owner, TextMessage id, UINT style, const char* text) {
    return Show(owner, id, style, {1, {text}, false, 0});
}

Answer ReportMessage(HWND owner, EntryMessage id, UINT style, const char* section, const char* entry) {
    return Show(owner, id, style, {2, {section, entry}, false, 0});
}

Answer ReportMessage(HWND owner, NumberMessage id, UINT style, long number) {
    return Show(owner, id, style, {0, {}, true, number});
}

Answer ReportMessage(HWND owner, CopyMessage id, UINT style, const char* source, const char* what, const char* target) {
    return Show(owner, id, style, {3, {source, what, target}, false, 0});
}

void ShowOutOfMemory() {
    LogLine("Out of memory!");
    if (QuietRun()) return;
    PaintPendingStatus();
    MessageBoxW(nullptr, L"Out of memory!", L"SetUp", MB_OK | MB_TASKMODAL);
}
