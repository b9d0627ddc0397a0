// Where a copy's data go when its target is there already (or its directory
// had to be made): a file the installer checks as it reads it goes beside
// the target first (base/whole_files.h) and takes the target's place only
// once it proved sound and arrived whole, so that a damaged file never
// replaces the file that was there. A new target is written in place: the
// check comes before its first byte (base/media_reader.h), and a file beside
// would cost every copy a lookup and a move.
#pragma once
#include <windows.h>

#include "base/results.h"

// Creates (or empties) the file the data are written to: the target, or
// with `beside` the file beside it, whose path goes into besidePath (else
// emptied).
HANDLE CreateCopyTarget(const char* target, bool beside, char (&besidePath)[MAX_PATH]);
// Moves a whole file written beside the target into place. A move that
// fails is put to the user (the target cannot be created); Retry moves
// again, Abort and Ignore delete the file beside.
StepResult MoveCopyIntoPlace(const char* besidePath, const char* target);
