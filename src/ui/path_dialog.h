// The dialog that asks where a path variable points.
#pragma once
#include "base/setup_state.h"
#include "ui/messages.h"

// Template 40 for a row and its prompt: Ok (the row holds the answer) or Cancel.
Answer PathDialog(ScriptVariable* row, const char* prompt);
