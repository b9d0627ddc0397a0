#include "base/run_log.h"

#include "base/file_system.h"
#include "base/run_outcome.h"
#include "base/text.h"

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

// Copies text into out (capacity cap) with every run of line breaks made one " | ".
void Flatten(char* out, size_t cap, const char* text) {
    size_t used = 0;
    bool inBreak = false;
    for (const char* at = text; *at && used + 4 < cap; ++at) {
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
    out[used] = '\0';
}

}  // namespace

bool RunLogFile::Open(const char* path) {
    Close();
    if (!CopyText(path_, path)) return false;
    // Made one at a time from the outermost; one that cannot be made leaves
    // the file to fail below.
    char missing[MAX_PATH];
    while (FirstMissingDirectory(path, missing) && CreateDirectoryA(missing, nullptr)) {
    }
    file_.Reset(
        CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
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
    size_t stamp = lstrlenA(line);
    Flatten(line + stamp, sizeof line - stamp - 2, text);
    size_t length = lstrlenA(line);
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
