// Whether a file handed to the installer as its script can be one at all.
#pragma once

// True when the profile reader finds a section in the file and, unless the
// file is UTF-16 text (known by its byte order mark), no byte of it is zero:
// a binary file must not pass for a script without components.
bool IsScriptFile(const char* path);
