// A removal that cleans up after itself. A removal script with [SetUp]
// cleanup=1 that has run to its end, started from the setup.exe beside it,
// leaves nothing of the product: the script, STP.DLL and setup.exe are
// deleted from that directory, and then that directory and the directories
// the install recorded as made around it, each only when it is empty and
// never a drive's root. A removal started by a setup.exe elsewhere deletes
// none of these: that setup.exe and what lies around it are not the
// product's. The running setup.exe cannot delete itself: a copy of it in a
// directory of its own under the temporary directory waits for the run to
// end and does it, and that copy is deleted when Windows next starts. When
// the run restarts Windows itself, the files and directories are deleted at
// that restart instead.
#pragma once
#include <windows.h>

#include "base/wide_text.h"

struct CleanupPlan {
    bool wanted;
    char installer[kPathBytes];  // the running setup.exe
    char script[kPathBytes];     // the script, which lies beside it
    char outermost[kPathBytes];  // the outermost directory to remove when empty
};

// What a completed removal run will clean up, given the script file it read
// (scriptSource): reads [SetUp] cleanup and the directories the install
// recorded as made (del.step3) from the run's copy of the script, which must
// still be there.
CleanupPlan PlanRemovalCleanup(const char* scriptSource);

// Carries the plan out once the run has let go of its own files.
void CleanUpAfterRemoval(const CleanupPlan& plan, bool restarting);

// The helper's switch, which only the installer gives, and the helper itself:
// waits for the run to end, deletes its setup.exe and the empty directories.
// Returns the exit code, or kNoHelper when text is no helper command line.
constexpr int kNoHelper = -2;
int RunCleanupHelper(const char* commandText);
