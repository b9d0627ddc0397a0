// TEMPORARY: a minimal removal log writer until the real one lands on main.
// It writes the same sections, keys and values, so that tests reading the log
// back keep holding. Delete at that merge.
#include <windows.h>

#include <shlwapi.h>

#include <cstdarg>

#include "actions/file_copy.h"
#include "removal/removal_log.h"
#include "script/text.h"
#include "script/variables.h"

bool DoubleSeparator(char* destination, size_t cap, const char* source, char separator) {
    size_t at = 0;
    bool whole = true;
    for (const char* s = source; *s; ++s) {
        size_t need = *s == separator ? 2 : 1;
        if (at + need >= cap) {
            whole = false;
            break;
        }
        destination[at++] = *s;
        if (*s == separator) destination[at++] = *s;
    }
    if (cap) destination[at < cap ? at : cap - 1] = '\0';
    return whole;
}

int LogRemoval(int kind, ...) {
    char name[] = "RemoveInf";
    char log[MAX_PATH];
    ExpandText(name, log, false);
    if (EnsureDirectory(log) == -1) return -1;

    va_list args;
    va_start(args, kind);
    const char* a = va_arg(args, const char*);
    const char* b = va_arg(args, const char*);
    char key[MAX_PATH];
    char value[MAX_PATH];
    const char* section = nullptr;
    bool keepFirst = true;
    switch (kind) {
        case RestoreCopy:
        case RemoveFile:
        case PathVariable:
            section = kind == RestoreCopy ? "step1" : kind == RemoveFile ? "del.step2" : "path";
            wnsprintfA(key, sizeof key, kind == RestoreCopy ? "1:%s" : "%s", a);
            CopyText(value, b);
            keepFirst = false;
            break;
        case IniValue:
        case TextLine: {
            const char* c = va_arg(args, const char*);
            section = kind == IniValue ? "ini.step1" : "str.step1";
            wnsprintfA(key, sizeof key, "%s|%s|%s", a, b, c);
            DoubleSeparator(value, sizeof value, va_arg(args, const char*), '/');
            break;
        }
        case RegistryString:
        case RegistryBinary:
        case RegistryMultiString:
            section = "reg.step1";
            wnsprintfA(key, sizeof key,
                       kind == RegistryString ? "%s|%s" : kind == RegistryBinary ? "%s|%s:REG_BINARY" : "%s|%s:REG_MULTI_SZ",
                       a, b);
            DoubleSeparator(value, sizeof value, va_arg(args, const char*), '/');
            break;
        case RegistryDword:
            section = "reg.step1";
            wnsprintfA(key, sizeof key, "%s|%s:REG_DWORD", a, b);
            wnsprintfA(value, sizeof value, "%lX", *va_arg(args, const unsigned long*));
            break;
        default:
            break;
    }
    va_end(args);
    if (!section) return 0;
    if (keepFirst) {
        char present[MAX_PATH];
        GetPrivateProfileStringA(section, key, ".", present, sizeof present, log);
        if (present[0] != '.') return 0;
    }
    WritePrivateProfileStringA(section, key, value, log);
    return 0;
}
