// The removal log as it lies on disk. The platform's profile writer keeps its
// own copy of a file and reports success even when it could not write that
// copy out (a full disk leaves the file cut short, or empty): only the file
// itself tells whether a record is there.
#pragma once

// True when the profile file holds value under key in its section, read
// straight from the disk by the profile reader's rules (section and key names
// without regard to letter case, blanks around them dropped; the first such
// section and key count). A file name without a directory is the one the
// profile functions use: in the Windows directory.
bool ProfileFileHolds(const char* file, const char* section, const char* key, const char* value);

// Whether the disk of a profile file has room for the file to grow by
// `growth` bytes: the clusters it takes beyond those it has. The profile
// writer writes the whole file anew for every change; on a disk without that
// room it would leave the file cut short, losing records it held before, so
// such a record is not even tried.
bool ProfileFileHasRoom(const char* file, unsigned long long growth);
