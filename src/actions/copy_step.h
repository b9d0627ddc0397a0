// Carrying out copies and the disk changes between them.
#pragma once
#include <windows.h>

#include "base/wide_text.h"
#include "plan/plan_steps.h"

// Brings the step's disk into the drive: a media directory that ends in the
// disk in the drive's own subdirectory (...\DISK1\) moves to the sibling
// (...\DISK2\) by itself; otherwise the user is asked (a quiet run reads from
// the directory the prompt would show). The caller has tested the cancel flag.
StepResult CarryOut(const DiskStep& step);
// Copies one file from the media, recording it first. The cancel flag is
// tested first unless the entry's disk change tested it already: a Cancel
// given while the disk prompt waits ends the pass at the next entry.
StepResult CarryOut(const CopyStep& step, bool cancelTested);

// The sibling of a media directory that ends in the disk in the drive's own
// subdirectory (...\DISK1\ to ...\DISK2\); false when it does not end so.
bool SiblingDiskDirectory(const char* media, const char* inDrive, const char* disk, char (&sibling)[kPathBytes]);

// A path that had to be cut would name some other file: reported as the file
// that cannot be opened or created (messageId), asked again until the user
// gives up on the entry or on the pass.
StepResult ReportUnusablePath(int messageId, const char* path);
