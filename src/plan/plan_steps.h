// The plan of an install pass, as typed data: one step for every entry the
// pass visits, in the order the pass visits them, each with the entry it
// came from and everything the entry says, expanded and checked against the
// language's rules. What a step finds on the machine (whether a target is
// there, an old value, a disk in the drive) is left to whoever carries the
// step out: the installer's executor, a what-if run that writes the steps
// down, the checker. Plain types without any platform header.
#pragma once
#include <cstddef>

#include "base/results.h"
#include "base/script_tables.h"
#include "base/text_buffer.h"
#include "plan/action_kinds.h"

// Where a step came from: valid while the step is handed over.
struct EntrySource {
    const char* section;
    const char* key;  // as written: the whole key, before it was cut into fields
    int line;         // from 1; 0 when the reader cannot tell
    int index;        // its place in the section's key list, from 0
};

// Why an entry cannot be carried out as written.
enum class Refusal {
    Unreadable,      // its key or value is longer than a profile file carries
    TooFewFields,    // fewer fields than its kind needs (an INI entry without a key, say)
    TooLong,         // a text that does not fit its width, or more path parts than allowed
    LineBreak,       // a text holding a line break (from a variable filled from the registry)
    DeviceName,      // a file named like a device (NUL.txt, CON)
    NotAMediaName,   // a copy's file name that holds '\' or '/' once expanded, or is "." or ".."
    DataNotItsType,  // registry data that does not read as its type
    TooManyParts,    // a file path of more than three '\' pieces
    UnknownDisk,     // a file split over disks names one [disks] does not list
};

// The text of the entry a refusal is about: whoever tells of it can say which.
enum class RefusedPiece {
    Entry,            // the entry as a whole
    WrittenTarget,    // a copy's target as written
    Target,           // a copy's target, expanded
    FileName,         // a copy's file name, expanded
    Source,           // a copy's media file, with the media directory
    MediaName,        // a copy's media file name
    Disk,             // a copy's disk field
    FontFile,         // the font resource file
    FileField,        // an INI or text line entry's file field as written
    File,             // its file, expanded
    Section,
    Key,              // the INI key, or the line key
    Value,            // the new value, or the new line
    ShortKeyPath,     // the subkey of the registry's short form
    KeyField,         // a registry key field as written
    KeyPath,          // the registry key path, expanded
    KeyClass,
    TypeName,
    ValueName,
    Data,             // registry data
    NumberData,       // REG_DWORD data
    EscapedData,      // data of the binary and multi-string types
    GroupName,
    ItemName,
    Arguments,
};

// An entry that cannot be carried out. How the user is told depends on the
// kind, and on what the entry would have named: the entry itself (section
// and key), or a path.
struct RefusedStep {
    EntrySource source;
    ActionKind kind;
    Refusal reason;
    int messageId;           // the message that tells of it (base/message_ids.h)
    char named[kPathSize];   // the path that message names; empty when it names the entry
    RefusedPiece piece;      // the text at fault
    char text[kPathSize];    // its start (expanded, when the entry expands it)
    size_t length;           // its whole length, however long
    size_t limit;            // TooLong: the most characters it may hold
};

// The disks a copy reads its media file from: one, or, for a file split
// over disks, each disk that holds a piece of it, in order, with its label.
constexpr int kMaxDiskPieces = 16;
struct CopyDisks {
    int count;
    char keys[kMaxDiskPieces][kDiskKeySize];
    char labels[kMaxDiskPieces][kDiskKeySize];
};

// The next entries are for another disk than the one in the drive.
struct DiskStep {
    EntrySource source;         // the first copy entry of that disk
    const char* disk;           // the disk the entries need
    const char* inDrive;        // the disk known to be in the drive
    char label[kDiskKeySize];   // its label in [disks]
};

struct CopyStep {
    EntrySource source;
    const char* disk;            // the disk field as written
    CopyDisks disks;             // where the media file lies: more than one for a file split over disks
    const char* description;
    char recorded[kPathSize];    // the target as written, compressed-name suffix taken off: what the log records
    char target[kPathSize];      // the full path installed
    char targetName[kPathSize];  // the file name installed
    char mediaName[kPathSize];   // the file name read from the media directory
    char backup[kPathSize];      // where "!" saves an existing target: BackUpDir and the file name
    bool backupUsable;           // the backup path fits and names no device
    bool saveExisting;           // "!"
    bool keepExisting;           // "+"
    bool unrecorded;             // "-", or remove mode
};

struct FontStep {
    EntrySource source;
    char resource[kPathSize];     // directory, name and ".fot"
    char font[kPathSize];         // name and ".ttf", bare in a system place, else with the directory
    char currentPath[kPathSize];  // the directory of a bare font name, else empty
    bool unrecorded;              // "nr", or remove mode
};

// An INI entry, or a text line entry.
struct FileStep {
    EntrySource source;
    char fileText[kPathSize];  // the first key field as written: what the log records
    char path[kPathSize];
    char section[kPathSize];
    char key[kPathSize];       // the INI key, or the line key
    TextBuffer value;          // the new value, or the new line; empty deletes
    const char* separator;     // INI: appended behind the present value with this; null replaces
    bool unrecorded;           // "-", or remove mode
};

struct RegistryStep {
    EntrySource source;
    bool shortForm;             // one key field: the default value of a subkey of HKEY_CLASSES_ROOT
    bool removeEmptyKeys;       // the removal of the keys an install made (type REG_REMOVE_EMPTY_KEYS)
    char rootName[32];          // HKEY_CLASSES_ROOT when the path names no other root
    char keyPath[kPathSize];    // the key path expanded, with the piece that names its root
    char subkey[kPathSize];
    char keyClass[kNameSize];
    char keyText[kPathSize];    // the key path as written, without a class: what the log records
    char name[kNameSize];
    char typeName[kTypeNameSize];
    TextBuffer data;            // empty deletes the value
    bool unrecorded;            // "-", remove mode, the short form, or the removal of empty keys
};

struct GroupStep {
    EntrySource source;
    bool wholeGroup;                // a group alone: the whole group is deleted
    char group[kNameSize];
    char item[kNameSize];
    char arguments[kArgumentsSize]; // empty: the item is only removed
};

struct DeleteStep {
    EntrySource source;
    const char* description;
    char path[kPathSize];
    size_t pathLength;  // the path's whole length, also when it did not fit
    bool usable;        // false: the path did not fit (a cut path could name another file)
    bool deviceName;    // the path names a device
    bool directory;     // ends in '\': removed when empty, with what is empty in it
    bool quiet;         // "?": a failure passes without a message
};

// A section has been visited: the bar's percentage after it.
struct SectionDone {
    ActionKind kind;
    int percent;
};

// What takes the steps, one at a time; each answer is the step's result, and
// kAbort ends the pass. `Passed` is an entry visited that does not apply
// (its condition does not hold, or it belongs to another disk).
class PlanSink {
public:
    virtual ~PlanSink() = default;
    virtual StepResult Passed(ActionKind kind, const EntrySource& source) = 0;
    virtual StepResult Refused(const RefusedStep& step) = 0;
    virtual StepResult ChangeDisk(const DiskStep& step) = 0;
    virtual StepResult Copy(const CopyStep& step) = 0;
    virtual StepResult Font(const FontStep& step) = 0;
    virtual StepResult Ini(const FileStep& step) = 0;
    virtual StepResult TextLine(const FileStep& step) = 0;
    virtual StepResult Registry(const RegistryStep& step) = 0;
    virtual StepResult Group(const GroupStep& step) = 0;
    virtual StepResult Delete(const DeleteStep& step) = 0;
    virtual StepResult Done(const SectionDone& step) = 0;
    // A section's keys could not be read for want of memory; the pass ends.
    virtual void OutOfMemory() = 0;
};
