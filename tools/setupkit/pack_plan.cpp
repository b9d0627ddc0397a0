#include "pack_plan.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <unordered_map>
#include <unordered_set>

#include "base/device_names.h"
#include "base/media_name.h"
#include "base/text.h"
#include "folder.h"
#include "script_encoding.h"
#include "plan/pass_plan.h"
#include "script/fields.h"
#include "script/section_walk.h"

namespace pack {

namespace {

std::string LineRef(const ProfileKey& key) { return std::to_string(key.line) + ": "; }

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

// Why a copy entry's file name (or, with '*' or '?', its pattern for the
// names of the product folder's files) cannot name media files; nullptr
// when it can.
const char* Unpackable(const std::string& name, bool pattern) {
    if (name.empty()) return "the copy entry names no file";
    if (name.find('%') != std::string::npos) return "a file name that a variable makes cannot be packed";
    if (name == "." || name == ".." || name.find_first_of(pattern ? "\\/:\"<>|" : "\\/:*?\"<>|") != std::string::npos)
        return "not a file name the media can hold";
    for (char c : name)
        if (static_cast<unsigned char>(c) < 32) return "not a file name the media can hold";
    return nullptr;
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
    const std::string key = DiskField(plan, f);
    if (key != e.disk) edits.push_back({e.diskRaw.begin, e.diskRaw.size(), key});
    const std::string marker = f.marker ? std::string("_") + f.marker : "";
    if (!e.name.empty()) edits.push_back({e.nameRaw.begin, e.nameRaw.size(), e.name + marker});
    else if (f.marker) edits.push_back({e.nameEnd, 0, marker});
    return edits;
}

// The keys of a copy section's lines once rewritten: an entry's own, or
// those of the entries it stands for, each with its key line.
std::vector<std::pair<std::string, const ProfileKey*>> NewKeys(const Script& script, const Plan& plan,
                                                                const ProfileSection& section) {
    std::unordered_map<const ProfileKey*, std::vector<const Entry*>> byKey;
    for (const Entry& e : plan.entries) byKey[e.key].push_back(&e);
    std::vector<std::pair<std::string, const ProfileKey*>> keys;
    for (const ProfileKey* key : script.file.ListedKeys(section)) {
        auto found = byKey.find(key);
        if (found == byKey.end()) keys.emplace_back(WrittenName(script, *key), key);
        else
            for (const Entry* e : found->second)
                keys.emplace_back(Apply(script.bytes, EntryEdits(plan, *e), key->place.name.begin, key->place.name.end),
                                  key);
    }
    return keys;
}

// Two entries of a section whose keys differ as written must still differ
// once rewritten: the reader gives every entry of one key the first one's value.
bool KeysStayApart(const Script& script, const Plan& plan, std::string* error) {
    for (const ProfileSection* section : plan.copySections) {
        std::map<std::string, const ProfileKey*> byKey;
        for (const auto& [newKey, key] : NewKeys(script, plan, *section)) {
            const std::string name = WrittenName(script, *key);
            auto [other, added] = byKey.emplace(FoldedProfileName(newKey), key);
            if (!added && (other->second == key || !SameProfileName(WrittenName(script, *other->second), name))) {
                *error = LineRef(*key) + "would read the same key as line " + std::to_string(other->second->line) +
                         " once packed (one file, one disk): write one entry or other keys";
                return false;
            }
        }
    }
    return true;
}

}  // namespace

Script::Script(const std::string& text)
    : encoding(ProfileFile(text.data(), text.size()).Encoding()),
      bytes(EditableScript(text, encoding)),
      file(bytes.data(), bytes.size()) {
    const ProfileSpan first = FirstLineBreak(bytes.data(), bytes.size());
    lineBreak = first.size() ? bytes.substr(first.begin, first.size()) : "\r\n";
}

std::string DiskKey(const Plan& plan, int n) {
    if (plan.diskCount == 1 && plan.disks.size() == 1) return plan.disks[0];
    return std::to_string(n);
}

std::string DiskField(const Plan& plan, const File& file) {
    if (file.pieces.empty()) return DiskKey(plan, file.disk);
    std::string field;
    for (const File::Piece& piece : file.pieces) field += (field.empty() ? "" : "+") + DiskKey(plan, piece.disk);
    return field;
}

void AddEngineFile(Plan* plan, const std::string& name, uint64_t size) {
    File f;
    f.name = f.mediaName = name;
    f.fixed = f.engine = true;
    f.plainSize = f.mediaSize = size;
    plan->files.push_back(f);
}

namespace {

// A key cut into fields as the installer cuts it, each field with where it
// lies in the key as written: a separator written twice is one character
// of the field, so a field takes as many bytes as its text and its
// separators together.
struct WrittenFields {
    explicit WrittenFields(const std::string& key, char separator) : text(key) {
        std::vector<char*> pointers(kFieldRoom);
        int count = 0;
        SplitFields(&text[0], pointers.data(), &count, separator, kFieldRoom);
        size_t at = 0;
        for (int i = 0; i < count; ++i) {
            const std::string field = pointers[i];
            const size_t doubled = i + 1 < kFieldRoom - 1 ? std::count(field.begin(), field.end(), separator) : 0;
            fields.push_back({field, {at, at + field.size() + doubled}});
            at += field.size() + doubled + 1;
        }
    }
    struct Field {
        std::string text;
        ProfileSpan raw;
    };
    std::string text;
    std::vector<Field> fields;
};

// Takes from the install pass's plan every copy entry that acts: each
// entry of a component's sections that copies a file in the pass of its
// disk, whatever its condition, with the file it names as written.
class CopyEntries : public PlanSink {
public:
    CopyEntries(const Script& script, const std::vector<std::string>& folder, Plan* plan)
        : script_(script), folder_(folder), plan_(plan) {
        for (size_t f = 0; f < plan->files.size(); ++f) byName_.emplace(FoldedProfileName(plan->files[f].name), f);
    }
    const std::string& Error() const { return error_; }

    StepResult Copy(const CopyStep& step) override {
        const ProfileKey* key = KeyOf(step.source);
        if (!key || !seen_.insert(key).second) return StepResult::GoOn;
        const WrittenFields fields(script_.Written(key->place.name), ':');
        const WrittenFields parts(fields.fields[1].text, '\\');
        const std::string fileName = parts.fields.back().text;
        const size_t keyStart = key->place.name.begin;
        if (IsPattern(fileName)) {
            if (const char* why = Unpackable(fileName, true)) return Fail(*key, fileName + ": " + why);
            // The name as written: the last piece of the target, in the key's bytes.
            const ProfileSpan target = fields.fields[1].raw;
            const ProfileSpan name = {keyStart + target.begin + parts.fields.back().raw.begin,
                                      keyStart + target.begin + parts.fields.back().raw.end};
            int matched = 0;
            for (const std::string& file : folder_) {
                if (!Matches(file, fileName)) continue;
                ++matched;
                Add(*key, fields, AddFile(file, false));
                plan_->entries.back().name = file;
                plan_->entries.back().nameRaw = name;
            }
            if (!matched) return Fail(*key, fileName + ": no file of the product folder matches it");
            return Noted(step);
        }
        if (const char* why = Unpackable(fileName, false))
            return Fail(*key, (fileName.empty() ? "" : fileName + ": ") + why);
        std::vector<char> target(fileName.size() + 1), media(fileName.size() + 1);
        const bool ruled = SplitMediaName(fileName.c_str(), target.data(), media.data(), target.size());
        // Written in the compressed-name form: the publisher laid the file out already.
        Add(*key, fields, AddFile(ruled ? media.data() : fileName, ruled));
        return Noted(step);
    }

    // The installer refuses the copy: no media can mend that.
    StepResult Refused(const RefusedStep& step) override {
        const ProfileKey* key = KeyOf(step.source);
        if (step.kind != ActionKind::Copy || !key) return StepResult::GoOn;
        const WrittenFields fields(script_.Written(key->place.name), ':');
        if (fields.fields.size() >= 2) {
            const std::string fileName = WrittenFields(fields.fields[1].text, '\\').fields.back().text;
            if (const char* why = Unpackable(fileName, IsPattern(fileName)))
                return Fail(*key, (fileName.empty() ? "" : fileName + ": ") + why);
        }
        if (step.reason == Refusal::DeviceName) {
            const char* part = FindDeviceName(step.text);
            return Fail(*key, std::string(part, std::strcspn(part, "\\/")) +
                                  ": a device name of the platform, never a file: the copy is refused");
        }
        return Fail(*key, "the installer refuses this copy (setupkit check says why)");
    }

    StepResult Passed(ActionKind, const EntrySource&) override { return StepResult::GoOn; }
    StepResult ChangeDisk(const DiskStep&) override { return StepResult::GoOn; }
    StepResult Font(const FontStep&) override { return StepResult::GoOn; }
    StepResult Ini(const FileStep&) override { return StepResult::GoOn; }
    StepResult TextLine(const FileStep&) override { return StepResult::GoOn; }
    StepResult Registry(const RegistryStep&) override { return StepResult::GoOn; }
    StepResult Group(const GroupStep&) override { return StepResult::GoOn; }
    StepResult Delete(const DeleteStep&) override { return StepResult::GoOn; }
    StepResult Done(const SectionDone& step) override {
        // The copies are all planned once the action kinds begin.
        return step.kind == ActionKind::Copy ? StepResult::GoOn : StepResult::Abort;
    }
    void OutOfMemory() override { error_ = "1: out of memory"; }

private:
    const ProfileKey* KeyOf(const EntrySource& source) const {
        const ProfileSection* section = script_.file.ListedSection(source.section);
        if (!section) return nullptr;
        const std::vector<const ProfileKey*> keys = script_.file.ListedKeys(*section);
        return source.index >= 0 && static_cast<size_t>(source.index) < keys.size() ? keys[source.index] : nullptr;
    }
    StepResult Fail(const ProfileKey& key, const std::string& text) {
        error_ = LineRef(key) + text;
        return StepResult::Abort;
    }
    // The file of a media name, added in the order the files install.
    size_t AddFile(const std::string& identity, bool fixed) {
        const size_t f = byName_.emplace(FoldedProfileName(identity), plan_->files.size()).first->second;
        if (f == plan_->files.size()) {
            File added;
            added.name = added.mediaName = identity;
            plan_->files.push_back(added);
        }
        if (fixed) plan_->files[f].fixed = true;
        return f;
    }
    void Add(const ProfileKey& key, const WrittenFields& fields, size_t file) {
        const size_t keyStart = key.place.name.begin;
        const ProfileSpan disk = fields.fields[0].raw;
        plan_->entries.push_back(Entry{&key, fields.fields[0].text, {keyStart + disk.begin, keyStart + disk.end},
                                       keyStart + fields.fields[1].raw.end, file, "", {}});
    }
    StepResult Noted(const CopyStep& step) {
        const ProfileSection* section = script_.file.ListedSection(step.source.section);
        if (std::find(plan_->copySections.begin(), plan_->copySections.end(), section) == plan_->copySections.end())
            plan_->copySections.push_back(section);
        return StepResult::GoOn;
    }

    const Script& script_;
    const std::vector<std::string>& folder_;
    Plan* plan_;
    std::string error_;
    std::unordered_map<std::string, size_t> byName_;  // the files by name, folded
    std::unordered_set<const ProfileKey*> seen_;      // a section two components name is walked twice
};

// The components of [choise], each by the section it names.
StepResult AddComponent(SectionEntry& entry, void* context) {
    ScriptTables& tables = *static_cast<ScriptTables*>(context);
    if (entry.valueFields[0][0] && tables.componentCount < kMaxComponents)
        CopyText(tables.components[tables.componentCount++].section, entry.valueFields[0]);
    return StepResult::GoOn;
}

}  // namespace

bool ReadCopyEntries(Script& script, const std::vector<std::string>& folder, Plan* plan, std::string* error) {
    ProfileFile& file = script.file;
    for (const ProfileKey* key : Listed(file, "disks")) {
        if (plan->disks.empty()) plan->firstLabel = WrittenValue(script, *key);
        plan->disks.push_back(WrittenName(script, *key));
    }
    // In the order the installer copies: disk by disk, component by component.
    ScriptTables tables = {};
    WalkSection(file, "choise", '/', '|', AddComponent, &tables, WalkReports{nullptr, nullptr});
    CopyEntries entries(script, folder, plan);
    ScriptTables* before = gTables;
    gTables = &tables;
    PlanEveryEntry(file, tables, entries);
    gTables = before;
    *error = entries.Error();
    return error->empty();
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
    uint64_t engine = 0;
    for (File& f : plan->files) {
        f.disk = 1;
        f.pieces.clear();
        if (f.engine) engine += f.mediaSize;
    }
    plan->diskCount = 1;
    if (!diskSize) return true;
    if (engine > diskSize) {
        std::string names;
        for (const File& f : plan->files)
            if (f.engine) names += (names.empty() ? "" : ", ") + f.name;
        *error = "disk 1: " + names + " take " + std::to_string(engine) + " bytes, more than a disk holds";
        return false;
    }
    std::vector<uint64_t> used = {engine};  // by disk, from the first
    // What is dealt out: each file that fits a disk, and what is left of
    // one that does not once its disk-sized pieces have disks of their own.
    struct Item {
        size_t file;
        uint64_t size;
    };
    std::vector<Item> items;
    for (size_t i = 0; i < plan->files.size(); ++i) {
        File& f = plan->files[i];
        if (f.engine) continue;
        if (f.mediaSize <= diskSize) {
            items.push_back({i, f.mediaSize});
            continue;
        }
        for (uint64_t whole = f.mediaSize / diskSize; whole > 0; --whole) {
            used.push_back(diskSize);
            f.pieces.push_back({static_cast<int>(used.size()), diskSize});
        }
        if (f.mediaSize % diskSize) items.push_back({i, f.mediaSize % diskSize});
    }
    std::stable_sort(items.begin(), items.end(), [](const Item& a, const Item& b) { return a.size > b.size; });
    for (const Item& item : items) {
        File& f = plan->files[item.file];
        size_t best = used.size();
        for (size_t d = 0; d < used.size(); ++d) {
            bool holdsPiece = false;
            for (const File::Piece& piece : f.pieces) holdsPiece = holdsPiece || piece.disk == static_cast<int>(d + 1);
            if (!holdsPiece && used[d] + item.size <= diskSize && (best == used.size() || used[d] > used[best]))
                best = d;
        }
        if (best == used.size()) used.push_back(0);
        used[best] += item.size;
        if (f.mediaSize > diskSize) f.pieces.push_back({static_cast<int>(best + 1), item.size});
        else f.disk = static_cast<int>(best + 1);
    }
    for (File& f : plan->files) {
        std::sort(f.pieces.begin(), f.pieces.end(),
                  [](const File::Piece& a, const File::Piece& b) { return a.disk < b.disk; });
        if (!f.pieces.empty()) f.disk = f.pieces.front().disk;
    }
    plan->diskCount = static_cast<int>(used.size());
    return true;
}

bool Rewrite(const Script& script, const Plan& plan, std::string* out, std::string* error) {
    if (!KeysStayApart(script, plan, error)) return false;
    const ProfileFile& file = script.file;
    const std::string& lineBreak = script.lineBreak;
    std::vector<Edit> edits;
    // An entry with a pattern becomes its line once for each file it
    // matches, one after the other in the script's line ends.
    std::map<const ProfileKey*, std::string> patterned;
    for (const Entry& e : plan.entries) {
        std::vector<Edit> mine = EntryEdits(plan, e);
        if (e.name.empty()) {
            edits.insert(edits.end(), mine.begin(), mine.end());
            continue;
        }
        const ProfileSpan line = e.key->place.line;
        std::string& lines = patterned[e.key];
        lines += (lines.empty() ? "" : lineBreak) + Apply(script.bytes, mine, line.begin, line.end);
    }
    for (const auto& [key, lines] : patterned)
        edits.push_back({key->place.line.begin, key->place.line.size(), lines});
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
    *out = ScriptInEncoding(Apply(script.bytes, edits, 0, script.bytes.size()), script.encoding);
    return true;
}

}  // namespace pack
