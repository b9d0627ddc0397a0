// The section walk over the in-memory profile reader: every section of the
// file and a few others are walked with separators chosen by the input, and
// every visit is held against the reader's key list and values cut by the
// plain model of the doubling rule.
#include <cstring>

#include "base/profile_text.h"
#include "base/results.h"
#include "fuzz_input.h"
#include "reference.h"
#include "script/profile_file.h"
#include "script/section_walk.h"

namespace {

const char kSeparators[] = {0, '/', '|', ';', ':', '\\', ',', '='};

struct Walk {
    const ProfileFile* file;
    std::string section;
    char keySeparator, valueSeparator;
    std::vector<const ProfileKey*> expected;  // the visits to come, in order
    size_t visited = 0;
};
Walk* walk = nullptr;

StepResult Visit(SectionEntry& entry, void*) {
    char** keyFields = entry.keyFields;
    char** valueFields = entry.valueFields;
    int keyCount = entry.keyCount, valueCount = entry.valueCount;
    if (walk->visited >= walk->expected.size()) __builtin_trap();
    const ProfileKey* key = walk->expected[walk->visited++];
    std::string name = VisiblePart(key->name);
    if (walk->section != entry.section || name != entry.key) __builtin_trap();
    if (keyFields[keyCount] || valueFields[valueCount] || keyCount > 15 || valueCount > 15) __builtin_trap();
    const ProfileKey* found = walk->file->FoundKey(walk->section.c_str(), name.c_str());
    std::string value = found && found->hasValue ? ProfileFile::ValueOf(*found) : "";
    // A key's line is the one its lookups find: the first of its name.
    if (entry.line != (found ? found->line : 0)) __builtin_trap();
    if (Strings(keyFields, keyCount) != ReferenceFields(name, walk->keySeparator, kFieldRoom) ||
        Strings(valueFields, valueCount) != ReferenceFields(value, walk->valueSeparator, kFieldRoom))
        __builtin_trap();
    // Visitors may cut their fields further in place.
    for (int i = 0; i < keyCount; ++i) std::memset(keyFields[i], 'x', std::strlen(keyFields[i]));
    return StepResult::GoOn;
}

// Only an entry whose key or value is longer than the platform carries.
StepResult Unreadable(SectionEntry&, void*) {
    if (walk->visited >= walk->expected.size()) __builtin_trap();
    const ProfileKey* key = walk->expected[walk->visited++];
    std::string name = VisiblePart(key->name);
    const ProfileKey* found = walk->file->FoundKey(walk->section.c_str(), name.c_str());
    size_t value = found && found->hasValue ? ProfileFile::ValueOf(*found).size() : 0;
    if (name.size() <= kProfileTextLimit && value <= kProfileTextLimit) __builtin_trap();
    return StepResult::Skipped;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input(data, size);
    uint8_t pick = input.Byte();
    std::string bytes = input.Rest();
    ProfileFile file(bytes.data(), bytes.size());
    std::vector<std::string> sections = {"", "s", "missing"};
    for (const ProfileSection& section : file.Sections()) sections.push_back(VisiblePart(section.name));
    for (const std::string& name : sections) {
        Walk current{&file, name, kSeparators[pick & 7], kSeparators[pick >> 3 & 7], {}};
        if (const ProfileSection* section = file.ListedSection(name.c_str()))
            for (const ProfileKey* key : file.ListedKeys(*section)) {
                if (VisiblePart(key->name).empty()) break;  // the list ends at an empty name
                current.expected.push_back(key);
            }
        walk = &current;
        int visited = 0;
        WalkSection(file, name.c_str(), current.keySeparator, current.valueSeparator, Visit, nullptr,
                    WalkReports{Unreadable, nullptr}, &visited);
        if (visited != static_cast<int>(current.expected.size()) || current.visited != current.expected.size())
            __builtin_trap();
        walk = nullptr;
    }
    return 0;
}
