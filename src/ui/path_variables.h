// The [path] section: the destination variables of an install pass, each
// asked of the user when it carries a prompt. A value given for the run
// (/path:NAME=VALUE, taken as written) replaces the script's default.
#pragma once

#include "script/section_walk.h"

StepResult PathVariableEntry(SectionEntry& entry, void* context);

// Reads [path] for an install pass. The rows of an earlier pass are replaced,
// not appended again, so the answers of this pass are the ones looked up and
// repeated passes cannot fill the table. Abort ends the pass. `visited`
// (when given) counts the entries read.
StepResult ReadPathVariables(int* visited = nullptr);

// False with the first name given for the run (/path:NAME=) that no entry of
// [path] has.
bool PathAnswersNamed(char (&unknown)[64]);
