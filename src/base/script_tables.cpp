#include "base/script_tables.h"

ScriptTables* gTables = nullptr;
