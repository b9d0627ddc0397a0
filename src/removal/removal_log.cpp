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
#include "removal/log_records.h"
#include "removal/profile_log.h"
#include "script/variables.h"

namespace {

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
// the format cannot carry (composed false) is never tried: it is put to the
// user like one the disk refused, before the change it would undo is made.
int Record(const LogRecord& record, const char* log, bool composed = true) {
    for (;;) {
        if (composed && WriteRecord(record.section, record.key.Text(), record.value.Text(), log)) return kGoOn;
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
int KeepFirst(const LogRecord& record, const char* log, bool composed) {
    return composed && RecordExists(record.section, record.key.Text(), log) ? kGoOn : Record(record, log, composed);
}

// A registry value is one item whatever type its record names. The type is
// part of the record's key, and a value that did not exist before the first
// install (recorded as an empty string) has a type of its own by the next.
bool RegistryRecordExists(const char* path, const char* valueName, const char* log) {
    bool opened = OpenLogFile(log);
    TextBuffer key;
    for (const char* suffix : kRegistryTypeSuffixes)
        if (opened && RegistryRecordKey(path, valueName, suffix, key) && gLog.Holds("reg.step1", key.Text()))
            return true;
    return false;
}

int RecordMadeDirectory(const char* directory, const char* log) {
    LogRecord record;
    return KeepFirst(record, log, ComposeRecord(MadeDirectory, directory, record));
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

int LogRemoval(FileRecord kind, const char* path, const char* description) {
    char log[MAX_PATH];
    if (!OpenLog(log)) return kAbort;
    LogRecord record;
    return Record(record, log, ComposeRecord(kind, path, description, record));
}

int LogRemoval(VariableRecord kind, const char* name, const char* value) {
    char log[MAX_PATH];
    if (!OpenLog(log)) return kAbort;
    LogRecord record;
    return Record(record, log, ComposeRecord(kind, name, value, record));
}

int LogRemoval(OldTextRecord kind, const char* file, const char* section, const char* key, const char* old) {
    char log[MAX_PATH];
    if (!OpenLog(log)) return kAbort;
    LogRecord record;
    return KeepFirst(record, log, ComposeRecord(kind, file, section, key, old, record));
}

int LogRemoval(RegistryTextRecord kind, const char* keyPath, const char* valueName, const char* old) {
    char log[MAX_PATH];
    if (!OpenLog(log)) return kAbort;
    LogRecord record;
    bool composed = ComposeRecord(kind, keyPath, valueName, old, record);
    return composed && RegistryRecordExists(keyPath, valueName, log) ? kGoOn : Record(record, log, composed);
}

int LogRemoval(RegistryNumberRecord kind, const char* keyPath, const char* valueName, unsigned long old) {
    char log[MAX_PATH];
    if (!OpenLog(log)) return kAbort;
    LogRecord record;
    bool composed = ComposeRecord(kind, keyPath, valueName, old, record);
    return composed && RegistryRecordExists(keyPath, valueName, log) ? kGoOn : Record(record, log, composed);
}

int LogRemoval(MadeRecord kind, const char* path) {
    char log[MAX_PATH];
    if (!OpenLog(log)) return kAbort;
    if (kind == MadeDirectory) return RecordMadeDirectory(path, log);
    LogRecord record;
    return KeepFirst(record, log, ComposeRecord(kind, path, record));
}

void ReleaseRemovalLog() { gLog.Close(); }

int LogMissingDirectory(const char* filePath) {
    char missing[MAX_PATH];
    if (gProcess.removeMode || !FirstMissingDirectory(filePath, missing)) return kGoOn;
    return LogRemoval(MadeDirectory, missing);
}
