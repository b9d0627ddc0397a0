// The removal log: every change is recorded, before it is made, as a script
// entry that undoes it. The log is itself a script for this engine.
#pragma once
#include <cstddef>

// The kinds of record, grouped by what each is written from, so that the
// compiler checks the arguments of every call.
enum FileRecord {
    RestoreCopy,  // a saved file to copy back: target path text, description
    RemoveFile,   // a file to delete: path text, description
};
enum OldTextRecord {
    IniValue,  // file text, section, key, old value
    TextLine,  // file text, section, line key, old line
};
enum RegistryTextRecord {
    RegistryString,       // key path text, value name, old value
    RegistryBinary,       // key path text, value name, old data as escaped text
    RegistryMultiString,  // key path text, value name, old data as escaped text
};
enum RegistryNumberRecord { RegistryDword };  // key path text, value name, old number
enum VariableRecord { PathVariable };         // variable name, value
// What an install makes besides files and values: removed again when empty,
// after everything else, by the sections of a component "step3".
enum MadeRecord {
    MadeKey,        // a registry key about to be created: root name, '\' and path
    MadeDirectory,  // a directory about to be created: its full path
};

// Each writes one record into the file named by the variable RemoveInf,
// through to the operating system. A record that did not reach the file (the
// log's directory or file cannot be written, the disk is full) is put to the
// user with the log's name, Abort/Retry/Ignore, before the caller makes its
// change. Returns kGoOn when recorded, kAbort after Abort, kSkipped after
// Ignore: the user chose to have the change made unrecorded.
// Values are written so that each reads back as written: '/' doubled in
// descriptions, '/' and '%' in old values (which are also put in quotes when
// the profile reader would drop their outer blanks or quotes), ';' and '%' in
// path values. Old values must pass CanRecordOldText first.
int LogRemoval(FileRecord kind, const char* path, const char* description);
int LogRemoval(OldTextRecord kind, const char* file, const char* section, const char* key, const char* old);
int LogRemoval(RegistryTextRecord kind, const char* keyPath, const char* valueName, const char* old);
int LogRemoval(RegistryNumberRecord kind, const char* keyPath, const char* valueName, unsigned long old);
int LogRemoval(VariableRecord kind, const char* name, const char* value);
// Kept once: a key or directory that a later install finds is not its own.
int LogRemoval(MadeRecord kind, const char* path);
// Lets the log's file go. The writer keeps it open from record to record,
// and while it does nothing else can write, replace or delete it: whatever
// may (the platform's profile writer, the end of a pass or of the run, a
// process handed the file) is preceded by this. The next record opens the
// file again and reads it afresh when it changed in between.
void ReleaseRemovalLog();
// Records the outermost directory on the way to a file that does not exist
// yet (nothing in remove mode, or when every directory is there).
int LogMissingDirectory(const char* filePath);

// The type of the registry record of a made key, and the directory records'
// mark: a deletion path that ends in a backslash.
constexpr char kRemoveEmptyKeysType[] = "REG_REMOVE_EMPTY_KEYS";

// Whether an old text of `length` bytes reads back from the log as it was: no
// zero, carriage return or line feed in it (a profile value is one line of
// text), and within the longest value the profile functions carry once its
// separators are doubled and quotes added.
bool CanRecordOldText(const char* old, size_t length);

// Copies source into destination (capacity cap) writing every separator
// twice; false when the doubled text did not fit (it is then cut before the
// first separator pair or character that would not fit whole).
bool DoubleSeparator(char* destination, size_t cap, const char* source, char separator);
