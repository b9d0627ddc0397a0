#include "removal/removal_log.h"

#include <windows.h>

#include <cstdarg>
#include <cstring>

#include "actions/file_copy.h"
#include "script/text.h"
#include "script/variables.h"

namespace {

constexpr size_t kLogText = MAX_PATH;  // path, key and value of a record

// Doubles every character of `separators` in source. A pair is written whole
// or not at all, so a cut text never ends in half a pair.
bool DoubleSeparators(char* destination, size_t cap, const char* source, const char* separators) {
    if (cap == 0) return false;
    size_t used = 0;
    bool whole = true;
    for (const char* at = source ? source : ""; *at; ++at) {
        size_t need = std::strchr(separators, *at) ? 2 : 1;
        if (used + need >= cap) {
            whole = false;
            break;
        }
        for (size_t i = 0; i < need; ++i) destination[used++] = *at;
    }
    destination[used] = '\0';
    return whole;
}

const char* Text(va_list& args) {
    const char* text = va_arg(args, const char*);
    return text ? text : "";
}

// The key text of a record from its parts; false when it would not fit whole.
bool BuildKey(char (&key)[kLogText], const char* a, const char* b, const char* c = nullptr,
              const char* suffix = nullptr) {
    key[0] = '\0';
    bool whole = AppendText(key, a);
    if (b) whole = AppendText(key, "|") && AppendText(key, b) && whole;
    if (c) whole = AppendText(key, "|") && AppendText(key, c) && whole;
    if (suffix) whole = AppendText(key, suffix) && whole;
    return whole;
}

// Whether the log holds a record under the key. A recorded value may itself
// start with "." or be ".", so the default alone cannot tell.
bool RecordExists(const char* section, const char* key, const char* log) {
    char value[kLogText];
    GetPrivateProfileStringA(section, key, ".", value, sizeof value, log);
    if (std::strcmp(value, ".") != 0) return true;
    GetPrivateProfileStringA(section, key, "", value, sizeof value, log);
    return value[0] != '\0';
}

// Records of old values keep the first one written: the state before the
// first change is what the log must restore.
void KeepFirst(const char* section, const char* key, const char* value, const char* log) {
    if (!RecordExists(section, key, log)) WritePrivateProfileStringA(section, key, value, log);
}

// Old values are read back as the first value field of an action entry and
// expanded: '/' and '%' are doubled so that they stay literal. The profile
// reader drops blanks around a value and one pair of enclosing quotes, so a
// value that starts or ends with a blank, or starts with a quote, is written
// inside double quotes, which the reader takes off again.
void EscapeOldText(char (&value)[kLogText], const char* old) {
    const char* text = old ? old : "";
    size_t n = std::strlen(text);
    auto blank = [](char c) { return c == ' ' || c == '\t'; };
    bool quote = n > 0 && (blank(text[0]) || blank(text[n - 1]) || text[0] == '"' || text[0] == '\'');
    if (!quote) {
        DoubleSeparators(value, sizeof value, text, "/%");
        return;
    }
    value[0] = '"';
    DoubleSeparators(value + 1, sizeof value - 2, text, "/%");
    AppendText(value, "\"");
}

// A registry value is one item whatever type its record names. The type is
// part of the record's key, and a value that did not exist before the first
// install (recorded as an empty string) has a type of its own by the next.
bool RegistryRecordExists(const char* path, const char* valueName, const char* log) {
    static const char* const kSuffixes[] = {nullptr, ":REG_DWORD", ":REG_BINARY", ":REG_MULTI_SZ"};
    char key[kLogText];
    for (const char* suffix : kSuffixes)
        if (BuildKey(key, path, valueName, nullptr, suffix) && RecordExists("reg.step1", key, log)) return true;
    return false;
}

void LogOldText(const char* section, const char (&key)[kLogText], const char* old, const char* log) {
    char value[kLogText];
    EscapeOldText(value, old);
    KeepFirst(section, key, value, log);
}

}  // namespace

bool DoubleSeparator(char* destination, size_t cap, const char* source, char separator) {
    const char separators[] = {separator, '\0'};
    return DoubleSeparators(destination, cap, source, separators);
}

int LogRemoval(int kind, ...) {
    char name[] = "RemoveInf";
    char log[kLogText];
    ExpandText(name, log, false);
    if (EnsureDirectory(log) == -1) return -1;

    va_list args;
    va_start(args, kind);
    char key[kLogText];
    char value[kLogText];
    switch (kind) {
        case RestoreCopy:
        case RemoveFile: {
            const char* path = Text(args);
            // The description is read back as a value cut on '/': double it
            // so that it does not turn into a condition.
            DoubleSeparators(value, sizeof value, Text(args), "/");
            bool fits = kind == RestoreCopy ? CopyText(key, "1:") && AppendText(key, path) : CopyText(key, path);
            if (fits) WritePrivateProfileStringA(kind == RestoreCopy ? "step1" : "del.step2", key, value, log);
            break;
        }
        case PathVariable: {
            const char* variable = Text(args);
            // Read back, the value is cut on ';' and expanded on '%'.
            DoubleSeparators(value, sizeof value, Text(args), ";%");
            if (CopyText(key, variable)) WritePrivateProfileStringA("path", key, value, log);
            break;
        }
        case IniValue:
        case TextLine: {
            const char* file = Text(args);
            const char* section = Text(args);
            const char* item = Text(args);
            const char* old = Text(args);
            if (BuildKey(key, file, section, item))
                LogOldText(kind == IniValue ? "ini.step1" : "str.step1", key, old, log);
            break;
        }
        case RegistryString:
        case RegistryDword:
        case RegistryBinary:
        case RegistryMultiString: {
            const char* path = Text(args);
            const char* valueName = Text(args);
            const char* suffix = nullptr;
            if (kind == RegistryDword) {
                const unsigned long* old = va_arg(args, const unsigned long*);
                wsprintfA(value, "%lX", old ? *old : 0UL);
                suffix = ":REG_DWORD";
            } else {
                EscapeOldText(value, Text(args));
                if (kind == RegistryBinary) suffix = ":REG_BINARY";
                if (kind == RegistryMultiString) suffix = ":REG_MULTI_SZ";
            }
            if (BuildKey(key, path, valueName, nullptr, suffix) && !RegistryRecordExists(path, valueName, log))
                WritePrivateProfileStringA("reg.step1", key, value, log);
            break;
        }
        default:  // no kind: the name was resolved and the directory made, nothing more
            break;
    }
    va_end(args);
    return 0;
}
