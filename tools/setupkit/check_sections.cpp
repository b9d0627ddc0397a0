#include "check_sections.h"

#include <cstring>
#include <string>

#include "plan/action_kinds.h"

namespace {

std::string Lowered(std::string text) {
    for (char& c : text) c = c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
    return text;
}

bool HasEntries(const ProfileSection& section) {
    for (const ProfileKey& key : section.keys)
        if (key.hasValue && key.name.c_str()[0] != ';') return true;
    return false;
}

}  // namespace

void CheckFile(ScriptCheck& check) {
    const ProfileFile& file = check.file;
    if (file.HoldsZeroByte())
        check.report.Error(1, "the file holds a zero byte: the installer takes it for no script (message 109)");
    if (file.Sections().size() < 2)
        check.report.Error(1, "no section header: the installer takes the file for no script (message 109)");
    // An ANSI script is read in the machine's code page: bytes that are no
    // character of it, or that spell a character in UTF-8, read as garbage.
    if (file.Doubt() == AnsiDoubt::Utf8Sequence)
        check.report.Warning(file.DoubtfulLine(),
                             "the script has no byte order mark but holds UTF-8 text: the installer reads it in the "
                             "ANSI code page, as garbage; save the script as UTF-16LE or as UTF-8 with a byte order "
                             "mark");
    else if (file.Doubt() == AnsiDoubt::UndefinedByte)
        check.report.Warning(file.DoubtfulLine(),
                             "the script holds a byte the ANSI code page (1252) does not define: save the script as "
                             "UTF-16LE or as UTF-8 with a byte order mark");
}

void CheckSections(ScriptCheck& check) {
    const std::vector<ProfileSection>& sections = check.file.Sections();
    for (size_t i = 0; i < sections.size(); ++i) {
        const ProfileSection& section = sections[i];
        std::string name = VisiblePart(section.name);
        if (i == 0) {
            if (HasEntries(section))
                check.report.Warning(section.keys.front().line, "entries before the first section header are never read");
            continue;
        }
        const ProfileSection* found = check.file.ListedSection(name.c_str());
        if (found != &section) {
            if (HasEntries(section))
                check.report.Error(section.line, "[%s] stands on line %d already: the entries of this one are never read",
                                   name.c_str(), found ? found->line : 0);
            continue;
        }
        if (!check.IsRead(name)) {
            std::string lowered = Lowered(name);
            bool action = false;
            for (const ActionSection& kind : kActionSections)
                action = action || lowered.compare(0, std::strlen(kind.prefix), kind.prefix) == 0;
            std::string near = check.ReadNameNear(name);
            std::string meant = near.empty() ? "" : "; did you mean [" + near + "]?";
            if (action)
                check.report.Warning(section.line, "no component reaches [%s]: it is never read%s", name.c_str(),
                                     meant.c_str());
            else
                check.report.Warning(section.line, "[%s] is never read: no component, option group or setting names it%s",
                                     name.c_str(), meant.c_str());
            continue;
        }
        for (const ProfileKey& key : section.keys)
            if (!key.hasValue && key.name.c_str()[0] != ';')
                check.report.Warning(key.line, "a line without '=' is no entry: the installer passes it over");
    }
    // A script whose components install nothing is no installation.
    if (const ProfileSection* choise = check.file.ListedSection("choise")) {
        if (!check.installing)
            check.report.Error(choise->line,
                               "the components of [choise] install nothing: none of their sections holds an entry "
                               "the installer carries out");
    } else {
        check.report.Error(1, "there is no [choise] section: the installer lists no component and installs nothing");
    }
    for (const ComponentRow& component : check.components) {
        bool any = false;
        for (int k = -1; k < kActionKindCount; ++k)
            for (const char* left : {"", "!"})
                any = any || check.file.ListedSection(
                                 (std::string(k < 0 ? kCopySection.prefix : kActionSections[k].prefix) + left +
                                  component.section)
                                     .c_str());
        if (!any)
            check.report.Warning(component.line, "no section of the component %s exists ([%s], [ini.%s] ...)",
                                 component.label.c_str(), component.section.c_str(), component.section.c_str());
    }
}
