// Registry keys an install creates, and their removal once empty: the log
// records the outermost key an entry is about to create, and a removal run
// deletes that key with every key below it that holds nothing, deepest
// first. Every key below a created one was made after it, so nothing that
// existed before the install is ever deleted.
#pragma once
#include <windows.h>

#include "base/wide_text.h"

// The outermost key of the subkey path under root that does not exist yet,
// as the path up to it; false when the whole path exists (or cannot be
// looked at).
bool FirstMissingKey(HKEY root, const char* subkey, char (&missing)[kPathBytes]);

// Deletes the key and each key below it that holds no value and, once the
// keys below it are gone, no key: deepest first. A key that holds anything
// stays; a missing key is left missing.
void RemoveEmptyKeys(HKEY root, const char* subkey);
