#include "removal/removal_script.h"

#include <windows.h>

#include <cstring>

#include "base/profile_text.h"
#include "base/text_buffer.h"
#include "base/wide_text.h"

namespace {

// The sections the install's records go to, and the component each belongs to.
struct RecordSection {
    const char* name;
    const char* component;
};
constexpr RecordSection kRecordSections[] = {
    {"step1", "step1"},     {"ini.step1", "step1"}, {"str.step1", "step1"}, {"reg.step1", "step1"},
    {"del.step2", "step2"}, {"reg.step3", "step3"}, {"del.step3", "step3"},
};

bool HasKeys(const char* path, const char* section) {
    wchar_t first[4] = L"";
    return GetPrivateProfileStringW(Wide(section).c_str(), nullptr, L"", first, 4, Wide(path).c_str()) > 0;
}

// The log may be UTF-16 text: the wide writer keeps it so, and writes an
// ANSI log's texts through the code page (these are ASCII).
bool WriteKey(const char* path, const char* section, const char* key, const char* value) {
    return WritePrivateProfileStringW(Wide(section).c_str(), Wide(key).c_str(), Wide(value).c_str(),
                                      Wide(path).c_str()) != 0;
}

bool HasKey(const char* path, const char* section, const char* key) {
    TextBuffer value;
    return ReadProfileText(section, key, "\x01", path, value) && std::strcmp(value.Text(), "\x01") != 0;
}

// Whether [choise] names the component's section in one of its values.
bool Lists(const char* path, const char* component) {
    FileProfileReader reader(path);
    TextBuffer keys, value;
    if (!reader.ReadKeys("choise", keys)) return false;
    for (const char* key = keys.Text(); *key; key += std::strlen(key) + 1) {
        if (!reader.ReadValue("choise", key, value)) continue;
        size_t length = std::strcspn(value.Text(), "|");
        if (length == std::strlen(component) && _strnicmp(value.Text(), component, length) == 0) return true;
    }
    return false;
}

bool WriteIfMissing(const char* path, const char* section, const char* key, const char* value) {
    return HasKey(path, section, key) || WriteKey(path, section, key, value);
}

}  // namespace

bool CompleteRemovalScript(const char* path) {
    bool records[3] = {};
    for (const RecordSection& section : kRecordSections)
        if (HasKeys(path, section.name)) records[section.component[4] - '1'] = true;
    if (!records[0] && !records[1] && !records[2]) return true;
    if (Lists(path, "step1") || Lists(path, "step2")) return true;

    bool written = WriteKey(path, "SetUp", "remove", "1") && WriteKey(path, "SetUp", "silent", "1") &&
                   WriteIfMissing(path, "SetUp", "reboot", "0") && WriteIfMissing(path, "SetUp", "Y2AOverwrite", "1") &&
                   (HasKeys(path, "disks") || WriteKey(path, "disks", "1", "Removal"));
    // A component without a description is carried out and never listed.
    const char* const components[] = {"step1", "step2", "step3"};
    for (int i = 0; i < 3 && written; ++i)
        if (records[i]) written = WriteKey(path, "choise", components[i], components[i]);
    return written;
}
