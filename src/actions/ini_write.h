// Writing one value of an INI file so that a kill or a full disk leaves the
// file as it was or as it is to be, never cut. The platform's writer rewrites
// the whole file in place and answers success even when the disk took only
// part of it: here it writes a copy beside the file, the copy is checked to
// hold every line of the file but the one written, and only then is it moved
// over the file.
#pragma once

// Sets the key's value (deletes the key for an empty value), by the
// platform's profile rules. False when the file is unchanged: the copy could
// not be made, written or moved, or came out cut.
bool WriteIniValue(const char* path, const char* section, const char* key, const char* value);
