// What `setupkit pack` makes of a script: the files its copy entries name,
// their names on the media, the disk each lies on, and the script rewritten
// to match. No file is read or written here; pack.cpp does that.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "script/profile_file.h"

namespace pack {

// A script as the packer reads it: its bytes, which the rewritten script
// keeps but where it must differ, and the reader's view of them. A script in
// UTF-16 is held in UTF-8 here (script_encoding.h); the rewritten one goes
// back into the encoding the script came in.
struct Script {
    explicit Script(const std::string& text);
    ProfileEncoding encoding;
    std::string bytes;
    ProfileFile file;
    std::string lineBreak;  // the first line's: CR LF, LF or CR (CR LF when no line ends)
    // The bytes of a span, as written.
    std::string Written(ProfileSpan span) const { return bytes.substr(span.begin, span.size()); }
};

// One media file.
struct File {
    std::string name;       // as the first copy entry naming it spells it; the product folder's file
    std::string mediaName;  // the name it has on the media
    char marker = 0;        // the c of "_c" added to the entries naming it; 0 when they stay as written
    bool fixed = false;     // laid out as it is: an engine file, or named in the compressed-name form
    bool engine = false;    // setup.exe, STP.DLL, the script or the licence: on the first disk
    bool compressed = false;
    uint64_t plainSize = 0;  // in the product folder
    uint64_t mediaSize = 0;  // on the media: compressed, when that is smaller
    int disk = 1;            // its first disk
    // A file larger than a disk is split over disks: each piece's disk and
    // size, in the order of the disks, the pieces joined the media file.
    struct Piece {
        int disk;
        uint64_t size;
    };
    std::vector<Piece> pieces;  // empty for a file on one disk
};

// A copy entry that names a media file.
struct Entry {
    const ProfileKey* key;  // its line in the script
    std::string disk;       // the disk key, as the installer reads it
    ProfileSpan diskRaw;    // the disk field as written, in the script's bytes
    size_t nameEnd;         // where the target as written ends, in the script's bytes
    size_t file;            // in Plan::files
    // An entry whose file name holds '*' or '?' stands for one entry per
    // file of the product folder it matches: each names its file here, and
    // its name as written (nameRaw, in the script's bytes) gives way to it.
    std::string name;       // empty for an entry that names its file itself
    ProfileSpan nameRaw;
};

struct Plan {
    std::vector<File> files;  // the engine's files first, then the product's in the order they install
    std::vector<Entry> entries;
    std::vector<const ProfileSection*> copySections;
    std::vector<std::string> disks;  // the keys of [disks] as written, in order
    std::string firstLabel;          // the label of the first of them
    int diskCount = 1;
};

// Adds a file the engine needs on the first disk (before ReadCopyEntries).
void AddEngineFile(Plan* plan, const std::string& name, uint64_t size);

// Finds, in the install pass's plan, every copy entry of the components'
// sections that acts on a disk of [disks] and links it to its media file,
// adding product files in the order the installer copies them. A file name
// with '*' or '?' stands for each of `folder` (the product folder's file
// names but the script's, sorted) that it matches. False with error ("LINE:
// text") when an entry's file cannot be packed.
bool ReadCopyEntries(Script& script, const std::vector<std::string>& folder, Plan* plan, std::string* error);

// Media names for the files to be stored compressed, as the compressed-name
// rule allows: the name with its last character replaced by "_", else by a
// digit, else by a letter, the first that no other media file has and that
// names no other file of the product (letter case ignored). A file for which
// none is free is laid out plain under its own name.
void ChooseMediaNames(std::vector<File>& files);

// Deals the files out over disks of diskSize bytes (0: one medium), the
// engine's files on the first: the largest first, each on the fullest disk
// it fits whole, or on a new one. A file larger than a disk is split: a
// new disk for each disk-sized piece, and the rest dealt out like a file.
// False with error when the engine's files take more than a disk.
bool AssignDisks(Plan* plan, uint64_t diskSize, std::string* error);

// The script with its copy entries, [disks] and [SetUp] disks matching the
// plan; every other byte as it was. False with error when two entries of a
// section would read the same key once rewritten.
bool Rewrite(const Script& script, const Plan& plan, std::string* out, std::string* error);

// The disk key of disk n (1-based) in the rewritten script.
std::string DiskKey(const Plan& plan, int n);
// The disk field of the entries that name the file: its disk's key, or the
// keys of its pieces' disks joined with '+'.
std::string DiskField(const Plan& plan, const File& file);

}  // namespace pack
