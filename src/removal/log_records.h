// The text of every record of the removal log: its section, its key and its
// value as they go into the file, written so that the action that reads the
// record back gets exactly the fields the install handed over. The log is a
// script read by the platform's profile rules and cut into fields on each
// section's separators, so a text is written with its separators doubled,
// '%' doubled where the reading action expands it, and a value in quotes
// where the reader would drop its outer blanks or quotes. What the format
// cannot carry (a key holding '=', starting with ';' or '[' or a blank, a
// line break anywhere, two fields that would read as one) is refused here,
// before the change is made. Plain code without any platform header, so the
// native tests read every record back through the engine's own walk.
#pragma once
#include <cstddef>

#include "base/text_buffer.h"

// The kinds of record, grouped by what each is written from, so that the
// compiler checks the arguments of every call.
enum FileRecord {
    RestoreCopy,       // a saved file to copy back: target path text, description
    RemoveFile,        // a file to delete: path text as the script wrote it (expanded when read back), description
    RemoveFileAtPath,  // a file to delete named by its full path, taken as it stands: path, description
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

// The type of the registry record of a made key, and the directory records'
// mark: a deletion path that ends in a backslash.
constexpr char kRemoveEmptyKeysType[] = "REG_REMOVE_EMPTY_KEYS";
constexpr char kMadeDirectoryText[] = "Folder made by the install";
constexpr char kMadeKeyText[] = "Key made by the install";

// One record as it goes into the file.
struct LogRecord {
    const char* section = "";
    TextBuffer key;
    TextBuffer value;
};

// Each composes the record into out; false when the format cannot carry it.
// A description only names a file: one too long is cut, never refused.
bool ComposeRecord(FileRecord kind, const char* path, const char* description, LogRecord& out);
bool ComposeRecord(OldTextRecord kind, const char* file, const char* section, const char* key, const char* old,
                   LogRecord& out);
bool ComposeRecord(RegistryTextRecord kind, const char* keyPath, const char* valueName, const char* old,
                   LogRecord& out);
bool ComposeRecord(RegistryNumberRecord kind, const char* keyPath, const char* valueName, unsigned long old,
                   LogRecord& out);
bool ComposeRecord(VariableRecord kind, const char* name, const char* value, LogRecord& out);
bool ComposeRecord(MadeRecord kind, const char* path, LogRecord& out);

// The key of the registry record of a value, for each type its record may
// name: a value is one item whatever type its first record gave it.
bool RegistryRecordKey(const char* keyPath, const char* valueName, const char* suffix, TextBuffer& key);
extern const char* const kRegistryTypeSuffixes[4];

// Whether an old text of `length` bytes reads back from the log as it was: no
// zero, carriage return or line feed in it (a profile value is one line of
// text), and within the longest value the profile functions carry once its
// separators are doubled and quotes added.
bool CanRecordOldText(const char* old, size_t length);

// Copies source into destination (capacity cap) writing every separator
// twice; false when the doubled text did not fit (it is then cut before the
// first separator pair or character that would not fit whole).
bool DoubleSeparator(char* destination, size_t cap, const char* source, char separator);
