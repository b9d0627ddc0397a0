// The removal log: whether the script names it, whether the log and the saved
// files lie where only administrators can write (the removal replays the log
// with their rights), and whether the script writes the parts of a removal
// script that the log itself never holds.
#pragma once

#include "check_actions.h"
#include "check_context.h"

void CheckRemoval(ScriptCheck& check, const Records& records);
