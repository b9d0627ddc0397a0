// Root key names of registry paths.
#pragma once
#include <windows.h>

// The predefined root key a name stands for (compared with letter case);
// any other text means HKEY_CLASSES_ROOT.
HKEY RootKeyFromName(const char* name);
