#include "check_removal.h"

#include <string>
#include <vector>

#include "check_text.h"
#include "script/variables.h"

namespace {

std::string Lowered(std::string text) {
    for (char& c : text) c = c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
    return text;
}

std::vector<std::string> Parts(const std::string& path) {
    std::vector<std::string> parts(1);
    for (char c : path) {
        if (c == '\\' || c == '/') parts.emplace_back();
        else parts.back() += c;
    }
    return parts;
}

const VariableRow* RowOf(const ScriptCheck& check, const char* name) {
    for (const VariableRow& row : check.rows)
        if (row.name == name) return &row;
    return nullptr;
}

// Why a place is open to ordinary users, or "" when it is not known to be.
std::string OpenPlace(const ScriptCheck& check, const VariableRow& row, const std::string& value) {
    for (const std::string& part : Parts(Lowered(row.written))) {
        std::string name = part;
        if (!name.empty() && name.front() == '%') name.erase(0, 1);
        if (!name.empty() && name.back() == '%') name.pop_back();
        if (name == "instdir") return "the installation media";
        for (const VariableRow& other : check.rows)
            if (Lowered(other.name) == name && other.userRegistry)
                return "a directory read from HKEY_CURRENT_USER, which any program of the user can set";
    }
    std::string path = Lowered(value);
    if (path.compare(0, 2, "\\\\") == 0 || path.compare(0, 2, "//") == 0) return "a network share";
    if (path.size() < 2 || path[1] != ':') return "a relative path, below whatever the installer's current directory is";
    for (const std::string& part : Parts(path)) {
        if (part == "temp" || part == "tmp") return "the temporary directory";
        if (part == "users" || part == "documents and settings" || part == "profiles" || part == "appdata" ||
            part == "application data" || part == "local settings" || part == "desktop" || part == "documents" ||
            part == "my documents")
            return "a user's profile";
        if (part == "downloads" || part == "download") return "a download folder";
    }
    return "";
}

void CheckPlace(ScriptCheck& check, const char* name) {
    const VariableRow* row = RowOf(check, name);
    const ScriptVariable* variable = FindVariable(name);
    if (!row || !variable) return;
    std::string why = OpenPlace(check, *row, variable->value);
    if (!why.empty())
        check.report.Warning(row->line,
                             "%s lies in %s, which ordinary users can write: the removal replays the log with "
                             "administrator rights (keep it under the product's directory in the program files "
                             "directory)",
                             name, why.c_str());
}

}  // namespace

void CheckRemoval(ScriptCheck& check, const Records& records) {
    if (check.removeMode) return;
    int first = records.firstLine ? records.firstLine : check.rows.empty() ? 0 : check.rows.front().line;
    if (!first) return;  // nothing is ever recorded
    CheckPlace(check, "RemoveInf");
    CheckPlace(check, "BackUpDir");
    if (records.savedFiles && !FindVariable("BackUpDir"))
        check.report.Warning(records.savedLine,
                             "no variable BackUpDir: saved files go to a directory BackUpDir below the installer's "
                             "current directory");
    const ScriptVariable* log = FindVariable("RemoveInf");
    if (!log) {
        check.report.Warning(first,
                             "no variable RemoveInf (letter case counts): the removal log goes to a file named "
                             "RemoveInf in the Windows directory");
        return;
    }
    if (!records.firstLine) return;  // only the variables are recorded

    // The parts of a removal script the log never holds, written into it by
    // the script's own INI entries.
    bool remove = false, step1 = false, step2 = false, diskOne = false;
    std::string logPath = Lowered(log->value);
    for (const IniWrite& write : records.iniWrites) {
        if (Lowered(write.path) != logPath) continue;
        std::string section = Lowered(write.section), key = Lowered(write.key);
        std::string component = Lowered(write.value.substr(0, write.value.find('|')));
        remove = remove || (section == "setup" && key == "remove" && !write.value.empty() && write.value != "0");
        step1 = step1 || (section == "choise" && component == "step1");
        step2 = step2 || (section == "choise" && component == "step2");
        diskOne = diskOne || (section == "disks" && key == "1");
    }
    int line = RowOf(check, "RemoveInf")->line;
    const char* removal = "for the log to run as a removal script (see docs/removal.md)";
    if (!remove)
        check.report.Warning(line, "no INI entry writes [SetUp] remove=1 into the removal log %s, %s",
                             Quoted(log->value).c_str(), removal);
    if (records.restores && !step1)
        check.report.Warning(line, "no INI entry writes a [choise] entry for the component step1 into the removal log, %s",
                             removal);
    if (records.deletions && !step2)
        check.report.Warning(line, "no INI entry writes a [choise] entry for the component step2 into the removal log, %s",
                             removal);
    if (records.savedFiles && !diskOne)
        check.report.Warning(line, "no INI entry writes the disk 1 into the removal log's [disks], %s", removal);
}
