// The [path] section: the destination variables of an install pass, each
// asked of the user when it carries a prompt.
#pragma once

int PathVariableEntry(char** keyFields, int keyCount, char** valueFields, int valueCount, void* context);

// Reads [path] for an install pass. The rows of an earlier pass are replaced,
// not appended again, so the answers of this pass are the ones looked up and
// repeated passes cannot fill the table. kAbort ends the pass.
int ReadPathVariables();
