#include "plan/entry_plans.h"

#include <cstring>

#include "script/registry_data.h"
#include "base/device_names.h"
#include "base/media_name.h"
#include "base/message_ids.h"
#include "base/profile_text.h"
#include "base/text.h"
#include "script/conditions.h"
#include "script/directories.h"
#include "script/fields.h"
#include "script/variables.h"

namespace {

// Letter case of A-Z ignored: the names compared here (type names, the
// system's own directories) are plain ASCII.
bool SameNoCase(const char* a, const char* b) {
    for (;; ++a, ++b) {
        char x = (*a >= 'a' && *a <= 'z') ? static_cast<char>(*a - 32) : *a;
        char y = (*b >= 'a' && *b <= 'z') ? static_cast<char>(*b - 32) : *b;
        if (x != y) return false;
        if (!x) return true;
    }
}

const char* Condition(const SectionEntry& entry) { return entry.valueCount >= 2 ? entry.valueFields[1] : nullptr; }

bool Applies(const SectionEntry& entry, const PlanContext& context) {
    const char* condition = Condition(entry);
    return !condition || MatchCondition(context.optionCodes, condition);
}

bool Flag(const SectionEntry& entry, const char* flag) {
    const char* condition = Condition(entry);
    return condition && MatchCondition(flag, condition);
}

StepResult Refuse(PlanSink& sink, const SectionEntry& entry, ActionKind kind, Refusal reason, int messageId,
                  const char* named = "") {
    RefusedStep step;
    step.source = SourceOf(entry);
    step.kind = kind;
    step.reason = reason;
    step.messageId = messageId;
    CopyText(step.named, named);
    return sink.Refused(step);
}

// The directory with a trailing backslash; false when there is no room for it.
bool WithBackslash(char (&directory)[kPathSize]) {
    AddBackslash(directory);
    size_t n = std::strlen(directory);
    return n && directory[n - 1] == '\\';
}

// The Windows directory with a trailing backslash.
bool WindowsDirectory(char (&out)[kPathSize]) {
    GetBuiltInDirectory(BuiltInDirectory::Windows, out, sizeof out);
    return WithBackslash(out);
}

}  // namespace

bool CopyApplies(const SectionEntry& entry, const PlanContext& context) { return Applies(entry, context); }

StepResult PlanAction(ActionKind kind, const SectionEntry& entry, const PlanContext& context, PlanSink& sink) {
    switch (kind) {
        case ActionKind::Font: return PlanFont(entry, context, sink);
        case ActionKind::Ini: return PlanIni(entry, context, sink);
        case ActionKind::TextLine: return PlanTextLine(entry, context, sink);
        case ActionKind::Registry: return PlanRegistry(entry, context, sink);
        case ActionKind::Group: return PlanGroup(entry, context, sink);
        case ActionKind::Delete: return PlanDelete(entry, context, sink);
        case ActionKind::Copy: break;
    }
    return StepResult::GoOn;
}

StepResult PlanCopy(const SectionEntry& entry, const PlanContext& context, PlanSink& sink) {
    CopyStep step;
    step.source = SourceOf(entry);
    step.disk = entry.keyFields[0];
    step.description = entry.valueFields[0];
    bool fits = CopyText(step.recorded, entry.keyFields[1]);
    char* parts[kFieldRoom];
    int partCount = 0;
    SplitFields(entry.keyFields[1], parts, &partCount, '\\', kFieldRoom);
    char fileName[kPathSize];
    fits = ExpandText(parts[partCount - 1], fileName, true) && fits;
    if (SplitMediaName(fileName, step.targetName, step.mediaName)) {
        size_t n = std::strlen(step.recorded);
        step.recorded[n >= 2 ? n - 2 : 0] = '\0';
    }

    // Media files lie in the media directory itself: a file name that a
    // variable made into a path would be read from somewhere else.
    bool plainName = !FindText(fileName, "\\") && !FindText(fileName, "/") && std::strcmp(fileName, ".") != 0 &&
                     std::strcmp(fileName, "..") != 0;
    char source[kPathSize];
    GetBuiltInDirectory(BuiltInDirectory::Media, source, sizeof source);
    bool sourceFits = AddBackslash(source) && AppendText(source, step.mediaName) && fits && plainName;
    step.target[0] = '\0';
    if (partCount == 1) fits = WindowsDirectory(step.target) && fits;
    for (int i = 0; i + 1 < partCount; ++i) {
        char piece[kPathSize];
        fits = ExpandText(parts[i], piece, true) && AppendText(step.target, piece) && fits;
        size_t n = std::strlen(piece);
        if (n == 0 || piece[n - 1] != '\\') fits = AppendText(step.target, "\\") && fits;
    }
    fits = AppendText(step.target, step.targetName) && fits;
    if (!sourceFits)
        return Refuse(sink, entry, ActionKind::Copy, plainName ? Refusal::TooLong : Refusal::NotAMediaName,
                      MSG_CANNOT_OPEN, source);
    if (!fits) return Refuse(sink, entry, ActionKind::Copy, Refusal::TooLong, MSG_CANNOT_CREATE_FILE, step.target);
    if (FindDeviceName(step.target))
        return Refuse(sink, entry, ActionKind::Copy, Refusal::DeviceName, MSG_CANNOT_CREATE_FILE, step.target);
    if (IsDeviceName(step.mediaName))
        return Refuse(sink, entry, ActionKind::Copy, Refusal::DeviceName, MSG_CANNOT_CREATE_FILE, source);

    char name[] = "BackUpDir";
    bool backupFits = ExpandText(name, step.backup, false);
    size_t n = std::strlen(step.backup);
    if (n == 0 || step.backup[n - 1] != '\\') backupFits = AppendText(step.backup, "\\") && backupFits;
    backupFits = AppendText(step.backup, step.targetName) && backupFits;
    step.backupUsable = backupFits && !FindDeviceName(step.backup);
    // A copy that saves what it replaces records in any mode, whatever else it says.
    step.saveExisting = Flag(entry, "!");
    step.keepExisting = !step.saveExisting && Flag(entry, "+");
    step.unrecorded = !step.saveExisting && (context.removeMode || Flag(entry, "-"));
    return sink.Copy(step);
}

namespace {

// A font in one of the system's own font places is named bare, with that
// place as the current path; anywhere else it is named by its full path.
bool IsSystemPlace(const char* directory) {
    char windows[kPathSize], windowsSystem[kPathSize], system[kPathSize];
    WindowsDirectory(windows);
    CopyText(windowsSystem, windows);
    AppendText(windowsSystem, "system\\");
    GetBuiltInDirectory(BuiltInDirectory::System, system, sizeof system);
    WithBackslash(system);
    return SameNoCase(directory, windows) || SameNoCase(directory, windowsSystem) || SameNoCase(directory, system);
}

}  // namespace

StepResult PlanFont(const SectionEntry& entry, const PlanContext& context, PlanSink& sink) {
    if (!Applies(entry, context)) return sink.Passed(ActionKind::Font, SourceOf(entry));
    FontStep step;
    step.source = SourceOf(entry);
    char directory[kPathSize], name[kPathSize];
    char noName[] = "";
    bool fits = ExpandText(entry.keyFields[0], directory, true) && WithBackslash(directory);
    fits = ExpandText(entry.keyCount >= 2 ? entry.keyFields[1] : noName, name, true) && fits;
    fits = CopyText(step.resource, directory) && AppendText(step.resource, name) && fits;
    if (IsSystemPlace(directory)) {
        fits = CopyText(step.font, name) && CopyText(step.currentPath, directory) && fits;
    } else {
        fits = CopyText(step.font, step.resource) && fits;
        step.currentPath[0] = '\0';
    }
    fits = AppendText(step.resource, ".fot") && AppendText(step.font, ".ttf") && fits;
    // Nothing sensible can be created or recorded: said like any failure to create it.
    if (!fits || entry.keyCount < 2)
        return Refuse(sink, entry, ActionKind::Font, entry.keyCount < 2 ? Refusal::TooFewFields : Refusal::TooLong,
                      MSG_CANNOT_CREATE_FONT, step.resource);
    if (FindDeviceName(step.resource))
        return Refuse(sink, entry, ActionKind::Font, Refusal::DeviceName, MSG_CANNOT_CREATE_FONT, step.resource);
    step.unrecorded = context.removeMode || Flag(entry, "nr");
    return sink.Font(step);
}

bool BuildEntryPath(char* keyField, char (&path)[kPathSize]) {
    // Room for one piece more than allowed, so that a fourth piece shows.
    char* pieces[kFilePathPartRoom + 1];
    int count = 0;
    SplitFields(keyField, pieces, &count, '\\', kFilePathPartRoom + 1);
    path[0] = '\0';
    if (count > 3) return false;
    bool whole = count == 1 ? WindowsDirectory(path) : ExpandText(pieces[0], path, false);
    size_t length = std::strlen(path);
    AddBackslash(path);
    whole = whole && (length == 0 || path[length - 1] == '\\' || path[length] == '\\');
    whole = whole && AppendText(path, pieces[count - 1]);
    if (!whole) path[0] = '\0';
    return whole;
}

namespace {

// The opening that INI and text line entries share.
StepResult PlanFile(const SectionEntry& entry, const PlanContext& context, PlanSink& sink, ActionKind kind) {
    if (!Applies(entry, context)) return sink.Passed(kind, SourceOf(entry));
    if (entry.keyCount < 3) return Refuse(sink, entry, kind, Refusal::TooFewFields, MSG_CANNOT_CARRY_OUT);
    FileStep step;
    step.source = SourceOf(entry);
    // A text that does not fit is refused, not cut: writing a cut name would
    // change something the script did not name.
    if (!CopyText(step.fileText, entry.keyFields[0]) || !BuildEntryPath(entry.keyFields[0], step.path) ||
        !ExpandText(entry.valueFields[0], step.value, kProfileTextLimit, true) ||
        !ExpandText(entry.keyFields[1], step.section, true) || !ExpandText(entry.keyFields[2], step.key, true))
        return Refuse(sink, entry, kind, Refusal::TooLong, MSG_CANNOT_CARRY_OUT);
    // A variable filled from the registry may hold line breaks, which would
    // add lines nobody named to a line-based file.
    if (HasLineBreak(step.value.Text()) || HasLineBreak(step.section) || HasLineBreak(step.key))
        return Refuse(sink, entry, kind, Refusal::LineBreak, MSG_CANNOT_CARRY_OUT);
    if (FindDeviceName(step.path)) return Refuse(sink, entry, kind, Refusal::DeviceName, MSG_CANNOT_CARRY_OUT);
    step.separator = kind == ActionKind::Ini && entry.keyCount >= 4 ? entry.keyFields[3] : nullptr;
    step.unrecorded = context.removeMode || Flag(entry, "-");
    return kind == ActionKind::Ini ? sink.Ini(step) : sink.TextLine(step);
}

}  // namespace

StepResult PlanIni(const SectionEntry& entry, const PlanContext& context, PlanSink& sink) {
    return PlanFile(entry, context, sink, ActionKind::Ini);
}

StepResult PlanTextLine(const SectionEntry& entry, const PlanContext& context, PlanSink& sink) {
    return PlanFile(entry, context, sink, ActionKind::TextLine);
}

bool IsRegistryRootName(const char* name) {
    static const char* const kRoots[] = {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE", "HKEY_USERS",
                                         "HKEY_CURRENT_CONFIG"};
    for (const char* root : kRoots)
        if (std::strcmp(name, root) == 0) return true;
    return false;
}

namespace {

bool IsType(const char* typeName, const char* name) { return SameNoCase(typeName, name); }

// Whether the data reads as the type says: a 32-bit hex number, or escaped
// text for the binary types. Data that does not would store a guess.
bool DataFitsType(const char* typeName, const char* data) {
    if (!data[0]) return true;  // deletes the value, whatever the type
    unsigned long number;
    if (IsType(typeName, "REG_DWORD")) return ReadHexNumber(data, &number);
    if (IsType(typeName, "REG_BINARY") || IsType(typeName, "REG_MULTI_SZ") || IsType(typeName, "REG_BINARY_ADD"))
        return IsEscapedText(data);
    return true;
}

}  // namespace

// [root\]key path[:class]|value name[:type] = data[/condition], or the short
// form: a subkey of HKEY_CLASSES_ROOT whose default value is set.
StepResult PlanRegistry(const SectionEntry& entry, const PlanContext& context, PlanSink& sink) {
    if (!Applies(entry, context)) return sink.Passed(ActionKind::Registry, SourceOf(entry));
    RegistryStep step;
    step.source = SourceOf(entry);
    step.shortForm = entry.keyCount == 1;
    step.removeEmptyKeys = false;
    step.unrecorded = context.removeMode || Flag(entry, "-");
    step.keyClass[0] = step.keyText[0] = step.name[0] = '\0';
    CopyText(step.typeName, "REG_SZ");
    CopyText(step.rootName, "HKEY_CLASSES_ROOT");
    auto refuse = [&](Refusal reason) {
        return Refuse(sink, entry, ActionKind::Registry, reason, MSG_CANNOT_CARRY_OUT);
    };
    if (step.shortForm) {
        if (!ExpandText(entry.keyFields[0], step.subkey, true) ||
            !ExpandText(entry.valueFields[0], step.data, kProfileTextLimit, true))
            return refuse(Refusal::TooLong);
        return sink.Registry(step);
    }
    if (!CopyText(step.keyText, entry.keyFields[0])) return refuse(Refusal::TooLong);

    // Every piece of the key path is looked up as a whole name; "%" means nothing here.
    char* pieces[64];
    int count = 0;
    SplitFields(entry.keyFields[0], pieces, &count, '\\', 64);
    char path[kPathSize] = "";
    bool fits = true;
    for (int i = 0; i < count && fits; ++i) {
        size_t length = std::strlen(path);
        if (i > 0 && (length == 0 || path[length - 1] != '\\')) {
            fits = AppendText(path, "\\");
            ++length;
        }
        fits = fits && ExpandText(pieces[i], path + length, sizeof path - length, false);
    }
    if (!fits) return refuse(Refusal::TooLong);

    // The root before the first backslash: a piece that names no root stands
    // for HKEY_CLASSES_ROOT, and is dropped.
    const char* subkey = path;
    if (char* slash = FindText(path, "\\")) {
        *slash = '\0';
        if (IsRegistryRootName(path)) CopyText(step.rootName, path);
        subkey = slash + 1;
    }
    CopyText(step.subkey, subkey);
    if (char* colon = FindText(step.subkey, ":")) {
        *colon = '\0';
        if (!CopyText(step.keyClass, colon + 1)) return refuse(Refusal::TooLong);
        if (char* own = FindText(step.keyText, ":")) *own = '\0';
    }
    // The suffix is a type only when an upper-case R follows the first colon.
    char* typeColon = FindText(entry.keyFields[1], ":");
    if (typeColon && typeColon[1] == 'R') {
        *typeColon = '\0';
        if (!CopyText(step.typeName, typeColon + 1)) return refuse(Refusal::TooLong);
    }
    if (!ExpandText(entry.keyFields[1], step.name, true) ||
        !ExpandText(entry.valueFields[0], step.data, kProfileTextLimit, true))
        return refuse(Refusal::TooLong);
    if (!DataFitsType(step.typeName, step.data.Text())) return refuse(Refusal::DataNotItsType);
    step.removeEmptyKeys = IsType(step.typeName, "REG_REMOVE_EMPTY_KEYS");
    return sink.Registry(step);
}

// group|item = arguments[/condition]; a group alone deletes the group.
StepResult PlanGroup(const SectionEntry& entry, const PlanContext& context, PlanSink& sink) {
    if (!Applies(entry, context)) return sink.Passed(ActionKind::Group, SourceOf(entry));
    GroupStep step;
    step.source = SourceOf(entry);
    step.wholeGroup = entry.keyCount < 2;
    step.item[0] = step.arguments[0] = '\0';
    // Names and arguments that do not fit are refused, never cut: a cut group
    // name could remove another group.
    if (!ExpandText(entry.keyFields[0], step.group, true) ||
        (entry.keyCount >= 2 &&
         (!ExpandText(entry.keyFields[1], step.item, true) || !ExpandText(entry.valueFields[0], step.arguments, true))))
        return Refuse(sink, entry, ActionKind::Group, Refusal::TooLong, MSG_CANNOT_CARRY_OUT);
    return sink.Group(step);
}

// path = description[/condition]. A key of one part names a file in the
// Windows directory; a path that does not fit is never deleted, as a cut
// path could name another file.
StepResult PlanDelete(const SectionEntry& entry, const PlanContext& context, PlanSink& sink) {
    if (!Applies(entry, context)) return sink.Passed(ActionKind::Delete, SourceOf(entry));
    DeleteStep step;
    step.source = SourceOf(entry);
    step.description = entry.valueFields[0];
    char* parts[kFilePathPartRoom];
    int count = 0;
    SplitFields(entry.keyFields[0], parts, &count, '\\', kFilePathPartRoom);
    bool fits = true;
    step.path[0] = '\0';
    if (count == 1) fits = WindowsDirectory(step.path);
    for (int i = 0; i + 1 < count; ++i) {
        char part[kPathSize];
        fits = ExpandText(parts[i], part, true) && fits;
        fits = AppendText(step.path, part) && fits;
        AddBackslash(step.path);
    }
    size_t n = std::strlen(step.path);
    fits = fits && n && step.path[n - 1] == '\\';
    char name[kPathSize];
    fits = ExpandText(parts[count - 1], name, true) && fits;
    step.usable = AppendText(step.path, name) && fits;
    n = std::strlen(step.path);
    step.directory = step.usable && n && step.path[n - 1] == '\\';
    step.deviceName = step.usable && FindDeviceName(step.path) != nullptr;
    step.quiet = Flag(entry, "?");
    return sink.Delete(step);
}
