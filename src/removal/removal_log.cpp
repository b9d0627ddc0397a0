#include "removal/removal_log.h"

#include <windows.h>

#include <cstring>

#include "base/file_system.h"
#include "base/profile_text.h"
#include "base/setup_state.h"
#include "base/text.h"
#include "base/text_buffer.h"
#include "base/wide_text.h"
#include "removal/disk_room.h"
#include "removal/log_records.h"
#include "removal/profile_log.h"
#include "script/variables.h"

namespace {

// A log's path in UTF-8: MAX_PATH characters, three bytes each at most.
typedef char LogPathText[kPathBytes];

// Where the profile functions keep a file: a bare name in the Windows directory.
bool LogPath(const char* name, LogPathText& path) {
    bool bare = !std::strchr(name, '\\') && !std::strchr(name, '/') && !(name[0] && name[1] == ':');
    wchar_t wide[MAX_PATH];
    if (!bare) {
        DWORD n = GetFullPathNameW(Wide(name).c_str(), MAX_PATH, wide, nullptr);
        return n > 0 && n < MAX_PATH && FromWide(wide, path);
    }
    UINT n = GetWindowsDirectoryW(wide, MAX_PATH);
    return n > 0 && n < MAX_PATH && FromWide(wide, path) && AppendText(path, "\\") && AppendText(path, name);
}

// The log's writer, which keeps its index and the file open from record to
// record until ReleaseRemovalLog lets it go, and what the last record that
// did not reach the file is about.
struct RemovalLogWriter {
    ProfileLog file;
    LogPathText failedPath = "";
};
RemovalLogWriter gWriter;

Recorded Failed(Recorded why, const char* path) {
    CopyText(gWriter.failedPath, path);
    // The user may mend the file, or make room, before the next try.
    gWriter.file.Close();
    return why;
}

bool OpenLogFile(const char* log) {
    LogPathText path;
    return LogPath(log, path) && gWriter.file.Open(path);
}

// Writes the record through to the file. The writer's failures are the
// file's: a write refused or short (a disk without room for it), a disk
// without room for a file written anew. A record the format cannot carry
// (composed false) is never tried, and fails the same way.
Recorded Write(const LogRecord& record, const char* log, bool composed) {
    if (composed && OpenLogFile(log) &&
        gWriter.file.Write(record.section, record.key.Text(), record.value.Text(), DiskHasRoom))
        return Recorded::Yes;
    return Failed(Recorded::FileFailed, log);
}

// Whether the log holds a record under the key, whatever its value.
bool RecordExists(const char* section, const char* key, const char* log) {
    return OpenLogFile(log) && gWriter.file.Holds(section, key);
}

// Records of old values keep the first one written: the state before the
// first change is what the log must restore.
Recorded KeepFirst(const LogRecord& record, const char* log, bool composed) {
    return composed && RecordExists(record.section, record.key.Text(), log) ? Recorded::Yes
                                                                            : Write(record, log, composed);
}

// A registry value is one item whatever type its record names. The type is
// part of the record's key, and a value that did not exist before the first
// install (recorded as an empty string) has a type of its own by the next.
bool RegistryRecordExists(const char* path, const char* valueName, const char* log) {
    bool opened = OpenLogFile(log);
    TextBuffer key;
    for (const char* suffix : kRegistryTypeSuffixes)
        if (opened && RegistryRecordKey(path, valueName, suffix, key) && gWriter.file.Holds("reg.step1", key.Text()))
            return true;
    return false;
}

Recorded RecordMadeDirectory(const char* directory, const char* log) {
    LogRecord record;
    return KeepFirst(record, log, ComposeRecord(MadeDirectory, directory, record));
}

// The log's file, with its directory made (and recorded: the log's own
// directory is most often the first the install makes).
Recorded OpenLog(LogPathText& log) {
    char name[] = "RemoveInf";
    ExpandText(name, log, false);
    // A log held open lies in a directory that is there.
    LogPathText path;
    if (LogPath(log, path) && gWriter.file.Holding(path)) return Recorded::Yes;
    char missing[MAX_PATH], failed[MAX_PATH];
    bool making = !gProcess.removeMode && FirstMissingDirectory(log, missing);
    if (MakeDirectories(log, failed) == Directories::Failed) return Failed(Recorded::FolderFailed, failed);
    return making ? RecordMadeDirectory(missing, log) : Recorded::Yes;
}

}  // namespace

Recorded LogRemoval(FileRecord kind, const char* path, const char* description) {
    LogPathText log;
    Recorded opened = OpenLog(log);
    if (opened != Recorded::Yes) return opened;
    LogRecord record;
    return Write(record, log, ComposeRecord(kind, path, description, record));
}

Recorded LogRemoval(VariableRecord kind, const char* name, const char* value) {
    LogPathText log;
    Recorded opened = OpenLog(log);
    if (opened != Recorded::Yes) return opened;
    LogRecord record;
    return Write(record, log, ComposeRecord(kind, name, value, record));
}

Recorded LogRemoval(OldTextRecord kind, const char* file, const char* section, const char* key, const char* old) {
    LogPathText log;
    Recorded opened = OpenLog(log);
    if (opened != Recorded::Yes) return opened;
    LogRecord record;
    return KeepFirst(record, log, ComposeRecord(kind, file, section, key, old, record));
}

Recorded LogRemoval(RegistryTextRecord kind, const char* keyPath, const char* valueName, const char* old) {
    LogPathText log;
    Recorded opened = OpenLog(log);
    if (opened != Recorded::Yes) return opened;
    LogRecord record;
    bool composed = ComposeRecord(kind, keyPath, valueName, old, record);
    return composed && RegistryRecordExists(keyPath, valueName, log) ? Recorded::Yes : Write(record, log, composed);
}

Recorded LogRemoval(RegistryNumberRecord kind, const char* keyPath, const char* valueName, unsigned long old) {
    LogPathText log;
    Recorded opened = OpenLog(log);
    if (opened != Recorded::Yes) return opened;
    LogRecord record;
    bool composed = ComposeRecord(kind, keyPath, valueName, old, record);
    return composed && RegistryRecordExists(keyPath, valueName, log) ? Recorded::Yes : Write(record, log, composed);
}

Recorded LogRemoval(MadeRecord kind, const char* path) {
    LogPathText log;
    Recorded opened = OpenLog(log);
    if (opened != Recorded::Yes) return opened;
    if (kind == MadeDirectory) return RecordMadeDirectory(path, log);
    LogRecord record;
    return KeepFirst(record, log, ComposeRecord(kind, path, record));
}

Recorded LogMissingDirectory(const char* filePath) {
    char missing[MAX_PATH];
    if (gProcess.removeMode || !FirstMissingDirectory(filePath, missing)) return Recorded::Yes;
    return LogRemoval(MadeDirectory, missing);
}

const char* RecordFailurePath() { return gWriter.failedPath; }

// The caller's buffer holds MAX_PATH bytes: a path beyond it is no path.
bool RemovalLogFile(char (&path)[MAX_PATH]) {
    char name[] = "RemoveInf";
    LogPathText log, full;
    return ExpandText(name, log, false) && LogPath(log, full) && CopyText(path, full);
}

void ReleaseRemovalLog() { gWriter.file.Close(); }
