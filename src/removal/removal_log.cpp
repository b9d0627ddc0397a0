#include "removal/removal_log.h"

#include <windows.h>

#include <cstring>

#include "base/file_system.h"
#include "base/messages.h"
#include "base/profile_text.h"
#include "base/results.h"
#include "base/setup_state.h"
#include "base/text.h"
#include "base/text_buffer.h"
#include "removal/disk_room.h"
#include "removal/profile_log.h"
#include "script/variables.h"

namespace {

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

// The same into a growing buffer, up to the longest value a profile file
// carries; false when the doubled text would be longer (with `cut`, out then
// holds as much as fits).
bool DoubleSeparators(TextBuffer& out, const char* source, const char* separators, bool cut = false) {
    out.Clear();
    size_t length = 0;
    for (const char* at = source; *at; ++at) length += std::strchr(separators, *at) ? 2 : 1;
    bool whole = length <= kProfileTextLimit;
    if (!whole && !cut) return false;
    size_t room = (whole ? length : kProfileTextLimit) + 1;
    if (!out.Reserve(room)) return false;
    DoubleSeparators(out.Data(), room, source, separators);
    out.SetLength(std::strlen(out.Data()));
    return whole;
}

const char* Text(const char* text) { return text ? text : ""; }

// The key text of a record from its parts.
bool BuildKey(TextBuffer& key, const char* a, const char* b, const char* c = nullptr, const char* suffix = nullptr) {
    key.Clear();
    bool built = key.Append(Text(a));
    if (b) built = key.Append("|") && key.Append(b) && built;
    if (c) built = key.Append("|") && key.Append(c) && built;
    if (suffix) built = key.Append(suffix) && built;
    return built && key.Length() <= kProfileTextLimit;
}

// The profile reader drops blanks around a value and one pair of enclosing
// quotes: a value that starts or ends with a blank, or starts with a quote,
// is written inside double quotes, which the reader takes off again.
bool NeedsQuotes(const char* text, size_t length) {
    auto blank = [](char c) { return c == ' ' || c == '\t'; };
    return length > 0 && (blank(text[0]) || blank(text[length - 1]) || text[0] == '"' || text[0] == '\'');
}

// Old values are read back as the first value field of an action entry and
// expanded: '/' and '%' are doubled so that they stay literal.
bool EscapeOldText(TextBuffer& value, const char* old) {
    const char* text = Text(old);
    if (!NeedsQuotes(text, std::strlen(text))) return DoubleSeparators(value, text, "/%");
    TextBuffer inner;
    return DoubleSeparators(inner, text, "/%") && value.Assign("\"") && value.Append(inner.Text()) &&
           value.Append("\"") && value.Length() <= kProfileTextLimit;
}

// Where the profile functions keep a file: a bare name in the Windows directory.
bool LogPath(const char* name, char (&path)[MAX_PATH]) {
    bool bare = !std::strchr(name, '\\') && !std::strchr(name, '/') && !(name[0] && name[1] == ':');
    if (!bare) {
        DWORD n = GetFullPathNameA(name, sizeof path, path, nullptr);
        return n > 0 && n < sizeof path;
    }
    UINT n = GetWindowsDirectoryA(path, sizeof path);
    return n > 0 && n < sizeof path && AppendText(path, "\\") && AppendText(path, name);
}

// The log's writer keeps its index, and the file open, from record to
// record, until ReleaseRemovalLog lets it go.
ProfileLog gLog;

bool OpenLogFile(const char* log) {
    char path[MAX_PATH];
    return LogPath(log, path) && gLog.Open(path);
}

// Writes the record through to the file. The writer's failures are the
// file's: a write refused or short (a disk without room for it), a disk
// without room for a file written anew.
bool WriteRecord(const char* section, const char* key, const char* value, const char* log) {
    return OpenLogFile(log) && gLog.Write(section, key, value, DiskHasRoom);
}

// Writes one record until it is on disk or the user gives up on it. A record
// that does not fit a profile file (fits false) is never tried.
int Record(const char* section, const char* key, const char* value, const char* log, bool fits = true) {
    // Old values come from the machine, names from variables that may be
    // filled from the registry: a line break in one would add lines of someone
    // else's choosing to a script that runs with administrator rights, so
    // such a record is never written.
    fits = fits && std::strlen(key) <= kProfileTextLimit && std::strlen(value) <= kProfileTextLimit &&
           !HasLineBreak(key) && !HasLineBreak(value);
    for (;;) {
        if (fits && WriteRecord(section, key, value, log)) return kGoOn;
        // The user may mend the file, or make room, before answering.
        gLog.Close();
        int answer = ReportMessage(OwnerWindow(), kMsgCannotWriteLog, kStyleAbortRetryIgnore, log);
        if (answer == kAnswerAbort) return kAbort;
        if (answer != kAnswerRetry) return kSkipped;
    }
}

// Whether the log holds a record under the key, whatever its value.
bool RecordExists(const char* section, const char* key, const char* log) {
    return OpenLogFile(log) && gLog.Holds(section, key);
}

// Records of old values keep the first one written: the state before the
// first change is what the log must restore.
int KeepFirst(const char* section, const char* key, const char* value, const char* log) {
    return RecordExists(section, key, log) ? kGoOn : Record(section, key, value, log);
}

// A registry value is one item whatever type its record names. The type is
// part of the record's key, and a value that did not exist before the first
// install (recorded as an empty string) has a type of its own by the next.
bool RegistryRecordExists(const char* path, const char* valueName, const char* log) {
    static const char* const kSuffixes[] = {nullptr, ":REG_DWORD", ":REG_BINARY", ":REG_MULTI_SZ"};
    bool opened = OpenLogFile(log);
    TextBuffer key;
    for (const char* suffix : kSuffixes)
        if (opened && BuildKey(key, path, valueName, nullptr, suffix) && gLog.Holds("reg.step1", key.Text()))
            return true;
    return false;
}

// A record that cannot even be put together (a text longer than a profile
// file carries) is a record that cannot be written.
int Unwritable(const char* log) { return Record("", "", "", log, false); }

int RecordMadeDirectory(const char* directory, const char* log) {
    TextBuffer key;
    // Read back as a deletion path, expanded on '%'.
    if (!DoubleSeparators(key, directory, "%")) return Unwritable(log);
    return KeepFirst("del.step3", key.Text(), "Folder made by the install", log);
}

// The log's file, with its directory made (and recorded: the log's own
// directory is most often the first the install makes). False after Abort.
bool OpenLog(char (&log)[MAX_PATH]) {
    char name[] = "RemoveInf";
    ExpandText(name, log, false);
    // A log held open lies in a directory that is there.
    char path[MAX_PATH];
    if (LogPath(log, path) && gLog.Holding(path)) return true;
    char missing[MAX_PATH];
    bool making = !gProcess.removeMode && FirstMissingDirectory(log, missing);
    if (EnsureDirectory(log) == kAbort) return false;
    return !making || RecordMadeDirectory(missing, log) != kAbort;
}


}  // namespace

bool DoubleSeparator(char* destination, size_t cap, const char* source, char separator) {
    const char separators[] = {separator, '\0'};
    return DoubleSeparators(destination, cap, source, separators);
}

bool CanRecordOldText(const char* old, size_t length) {
    if (!old || std::strlen(old) != length || std::strpbrk(old, "\r\n")) return false;
    TextBuffer value;
    return EscapeOldText(value, old);
}

int LogRemoval(FileRecord kind, const char* path, const char* description) {
    char log[MAX_PATH];
    if (!OpenLog(log)) return kAbort;
    TextBuffer key, value;
    // The description is read back as a value cut on '/': double it so that
    // it does not turn into a condition. It only names the file: one too long
    // for the log is recorded as far as it fits.
    DoubleSeparators(value, Text(description), "/", true);
    bool built = key.Append(kind == RestoreCopy ? "1:" : "") && key.Append(Text(path));
    if (!built || key.Length() > kProfileTextLimit) return Unwritable(log);
    return Record(kind == RestoreCopy ? "step1" : "del.step2", key.Text(), value.Text(), log);
}

int LogRemoval(VariableRecord, const char* name, const char* value) {
    char log[MAX_PATH];
    if (!OpenLog(log)) return kAbort;
    TextBuffer text;
    // Read back, the value is cut on ';' and expanded on '%'.
    if (!DoubleSeparators(text, Text(value), ";%") || std::strlen(Text(name)) > kProfileTextLimit)
        return Unwritable(log);
    return Record("path", Text(name), text.Text(), log);
}

int LogRemoval(OldTextRecord kind, const char* file, const char* section, const char* key, const char* old) {
    char log[MAX_PATH];
    if (!OpenLog(log)) return kAbort;
    TextBuffer recordKey, value;
    if (!BuildKey(recordKey, Text(file), Text(section), Text(key)) || !EscapeOldText(value, old))
        return Unwritable(log);
    return KeepFirst(kind == IniValue ? "ini.step1" : "str.step1", recordKey.Text(), value.Text(), log);
}

namespace {

int LogRegistryValue(const char* keyPath, const char* valueName, const char* suffix, const char* value,
                     const char* log) {
    TextBuffer key;
    keyPath = Text(keyPath);
    valueName = Text(valueName);
    if (!BuildKey(key, keyPath, valueName, nullptr, suffix)) return Unwritable(log);
    return RegistryRecordExists(keyPath, valueName, log) ? kGoOn : Record("reg.step1", key.Text(), value, log);
}

}  // namespace

int LogRemoval(RegistryTextRecord kind, const char* keyPath, const char* valueName, const char* old) {
    char log[MAX_PATH];
    if (!OpenLog(log)) return kAbort;
    TextBuffer value;
    if (!EscapeOldText(value, old)) return Unwritable(log);
    const char* suffix = kind == RegistryBinary ? ":REG_BINARY" : kind == RegistryMultiString ? ":REG_MULTI_SZ" : nullptr;
    return LogRegistryValue(keyPath, valueName, suffix, value.Text(), log);
}

int LogRemoval(RegistryNumberRecord, const char* keyPath, const char* valueName, unsigned long old) {
    char log[MAX_PATH];
    if (!OpenLog(log)) return kAbort;
    char value[16];
    wsprintfA(value, "%lX", old);
    return LogRegistryValue(keyPath, valueName, ":REG_DWORD", value, log);
}

int LogRemoval(MadeRecord kind, const char* path) {
    char log[MAX_PATH];
    if (!OpenLog(log)) return kAbort;
    if (kind == MadeDirectory) return RecordMadeDirectory(Text(path), log);
    TextBuffer key;
    // Read back as a registry entry: '|' ends the key path, and the type
    // follows an empty value name.
    if (!DoubleSeparators(key, Text(path), "|") || !key.Append("|:") || !key.Append(kRemoveEmptyKeysType) ||
        key.Length() > kProfileTextLimit)
        return Unwritable(log);
    return KeepFirst("reg.step3", key.Text(), "Key made by the install", log);
}

void ReleaseRemovalLog() { gLog.Close(); }

int LogMissingDirectory(const char* filePath) {
    char missing[MAX_PATH];
    if (gProcess.removeMode || !FirstMissingDirectory(filePath, missing)) return kGoOn;
    return LogRemoval(MadeDirectory, missing);
}
