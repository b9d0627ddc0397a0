#include "check_context.h"

#include <cstring>

#include "base/profile_text.h"
#include "base/results.h"
#include "script/section_walk.h"

namespace {

const std::string kNone;

// The walk under way: the keys its visits come from, in order.
struct WalkState {
    ScriptCheck* check;
    std::string section;
    std::vector<const ProfileKey*> listed;
    size_t next = 0;
    const std::function<void(const ScriptEntry&)>* visit;
};
StepResult Visit(SectionEntry& visited, void* context) {
    WalkState& walk = *static_cast<WalkState*>(context);
    if (walk.next >= walk.listed.size()) return StepResult::GoOn;  // the reader lists what the walk visits: never
    const ProfileKey* key = walk.listed[walk.next++];
    ScriptEntry entry;
    entry.walked = &visited;
    entry.line = key->line;
    entry.keyText = VisiblePart(key->name);
    const ProfileKey* found = walk.check->file.FoundKey(walk.section.c_str(), entry.keyText.c_str());
    entry.valueText = found && found->hasValue ? ProfileFile::ValueOf(*found) : "";
    for (int i = 0; i < visited.keyCount; ++i) entry.key.emplace_back(visited.keyFields[i]);
    for (int i = 0; i < visited.valueCount; ++i) entry.value.emplace_back(visited.valueFields[i]);
    if (found != key) {
        std::string own = ProfileFile::ValueOf(*key);
        if (found && !found->hasValue)
            walk.check->report.Error(key->line, "the key %s stands without '=' on line %d: this entry reads an empty value",
                                     Quoted(entry.keyText).c_str(), found->line);
        else if (found && own != entry.valueText)
            walk.check->report.Error(key->line,
                                     "the key %s stands on line %d already (letter case aside): this value is never "
                                     "read, the entry runs with the value of line %d",
                                     Quoted(entry.keyText).c_str(), found->line, found->line);
        else if (found)
            walk.check->report.Warning(key->line, "the key %s stands on line %d already: the entry runs twice",
                                       Quoted(entry.keyText).c_str(), found->line);
        // It runs as the entry it repeats, which is checked at its own line.
        if (found && found->hasValue) return StepResult::GoOn;
    }
    (*walk.visit)(entry);
    return StepResult::GoOn;
}

StepResult Unreadable(SectionEntry&, void* context) {
    WalkState& walk = *static_cast<WalkState*>(context);
    if (walk.next >= walk.listed.size()) return StepResult::Skipped;
    const ProfileKey* key = walk.listed[walk.next++];
    walk.check->report.Error(key->line,
                             "key or value longer than %d characters, the most the profile functions carry: "
                             "reported and passed over",
                             static_cast<int>(kProfileTextLimit));
    return StepResult::Skipped;
}

std::string Lowered(const std::string& text) {
    std::string out = text;
    for (char& c : out) c = c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
    return out;
}

}  // namespace

const std::string& ScriptEntry::Key(size_t i) const { return i < key.size() ? key[i] : kNone; }
const std::string& ScriptEntry::Value(size_t i) const { return i < value.size() ? value[i] : kNone; }

ScriptCheck::ScriptCheck(ProfileFile& profile, CheckReport& findings, const std::string& mediaDirectory)
    : file(profile), report(findings), media(mediaDirectory) {
    gTables = &tables;
}

ScriptCheck::~ScriptCheck() { gTables = nullptr; }

void ScriptCheck::Walk(const std::string& section, char keySeparator, char valueSeparator,
                       const std::function<void(const ScriptEntry&)>& visit) {
    Reads(section);
    WalkState walk{this, section, {}, 0, &visit};
    if (const ProfileSection* found = file.ListedSection(section.c_str()))
        for (const ProfileKey* key : file.ListedKeys(*found)) {
            if (VisiblePart(key->name).empty()) break;  // the key list ends there
            walk.listed.push_back(key);
        }
    WalkSection(file, section.c_str(), keySeparator, valueSeparator, Visit, &walk, WalkReports{Unreadable, nullptr});
}

void ScriptCheck::Reads(const std::string& section) { read_.emplace(Lowered(section), section); }

bool ScriptCheck::IsRead(const std::string& section) const { return read_.count(Lowered(VisiblePart(section))) != 0; }

namespace {

// One letter changed, added or left out turns a into b; a '!' added or left
// out does not count, as it names the other section of one component.
bool OneLetterApart(const std::string& a, const std::string& b) {
    const std::string& longer = a.size() >= b.size() ? a : b;
    const std::string& shorter = a.size() >= b.size() ? b : a;
    if (longer.size() - shorter.size() > 1) return false;
    size_t at = 0;
    while (at < shorter.size() && shorter[at] == longer[at]) ++at;
    if (longer.size() == shorter.size())
        return at < longer.size() && longer.compare(at + 1, std::string::npos, shorter, at + 1, std::string::npos) == 0;
    return longer[at] != '!' && longer.compare(at + 1, std::string::npos, shorter, at, std::string::npos) == 0;
}

// FNV-1a of the text with the character at `skip` left out.
uint64_t HashWithout(const std::string& text, size_t skip) {
    uint64_t hash = 14695981039346656037ull;
    for (size_t i = 0; i < text.size(); ++i)
        if (i != skip) hash = (hash ^ static_cast<unsigned char>(text[i])) * 1099511628211ull;
    return hash;
}

}  // namespace

std::string ScriptCheck::ReadNameNear(const std::string& section) {
    if (nearIndex_.empty())
        for (const auto& [name, spelt] : read_)
            for (size_t skip = 0; skip <= name.size(); ++skip) nearIndex_.emplace(HashWithout(name, skip), name);
    std::string lowered = Lowered(VisiblePart(section));
    std::string nearest;
    // The name whole (skip at its end), then with each letter left out.
    for (size_t skip = 0; skip <= lowered.size(); ++skip) {
        auto found = nearIndex_.equal_range(HashWithout(lowered, skip));
        for (auto at = found.first; at != found.second; ++at) {
            const std::string& spelt = read_.at(at->second);
            if (OneLetterApart(lowered, at->second) && (nearest.empty() || spelt < nearest)) nearest = spelt;
        }
    }
    return nearest;
}
