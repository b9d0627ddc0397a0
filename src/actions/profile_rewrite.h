// Whether a profile (INI) file that the platform's writer wrote anew with one
// value changed is whole: every line of the file before it is there, in its
// order, but the one key the write was about. The writer rewrites the whole
// file and answers success even when the disk took only part of it, so its
// word alone never lets a new file replace the old one. Lines compare as the
// profile functions read them (blank lines left out; blanks around a line,
// a key and a value dropped; section and key names in any letter case of
// A-Z). Both files come decoded to UTF-8 whatever their encoding, and the
// write's texts are UTF-8 too, so a character the writer spelled with a
// look-alike shows as a change. Plain code without any platform header.
#pragma once
#include <cstddef>

struct ProfileWrite {
    const char* section;
    const char* key;
    const char* value;  // empty or null: the key was deleted
};

// True when `after` is `before` with exactly the write applied: in the first
// section of its name, the key's first line gone, and, for a value, one line
// of the key with that value in that section (added at the end of the file
// with the section's header when there was no such section).
bool RewriteIsWhole(const char* before, size_t beforeLength, const char* after, size_t afterLength,
                    const ProfileWrite& write);
