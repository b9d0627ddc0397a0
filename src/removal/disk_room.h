// Whether a disk has room for a file to grow, asked before the removal log
// is written anew beside itself: a copy the disk cannot take is reported
// before it is tried.
#pragma once

// Whether the disk of the file at path (a full path) has room for a file of
// `size` bytes to grow by `growth` bytes: the clusters it takes beyond those
// it has. A file written anew beside the old one is a file of size 0 that
// grows by its whole length. A disk that does not tell is taken to have room
// (the write itself then says whether it had).
bool DiskHasRoom(const char* path, unsigned long long size, unsigned long long growth);
