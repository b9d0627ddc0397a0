// The dialog that asks where a path variable points.
#pragma once
#include "base/setup_state.h"

// Template 40 for a row and its prompt: IDOK (the row holds the answer) or IDCANCEL.
int PathDialog(ScriptVariable* row, const char* prompt);
