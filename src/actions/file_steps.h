// Carrying out INI entries and text line entries: one value or one line of a
// file, its old state recorded before it changes.
#pragma once

#include "plan/plan_steps.h"

// Sets, appends to or deletes an INI value (actions/ini_write.h).
StepResult CarryOutIni(const FileStep& step);
// Replaces, inserts or deletes one line of a text file (actions/text_lines.h).
StepResult CarryOutTextLine(const FileStep& step);

// Reports the entry a step came from with an OK/Cancel message about the
// entry (section and key as written): Cancel ends the pass, OK skips it.
StepResult ReportStepEntry(const EntrySource& source, int messageId);
