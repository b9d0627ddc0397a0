// TEMPORARY stand-in for the removal log while it is built on another branch;
// delete this file when the real LogRemoval is merged. Writes only the record
// kinds the install pass and the copy entries use (0, 1 and 10).
#include <windows.h>

#include <cstdarg>

#include "actions/file_copy.h"
#include "removal/removal_log.h"
#include "script/text.h"
#include "script/variables.h"

int LogRemoval(int kind, ...) {
    char name[] = "RemoveInf";
    char log[MAX_PATH];
    ExpandText(name, log, false);
    if (EnsureDirectory(log) == -1) return -1;
    va_list args;
    va_start(args, kind);
    const char* first = va_arg(args, const char*);
    const char* second = va_arg(args, const char*);
    va_end(args);
    char key[MAX_PATH];
    switch (kind) {
        case RestoreCopy:
            CopyText(key, "1:");
            AppendText(key, first);
            WritePrivateProfileStringA("step1", key, second, log);
            break;
        case RemoveFile:
            CopyText(key, first);
            WritePrivateProfileStringA("del.step2", key, second, log);
            break;
        case PathVariable:
            CopyText(key, first);
            WritePrivateProfileStringA("path", key, second, log);
            break;
        default:
            break;
    }
    return 0;
}
