// The run's own log, written only when the command line asks for one
// (/log=FILE): a plain-text line for each step, each entry acted on and each
// message with the answer given. Every line goes to the file as it is made,
// so the log is whole up to the moment a run stops.
#pragma once
#include <windows.h>

#include <initializer_list>

#include "base/format_text.h"

// The log file while the run has it open; at most one at a time.
class RunLogFile {
public:
    RunLogFile() = default;
    ~RunLogFile() { Close(); }
    RunLogFile(const RunLogFile&) = delete;
    RunLogFile& operator=(const RunLogFile&) = delete;

    // Creates (or empties) the file and makes it the run's log; false when
    // it cannot be created.
    bool Open(const char* path);
    void Close();

private:
    HANDLE file_ = INVALID_HANDLE_VALUE;
};

// Writes one line, formatted as FormatText does, behind the time of day. Line
// breaks inside the texts become " | ", and a line is cut at 2,000
// characters. Nothing without an open log.
void LogLine(const char* format, std::initializer_list<FormatArgument> arguments = {});
