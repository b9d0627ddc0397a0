#include "pack_plan.h"

#include <algorithm>
#include <map>
#include <unordered_map>
#include <unordered_set>

#include "base/device_names.h"
#include "base/media_name.h"

namespace pack {

namespace {

using script::EqualNoCase;
using script::Lower;

std::string LineRef(size_t line) { return std::to_string(line + 1) + ": "; }

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
std::vector<std::string> CopySectionNames(const script::Text& text) {
    std::vector<std::string> names;
    std::unordered_set<std::string> named;  // lowered
    const script::Range choise = script::FindSection(text, "choise");
    for (size_t i = choise.first; i < choise.end; ++i) {
        const script::Line& line = text.lines[i];
        if (!line.isEntry) continue;
        const std::string section = script::SplitFields(script::ValueOf(text, line), '|')[0].text;
        if (section.empty()) continue;
        for (const std::string& name : {section, "!" + section})
            if (named.insert(Lower(name)).second) names.push_back(name);
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
bool KeysStayApart(const script::Text& text, const Plan& plan, std::string* error) {
    std::map<size_t, std::string> newKeys;
    for (const Entry& e : plan.entries) {
        const script::Span key = text.lines[e.line].key;
        newKeys[e.line] = Apply(text.bytes, EntryEdits(plan, e), key.begin, key.end);
    }
    for (const script::Range& section : plan.copySections) {
        std::map<std::string, size_t> byKey;
        for (size_t i = section.first; i < section.end; ++i) {
            const script::Line& line = text.lines[i];
            if (!line.isEntry) continue;
            auto found = newKeys.find(i);
            const std::string key = Lower(found == newKeys.end() ? line.name : found->second);
            auto [other, added] = byKey.emplace(key, i);
            if (!added && !EqualNoCase(text.lines[other->second].name, line.name)) {
                *error = LineRef(i) + "would read the same key as line " + std::to_string(other->second + 1) +
                         " once packed (one file, one disk): write one entry or other keys";
                return false;
            }
        }
    }
    return true;
}

}  // namespace

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

bool ReadCopyEntries(const script::Text& text, Plan* plan, std::string* error) {
    const script::Range disks = script::FindSection(text, "disks");
    for (size_t i = disks.first; i < disks.end; ++i) {
        if (!text.lines[i].isEntry) continue;
        if (plan->disks.empty()) plan->firstLabel = script::ValueOf(text, text.lines[i]);
        plan->disks.push_back(text.lines[i].name);
    }
    const std::vector<std::string> sections = CopySectionNames(text);
    for (const std::string& name : sections) {
        const script::Range range = script::FindSection(text, name.c_str());
        if (range.first < range.end) plan->copySections.push_back(range);
    }
    // The files by name, lowered: the engine's, then each product file as its first entry names it.
    std::unordered_map<std::string, size_t> byName;
    for (size_t f = 0; f < plan->files.size(); ++f) byName.emplace(Lower(plan->files[f].name), f);
    // In the order the installer copies: disk by disk, component by component.
    std::vector<bool> seen(text.lines.size());
    for (const std::string& disk : plan->disks) {
        for (const script::Range& range : plan->copySections) {
            for (size_t i = range.first; i < range.end; ++i) {
                const script::Line& line = text.lines[i];
                if (!line.isEntry || seen[i]) continue;
                const std::vector<script::Field> fields = script::SplitFields(line.name, ':');
                if (fields.size() < 2 || fields[0].text != disk) continue;
                seen[i] = true;
                const std::vector<script::Field> parts = script::SplitFields(fields[1].text, '\\');
                const std::string fileName = parts.back().text;
                if (const char* why = Unpackable(fileName)) {
                    *error = LineRef(i) + (fileName.empty() ? "" : fileName + ": ") + why;
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
                        *error = LineRef(i) + name + ": a device name of the platform, never a file: the copy is refused";
                        return false;
                    }
                const size_t file = byName.emplace(Lower(identity), plan->files.size()).first->second;
                if (file == plan->files.size()) {
                    File f;
                    f.name = f.mediaName = identity;
                    plan->files.push_back(f);
                }
                // Written in the compressed-name form: the publisher laid the file out already.
                if (ruled) plan->files[file].fixed = true;
                Entry e;
                e.line = i;
                e.disk = fields[0].text;
                e.diskRaw = {line.key.begin + fields[0].raw.begin, line.key.begin + fields[0].raw.end};
                e.nameEnd = line.key.begin + fields[1].raw.end;
                e.file = file;
                plan->entries.push_back(e);
            }
        }
    }
    return true;
}

void ChooseMediaNames(std::vector<File>& files) {
    // Every file's own name stays its own: a file that finds no free name is
    // laid out under it.
    std::map<std::string, size_t> owner;
    for (size_t i = 0; i < files.size(); ++i) owner.emplace(Lower(files[i].name), i);
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
            auto [at, added] = owner.emplace(Lower(media.data()), i);
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

bool Rewrite(const script::Text& text, const Plan& plan, std::string* out, std::string* error) {
    if (!KeysStayApart(text, plan, error)) return false;
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
        std::vector<std::string> oldLabels;
        const script::Range disks = script::FindSection(text, "disks");
        for (size_t i = disks.first; i < disks.end; ++i)
            if (text.lines[i].isEntry) oldLabels.push_back(script::ValueOf(text, text.lines[i]));
        if (keys != plan.disks || labels != oldLabels) {
            bool first = true;
            for (size_t i = disks.first; i < disks.end; ++i) {
                const script::Line& line = text.lines[i];
                if (!line.isEntry) continue;
                if (!first) {
                    edits.push_back({line.whole.begin, line.whole.size(), ""});
                    continue;
                }
                first = false;
                std::string block;
                for (size_t n = 0; n < keys.size(); ++n) block += (n ? text.lineEnd : "") + keys[n] + "=" + labels[n];
                edits.push_back({line.text.begin, line.text.size(), block});
            }
        }

        const script::Range setup = script::FindSection(text, "SetUp");
        const script::Line* count = nullptr;
        for (size_t i = setup.first; i < setup.end && !count; ++i)
            if (text.lines[i].isEntry && EqualNoCase(text.lines[i].name, "disks")) count = &text.lines[i];
        const std::string value = script::ValueOf(text, count ? *count : script::Line());
        const long long now = count && !value.empty() ? LeadingNumber(value) : 1;
        const std::string wanted = std::to_string(plan.diskCount);
        if (now != plan.diskCount) {
            if (count) {
                edits.push_back({count->value.begin, count->value.size(), wanted});
            } else if (setup.found) {
                const script::Line& header = text.lines[setup.first - 1];
                const bool ended = text.bytes[header.whole.end - 1] == '\n';
                edits.push_back({header.whole.end, 0, (ended ? "" : text.lineEnd) + "disks=" + wanted + text.lineEnd});
            } else {
                const bool ended = text.bytes.empty() || text.bytes.back() == '\n';
                edits.push_back(
                    {text.bytes.size(), 0,
                     (ended ? "" : text.lineEnd) + "[SetUp]" + text.lineEnd + "disks=" + wanted + text.lineEnd});
            }
        }
    }
    *out = Apply(text.bytes, edits, 0, text.bytes.size());
    return true;
}

}  // namespace pack
