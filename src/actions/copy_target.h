// Where a copy's data go: straight into the target, or, for a file the
// installer checks as it reads it, into a file beside the target
// (base/whole_files.h) that is moved into place once the file proved sound,
// so that a damaged file never takes the place of the target, nor of a file
// it was to replace.
#pragma once
#include <windows.h>

#include "base/results.h"

// Creates the file the data are written to: the target itself, or with
// `beside` the file beside it (its path into besidePath, else emptied).
// With `fresh` the target must not exist yet (an invalid handle when it
// does, or cannot be made): the caller then asks about the target and tries
// again without `fresh`, which replaces whatever is there.
HANDLE CreateCopyTarget(const char* target, bool beside, bool fresh, char (&besidePath)[MAX_PATH]);
// Moves a whole, sound file written beside the target into place. A move
// that fails is put to the user (the target cannot be created); Retry moves
// again, Abort and Ignore delete the file beside.
StepResult MoveCopyIntoPlace(const char* besidePath, const char* target);
