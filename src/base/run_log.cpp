#include "base/run_log.h"

#include "base/file_system.h"
#include "base/run_outcome.h"
#include "base/text.h"
#include "base/wide_text.h"

#include <cstring>

namespace {

// The log the run writes to, and who is asked when a line does not go out.
struct RunLogState {
    RunLogFile* open = nullptr;
    LogRefusalHandler refused = nullptr;
    // The report of a line that did not go out logs its own line: that one
    // is not asked about again.
    bool reporting = false;
};
RunLogState gRunLog;

constexpr size_t kLineSize = 2048;

// Whether a byte continues a UTF-8 character begun before it.
bool Continues(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// Copies text into out (capacity cap) with every run of line breaks made one
// " | ". A text cut at the end of out is cut before a whole character.
void Flatten(char* out, size_t cap, const char* text) {
    size_t used = 0;
    bool inBreak = false;
    const char* at = text;
    for (; *at && used + 4 < cap; ++at) {
        if (*at == '\r' || *at == '\n') {
            if (!inBreak) {
                for (const char* s = " | "; *s; ++s) out[used++] = *s;
            }
            inBreak = true;
            continue;
        }
        inBreak = false;
        out[used++] = *at;
    }
    if (*at && Continues(*at)) {
        while (used > 0 && Continues(out[used - 1])) --used;
        if (used > 0) --used;  // the lead byte of the character cut
    }
    out[used] = '\0';
}

}  // namespace

bool RunLogFile::Open(const char* path) {
    Close();
    if (!CopyText(path_, path)) return false;
    // Made one at a time from the outermost; one that cannot be made leaves
    // the file to fail below.
    char missing[kPathBytes];
    while (FirstMissingDirectory(path, missing) && CreateDirectoryW(Wide(missing).c_str(), nullptr)) {
    }
    // The lines are UTF-8 as the engine's text is, without a byte order mark:
    // the file is plain lines from its first byte, for any tool that reads it.
    file_.Reset(CreateFileW(Wide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file_.valid()) return false;
    gRunLog.open = this;
    return true;
}

void RunLogFile::Close() {
    if (!file_.valid()) return;
    if (gRunLog.open == this) gRunLog.open = nullptr;
    file_.Close();
}

bool RunLogFile::Write(const char* line, DWORD length) {
    DWORD written = 0;
    if (WriteFile(file_.get(), line, length, &written, nullptr) && written == length) return true;
    // Half a line would be read as a whole one: the log keeps whole lines only.
    if (written > 0 &&
        SetFilePointer(file_.get(), -static_cast<LONG>(written), nullptr, FILE_CURRENT) != INVALID_SET_FILE_POINTER)
        SetEndOfFile(file_.get());
    return false;
}

void SetLogRefusalHandler(LogRefusalHandler handler) { gRunLog.refused = handler; }

void LogLine(const char* format, std::initializer_list<FormatArgument> arguments) {
    RunLogFile* open = gRunLog.open;
    if (!open) return;
    char text[kLineSize];
    FormatText(text, sizeof text, format, arguments);
    SYSTEMTIME now;
    GetLocalTime(&now);
    char line[kLineSize + 16];
    FormatText(line, sizeof line, "%02d:%02d:%02d ",
               {NumberArgument(now.wHour), NumberArgument(now.wMinute), NumberArgument(now.wSecond)});
    size_t stamp = std::strlen(line);
    Flatten(line + stamp, sizeof line - stamp - 2, text);
    size_t length = std::strlen(line);
    line[length++] = '\r';
    line[length++] = '\n';
    while (!open->Write(line, static_cast<DWORD>(length))) {
        if (gRunLog.reporting) return;
        gRunLog.reporting = true;
        LogRefusal answer = gRunLog.refused ? gRunLog.refused(open->path()) : LogRefusal::GoOnWithout;
        gRunLog.reporting = false;
        if (answer == LogRefusal::Retry) continue;
        // Asked once: the run goes on without its log.
        open->Close();
        if (answer == LogRefusal::Stop) StopRun();
        return;
    }
}
