// What the script engine reads a profile (INI) file through: the keys of a
// section and the value of one key, by the rules of the platform's profile
// functions. The installer reads the file through those functions; the
// publisher's tool and the native tests read bytes in memory by the same
// rules (script/profile_file.h).
#pragma once

#include "base/text_buffer.h"

class ProfileReader {
public:
    virtual ~ProfileReader() = default;
    // The keys of the section in file order, each ended by a zero, and one
    // more zero after the last (an empty list for a missing section). False
    // when memory ran short.
    virtual bool ReadKeys(const char* section, TextBuffer& keys) = 0;
    // The value of the key (empty when there is none), whole. False when it
    // is longer than kProfileTextLimit characters or the key too long to be
    // looked up (out then holds the start of it), or memory ran short.
    virtual bool ReadValue(const char* section, const char* key, TextBuffer& value) = 0;
    // The key's value as a number, as the platform's integer reader reads
    // it: `fallback` for a key that is not there or is empty; otherwise an
    // optional sign and the decimal digits that follow (0 when none do).
    virtual int ReadInt(const char* section, const char* key, int fallback) = 0;
    // The line of the file the key stands on, from 1; 0 when the reader cannot tell.
    virtual int Line(const char*, const char*) { return 0; }
};

// Reads a number as ReadInt does from a value's text.
int ProfileNumber(const char* text, int fallback);
