#include "check_actions.h"

#include <cstring>
#include <map>

#include "script/registry_data.h"
#include "base/device_names.h"
#include "base/media_name.h"
#include "base/profile_text.h"
#include "check_media.h"
#include "check_setup.h"
#include "check_text.h"
#include "script/conditions.h"
#include "script/fields.h"

namespace {

// The widths of the actions' own buffers, terminators aside: paths, INI
// sections and keys, and registry key paths as long as the platform takes a
// path (kPathSize); registry value names, key classes, group and item names
// of 255 characters; type names of 63; program item arguments of 1,023.
constexpr size_t kPath = kPathSize - 1;
constexpr size_t kKeyPath = kPathSize - 1;
constexpr size_t kName = 255;
constexpr size_t kTypeName = 63;
constexpr size_t kArguments = 1023;

std::string Lowered(std::string text) {
    for (char& c : text) c = c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
    return text;
}

std::string WithBackslash(std::string path) { return path.empty() || path.back() != '\\' ? path + "\\" : path; }

bool Has(const ScriptEntry& entry, size_t valueField) { return entry.value.size() > valueField; }

// The flag tests of the installer itself, on the entry's condition field.
bool Flag(const ScriptEntry& entry, const char* flag) {
    return Has(entry, 1) && MatchCondition(flag, entry.Value(1).c_str());
}

// A key cut at its first '=' whose value goes on with more key fields: the
// '=' was meant to be part of the key.
void CheckKeyEquals(ScriptCheck& check, const ScriptEntry& entry, char keySeparator) {
    size_t equals = entry.valueText.find('=');
    if (equals != std::string::npos && entry.valueText.substr(0, equals).find(keySeparator) != std::string::npos)
        check.report.Error(entry.line,
                           "a key ends at its first '=', so it cannot hold one: %s goes into the value, with the "
                           "'%c' after it",
                           Quoted(entry.keyText + "=" + entry.valueText.substr(0, equals)).c_str(), keySeparator);
}

// A path with a part the platform takes for a device (NUL.txt, CON, LPT1)
// names the device in whatever directory: the installer refuses it. False
// when it did.
bool CheckDeviceName(ScriptCheck& check, int line, const std::string& path, const char* what, const char* outcome) {
    const char* part = FindDeviceName(path.c_str());
    if (!part) return true;
    std::string name(part, std::strcspn(part, "\\/"));
    if (name == path)
        check.report.Error(line, "%s %s is a device name, which names a device and no file: %s", what,
                           Quoted(path).c_str(), outcome);
    else
        check.report.Error(line, "%s %s holds the device name %s, which names a device and no file: %s", what,
                           Quoted(path).c_str(), Quoted(name).c_str(), outcome);
    return false;
}

class ActionCheck {
public:
    ActionCheck(ScriptCheck& check, Records& records) : check_(check), records_(records), media_(check) {}

    void Copy(const ScriptEntry& entry);
    void Font(const ScriptEntry& entry);
    void FileEntry(const ScriptEntry& entry, bool textLines);
    void Registry(const ScriptEntry& entry);
    void Group(const ScriptEntry& entry);
    void Deletion(const ScriptEntry& entry);

private:
    void Recorded(const ScriptEntry& entry, bool restores) {
        if (!records_.firstLine) records_.firstLine = entry.line;
        (restores ? records_.restores : records_.deletions) = true;
    }
    // The file of an INI or text line entry, "" when it cannot be built.
    std::string EntryFile(const ScriptEntry& entry);

    ScriptCheck& check_;
    Records& records_;
    MediaFiles media_;
    struct MediaUse {
        std::string installed;
        int line;
    };
    std::map<std::string, MediaUse> mediaUses_;  // by disk and media name, letter case aside
};

void ActionCheck::Copy(const ScriptEntry& entry) {
    if (Has(entry, 1)) CheckCondition(check_, entry.line, entry.Value(1), ConditionUse::Copy);
    CheckKeyEquals(check_, entry, '\\');
    if (entry.key.size() < 2) {
        check_.report.Error(entry.line, "no ':' between disk and target: the entry is never carried out");
        return;
    }
    if (entry.key.size() > 2)
        check_.report.Error(entry.line,
                            "a single ':' ends the target at %s: write a colon in a target twice (C::\\...), or the "
                            "file named %s is copied instead",
                            Quoted(entry.Key(1)).c_str(), Quoted(entry.Key(1)).c_str());
    const std::string& disk = entry.Key(0);
    bool known = false;
    for (const DiskRow& row : check_.disks) known = known || row.key == disk;
    if (!known && check_.disks.empty())
        check_.report.Error(entry.line, "there is no [disks] section: no file is ever copied");
    else if (!known)
        check_.report.Error(entry.line, "the disk %s is not in [disks] (letter case counts): the entry is never carried out",
                            Quoted(disk).c_str());

    std::vector<std::string> parts = Fields(entry.Key(1), '\\', kFieldRoom);
    if (parts.size() == kFieldRoom - 1 && parts.back().find('\\') != std::string::npos)
        check_.report.Error(entry.line, "more than %d target parts: the last holds '\\' and is refused",
                            kFieldRoom - 1);
    for (const std::string& part : parts) CheckNames(check_, entry.line, part);
    std::string fileName = Expanded(parts.back(), true);
    if (fileName.find_first_of("\\/") != std::string::npos || fileName == "." || fileName == ".." || fileName.empty()) {
        check_.report.Error(entry.line, "the file name %s is no name of a file on the media: the copy is refused",
                            Quoted(fileName).c_str());
        return;
    }
    std::vector<char> installedName(fileName.size() + 1), mediaFileName(fileName.size() + 1);
    SplitMediaName(fileName.c_str(), installedName.data(), mediaFileName.data(), installedName.size());
    std::string installed = installedName.data(), mediaName = mediaFileName.data();
    std::string target;
    if (parts.size() == 1) target = WithBackslash(Expanded("WinDir", false));
    for (size_t i = 0; i + 1 < parts.size(); ++i) target += WithBackslash(Expanded(parts[i], true));
    CheckWidth(check_, entry.line, target + installed, kPath, "the target", "the copy is refused");
    CheckWidth(check_, entry.line, WithBackslash(Expanded("InstDir", false)) + mediaName, kPath, "the source",
               "the copy is refused");
    const char* refused = "the copy is refused (\"Cannot create specified file !\")";
    if (!CheckDeviceName(check_, entry.line, target + installed, "the target", refused) ||
        !CheckDeviceName(check_, entry.line, mediaName, "the media file name", refused))
        return;

    bool saved = Flag(entry, "!");
    if (saved) {
        records_.savedFiles = true;
        if (!records_.savedLine) records_.savedLine = entry.line;
        Recorded(entry, true);
        Recorded(entry, false);
    } else if (!check_.removeMode && !Flag(entry, "-")) {
        Recorded(entry, false);
    }

    std::string use = disk + ":" + Lowered(mediaName);
    auto seen = mediaUses_.find(use);
    if (seen == mediaUses_.end())
        mediaUses_[use] = {installed, entry.line};
    else if (Lowered(seen->second.installed) != Lowered(installed))
        check_.report.Warning(entry.line, "reads the media file %s, as line %d does, which installs it as %s",
                              Quoted(mediaName).c_str(), seen->second.line, Quoted(seen->second.installed).c_str());
    if (check_.media.empty() || !known) return;
    std::string path = media_.Find(media_.DirectoryOf(disk), mediaName);
    if (path.empty())
        check_.report.Error(entry.line, "the media file %s of disk %s is missing (\"Cannot open specified file !\")",
                            Quoted(mediaName).c_str(), Quoted(disk).c_str());
    else
        CheckCompressedFile(check_, entry.line, path);
}

void ActionCheck::Font(const ScriptEntry& entry) {
    if (Has(entry, 1)) CheckCondition(check_, entry.line, entry.Value(1), ConditionUse::Font);
    if (entry.key.size() < 2) {
        check_.report.Error(entry.line, "no font name after the directory: reported (message 106)");
        return;
    }
    if (entry.key.size() > 2)
        check_.report.Warning(entry.line,
                              "only the first two '\\' fields are used: write the directory as one field, a variable "
                              "or with its backslashes doubled (C:\\\\FONTS)");
    CheckNames(check_, entry.line, entry.Key(0));
    CheckNames(check_, entry.line, entry.Key(1));
    std::string resource = WithBackslash(Expanded(entry.Key(0), true)) + Expanded(entry.Key(1), true) + ".fot";
    CheckWidth(check_, entry.line, resource, kPath, "the font resource file", "reported (message 106)");
    if (!CheckDeviceName(check_, entry.line, resource, "the font resource file", "reported (message 106)")) return;
    if (!check_.removeMode && !Flag(entry, "nr")) Recorded(entry, false);
}

std::string ActionCheck::EntryFile(const ScriptEntry& entry) {
    const std::string& field = entry.Key(0);
    CheckWidth(check_, entry.line, field, kPath, "the file field as written", "the entry is reported");
    std::vector<std::string> pieces = Fields(field, '\\', 5);
    if (pieces.size() > 3) {
        check_.report.Error(entry.line, "the file %s has more than three '\\' pieces: the entry is reported",
                            Quoted(field).c_str());
        return "";
    }
    if (pieces.size() == 1) return WithBackslash(Expanded("WinDir", false)) + field;
    const std::string& first = pieces[0];
    bool drive = first.size() == 2 && first[1] == ':';
    if (first.find('%') != std::string::npos)
        check_.report.Error(entry.line,
                            "the file's first part %s is looked up as a whole name, %% signs and all: the file lands "
                            "in a directory of that name below the current directory (write the name alone)",
                            Quoted(first).c_str());
    else if (!drive && !IsDefinedName(first))
        check_.report.Error(entry.line,
                            "the file's first part %s is no variable, built-in name or drive: the file lands in a "
                            "directory of that name below the current directory",
                            Quoted(first).c_str());
    if (pieces.size() == 3)
        check_.report.Warning(entry.line, "the middle piece %s is not used: the file is %s in %s",
                              Quoted(pieces[1]).c_str(), Quoted(pieces[2]).c_str(), Quoted(first).c_str());
    std::string path = WithBackslash(Expanded(first, false)) + pieces.back();
    CheckWidth(check_, entry.line, path, kPath, "the file path", "the entry is reported");
    return path;
}

void ActionCheck::FileEntry(const ScriptEntry& entry, bool textLines) {
    if (Has(entry, 1)) CheckCondition(check_, entry.line, entry.Value(1), ConditionUse::Recorded);
    CheckKeyEquals(check_, entry, '|');
    if (entry.key.size() < 3) {
        check_.report.Error(entry.line, "fewer than three key fields (file|section|%s): the entry is reported",
                            textLines ? "line key" : "key");
        return;
    }
    std::string path = EntryFile(entry);
    if (!path.empty() && !CheckDeviceName(check_, entry.line, path, "the file", "the entry is reported")) return;
    const char* what[] = {"the section", textLines ? "the line key" : "the key"};
    for (size_t i = 1; i <= 2; ++i) {
        CheckNames(check_, entry.line, entry.Key(i));
        CheckWidth(check_, entry.line, Expanded(entry.Key(i), true), kPath, what[i - 1], "the entry is reported");
    }
    CheckNames(check_, entry.line, entry.Value(0));
    std::string value = Expanded(entry.Value(0), true);
    CheckWidth(check_, entry.line, value, kProfileTextLimit, textLines ? "the new line" : "the value",
               "the entry is reported");
    if (textLines && !value.empty() && Lowered(value).find(Lowered(Expanded(entry.Key(2), true))) == std::string::npos)
        check_.report.Warning(entry.line,
                              "the new line does not hold the line key %s: the removal finds the line by its key",
                              Quoted(entry.Key(2)).c_str());
    if (!textLines && entry.key.size() > 4) check_.report.Warning(entry.line, "a fifth key field is not used");
    if (!check_.removeMode && !Flag(entry, "-")) Recorded(entry, true);
    if (!textLines && !path.empty())
        records_.iniWrites.push_back(
            {path, Expanded(entry.Key(1), true), Expanded(entry.Key(2), true), value, entry.line});
}

void ActionCheck::Registry(const ScriptEntry& entry) {
    if (Has(entry, 1)) CheckCondition(check_, entry.line, entry.Value(1), ConditionUse::Recorded);
    CheckKeyEquals(check_, entry, '|');
    CheckNames(check_, entry.line, entry.Value(0));
    std::string data = Expanded(entry.Value(0), true);
    CheckWidth(check_, entry.line, data, kProfileTextLimit, "the data", "the entry is reported");
    if (entry.key.size() == 1) {
        CheckNames(check_, entry.line, entry.Key(0));
        CheckWidth(check_, entry.line, Expanded(entry.Key(0), true), kKeyPath, "the key path", "the entry is reported");
        return;
    }
    const std::string& keyField = entry.Key(0);
    CheckWidth(check_, entry.line, keyField, kKeyPath, "the key field as written",
               "the entry is reported (put a long path into a [path] variable)");
    std::string path;
    bool unknownRoot = false;
    std::vector<std::string> pieces = Fields(keyField, '\\', 64);
    for (size_t i = 0; i < pieces.size(); ++i) {
        if (pieces[i].find('%') != std::string::npos)
            check_.report.Warning(entry.line,
                                  "%s stays as written: each piece of a key path is looked up as a whole name, "
                                  "without %% signs",
                                  Quoted(pieces[i]).c_str());
        for (const VariableRow& row : check_.rows)
            if (i == 0 && row.name == pieces[i] && row.fromRegistry) unknownRoot = true;
        if (i > 0 && (path.empty() || path.back() != '\\')) path += "\\";
        path += Expanded(pieces[i], false);
    }
    CheckWidth(check_, entry.line, path, kKeyPath, "the expanded key path", "the entry is reported");
    if (!unknownRoot) CheckRoot(check_, entry.line, path);
    size_t slash = path.find('\\');
    std::string subkey = slash == std::string::npos ? path : path.substr(slash + 1);
    size_t colon = subkey.find(':');
    if (colon != std::string::npos)
        CheckWidth(check_, entry.line, subkey.substr(colon + 1), kName, "the key class", "the entry is reported");

    std::string name = entry.Key(1), type = "REG_SZ";
    size_t typeColon = name.find(':');
    if (typeColon != std::string::npos && typeColon + 1 < name.size() && name[typeColon + 1] == 'R') {
        type = name.substr(typeColon + 1);
        name = name.substr(0, typeColon);
        CheckWidth(check_, entry.line, type, kTypeName, "the type name", "the entry is reported");
    }
    CheckNames(check_, entry.line, name);
    CheckWidth(check_, entry.line, Expanded(name, true), kName, "the value name", "the entry is reported");
    if (entry.key.size() > 2) check_.report.Warning(entry.line, "a third '|' key field is not used");
    std::string upper = type;
    for (char& c : upper) c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
    static const char* const kTypes[] = {"REG_SZ", "REG_DWORD", "REG_BINARY", "REG_MULTI_SZ", "REG_BINARY_ADD",
                                         "REG_MULTI_SZ_ADD"};
    bool knownType = false;
    for (const char* known : kTypes) knownType = knownType || upper == known;
    if (!knownType)
        check_.report.Error(entry.line, "unknown type %s: nothing is written (the old value is still recorded)",
                            Quoted(type).c_str());
    unsigned long number = 0;
    if (!data.empty() && upper == "REG_DWORD" && !ReadHexNumber(data.c_str(), &number))
        check_.report.Error(entry.line, "REG_DWORD data %s is no hexadecimal number of at most 32 bits: reported",
                            Quoted(data).c_str());
    if (!data.empty() && (upper == "REG_BINARY" || upper == "REG_MULTI_SZ" || upper == "REG_BINARY_ADD") &&
        !IsEscapedText(data.c_str()))
        check_.report.Error(entry.line,
                            "malformed escape in %s: every '<' group must close with '>' and hold pairs of the digits "
                            "0-9 and a-f (write '<<' for '<'); reported",
                            Quoted(data).c_str());
    if (!check_.removeMode && !Flag(entry, "-")) Recorded(entry, true);
}

void ActionCheck::Group(const ScriptEntry& entry) {
    if (Has(entry, 1)) CheckCondition(check_, entry.line, entry.Value(1), ConditionUse::Selection);
    for (size_t i = 0; i < entry.key.size() && i < 2; ++i) {
        CheckNames(check_, entry.line, entry.Key(i));
        std::string name = Expanded(entry.Key(i), true);
        CheckWidth(check_, entry.line, name, kName, i ? "the item name" : "the group name", "the entry is reported");
        if (name.find('/') != std::string::npos || (i == 1 && name.find(',') != std::string::npos))
            check_.report.Error(entry.line, "the %s %s holds %s: Program Manager cannot take it",
                                i ? "item name" : "group name", Quoted(name).c_str(),
                                name.find('/') != std::string::npos ? "'/'" : "','");
    }
    if (entry.key.size() > 2) check_.report.Warning(entry.line, "a third '|' key field is not used");
    if (entry.key.size() < 2) return;
    CheckNames(check_, entry.line, entry.Value(0));
    std::string arguments = Expanded(entry.Value(0), true);
    CheckWidth(check_, entry.line, arguments, kArguments, "the item arguments", "the entry is reported");
    std::vector<std::string> fields = Fields(arguments, ',', 16);
    if (fields.size() >= 2 && fields[1].find('/') != std::string::npos)
        check_.report.Error(entry.line, "the item's name %s holds '/': Program Manager cannot take it",
                            Quoted(fields[1]).c_str());
    if (fields.size() >= 2 && !arguments.empty() && Lowered(fields[1]) != Lowered(Expanded(entry.Key(1), true)))
        check_.report.Warning(entry.line, "the item is added as %s but removed as %s: a second install adds it again",
                              Quoted(fields[1]).c_str(), Quoted(Expanded(entry.Key(1), true)).c_str());
}

void ActionCheck::Deletion(const ScriptEntry& entry) {
    if (Has(entry, 1)) CheckCondition(check_, entry.line, entry.Value(1), ConditionUse::Deletion);
    CheckKeyEquals(check_, entry, '\\');
    std::vector<std::string> parts = Fields(entry.keyText, '\\', 4);
    std::string path = parts.size() == 1 ? WithBackslash(Expanded("WinDir", false)) : "";
    for (size_t i = 0; i < parts.size(); ++i) {
        CheckNames(check_, entry.line, parts[i]);
        path += i + 1 < parts.size() ? WithBackslash(Expanded(parts[i], true)) : Expanded(parts[i], true);
    }
    CheckWidth(check_, entry.line, path, kPath, "the path", "the file is not deleted (message 107)");
    CheckDeviceName(check_, entry.line, path, "the path", "the file is not deleted (message 107)");
}

}  // namespace

void CheckActions(ScriptCheck& check, Records& records) {
    ActionCheck actions(check, records);
    struct Kind {
        const char* prefix;
        char keySeparator;
        void (ActionCheck::*visit)(const ScriptEntry&);
    };
    const Kind kinds[] = {{"", ':', &ActionCheck::Copy},      {"fot.", '\\', &ActionCheck::Font},
                          {"reg.", '|', &ActionCheck::Registry}, {"group.", '|', &ActionCheck::Group},
                          {"del.", 0, &ActionCheck::Deletion}};
    for (const ComponentRow& component : check.components) {
        for (bool left : {false, true}) {
            // A hidden component is always installed: it is never left out.
            if (left && component.hidden) continue;
            std::string name = (left ? "!" : "") + component.section;
            for (const Kind& kind : kinds)
                check.Walk(kind.prefix + name, kind.keySeparator, '/',
                           [&](const ScriptEntry& entry) { (actions.*kind.visit)(entry); });
            check.Walk("ini." + name, '|', '/', [&](const ScriptEntry& entry) { actions.FileEntry(entry, false); });
            check.Walk("str." + name, '|', '/', [&](const ScriptEntry& entry) { actions.FileEntry(entry, true); });
        }
    }
}
