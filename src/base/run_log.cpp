#include "base/run_log.h"

namespace {

HANDLE openLog = INVALID_HANDLE_VALUE;

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
    file_ = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file_ == INVALID_HANDLE_VALUE) return false;
    openLog = file_;
    return true;
}

void RunLogFile::Close() {
    if (file_ == INVALID_HANDLE_VALUE) return;
    if (openLog == file_) openLog = INVALID_HANDLE_VALUE;
    CloseHandle(file_);
    file_ = INVALID_HANDLE_VALUE;
}

void LogLine(const char* format, std::initializer_list<FormatArgument> arguments) {
    if (openLog == INVALID_HANDLE_VALUE) return;
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
    DWORD written = 0;
    WriteFile(openLog, line, static_cast<DWORD>(length), &written, nullptr);
}
