// The run's own log, written only when the command line asks for one
// (/log=FILE): a plain-text line for each step, each entry acted on and each
// message with the answer given. Every line goes to the file as it is made,
// so the log is whole up to the moment a run stops.
#pragma once
#include <windows.h>

#include <initializer_list>

#include "base/format_text.h"
#include "base/scoped_handles.h"
#include "base/wide_text.h"

// The log file while the run has it open; at most one at a time.
class RunLogFile {
public:
    RunLogFile() = default;
    ~RunLogFile() { Close(); }
    RunLogFile(const RunLogFile&) = delete;
    RunLogFile& operator=(const RunLogFile&) = delete;

    // Makes the file's missing directories, creates (or empties) the file
    // and makes it the run's log; false when it cannot be created.
    bool Open(const char* path);
    void Close();
    // Writes one whole line, or cuts back what part of it went out: false
    // when the file did not take it all.
    bool Write(const char* line, DWORD length);
    const char* path() const { return path_; }

private:
    ScopedHandle file_;
    char path_[kPathBytes] = "";
};

// What a run does when a line does not reach its log.
enum class LogRefusal { Retry, GoOnWithout, Stop };
// Who is asked (the run puts it to the user); without one the run goes on
// without its log.
using LogRefusalHandler = LogRefusal (*)(const char* path);
void SetLogRefusalHandler(LogRefusalHandler handler);

// Writes one line, formatted as FormatText does, behind the time of day. Line
// breaks inside the texts become " | ", and a line is cut at 2,000
// characters. Nothing without an open log. A line the file does not take (a
// full disk) is put to the refusal handler, once: Retry writes it again,
// GoOnWithout goes on without the log, Stop goes on without it too and stops
// the run as failed (run_outcome.h).
void LogLine(const char* format, std::initializer_list<FormatArgument> arguments = {});
