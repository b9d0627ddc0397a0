// The removal log's own writer. The platform's profile writer writes the
// whole file anew for every key, so a log of n records costs n squared; this
// one appends a record whenever its section is the file's last, and writes
// the file anew only when a key goes into an earlier section or a value is
// replaced. The file keeps the form the platform writer gives it (a "[name]"
// line per section, "key=value" lines, CR LF, no blank lines), so the profile
// reader, and a removal run, read it as if the platform had written it.
//
// The file is written in UTF-16LE behind a byte order mark, so that any text
// survives and every version of the platform's profile functions reads it
// back. A log in the machine's code page (as earlier versions wrote it) is
// read through the code page and written anew in UTF-16LE at its first
// record. Sections, keys and values are UTF-8 here, as in the whole engine.
//
// Durability: a record is written through to the operating system (WriteFile
// returned all its bytes) before Write returns true; a file written anew is
// written beside the log and then moved over it, so that a process killed at
// any moment leaves either the old or the new file, each whole.
//
// The file stays open from record to record, shared for reading only, until
// Close: while it is held nobody else can write it. The same file may be
// written by the platform's profile functions in the same run (a script's
// INI entries may target the log), so the file is let go (Close) before
// anything else writes it, and the Open after that compares the file with
// what this writer last saw (identity, size, last-write time) and loads it
// again when it changed. Each of its own writes sets the file's last-write
// time past every earlier one, so that the platform's profile cache, which
// trusts a copy whose time is unchanged, always reads the file again.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "base/text_buffer.h"
#include "base/scoped_handles.h"
#include "base/wide_text.h"

class ProfileLog {
public:
    ProfileLog() = default;
    ~ProfileLog();
    ProfileLog(const ProfileLog&) = delete;
    ProfileLog& operator=(const ProfileLog&) = delete;

    // Opens the file at path (a full path; the file is made when missing) and
    // brings the index up to date with it; nothing to do when it is held
    // open already. False when the file cannot be opened or read. Every
    // other call needs an open file.
    bool Open(const char* path);
    // Lets the file go: other writers (the platform's profile writer opens it
    // sharing nothing) can write it until the next Open. A failed write lets
    // it go too.
    void Close();
    // Whether the file at path (as given to Open) is held open.
    bool Holding(const char* path) const;

    // Whether the first section of that name holds the key, matched as the
    // profile reader matches them (letter case ignored, outer blanks dropped).
    bool Holds(const char* section, const char* key) const;

    // Sets the key's value as the platform writer would: a new key at the end
    // of its section, a new section at the end of the file, an existing key's
    // value replaced where it stands (nothing written when it is the same).
    // A write that fails or comes out short (a full disk) is cut back off
    // the file. A file written anew goes beside the log first: `hasRoom` is
    // asked, with the size the new file will have, before that is tried
    // (false fails the write untried), so that a disk without room for a
    // second copy is not filled to the brim for nothing.
    // True once the file on disk holds the value; on false the file is as it
    // was, every earlier record in it.
    bool Write(const char* section, const char* key, const char* value,
               bool (*hasRoom)(const char* path, unsigned long long size, unsigned long long growth));

private:
    struct Section;
    struct Key;

    bool Load();
    void Forget();
    bool Index(size_t from);
    bool AddKey(size_t section, size_t lineStart, size_t lineEnd, size_t nameStart, size_t nameLength,
                size_t valueStart, size_t valueLength);
    long FindSection(const char* name, size_t length) const;
    long FindKey(size_t section, const char* name, size_t length) const;
    bool GrowTable();
    bool Append(const char* bytes, size_t length);
    bool Rewrite(TextBuffer& next);
    bool Stamp(HANDLE file);

    char path_[kPathBytes] = "";
    ScopedHandle file_;
    bool known_ = false;
    bool unicode_ = false;           // the file is UTF-16LE behind its byte order mark
    unsigned long long fileSize_ = 0;  // its bytes (two a UTF-16 unit): where an append goes
    BY_HANDLE_FILE_INFORMATION seen_ = {};
    TextBuffer text_;
    // Sections and keys in file order, and a hash table of keys: slots hold
    // a key's index plus one, zero for free.
    Section* sections_ = nullptr;
    size_t sectionCount_ = 0, sectionCap_ = 0;
    Key* keys_ = nullptr;
    size_t keyCount_ = 0, keyCap_ = 0;
    uint32_t* table_ = nullptr;
    size_t tableCap_ = 0;
};
