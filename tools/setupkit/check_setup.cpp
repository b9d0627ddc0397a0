#include "check_setup.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

#include "base/text.h"
#include "check_text.h"
#include "plan/entry_plans.h"
#include "script/variables.h"

namespace {

// The widths of the installer's own tables, terminators aside.
template <size_t N> constexpr size_t Width(const char (&)[N]) { return N - 1; }
constexpr size_t kTitle = Width(OptionGroup{}.title);
constexpr size_t kLabel = Width(OptionGroup{}.labels[0]);
constexpr size_t kCode = Width(OptionGroup{}.codes[0]);
constexpr size_t kJoinedCodes = Width(ScriptTables{}.optionCodes);
constexpr size_t kComponentLabel = Width(ComponentEntry{}.label);
constexpr size_t kSection = Width(ComponentEntry{}.section);
constexpr size_t kDescription = Width(ComponentEntry{}.description);
constexpr size_t kVariableName = Width(ScriptVariable{}.name);
constexpr size_t kPath = kPathWidth;  // counted in characters, its buffer in UTF-8
// Texts the installer keeps in buffers of its own, of 64 characters: the
// [SetUp] name, the path dialog's prompt, the disks' keys and labels.
constexpr size_t kName = 63;

char Fold(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

bool SameNoCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Fold(a[i]) != Fold(b[i])) return false;
    return true;
}

// A number as the platform's profile reader takes it: a sign, then decimal
// digits, or hexadecimal ones after 0x.
bool IsNumber(const std::string& text) {
    size_t at = text[0] == '-' || text[0] == '+' ? 1 : 0;
    bool hex = text.compare(at, 2, "0x") == 0 || text.compare(at, 2, "0X") == 0;
    if (hex) at += 2;
    if (at >= text.size()) return false;
    for (; at < text.size(); ++at)
        if (!(std::isdigit(static_cast<unsigned char>(text[at])) || (hex && std::isxdigit(static_cast<unsigned char>(text[at])))))
            return false;
    return true;
}

bool IsDetectedGroup(const std::string& section) {
    return SameNoCase(section, "platform") || SameNoCase(section, "codepage") || SameNoCase(section, "fsize");
}

// The root a registry path names, as the installer maps it.
std::string RootOf(const std::string& path) {
    size_t slash = path.find('\\');
    return slash == std::string::npos ? "" : path.substr(0, slash);
}

}  // namespace

void CheckRoot(ScriptCheck& check, int line, const std::string& path) {
    std::string root = RootOf(path);
    if (path.find('\\') == std::string::npos) {
        if (SameNoCase(path.substr(0, 5), "HKEY_"))
            check.report.Warning(line, "%s has no '\\': it is a key directly under HKEY_CLASSES_ROOT",
                                 Quoted(path).c_str());
        return;
    }
    if (!IsRegistryRootName(root.c_str()))
        check.report.Warning(line,
                             "%s is not one of the five root names (HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, "
                             "HKEY_LOCAL_MACHINE, HKEY_USERS, HKEY_CURRENT_CONFIG, letter case counting): the key "
                             "goes to HKEY_CLASSES_ROOT",
                             Quoted(root).c_str());
}

void CheckSetUp(ScriptCheck& check) {
    check.Reads("SetUp");
    const ProfileSection* section = check.file.ListedSection("SetUp");
    if (!section) return;
    static const char* const kKeys[] = {"license", "silent",       "reboot",  "name",  "Y2AOverwrite",
                                        "disks",   "remove",       "cleanup", "rebootprompt", "rollback",
                                        "caption", "title",        "gradient", "picture", "picturepos"};
    for (const ProfileKey& key : section->keys) {
        std::string name = VisiblePart(key.name);
        if (!key.hasValue || name.empty() || name[0] == ';') continue;
        const ProfileKey* found = check.file.FoundKey("SetUp", name.c_str());
        if (found != &key) {
            check.report.Warning(key.line, "[SetUp] %s stands on line %d already: this one is never read",
                                 Quoted(name).c_str(), found ? found->line : 0);
            continue;
        }
        bool known = false;
        for (const char* k : kKeys) known = known || SameNoCase(name, k);
        std::string value = ProfileFile::ValueOf(key);
        if (!known) {
            check.report.Warning(key.line, "[SetUp] has no key %s: the installer never reads it", Quoted(name).c_str());
        } else if (SameNoCase(name, "name")) {
            CheckWidth(check, key.line, value, kName, "the caption", "it is cut");
        } else if (SameNoCase(name, "rebootprompt")) {
            if (!SameNoCase(value, "needed") && !SameNoCase(value, "always"))
                check.report.Warning(key.line, "rebootprompt=%s is neither needed nor always: the question is asked "
                                               "after every interactive install",
                                     Quoted(value).c_str());
        } else if (SameNoCase(name, "caption") || SameNoCase(name, "title")) {
            CheckWidth(check, key.line, value, SameNoCase(name, "caption") ? 63 : 127, "the text", "it is cut");
        } else if (SameNoCase(name, "gradient") || SameNoCase(name, "picture") || SameNoCase(name, "picturepos")) {
            // checked with the look (check_branding)
        } else if (!IsNumber(value)) {
            check.report.Warning(key.line, "[SetUp] %s=%s is not a number: it reads as 0", name.c_str(),
                                 Quoted(value).c_str());
        } else if (SameNoCase(name, "license") && value != "0" && value != "1") {
            check.report.Warning(key.line, "license=%s: only exactly 1 shows the licence", value.c_str());
        } else if (SameNoCase(name, "remove")) {
            check.removeMode = std::strtol(value.c_str(), nullptr, 0) != 0;
        }
    }
}

void ReadOptionGroups(ScriptCheck& check) {
    int groups = 0;
    size_t joined = 0;  // the longest selection: the longest code of every group
    int optionsLine = 0;
    check.Walk("options", 0, 0, [&](const ScriptEntry& entry) {
        if (!optionsLine) optionsLine = entry.line;
        if (++groups > kMaxOptionGroups) {
            check.report.Error(entry.line, "option group %d: the installer shows at most %d, this one is ignored",
                               groups, kMaxOptionGroups);
            return;
        }
        CheckWidth(check, entry.line, entry.keyText, kTitle, "the group title", "it is cut");
        const std::string& name = entry.valueText;
        const ProfileSection* section = check.file.ListedSection(name.c_str());
        if (name.empty() || !section || check.file.ListedKeys(*section).empty()) {
            check.report.Error(entry.line, "the option group %s names the section [%s], which is %s: the group shows no choice",
                               Quoted(entry.keyText).c_str(), name.c_str(), section ? "empty" : "missing");
            if (!section) return;
        }
        int choices = 0;
        size_t longest = 0;
        bool detected = IsDetectedGroup(name);
        check.Walk(name, detected ? '/' : 0, 0, [&](const ScriptEntry& choice) {
            const std::string& label = choice.Key(0);
            const std::string& code = choice.valueText;
            if (label.empty() || code.empty()) {
                check.report.Warning(choice.line, "an entry with an empty label or code is no choice");
                return;
            }
            if (++choices > kMaxChoices) {
                check.report.Error(choice.line, "choice %d of the group: a group holds at most %d, this one is ignored",
                                   choices, kMaxChoices);
                return;
            }
            CheckWidth(check, choice.line, label, kLabel, "the choice label", "it is cut");
            CheckWidth(check, choice.line, code, kCode, "the code", "it is cut");
            std::string kept = code.substr(0, kCode);
            if (kept.find_first_of("nr+-?!,") != std::string::npos)
                check.report.Warning(choice.line, "the code %s holds a character of the flag tests (n r + - ? ! ,)",
                                     Quoted(kept).c_str());
            check.codeCharacters += kept;
            if (kept.size() > longest) longest = kept.size();
        });
        joined += longest;
    });
    if (joined > kJoinedCodes)
        check.report.Error(optionsLine,
                           "the longest codes of all groups joined are %d characters, over the %d the selection "
                           "holds: a code that does not fit is left out",
                           static_cast<int>(joined), static_cast<int>(kJoinedCodes));
}

void ReadComponents(ScriptCheck& check) {
    int count = 0;
    check.Walk("choise", '/', '|', [&](const ScriptEntry& entry) {
        if (entry.key.size() >= 2) CheckCondition(check, entry.line, entry.Key(1), ConditionUse::Listing);
        if (entry.Value(0).empty()) {
            check.report.Warning(entry.line, "a component without a section name is left out");
            return;
        }
        if (++count > kMaxComponents) {
            check.report.Error(entry.line, "component %d: the installer takes at most %d, this one is ignored", count,
                               kMaxComponents);
            return;
        }
        CheckWidth(check, entry.line, entry.Key(0), kComponentLabel, "the component label", "it is cut");
        CheckWidth(check, entry.line, entry.Value(0), kSection, "the section name", "it is cut");
        if (entry.value.size() >= 2)
            CheckWidth(check, entry.line, entry.Value(1), kDescription, "the description", "it is cut");
        std::string section = entry.Value(0).substr(0, kSection);
        size_t start = 0, end = section.size();
        while (start < end && (section[start] == ' ' || section[start] == '\t')) ++start;
        while (end > start && (section[end - 1] == ' ' || section[end - 1] == '\t')) --end;
        if (start != 0 || end != section.size())
            check.report.Error(entry.line, "the section name %s has blanks around it: no section of that name is ever found",
                               Quoted(section).c_str());
        check.components.push_back({entry.Key(0), section, entry.value.size() < 2, entry.line});
    });
}

namespace {

// A [reg] or [path] row's condition, and whether its name can be a variable's.
bool UsableVariableRow(ScriptCheck& check, const ScriptEntry& entry) {
    if (entry.key.size() >= 2) CheckCondition(check, entry.line, entry.Key(1), ConditionUse::Selection);
    const std::string& name = entry.Key(0);
    if (!name.empty() && name.size() <= kVariableName) return true;
    check.report.Error(entry.line, "the variable name %s is %s: the entry is ignored", Quoted(name).c_str(),
                       name.empty() ? "empty" : "over 63 characters");
    return false;
}

}  // namespace

void ReadVariables(ScriptCheck& check) {
    check.Walk("reg", '/', '|', [&](const ScriptEntry& entry) {
        const std::string& name = entry.Key(0);
        if (!UsableVariableRow(check, entry)) return;
        CheckRoot(check, entry.line, entry.Value(0));
        if (FindVariable(name.c_str())) return;  // the first row of the name is used again
        if (!AppendVariable(name.c_str())) {
            check.report.Error(entry.line, "variable %d: [reg] and [path] hold at most %d together, this one is ignored",
                               check.tables.variableCount + 1, kMaxVariables);
            return;
        }
        check.rows.push_back({name, entry.Value(0), true, RootOf(entry.Value(0)) == "HKEY_CURRENT_USER", entry.line});
    });
    check.tables.regVariableCount = check.tables.variableCount;

    check.Walk("path", '/', ';', [&](const ScriptEntry& entry) {
        const std::string& name = entry.Key(0);
        if (!UsableVariableRow(check, entry)) return;
        if (entry.key.size() >= 3) {
            bool named = false;
            for (const ComponentRow& component : check.components) named = named || component.section == entry.Key(2);
            if (!named)
                check.report.Error(entry.line, "no component has the section %s (letter case counts): the path is never asked",
                                   Quoted(entry.Key(2)).c_str());
        }
        if (entry.key.size() > 3) check.report.Warning(entry.line, "a fourth key field is not used");
        CheckNames(check, entry.line, entry.Value(0));
        std::string value = Expanded(entry.Value(0), true);
        CheckWidth(check, entry.line, value, kPath, "the expanded default", "the entry is reported", true);
        if (entry.value.size() >= 2) CheckWidth(check, entry.line, entry.Value(1), kName, "the prompt", "it is cut");
        for (size_t i = 0; i < check.rows.size(); ++i) {
            if (check.rows[i].name != name) continue;
            if (check.rows[i].fromRegistry)
                check.report.Warning(entry.line,
                                     "[reg] defines %s already (line %d): expansion and conditions never see this row",
                                     name.c_str(), check.rows[i].line);
            break;
        }
        if (check.tables.variableCount >= kMaxVariables) {
            check.report.Error(entry.line,
                               "variable %d: [reg] and [path] hold at most %d together: \"Not enought memory !!!\" "
                               "and the pass ends",
                               check.tables.variableCount + 1, kMaxVariables);
            return;
        }
        ScriptVariable* row = AppendVariable(name.c_str());
        CopyText(row->value, value.c_str());
        check.rows.push_back({name, entry.Value(0), false, false, entry.line});
    });
}

void ReadDisks(ScriptCheck& check) {
    check.Walk("disks", 0, 0, [&](const ScriptEntry& entry) {
        CheckWidth(check, entry.line, entry.keyText, kName, "the disk key",
                   "the pass reports it and, after OK, passes the disk over");
        CheckWidth(check, entry.line, entry.valueText, kName, "the disk label", "it is cut");
        check.disks.push_back({entry.keyText, entry.line});
    });
    const ProfileKey* count = check.file.FoundKey("SetUp", "disks");
    if (count && count->hasValue && !check.disks.empty()) {
        long stated = std::strtol(ProfileFile::ValueOf(*count).c_str(), nullptr, 0);
        if (stated != static_cast<long>(check.disks.size()))
            check.report.Warning(count->line, "disks=%ld, but [disks] lists %d: the progress bar runs %s", stated,
                                 static_cast<int>(check.disks.size()), stated < static_cast<long>(check.disks.size()) ? "past its end" : "short");
    }
}
