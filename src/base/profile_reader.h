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
};
