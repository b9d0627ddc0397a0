// The media side of the checker: the files of a media directory (disk by
// disk), found as the platform finds them, without regard to letter case.
#pragma once
#include <map>
#include <string>
#include <vector>

#include "check_context.h"

class MediaFiles {
public:
    explicit MediaFiles(const ScriptCheck& check) : check_(check) {}
    // The directory a disk's files are read from: the media directory for the
    // first disk, and for the others too unless the media directory is
    // DISK<first> with a DISK<disk> beside it, which the installer switches to.
    // A product folder holds every disk's files.
    std::string DirectoryOf(const std::string& disk);
    // The path of a file of that directory (any letter case), or "".
    std::string Find(const std::string& directory, const std::string& name);
    // The paths of the files of that directory a name with '*' or '?' matches.
    std::vector<std::string> Matching(const std::string& directory, const std::string& pattern);

private:
    // A directory's files by their names with A-Z lowered, listed once.
    const std::map<std::string, std::string>& Listing(const std::string& directory);
    const ScriptCheck& check_;
    std::map<std::string, std::map<std::string, std::string>> listings_;
};

// The size of a file, 0 when it cannot be told.
unsigned long long MediaFileSize(const std::string& path);

// Reports a media file that starts with the compressed-file signature but
// whose header cannot describe the data behind it (message 150): size is
// the whole file's, the pieces of a file split over disks together.
void CheckCompressedFile(ScriptCheck& check, int line, const std::string& path, unsigned long long size);

// Reads the [media.crc] section: each value must be a CRC-32, and with a
// media directory each file it names must match it. A product folder's
// script has none: pack writes it.
void CheckMediaCrcs(ScriptCheck& check);
