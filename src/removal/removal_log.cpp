#include "removal/removal_log.h"

#include <windows.h>

#include <cstring>

#include "base/file_system.h"
#include "base/results.h"
#include "base/text.h"
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

// Every record goes through here. Old values come from the machine, names
// from variables that may be filled from the registry: a line break in one
// would add lines of someone else's choosing to a script that runs with
// administrator rights, so such a record is not written.
void WriteRecord(const char* section, const char* key, const char* value, const char* log) {
    if (HasLineBreak(key) || HasLineBreak(value)) return;
    WritePrivateProfileStringA(section, key, value, log);
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
    if (!RecordExists(section, key, log)) WriteRecord(section, key, value, log);
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

namespace {

// The log's file, with its directory made. False when the directory could not be made.
bool OpenLog(char (&log)[kLogText]) {
    char name[] = "RemoveInf";
    ExpandText(name, log, false);
    return EnsureDirectory(log) != kAbort;
}

const char* Text(const char* text) { return text ? text : ""; }

}  // namespace

int LogRemoval(FileRecord kind, const char* path, const char* description) {
    char log[kLogText];
    if (!OpenLog(log)) return kAbort;
    char key[kLogText];
    char value[kLogText];
    // The description is read back as a value cut on '/': double it so that
    // it does not turn into a condition.
    DoubleSeparators(value, sizeof value, Text(description), "/");
    bool fits = kind == RestoreCopy ? CopyText(key, "1:") && AppendText(key, Text(path)) : CopyText(key, Text(path));
    if (fits) WriteRecord(kind == RestoreCopy ? "step1" : "del.step2", key, value, log);
    return kGoOn;
}

int LogRemoval(VariableRecord, const char* name, const char* value) {
    char log[kLogText];
    if (!OpenLog(log)) return kAbort;
    char key[kLogText];
    char text[kLogText];
    // Read back, the value is cut on ';' and expanded on '%'.
    DoubleSeparators(text, sizeof text, Text(value), ";%");
    if (CopyText(key, Text(name))) WriteRecord("path", key, text, log);
    return kGoOn;
}

int LogRemoval(OldTextRecord kind, const char* file, const char* section, const char* key, const char* old) {
    char log[kLogText];
    if (!OpenLog(log)) return kAbort;
    char recordKey[kLogText];
    if (BuildKey(recordKey, Text(file), Text(section), Text(key)))
        LogOldText(kind == IniValue ? "ini.step1" : "str.step1", recordKey, old, log);
    return kGoOn;
}

namespace {

void LogRegistryValue(const char* keyPath, const char* valueName, const char* suffix, const char* value,
                      const char* log) {
    char key[kLogText];
    keyPath = Text(keyPath);
    valueName = Text(valueName);
    if (BuildKey(key, keyPath, valueName, nullptr, suffix) && !RegistryRecordExists(keyPath, valueName, log))
        WriteRecord("reg.step1", key, value, log);
}

}  // namespace

int LogRemoval(RegistryTextRecord kind, const char* keyPath, const char* valueName, const char* old) {
    char log[kLogText];
    if (!OpenLog(log)) return kAbort;
    char value[kLogText];
    EscapeOldText(value, old);
    const char* suffix = kind == RegistryBinary ? ":REG_BINARY" : kind == RegistryMultiString ? ":REG_MULTI_SZ" : nullptr;
    LogRegistryValue(keyPath, valueName, suffix, value, log);
    return kGoOn;
}

int LogRemoval(RegistryNumberRecord, const char* keyPath, const char* valueName, unsigned long old) {
    char log[kLogText];
    if (!OpenLog(log)) return kAbort;
    char value[kLogText];
    wsprintfA(value, "%lX", old);
    LogRegistryValue(keyPath, valueName, ":REG_DWORD", value, log);
    return kGoOn;
}
