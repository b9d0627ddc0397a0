// TEMPORARY: a minimal LogRemoval so the font and deletion actions can be built
// and tested before the removal log lands from its own branch. It writes only
// the record kinds that take no look-up of an earlier value (0, 1 and 10).
// Delete this file when the real removal log is merged.
#include <windows.h>

#include <cstdarg>

#include "actions/file_copy.h"
#include "removal/removal_log.h"
#include "script/variables.h"

int LogRemoval(int kind, ...) {
    char name[] = "RemoveInf";
    char log[MAX_PATH];
    ExpandText(name, log, false);
    if (EnsureDirectory(log) == -1) return -1;
    va_list list;
    va_start(list, kind);
    const char* first = va_arg(list, const char*);
    const char* second = va_arg(list, const char*);
    va_end(list);
    if (kind == RestoreCopy) {
        char key[MAX_PATH] = "1:";
        lstrcpynA(key + 2, first, sizeof key - 2);
        WritePrivateProfileStringA("step1", key, second, log);
    } else if (kind == RemoveFile) {
        WritePrivateProfileStringA("del.step2", first, second, log);
    } else if (kind == PathVariable) {
        WritePrivateProfileStringA("path", first, second, log);
    }
    return 0;
}
