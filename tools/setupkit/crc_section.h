// The script's [media.crc] section: the CRC-32 of every media file but the
// script, keyed by its name on the media, for the installer to check each
// file as it copies it. pack writes it, check compares the files with it.
#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace pack {

// Appends the section, one key per file in the order given, in the line
// ends of the script. False with error when the script holds the section
// already (it would be read in place of the new one).
bool AddCrcSection(std::string* script, const std::vector<std::pair<std::string, uint32_t>>& files,
                   std::string* error);

// The CRC-32 of a file's bytes, read a chunk at a time; false when it
// cannot be read.
bool FileCrc(const std::string& path, uint32_t* crc);
// The same of files read one after the other: the pieces of a file split
// over disks, joined.
bool FilesCrc(const std::vector<std::string>& paths, uint32_t* crc);

}  // namespace pack
