// What the executor does around the removal log and the folders a change
// needs: each is tried, and while it fails the user is asked (a quiet run
// answers Abort), Retry trying again.
#pragma once

#include "base/results.h"
#include "removal/removal_log.h"
#include "ui/messages.h"

// Asks about a record that did not reach the log (message 104 for the log's
// folder, 108 for the log): Retry (true) writes it again; otherwise *result
// is the step's: Abort, or Skipped after Ignore (the change is made
// unrecorded).
bool RetryRecord(Recorded failure, StepResult* result);

// Records one change before it is made (removal/removal_log.h): GoOn when it
// is in the log, otherwise as RetryRecord says.
template <typename... Fields>
StepResult Record(Fields... fields) {
    StepResult result;
    for (;;) {
        Recorded recorded = LogRemoval(fields...);
        if (recorded == Recorded::Yes || !RetryRecord(recorded, &result))
            return recorded == Recorded::Yes ? StepResult::GoOn : result;
    }
}
// Records the outermost folder that making a file's folder would make.
StepResult RecordMissingFolder(const char* filePath);

// Makes every missing folder on the way to a file, asking Abort/Retry/Ignore
// (message 104) about one that cannot be made: GoOn when the folder is there,
// Skipped when the path names no file or after Ignore, Abort.
StepResult EnsureDirectory(const char* filePath);
