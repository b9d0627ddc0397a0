// What the checker knows of a script while it checks it: the reader, the
// report, and the tables the installer would fill (option codes, components,
// variables, disks), with the line each row came from.
#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

#include "base/script_tables.h"
#include "check_report.h"
#include "script/profile_file.h"
#include "script/section_walk.h"

// One entry of a section as the installer visits it.
struct ScriptEntry {
    SectionEntry* walked;   // as the walk handed it over (for the plan), during the visit
    int line;
    std::string keyText;    // the key as the key list gives it
    std::string valueText;  // the value the installer reads for it, whole
    std::vector<std::string> key, value;
    // A field, or "" when there is no such field.
    const std::string& Key(size_t i) const;
    const std::string& Value(size_t i) const;
};

struct ComponentRow {
    std::string label, section;
    bool hidden;  // no description: never listed, always installed
    int line;
};

struct VariableRow {
    std::string name;
    std::string written;  // the default (or registry path) as written
    bool fromRegistry;
    bool userRegistry;    // read from HKEY_CURRENT_USER: any program the user runs can set it
    int line;
};

struct DiskRow {
    std::string key;
    int line;
};

class ScriptCheck {
public:
    ScriptCheck(ProfileFile& profile, CheckReport& findings, const std::string& mediaDirectory);
    ~ScriptCheck();
    ScriptCheck(const ScriptCheck&) = delete;
    ScriptCheck& operator=(const ScriptCheck&) = delete;

    // Walks a section with the installer's own walk and field splitting over
    // the in-memory reader, reports what the walk meets (keys read twice,
    // entries too long to read) and hands over each entry with its line.
    void Walk(const std::string& section, char keySeparator, char valueSeparator,
              const std::function<void(const ScriptEntry&)>& visit);
    // Notes that the installer reads a section of this name.
    void Reads(const std::string& section);
    bool IsRead(const std::string& section) const;
    // A section the installer reads whose name is one letter away from this
    // one (a letter changed, added or left out; letter case aside), as the
    // checker spells it; "" when there is none.
    std::string ReadNameNear(const std::string& section);

    ProfileFile& file;
    CheckReport& report;
    std::string media;         // the media directory; empty when a script alone is checked
    ScriptTables tables = {};  // as the installer fills them, [path] defaults taken
    std::vector<ComponentRow> components;
    std::vector<VariableRow> rows;  // beside tables.variables, one for one
    std::vector<DiskRow> disks;
    std::string codeCharacters;     // every character of every choice's code
    bool removeMode = false;
    bool product = false;           // the media directory is a product folder that pack lays out
    int installing = 0;             // entries of the chosen components that the installer carries out
    // The files split over disks, by their media names with A-Z lowered:
    // the disks of their pieces, in order.
    std::map<std::string, std::vector<std::string>> splitFiles;

private:
    std::unordered_map<std::string, std::string> read_;  // by the name with letters of A-Z lowered
    // The lowered names read, by the hash of the name and of the name with
    // each letter left out in turn: a name one letter away shares one of
    // these with the name looked for.
    std::unordered_multimap<uint64_t, std::string> nearIndex_;
};
