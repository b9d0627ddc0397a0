// Writing one value of an INI file so that a kill or a full disk leaves the
// file as it was or as it is to be, never cut. The platform's writer rewrites
// the whole file in place and answers success even when the disk took only
// part of it: here it writes a copy beside the file, the copy is checked to
// hold every line of the file but the one written, and only then is it moved
// over the file.
//
// Texts are UTF-8; the file keeps its encoding. The platform's wide writer
// keeps a UTF-16LE file (mark FF FE) UTF-16LE and writes an ANSI file (no
// mark) in the legacy code page, which cannot spell every character: a text
// it cannot spell exactly is refused rather than written with a character
// that only looks like it. A file that holds nothing yet is made ANSI when
// its text allows, UTF-16LE otherwise. A file with a UTF-8 mark is not known
// to every version's profile functions (older ones take the mark for text of
// the first line): it is handed to them as a UTF-16LE copy and turned back
// into UTF-8 with its mark afterwards, so its lines keep their bytes.
#pragma once

#include "base/text_buffer.h"

enum class IniWrite {
    kDone,
    kFailed,         // the file is unchanged: the copy could not be made, written or moved, or came out cut
    kCannotEncode,   // the file is ANSI and the section, key or value has no exact spelling in its code page
};

// Sets the key's value (deletes the key for an empty value), by the
// platform's profile rules.
IniWrite WriteIniValue(const char* path, const char* section, const char* key, const char* value);

// False when the file is ANSI (and holds text) and the section, key or value
// (none: a deletion) has no exact spelling in its code page: asked before
// anything is recorded for the entry.
bool IniCanSpell(const char* path, const char* section, const char* key, const char* value);

// Reads the key's value into out (UTF-8), whole up to the longest text a
// profile value carries; fallback when the key is not there. False when it
// could not be read whole.
bool ReadIniValue(const char* path, const char* section, const char* key, const char* fallback, TextBuffer& out);
