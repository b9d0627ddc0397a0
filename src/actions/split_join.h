// A media file split over disks, joined before it is copied. Its pieces lie
// one on each of its disks under the file's one media name; they are read in
// turn into a file of the run's own directory, which the copy then reads
// like any media file (expanding it when it is compressed). The next disk is
// the sibling directory of a set laid out on one medium when that holds the
// piece; otherwise the user is asked for it, in the middle of the file. What
// a killed run leaves of the joined file lies in the run's directory only.
#pragma once
#include <windows.h>

#include "base/wide_text.h"
#include "plan/plan_steps.h"

// The joined file, deleted when its owner goes.
class JoinedFile {
public:
    JoinedFile() = default;
    ~JoinedFile();
    JoinedFile(const JoinedFile&) = delete;
    JoinedFile& operator=(const JoinedFile&) = delete;

    const char* path() const { return path_; }

private:
    friend StepResult JoinPieces(const CopyStep& step, JoinedFile& joined);
    char path_[kPathBytes] = "";
};

// Reads the step's pieces, the disk of its first in the drive, into the
// joined file: GoOn, or the entry's result (Skipped after Ignore, Abort).
// The disk of the last piece is in the drive after it.
StepResult JoinPieces(const CopyStep& step, JoinedFile& joined);
