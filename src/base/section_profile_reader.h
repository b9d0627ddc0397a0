// A file read through the platform's profile functions a section at a time.
// The platform looks a key up by scanning its section, so reading a section
// of n keys one value at a time costs n scans of n keys; this reader fetches
// the section's entries in one call when its key list is read and answers
// the lookups that follow from memory, with the values the per-key reads
// give. A lookup it cannot answer the same way goes to the per-key reader:
// another section, a name that is not plain ASCII or has blanks around it, a
// name from the first one whose letter case might fold to ASCII on, a value
// long enough to near the limit, a file changed since the section was read.
// Every text goes through the UTF-16 profile functions and comes back in
// UTF-8.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "base/profile_reader.h"
#include "base/profile_text.h"
#include "base/text_buffer.h"
#include "base/wide_text.h"

class SectionProfileReader : public ProfileReader {
public:
    explicit SectionProfileReader(const char* path) : path_(path), widePath_(Wide(path)), perKey_(path) {}
    ~SectionProfileReader() override;
    SectionProfileReader(const SectionProfileReader&) = delete;
    SectionProfileReader& operator=(const SectionProfileReader&) = delete;

    bool ReadKeys(const char* section, TextBuffer& keys) override;
    bool ReadValue(const char* section, const char* key, TextBuffer& value) override;
    int ReadInt(const char* section, const char* key, int fallback) override {
        return perKey_.ReadInt(section, key, fallback);
    }

private:
    // One entry of the section as read: "name=value", or "name" for a line
    // without '='.
    struct Entry {
        uint32_t start;       // offset of the name in the section text
        uint32_t nameLength;
        bool hasValue;
        bool answerable;      // its value is the one a per-key read gives
    };

    bool ReadSection(const char* section);
    bool Index();
    void Drop();
    const Entry* Find(const char* key, size_t length) const;
    bool StillTheSameFile() const;

    const char* path_;
    std::wstring widePath_;  // as the platform takes it
    FileProfileReader perKey_;
    bool held_ = false;
    TextBuffer name_;     // the section held
    TextBuffer wide_;     // its entries as the platform gave them, in UTF-16
    TextBuffer text_;     // and in UTF-8, as the engine reads them
    Entry* entries_ = nullptr;
    uint32_t entryCount_ = 0;
    uint32_t firstDoubtful_ = 0;  // entries from this one on are read per key
    uint32_t* slots_ = nullptr;   // entry index + 1 by folded name, 0 empty
    uint32_t slotMask_ = 0;
    uint64_t stamp_[2] = {};      // the file's last write time and size
};
