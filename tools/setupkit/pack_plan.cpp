#include "pack_plan.h"

#include <algorithm>
#include <map>
#include <unordered_map>
#include <unordered_set>

#include "base/device_names.h"
#include "base/media_name.h"

namespace pack {

namespace {

std::string LineRef(const ProfileKey& key) { return std::to_string(key.line) + ": "; }

// A key or value cut into fields on a separator, as the installer cuts it: a
// doubled separator is one literal separator, and after 14 breaks further
// separators stay in the 15th field. Each field with its text and its span
// in the cut text (separators of its own included).
struct Field {
    std::string text;
    ProfileSpan raw;
};
std::vector<Field> SplitFields(const std::string& text, char separator) {
    constexpr size_t kMaxFields = 15;
    std::vector<Field> fields(1);
    bool justBroke = false;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (separator && c == separator) {
            if (justBroke) {  // the second of a pair takes the break back
                fields.pop_back();
                fields.back().text += separator;
                justBroke = false;
                continue;
            }
            if (fields.size() < kMaxFields) {
                fields.back().raw.end = i;
                fields.emplace_back();
                fields.back().raw.begin = i + 1;
                justBroke = true;
                continue;
            }
        }
        fields.back().text += c;
        justBroke = false;
    }
    fields.back().raw.end = text.size();
    return fields;
}

// The keys a key list of the section lists, in order; none for no section.
std::vector<const ProfileKey*> Listed(const ProfileFile& file, const char* section) {
    const ProfileSection* found = file.ListedSection(section);
    return found ? file.ListedKeys(*found) : std::vector<const ProfileKey*>();
}

// A key line's name and value as written.
std::string WrittenName(const Script& script, const ProfileKey& key) { return script.Written(key.place.name); }
std::string WrittenValue(const Script& script, const ProfileKey& key) {
    return Unquoted(script.Written(key.place.value));
}

// Why a copy entry's file name cannot name a media file; nullptr when it can.
const char* Unpackable(const std::string& name) {
    if (name.empty()) return "the copy entry names no file";
    if (name.find('%') != std::string::npos) return "a file name that a variable makes cannot be packed";
    if (name == "." || name == ".." || name.find_first_of("\\/:*?\"<>|") != std::string::npos)
        return "not a file name the media can hold";
    for (char c : name)
        if (static_cast<unsigned char>(c) < 32) return "not a file name the media can hold";
    return nullptr;
}

// The components' copy sections, each once: [section] and [!section].
std::vector<std::string> CopySectionNames(const ProfileFile& file) {
    std::vector<std::string> names;
    std::unordered_set<std::string> named;  // folded
    for (const ProfileKey* key : Listed(file, "choise")) {
        const std::string section = SplitFields(ProfileFile::ValueOf(*key), '|')[0].text;
        if (section.empty()) continue;
        for (const std::string& name : {section, "!" + section})
            if (named.insert(FoldedProfileName(name)).second) names.push_back(name);
    }
    return names;
}

// A leading whole number, as the profile functions read a number.
long long LeadingNumber(const std::string& text) {
    size_t at = 0;
    bool negative = at < text.size() && text[at] == '-';
    if (at < text.size() && (text[at] == '-' || text[at] == '+')) ++at;
    long long n = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9' && n < 1000000000; ++at)
        n = n * 10 + (text[at] - '0');
    return negative ? -n : n;
}

struct Edit {
    size_t at, length;
    std::string text;
};

std::string Apply(const std::string& bytes, std::vector<Edit> edits, size_t from, size_t to) {
    std::stable_sort(edits.begin(), edits.end(), [](const Edit& a, const Edit& b) { return a.at < b.at; });
    std::string out;
    size_t at = from;
    for (const Edit& e : edits) {
        if (e.at < from || e.at > to) continue;
        out.append(bytes, at, e.at - at);
        out += e.text;
        at = e.at + e.length;
    }
    out.append(bytes, at, to - at);
    return out;
}

std::vector<Edit> EntryEdits(const Plan& plan, const Entry& e) {
    std::vector<Edit> edits;
    const File& f = plan.files[e.file];
    const std::string key = DiskKey(plan, f.disk);
    if (key != e.disk) edits.push_back({e.diskRaw.begin, e.diskRaw.size(), key});
    if (f.marker) edits.push_back({e.nameEnd, 0, std::string("_") + f.marker});
    return edits;
}

// Two entries of a section whose keys differ as written must still differ
// once rewritten: the reader gives every entry of one key the first one's value.
bool KeysStayApart(const Script& script, const Plan& plan, std::string* error) {
    std::unordered_map<const ProfileKey*, std::string> newKeys;
    for (const Entry& e : plan.entries) {
        const ProfileSpan name = e.key->place.name;
        newKeys[e.key] = Apply(script.bytes, EntryEdits(plan, e), name.begin, name.end);
    }
    for (const ProfileSection* section : plan.copySections) {
        std::map<std::string, const ProfileKey*> byKey;
        for (const ProfileKey* key : script.file.ListedKeys(*section)) {
            auto found = newKeys.find(key);
            const std::string name = WrittenName(script, *key);
            auto [other, added] = byKey.emplace(FoldedProfileName(found == newKeys.end() ? name : found->second), key);
            if (!added && !SameProfileName(WrittenName(script, *other->second), name)) {
                *error = LineRef(*key) + "would read the same key as line " + std::to_string(other->second->line) +
                         " once packed (one file, one disk): write one entry or other keys";
                return false;
            }
        }
    }
    return true;
}

}  // namespace

Script::Script(std::string text) : bytes(std::move(text)), file(bytes.data(), bytes.size()) {
    const ProfileSpan first = FirstLineBreak(bytes.data(), bytes.size());
    lineBreak = first.size() ? bytes.substr(first.begin, first.size()) : "\r\n";
}

std::string DiskKey(const Plan& plan, int n) {
    if (plan.diskCount == 1 && plan.disks.size() == 1) return plan.disks[0];
    return std::to_string(n);
}

void AddEngineFile(Plan* plan, const std::string& name, uint64_t size) {
    File f;
    f.name = f.mediaName = name;
    f.fixed = f.engine = true;
    f.plainSize = f.mediaSize = size;
    plan->files.push_back(f);
}

bool ReadCopyEntries(const Script& script, Plan* plan, std::string* error) {
    const ProfileFile& file = script.file;
    for (const ProfileKey* key : Listed(file, "disks")) {
        if (plan->disks.empty()) plan->firstLabel = WrittenValue(script, *key);
        plan->disks.push_back(WrittenName(script, *key));
    }
    for (const std::string& name : CopySectionNames(file)) {
        const ProfileSection* section = file.ListedSection(name.c_str());
        if (section && !section->keys.empty()) plan->copySections.push_back(section);
    }
    // The files by name, folded: the engine's, then each product file as its first entry names it.
    std::unordered_map<std::string, size_t> byName;
    for (size_t f = 0; f < plan->files.size(); ++f) byName.emplace(FoldedProfileName(plan->files[f].name), f);
    // In the order the installer copies: disk by disk, component by component.
    std::unordered_set<const ProfileKey*> seen;
    for (const std::string& disk : plan->disks) {
        for (const ProfileSection* section : plan->copySections) {
            for (const ProfileKey* key : file.ListedKeys(*section)) {
                if (seen.count(key)) continue;
                const std::vector<Field> fields = SplitFields(WrittenName(script, *key), ':');
                if (fields.size() < 2 || fields[0].text != disk) continue;
                seen.insert(key);
                const std::vector<Field> parts = SplitFields(fields[1].text, '\\');
                const std::string fileName = parts.back().text;
                if (const char* why = Unpackable(fileName)) {
                    *error = LineRef(*key) + (fileName.empty() ? "" : fileName + ": ") + why;
                    return false;
                }
                std::vector<char> target(fileName.size() + 1), media(fileName.size() + 1);
                const bool ruled = SplitMediaName(fileName.c_str(), target.data(), media.data(), target.size());
                const std::string identity = ruled ? media.data() : fileName;
                // The installer refuses a target or media name the platform
                // takes for a device (NUL.txt, NUL_x installed as NUL, NUx_L
                // read as NUL, a directory CON).
                std::vector<std::string> names = {identity, target.data()};
                for (size_t p = 0; p + 1 < parts.size(); ++p) names.push_back(parts[p].text);
                for (const std::string& name : names)
                    if (IsDeviceName(name.c_str())) {
                        *error = LineRef(*key) + name +
                                 ": a device name of the platform, never a file: the copy is refused";
                        return false;
                    }
                const size_t f = byName.emplace(FoldedProfileName(identity), plan->files.size()).first->second;
                if (f == plan->files.size()) {
                    File added;
                    added.name = added.mediaName = identity;
                    plan->files.push_back(added);
                }
                // Written in the compressed-name form: the publisher laid the file out already.
                if (ruled) plan->files[f].fixed = true;
                const size_t keyStart = key->place.name.begin;
                plan->entries.push_back(Entry{key, fields[0].text,
                                              {keyStart + fields[0].raw.begin, keyStart + fields[0].raw.end},
                                              keyStart + fields[1].raw.end, f});
            }
        }
    }
    return true;
}

void ChooseMediaNames(std::vector<File>& files) {
    // Every file's own name stays its own: a file that finds no free name is
    // laid out under it.
    std::map<std::string, size_t> owner;
    for (size_t i = 0; i < files.size(); ++i) owner.emplace(FoldedProfileName(files[i].name), i);
    const std::string markers = "_0123456789";
    for (size_t i = 0; i < files.size(); ++i) {
        File& f = files[i];
        if (f.fixed || !f.compressed) continue;
        const char end = f.name.back();
        const char* letters = end >= 'a' && end <= 'z' ? "abcdefghijklmnopqrstuvwxyz" : "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
        const std::string candidates = markers + letters;
        std::vector<char> media(f.name.size() + 1), entry(f.name.size() + 3);
        f.marker = 0;
        for (char c : candidates) {
            JoinMediaName(f.name.c_str(), c, media.data(), media.size(), entry.data(), entry.size());
            if (IsDeviceName(media.data())) continue;  // COMX might otherwise be stored as COM1
            auto [at, added] = owner.emplace(FoldedProfileName(media.data()), i);
            if (added || at->second == i) {
                f.marker = c;
                f.mediaName = media.data();
                break;
            }
        }
        if (!f.marker) {
            f.compressed = false;
            f.mediaSize = f.plainSize;
        }
    }
}

bool AssignDisks(Plan* plan, uint64_t diskSize, std::string* error) {
    int disk = 1;
    uint64_t used = 0;
    for (const File& f : plan->files)
        if (f.engine) used += f.mediaSize;
    if (diskSize && used > diskSize) {
        std::string names;
        for (const File& f : plan->files)
            if (f.engine) names += (names.empty() ? "" : ", ") + f.name;
        *error = "disk 1: " + names + " take " + std::to_string(used) + " bytes, more than a disk holds";
        return false;
    }
    for (File& f : plan->files) {
        if (f.engine) continue;
        if (diskSize && f.mediaSize > diskSize) {
            *error = f.name + ": " + std::to_string(f.mediaSize) + " bytes on the media, more than a disk holds";
            return false;
        }
        if (diskSize && used + f.mediaSize > diskSize) {
            ++disk;
            used = 0;
        }
        f.disk = disk;
        used += f.mediaSize;
    }
    plan->diskCount = disk;
    return true;
}

bool Rewrite(const Script& script, const Plan& plan, std::string* out, std::string* error) {
    if (!KeysStayApart(script, plan, error)) return false;
    const ProfileFile& file = script.file;
    const std::string& lineBreak = script.lineBreak;
    std::vector<Edit> edits;
    for (const Entry& e : plan.entries) {
        std::vector<Edit> mine = EntryEdits(plan, e);
        edits.insert(edits.end(), mine.begin(), mine.end());
    }
    // Without any disk no file is copied: [disks] and [SetUp] stay as they are.
    if (!plan.disks.empty()) {
        std::vector<std::string> keys, labels;
        for (int n = 1; n <= plan.diskCount; ++n) {
            keys.push_back(DiskKey(plan, n));
            labels.push_back(plan.diskCount == 1 ? plan.firstLabel : plan.firstLabel + " " + std::to_string(n));
        }
        const std::vector<const ProfileKey*> disks = Listed(file, "disks");
        std::vector<std::string> oldLabels;
        for (const ProfileKey* key : disks) oldLabels.push_back(WrittenValue(script, *key));
        if (keys != plan.disks || labels != oldLabels) {
            for (const ProfileKey* key : disks) {
                const ProfileLine& line = key->place;
                if (key != disks.front()) {
                    edits.push_back({line.line.begin, line.next - line.line.begin, ""});
                    continue;
                }
                std::string block;
                for (size_t n = 0; n < keys.size(); ++n) block += (n ? lineBreak : "") + keys[n] + "=" + labels[n];
                edits.push_back({line.text.begin, line.text.size(), block});
            }
        }

        const ProfileSection* setup = file.ListedSection("SetUp");
        const ProfileKey* count = nullptr;
        for (const ProfileKey* key : setup ? file.ListedKeys(*setup) : std::vector<const ProfileKey*>())
            if (!count && SameProfileName(key->name, "disks")) count = key;
        const std::string value = count ? ProfileFile::ValueOf(*count) : "";
        const long long now = count && !value.empty() ? LeadingNumber(value) : 1;
        const std::string wanted = std::to_string(plan.diskCount);
        if (now != plan.diskCount) {
            if (count) {
                edits.push_back({count->place.value.begin, count->place.value.size(), wanted});
            } else if (setup) {
                const ProfileLine& header = setup->place;
                const bool ended = header.next > header.line.end;
                edits.push_back({header.next, 0, (ended ? "" : lineBreak) + "disks=" + wanted + lineBreak});
            } else {
                const std::string& bytes = script.bytes;
                const bool ended = bytes.empty() || bytes.back() == '\n' || bytes.back() == '\r';
                edits.push_back({bytes.size(), 0,
                                 (ended ? "" : lineBreak) + "[SetUp]" + lineBreak + "disks=" + wanted + lineBreak});
            }
        }
    }
    *out = Apply(script.bytes, edits, 0, script.bytes.size());
    return true;
}

}  // namespace pack
