// Keys and values of profile (INI) files read whole, through the platform's
// UTF-16 profile functions, in UTF-8. The profile functions carry every text
// as a counted wide string of at most 32,766 characters (UTF-16 units): a
// longer key is read as no key at all (the reader then answers with the
// section's key list), and a longer value makes the writer fail. That is the
// longest text a profile file can carry through them.
#pragma once
#include <cstddef>

#include "base/profile_reader.h"
#include "base/text_buffer.h"

constexpr size_t kProfileTextLimit = 32766;

// Reads the value of key into out (UTF-8), growing it, whole up to
// kProfileTextLimit characters. False when the value is longer (out then holds the start of
// it), the key itself is too long to be looked up, or memory ran short.
bool ReadProfileText(const char* section, const char* key, const char* fallback, const char* file, TextBuffer& out);

// A file read through the platform's profile functions, as the installer
// reads its script.
class FileProfileReader : public ProfileReader {
public:
    explicit FileProfileReader(const char* path) : path_(path) {}
    bool ReadKeys(const char* section, TextBuffer& keys) override;
    bool ReadValue(const char* section, const char* key, TextBuffer& value) override;
    int ReadInt(const char* section, const char* key, int fallback) override;

private:
    const char* path_;
};
