// The sections the installer reads before its install pass, read into the
// checker's tables as the installer fills its own: [SetUp], [options] and the
// option groups, [choise], [reg] and [path], and [disks]. Each reports what
// does not fit or cannot be found. In this order: each needs the ones before.
#pragma once
#include <string>

#include "check_context.h"

void CheckSetUp(ScriptCheck& check);
void ReadOptionGroups(ScriptCheck& check);
void ReadComponents(ScriptCheck& check);
void ReadVariables(ScriptCheck& check);
void ReadDisks(ScriptCheck& check);

// Warns when the text before a path's first '\' is no root name: such a key
// goes to HKEY_CLASSES_ROOT.
void CheckRoot(ScriptCheck& check, int line, const std::string& path);
