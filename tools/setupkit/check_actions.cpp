#include "check_actions.h"

#include <cstring>
#include <map>

#include "base/device_names.h"
#include "check_media.h"
#include "check_setup.h"
#include "check_text.h"
#include "engine_files.h"
#include "folder.h"
#include "plan/entry_plans.h"
#include "script/conditions.h"

namespace {

std::string Lowered(std::string text) {
    for (char& c : text) c = c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
    return text;
}

bool Has(const ScriptEntry& entry, size_t valueField) { return entry.value.size() > valueField; }

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

// The words for the text of an entry the plan refuses, and for what then
// becomes of the entry.
const char* PieceWords(RefusedPiece piece, ActionKind kind) {
    bool lines = kind == ActionKind::TextLine;
    switch (piece) {
        case RefusedPiece::WrittenTarget: return "the target as written";
        case RefusedPiece::Target: return "the target";
        case RefusedPiece::FileName: return "the file name";
        case RefusedPiece::Source: return "the source";
        case RefusedPiece::MediaName: return "the media file name";
        case RefusedPiece::Disk: return "the disk field";
        case RefusedPiece::FontFile: return "the font resource file";
        case RefusedPiece::FileField: return "the file field as written";
        case RefusedPiece::File: return "the file";
        case RefusedPiece::Section: return "the section";
        case RefusedPiece::Key: return lines ? "the line key" : "the key";
        case RefusedPiece::Value: return lines ? "the new line" : "the value";
        case RefusedPiece::ShortKeyPath: return "the key path";
        case RefusedPiece::KeyField: return "the key field as written";
        case RefusedPiece::KeyPath: return "the expanded key path";
        case RefusedPiece::KeyClass: return "the key class";
        case RefusedPiece::TypeName: return "the type name";
        case RefusedPiece::ValueName: return "the value name";
        case RefusedPiece::Data:
        case RefusedPiece::NumberData:
        case RefusedPiece::EscapedData: return "the data";
        case RefusedPiece::GroupName: return "the group name";
        case RefusedPiece::ItemName: return "the item name";
        case RefusedPiece::Arguments: return "the item arguments";
        case RefusedPiece::Entry: break;
    }
    return "the entry";
}

const char* Outcome(ActionKind kind, bool deviceName) {
    switch (kind) {
        case ActionKind::Copy:
            return deviceName ? "the copy is refused (\"Cannot create specified file !\")" : "the copy is refused";
        case ActionKind::Font: return "reported (message 106)";
        case ActionKind::Delete: return "the file is not deleted (message 107)";
        default: return "the entry is reported";
    }
}

// A path with a part the platform takes for a device (NUL.txt, CON, LPT1)
// names the device in whatever directory: the installer refuses it.
void ReportDeviceName(ScriptCheck& check, int line, const std::string& path, const char* what, const char* outcome) {
    const char* part = FindDeviceName(path.c_str());
    if (!part) return;
    std::string name(part, std::strcspn(part, "\\/"));
    if (name == path)
        check.report.Error(line, "%s %s is a device name, which names a device and no file: %s", what,
                           Quoted(path).c_str(), outcome);
    else
        check.report.Error(line, "%s %s holds the device name %s, which names a device and no file: %s", what,
                           Quoted(path).c_str(), Quoted(name).c_str(), outcome);
}

void ReportTooLong(ScriptCheck& check, int line, const std::string& text, size_t length, size_t limit,
                   const char* what, const char* beyond) {
    check.report.Error(line, "%s %s is %d characters, over the %d it may hold: %s", what, Quoted(text).c_str(),
                       static_cast<int>(length), static_cast<int>(limit), beyond);
}

// Each entry of the install pass's sections, checked in two steps: what only
// the checker says of it (conditions, names, how it is written), then what
// the installer's own plan of it says, in the checker's words; and what the
// entry would record in the removal log, gathered for the removal checks.
class ActionCheck : public PlanSink {
public:
    ActionCheck(ScriptCheck& check, Records& records) : check_(check), records_(records), media_(check) {}

    // The sections walked next are those of components left out.
    void LeftOut(bool left) { left_ = left; }
    void VisitCopy(const ScriptEntry& entry);
    void VisitFont(const ScriptEntry& entry);
    void VisitFile(const ScriptEntry& entry, ActionKind kind);
    void VisitRegistry(const ScriptEntry& entry);
    void VisitGroup(const ScriptEntry& entry);
    void VisitDeletion(const ScriptEntry& entry);

    StepResult Passed(ActionKind, const EntrySource&) override { return StepResult::GoOn; }
    StepResult Refused(const RefusedStep& step) override;
    StepResult ChangeDisk(const DiskStep&) override { return StepResult::GoOn; }
    StepResult Copy(const CopyStep& step) override;
    StepResult Font(const FontStep& step) override;
    StepResult Ini(const FileStep& step) override { return File(step, false); }
    StepResult TextLine(const FileStep& step) override { return File(step, true); }
    StepResult Registry(const RegistryStep& step) override;
    StepResult Group(const GroupStep& step) override;
    StepResult Delete(const DeleteStep& step) override;
    StepResult Done(const SectionDone&) override { return StepResult::GoOn; }
    void OutOfMemory() override {}

private:
    // The plan of the entry under way, which the sink's answers are about.
    void Plan(const ScriptEntry& entry, ActionKind kind, const CopyDisks* disks = nullptr) {
        entry_ = &entry;
        PlanContext context = {check_.tables.optionCodes, check_.removeMode, true};
        if (kind == ActionKind::Copy) PlanCopy(*entry.walked, context, *this, disks);
        else PlanAction(kind, *entry.walked, context, *this);
        entry_ = nullptr;
    }
    // A step of a chosen component's section: the script installs something.
    StepResult Carried(bool carried = true) {
        if (carried && !left_) ++check_.installing;
        return StepResult::GoOn;
    }
    void Recorded(bool restores, bool unrecorded) {
        if (unrecorded) return;
        if (!records_.firstLine || entry_->line < records_.firstLine) records_.firstLine = entry_->line;
        (restores ? records_.restores : records_.deletions) = true;
    }
    StepResult File(const FileStep& step, bool textLines);
    void CheckMediaFiles(const CopyStep& step);

    ScriptCheck& check_;
    Records& records_;
    MediaFiles media_;
    const ScriptEntry* entry_ = nullptr;
    bool left_ = false;
    bool diskKnown_ = false;    // [disks] lists the copy's disks: its media files can be looked for
    bool unknownRoot_ = false;  // the registry path starts with a value read from the registry
    struct MediaUse {
        std::string installed;
        int line;
    };
    std::map<std::string, MediaUse> mediaUses_;  // by disk and media name, letter case aside
};

StepResult ActionCheck::Refused(const RefusedStep& step) {
    int line = entry_->line;
    std::string text = step.text;
    const char* what = PieceWords(step.piece, step.kind);
    switch (step.reason) {
        case Refusal::TooLong:
            ReportTooLong(check_, line, text, step.length, step.limit, what,
                          step.piece == RefusedPiece::KeyField
                              ? "the entry is reported (put a long path into a [path] variable)"
                              : Outcome(step.kind, false));
            break;
        case Refusal::DeviceName: ReportDeviceName(check_, line, text, what, Outcome(step.kind, true)); break;
        case Refusal::NotAMediaName:
            check_.report.Error(line, "the file name %s is no name of a file on the media: the copy is refused",
                                Quoted(text).c_str());
            break;
        case Refusal::TooFewFields:
            if (step.kind == ActionKind::Font)
                check_.report.Error(line, "no font name after the directory: reported (message 106)");
            else
                check_.report.Error(line, "fewer than three key fields (file|section|%s): the entry is reported",
                                    step.kind == ActionKind::TextLine ? "line key" : "key");
            break;
        case Refusal::TooManyParts:
            check_.report.Error(line, "the file %s has more than three '\\' pieces: the entry is reported",
                                Quoted(text).c_str());
            break;
        case Refusal::DataNotItsType:
            if (step.piece == RefusedPiece::NumberData)
                check_.report.Error(line, "REG_DWORD data %s is no hexadecimal number of at most 32 bits: reported",
                                    Quoted(text).c_str());
            else
                check_.report.Error(line,
                                    "malformed escape in %s: every '<' group must close with '>' and hold pairs of "
                                    "the digits 0-9 and a-f (write '<<' for '<'); reported",
                                    Quoted(text).c_str());
            break;
        case Refusal::LineBreak:
            check_.report.Error(line, "%s %s holds a line break, which a line of a file cannot: %s", what,
                                Quoted(text).c_str(), Outcome(step.kind, false));
            break;
        // The checker's walk says these itself: the disks of a copy, and
        // entries longer than the profile functions carry.
        case Refusal::UnknownDisk:
        case Refusal::Unreadable: break;
    }
    return StepResult::GoOn;
}

void ActionCheck::VisitCopy(const ScriptEntry& entry) {
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
    CopyDisks disks;
    ReadCopyDisks(check_.file, entry.Key(0).c_str(), disks);
    bool known = true;
    for (int i = 0; i < disks.count; ++i) {
        bool listed = false;
        for (const DiskRow& row : check_.disks) listed = listed || row.key == disks.keys[i];
        known = known && listed;
        if (listed) continue;
        if (check_.disks.empty())
            check_.report.Error(entry.line, "there is no [disks] section: no file is ever copied");
        else if (disks.count > 1)
            check_.report.Error(entry.line,
                                "the disk %s of the file split over %s is not in [disks] (letter case counts): the "
                                "copy is refused",
                                Quoted(disks.keys[i]).c_str(), Quoted(entry.Key(0)).c_str());
        else
            check_.report.Error(entry.line,
                                "the disk %s is not in [disks] (letter case counts): the entry is never carried out",
                                Quoted(disks.keys[i]).c_str());
        if (check_.disks.empty()) break;
    }
    std::vector<std::string> parts = Fields(entry.Key(1), '\\', kFieldRoom);
    if (parts.size() == kFieldRoom - 1 && parts.back().find('\\') != std::string::npos)
        check_.report.Error(entry.line, "more than %d target parts: the last holds '\\' and is refused",
                            kFieldRoom - 1);
    for (const std::string& part : parts) CheckNames(check_, entry.line, part);
    diskKnown_ = known;
    Plan(entry, ActionKind::Copy, disks.count > 1 ? &disks : nullptr);
}

StepResult ActionCheck::Copy(const CopyStep& step) {
    Recorded(true, !step.saveExisting);
    Recorded(false, step.unrecorded);
    if (step.saveExisting) {
        records_.savedFiles = true;
        if (!records_.savedLine || entry_->line < records_.savedLine) records_.savedLine = entry_->line;
    }
    if (step.disks.count > 1) {
        std::vector<std::string>& disks = check_.splitFiles[Lowered(step.mediaName)];
        disks.assign(step.disks.keys, step.disks.keys + step.disks.count);
    }
    std::string use = std::string(step.disk) + ":" + Lowered(step.mediaName);
    auto seen = mediaUses_.find(use);
    if (seen == mediaUses_.end())
        mediaUses_[use] = {step.targetName, entry_->line};
    else if (Lowered(seen->second.installed) != Lowered(step.targetName))
        check_.report.Warning(entry_->line, "reads the media file %s, as line %d does, which installs it as %s",
                              Quoted(step.mediaName).c_str(), seen->second.line,
                              Quoted(seen->second.installed).c_str());
    if (!check_.media.empty() && diskKnown_) CheckMediaFiles(step);
    return Carried(diskKnown_);
}

// The media file on its disk, or each piece of a file split over disks on
// the disk that holds it; the pieces joined start with the file's header. A
// product folder holds the files by their plain names: a name with '*' or
// '?' matches some of them, and pack brings the installer's own.
void ActionCheck::CheckMediaFiles(const CopyStep& step) {
    if (check_.product && pack::IsPattern(step.mediaName)) {
        if (media_.Matching(check_.media, step.mediaName).empty())
            check_.report.Error(entry_->line, "no file of the product folder matches %s: pack refuses the entry",
                                Quoted(step.mediaName).c_str());
        return;
    }
    if (check_.product && pack::IsEngineFileName(step.mediaName)) return;
    std::string first;
    unsigned long long size = 0;
    for (int i = 0; i < step.disks.count; ++i) {
        std::string path = media_.Find(media_.DirectoryOf(step.disks.keys[i]), step.mediaName);
        if (path.empty()) {
            check_.report.Error(entry_->line,
                                "the media file %s of disk %s is missing (\"Cannot open specified file !\")",
                                Quoted(step.mediaName).c_str(), Quoted(step.disks.keys[i]).c_str());
            return;
        }
        if (first.empty()) first = path;
        size += MediaFileSize(path);
    }
    CheckCompressedFile(check_, entry_->line, first, size);
}

void ActionCheck::VisitFont(const ScriptEntry& entry) {
    if (Has(entry, 1)) CheckCondition(check_, entry.line, entry.Value(1), ConditionUse::Font);
    if (entry.key.size() > 2)
        check_.report.Warning(entry.line,
                              "only the first two '\\' fields are used: write the directory as one field, a variable "
                              "or with its backslashes doubled (C:\\\\FONTS)");
    for (size_t i = 0; i < entry.key.size() && i < 2; ++i) CheckNames(check_, entry.line, entry.Key(i));
    Plan(entry, ActionKind::Font);
}

StepResult ActionCheck::Font(const FontStep& step) {
    Recorded(false, step.unrecorded);
    return Carried();
}

void ActionCheck::VisitFile(const ScriptEntry& entry, ActionKind kind) {
    if (Has(entry, 1)) CheckCondition(check_, entry.line, entry.Value(1), ConditionUse::Recorded);
    CheckKeyEquals(check_, entry, '|');
    if (entry.key.size() >= 3) {
        // The file's first piece is looked up as a whole name: the checker
        // says what the installer makes of one that is written otherwise.
        const std::string& field = entry.Key(0);
        std::vector<std::string> pieces = Fields(field, '\\', 5);
        const std::string& first = pieces[0];
        bool drive = first.size() == 2 && first[1] == ':';
        bool directory = pieces.size() == 2 || pieces.size() == 3;
        if (directory && first.find('%') != std::string::npos) {
            check_.report.Error(entry.line,
                                "the file's first part %s is looked up as a whole name, %% signs and all: the file "
                                "lands in a directory of that name below the current directory (write the name alone)",
                                Quoted(first).c_str());
        } else if (directory && !drive && !IsDefinedName(first)) {
            check_.report.Error(entry.line,
                                "the file's first part %s is no variable, built-in name or drive: the file lands in a "
                                "directory of that name below the current directory",
                                Quoted(first).c_str());
        }
        if (pieces.size() == 3)
            check_.report.Warning(entry.line, "the middle piece %s is not used: the file is %s in %s",
                                  Quoted(pieces[1]).c_str(), Quoted(pieces[2]).c_str(), Quoted(first).c_str());
        for (size_t i = 1; i <= 2; ++i) CheckNames(check_, entry.line, entry.Key(i));
        CheckNames(check_, entry.line, entry.Value(0));
        if (kind == ActionKind::Ini && entry.key.size() > 4)
            check_.report.Warning(entry.line, "a fifth key field is not used");
    }
    Plan(entry, kind);
}

StepResult ActionCheck::File(const FileStep& step, bool textLines) {
    std::string value = step.value.Text();
    if (textLines && !value.empty() && Lowered(value).find(Lowered(step.key)) == std::string::npos)
        check_.report.Warning(entry_->line,
                              "the new line does not hold the line key %s: the removal finds the line by its key",
                              Quoted(entry_->Key(2)).c_str());
    Recorded(true, step.unrecorded);
    if (!textLines) records_.iniWrites.push_back({step.path, step.section, step.key, value, entry_->line});
    return Carried();
}

void ActionCheck::VisitRegistry(const ScriptEntry& entry) {
    if (Has(entry, 1)) CheckCondition(check_, entry.line, entry.Value(1), ConditionUse::Recorded);
    CheckKeyEquals(check_, entry, '|');
    CheckNames(check_, entry.line, entry.Value(0));
    unknownRoot_ = false;
    if (entry.key.size() == 1) {
        CheckNames(check_, entry.line, entry.Key(0));
    } else {
        std::vector<std::string> pieces = Fields(entry.Key(0), '\\', 64);
        for (size_t i = 0; i < pieces.size(); ++i) {
            if (pieces[i].find('%') != std::string::npos)
                check_.report.Warning(entry.line,
                                      "%s stays as written: each piece of a key path is looked up as a whole name, "
                                      "without %% signs",
                                      Quoted(pieces[i]).c_str());
            for (const VariableRow& row : check_.rows)
                if (i == 0 && row.name == pieces[i] && row.fromRegistry) unknownRoot_ = true;
        }
        CheckNames(check_, entry.line, entry.Key(1));
        if (entry.key.size() > 2) check_.report.Warning(entry.line, "a third '|' key field is not used");
    }
    Plan(entry, ActionKind::Registry);
}

StepResult ActionCheck::Registry(const RegistryStep& step) {
    if (!step.shortForm) {
        if (!unknownRoot_) CheckRoot(check_, entry_->line, step.keyPath);
        // The last is what a removal log writes for keys an install made.
        static const char* const kTypes[] = {"REG_SZ",           "REG_DWORD",           "REG_BINARY",
                                             "REG_MULTI_SZ",     "REG_BINARY_ADD",      "REG_MULTI_SZ_ADD",
                                             "REG_REMOVE_EMPTY_KEYS"};
        std::string upper = step.typeName;
        for (char& c : upper) c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
        bool knownType = false;
        for (const char* known : kTypes) knownType = knownType || upper == known;
        if (!knownType)
            check_.report.Error(entry_->line, "unknown type %s: nothing is written (the old value is still recorded)",
                                Quoted(step.typeName).c_str());
    }
    Recorded(true, step.unrecorded);
    return Carried();
}

void ActionCheck::VisitGroup(const ScriptEntry& entry) {
    if (Has(entry, 1)) CheckCondition(check_, entry.line, entry.Value(1), ConditionUse::Selection);
    for (size_t i = 0; i < entry.key.size() && i < 2; ++i) CheckNames(check_, entry.line, entry.Key(i));
    if (entry.key.size() > 2) check_.report.Warning(entry.line, "a third '|' key field is not used");
    if (entry.key.size() >= 2) CheckNames(check_, entry.line, entry.Value(0));
    Plan(entry, ActionKind::Group);
}

StepResult ActionCheck::Group(const GroupStep& step) {
    int line = entry_->line;
    const char* names[] = {step.group, step.item};
    for (int i = 0; i < (step.wholeGroup ? 1 : 2); ++i) {
        std::string name = names[i];
        if (name.find('/') != std::string::npos || (i == 1 && name.find(',') != std::string::npos))
            check_.report.Error(line, "the %s %s holds %s: Program Manager cannot take it",
                                i ? "item name" : "group name", Quoted(name).c_str(),
                                name.find('/') != std::string::npos ? "'/'" : "','");
    }
    if (step.wholeGroup) return Carried();
    std::string arguments = step.arguments;
    std::vector<std::string> fields = Fields(arguments, ',', 16);
    if (fields.size() >= 2 && fields[1].find('/') != std::string::npos)
        check_.report.Error(line, "the item's name %s holds '/': Program Manager cannot take it",
                            Quoted(fields[1]).c_str());
    if (fields.size() >= 2 && !arguments.empty() && Lowered(fields[1]) != Lowered(step.item))
        check_.report.Warning(line, "the item is added as %s but removed as %s: a second install adds it again",
                              Quoted(fields[1]).c_str(), Quoted(step.item).c_str());
    return Carried();
}

void ActionCheck::VisitDeletion(const ScriptEntry& entry) {
    if (Has(entry, 1)) CheckCondition(check_, entry.line, entry.Value(1), ConditionUse::Deletion);
    CheckKeyEquals(check_, entry, '\\');
    for (const std::string& part : Fields(entry.keyText, '\\', 4)) CheckNames(check_, entry.line, part);
    Plan(entry, ActionKind::Delete);
}

StepResult ActionCheck::Delete(const DeleteStep& step) {
    const char* outcome = Outcome(ActionKind::Delete, false);
    if (!step.usable)
        ReportTooLong(check_, entry_->line, step.path, step.pathLength, kPathWidth, "the path", outcome);
    else if (step.deviceName)
        ReportDeviceName(check_, entry_->line, step.path, "the path", outcome);
    return Carried(step.usable && !step.deviceName);
}

}  // namespace

void CheckActions(ScriptCheck& check, Records& records) {
    ActionCheck actions(check, records);
    for (const ComponentRow& component : check.components) {
        for (bool left : {false, true}) {
            // A hidden component is always installed: it is never left out.
            if (left && component.hidden) continue;
            actions.LeftOut(left);
            std::string name = (left ? "!" : "") + component.section;
            check.Walk(name, kCopySection.keySeparator, kCopySection.valueSeparator,
                       [&](const ScriptEntry& entry) { actions.VisitCopy(entry); });
            for (const ActionSection& kind : kActionSections)
                check.Walk(kind.prefix + name, kind.keySeparator, kind.valueSeparator, [&](const ScriptEntry& entry) {
                    switch (kind.kind) {
                        case ActionKind::Font: actions.VisitFont(entry); break;
                        case ActionKind::Ini:
                        case ActionKind::TextLine: actions.VisitFile(entry, kind.kind); break;
                        case ActionKind::Registry: actions.VisitRegistry(entry); break;
                        case ActionKind::Group: actions.VisitGroup(entry); break;
                        case ActionKind::Delete: actions.VisitDeletion(entry); break;
                        case ActionKind::Copy: break;
                    }
                });
        }
    }
}
