// The file as a whole once every section the installer reads was walked:
// whether it is a script at all, sections it never reads (or reads under
// another header of the same name), components without any section, and
// lines that are no entry.
#pragma once

#include "check_context.h"

void CheckFile(ScriptCheck& check);
void CheckSections(ScriptCheck& check);
