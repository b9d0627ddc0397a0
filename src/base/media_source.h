// Where the run's media files come from: a folder (the program's own
// directory, or a disk's), or the container the program carries appended
// to its own file (base/bundle.h). A program that carries a container takes
// every file of its own directory from it: the files beside it are no part
// of its media. Files the installer checks as it copies them are read by it
// (base/media_reader.h): every file of a container, against the container's
// CRC-32, and the files a folder's script lists in [media.crc]; the others
// go through the platform's LZ library as before.
#pragma once
#include <windows.h>

#include <cstddef>
#include <memory>

#include "base/bundle.h"
#include "base/media_reader.h"

// The name a copy of the program takes from its media; from a container it
// comes out as the program alone, without the container or a signature.
constexpr char kProgramName[] = "setup.exe";

enum class MediaKind {
    Folder,
    Carried,  // the program carries its media
    Damaged,  // it carries a container that is not sound: cut short or changed
};

// Looks for a container in the program's file: Carried keeps the file open
// for the rest of the run. *status tells what was found, for the log.
MediaKind OpenMedia(const char* programPath, BundleStatus* status);
// Forgets the media: the container, the program's file, [media.crc].
void CloseMedia();
// Whether the program carries its media, and how many files (0 for a folder).
bool MediaCarried();
size_t CarriedFileCount();

// Reads the [media.crc] section of a folder's script, whose CRC-32 its files
// are then checked against as they are copied (a container's own are used
// instead). False when memory ran short.
bool ReadMediaCrcs(const char* scriptPath);
// How many files it lists.
size_t CheckedFileCount();

enum class CheckedOpen {
    Unchecked,  // neither the container nor [media.crc] holds it: read it as before
    Opened,
    Missing,    // the container does not carry it, or it cannot be opened or read
};
// Opens a media file to be read and checked by the installer itself.
CheckedOpen OpenCheckedMedia(const char* path, std::unique_ptr<MediaReader>* reader);

// A media file's details as the overwrite question shows them (its stored
// size, its date: for a carried file, the program's); false when it is not
// there.
bool MediaFileInfo(const char* path, BY_HANDLE_FILE_INFORMATION* info);
