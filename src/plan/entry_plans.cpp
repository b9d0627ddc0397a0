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
    return context.everyEntry || !condition || MatchCondition(context.optionCodes, condition);
}

bool Flag(const SectionEntry& entry, const char* flag) {
    const char* condition = Condition(entry);
    return condition && MatchCondition(flag, condition);
}

// Texts are expanded whole, however long, and measured against their width
// after: a refusal can then tell how long the text is.
constexpr size_t kWhole = static_cast<size_t>(-1) / 2;

void ExpandWhole(char* text, TextBuffer& out, bool split) { ExpandText(text, out, kWhole, split); }

// A text into a buffer of the step: false, the start kept, when it is
// longer than the buffer's width in characters.
template <size_t N> bool Fits(char (&out)[N], const TextBuffer& text) {
    return CopyTextWidth(out, N, text.Text(), TextWidth(N));
}

// A text's width in characters, as the width rules count it.
size_t Width(const TextBuffer& text) { return WideLength(text.Text(), text.Length()); }

void AddBackslash(TextBuffer& path) {
    if (!path.Length() || path.Text()[path.Length() - 1] != '\\') path.Append("\\");
}

// The Windows directory with a trailing backslash.
void WindowsDirectory(TextBuffer& out) {
    char directory[kPathSize];
    GetBuiltInDirectory(BuiltInDirectory::Windows, directory, sizeof directory);
    out.Assign(directory);
    AddBackslash(out);
}

// The text a refusal is about.
struct Fault {
    RefusedPiece piece;
    const char* text;
    size_t length;
    size_t limit;
};
Fault Of(RefusedPiece piece, const TextBuffer& text, size_t limit = 0) {
    return {piece, text.Text(), Width(text), limit};
}
Fault Of(RefusedPiece piece, const char* text, size_t limit = 0) { return {piece, text, WideLength(text), limit}; }

StepResult Refuse(PlanSink& sink, const SectionEntry& entry, ActionKind kind, Refusal reason, int messageId,
                  const Fault& fault, const char* named = "") {
    RefusedStep step;
    step.source = SourceOf(entry);
    step.kind = kind;
    step.reason = reason;
    step.messageId = messageId;
    CopyTextWidth(step.named, sizeof step.named, named, kPathWidth);
    step.piece = fault.piece;
    CopyTextWidth(step.text, sizeof step.text, fault.text, kPathWidth);
    step.length = fault.length;
    step.limit = fault.limit;
    return sink.Refused(step);
}

}  // namespace

StepResult RefuseEntry(PlanSink& sink, const SectionEntry& entry, ActionKind kind, Refusal reason, int messageId,
                       RefusedPiece piece, size_t limit) {
    const char* text = piece == RefusedPiece::Disk && entry.keyCount >= 1 ? entry.keyFields[0] : entry.key;
    return Refuse(sink, entry, kind, reason, messageId, Of(piece, text ? text : "", limit));
}

bool ReadCopyDisks(ProfileReader& script, const char* field, CopyDisks& disks) {
    disks.count = 0;
    TextBuffer keys;
    script.ReadKeys("disks", keys);
    auto listed = [&](const char* key) {
        for (const char* at = keys.Text(); *at; at += std::strlen(at) + 1)
            if (std::strcmp(at, key) == 0) return true;
        return false;
    };
    TextBuffer copy;
    copy.Assign(field);
    char* pieces[kMaxDiskPieces + 2];
    int count = 1;
    pieces[0] = copy.Data() ? copy.Data() : const_cast<char*>("");
    if (!listed(field) && std::strchr(field, '+')) SplitFields(copy.Data(), pieces, &count, '+', kMaxDiskPieces + 2);
    bool all = count <= kMaxDiskPieces;
    for (int i = 0; i < count && i < kMaxDiskPieces; ++i) {
        all = CopyText(disks.keys[i], pieces[i]) && listed(pieces[i]) && all;
        TextBuffer label;
        script.ReadValue("disks", disks.keys[i], label);
        CopyText(disks.labels[i], label.Length() ? label.Text() : "1");
        disks.count = i + 1;
    }
    return all;
}

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

StepResult PlanCopy(const SectionEntry& entry, const PlanContext& context, PlanSink& sink, const CopyDisks* disks) {
    CopyStep step;
    step.source = SourceOf(entry);
    step.disk = entry.keyFields[0];
    if (disks) {
        step.disks = *disks;
    } else {
        step.disks.count = 1;
        CopyText(step.disks.keys[0], entry.keyFields[0]);
        step.disks.labels[0][0] = '\0';
    }
    step.description = entry.valueFields[0];
    TextBuffer written;
    written.Assign(entry.keyFields[1]);
    bool recordedFits = CopyTextWidth(step.recorded, sizeof step.recorded, entry.keyFields[1], kPathWidth);
    char* parts[kFieldRoom];
    int partCount = 0;
    SplitFields(entry.keyFields[1], parts, &partCount, '\\', kFieldRoom);
    TextBuffer fileName;
    ExpandWhole(parts[partCount - 1], fileName, true);
    bool nameFits = Width(fileName) <= kPathWidth;
    if (SplitMediaName(fileName.Text(), step.targetName, step.mediaName)) {
        size_t n = std::strlen(step.recorded);
        step.recorded[n >= 2 ? n - 2 : 0] = '\0';
    }

    // Media files lie in the media directory itself: a file name that a
    // variable made into a path would be read from somewhere else, and no
    // name at all names the directory.
    const char* name = fileName.Text();
    bool plainName = name[0] && !FindText(name, "\\") && !FindText(name, "/") && std::strcmp(name, ".") != 0 &&
                     std::strcmp(name, "..") != 0;
    char media[kPathSize];
    GetBuiltInDirectory(BuiltInDirectory::Media, media, sizeof media);
    TextBuffer source;
    source.Assign(media);
    AddBackslash(source);
    source.Append(step.mediaName);
    TextBuffer target;
    if (partCount == 1) WindowsDirectory(target);
    for (int i = 0; i + 1 < partCount; ++i) {
        TextBuffer piece;
        ExpandWhole(parts[i], piece, true);
        target.Append(piece.Text());
        if (!piece.Length() || piece.Text()[piece.Length() - 1] != '\\') target.Append("\\");
    }
    target.Append(step.targetName);
    bool targetFits = Fits(step.target, target);
    if (!recordedFits || !nameFits || !plainName || Width(source) > kPathWidth) {
        Fault fault = !plainName                      ? Of(RefusedPiece::FileName, fileName)
                      : Width(source) > kPathWidth   ? Of(RefusedPiece::Source, source, kPathWidth)
                      : !nameFits                    ? Of(RefusedPiece::FileName, fileName, kPathWidth)
                                                     : Of(RefusedPiece::WrittenTarget, written, kPathWidth);
        return Refuse(sink, entry, ActionKind::Copy, plainName ? Refusal::TooLong : Refusal::NotAMediaName,
                      MSG_CANNOT_OPEN, fault, source.Text());
    }
    if (!targetFits)
        return Refuse(sink, entry, ActionKind::Copy, Refusal::TooLong, MSG_CANNOT_CREATE_FILE,
                      Of(RefusedPiece::Target, target, kPathWidth), step.target);
    if (FindDeviceName(step.target))
        return Refuse(sink, entry, ActionKind::Copy, Refusal::DeviceName, MSG_CANNOT_CREATE_FILE,
                      Of(RefusedPiece::Target, step.target), step.target);
    if (IsDeviceName(step.mediaName))
        return Refuse(sink, entry, ActionKind::Copy, Refusal::DeviceName, MSG_CANNOT_CREATE_FILE,
                      Of(RefusedPiece::MediaName, step.mediaName), source.Text());

    char backUpDir[] = "BackUpDir";
    bool backupFits = ExpandText(backUpDir, step.backup, false);
    size_t n = std::strlen(step.backup);
    if (n == 0 || step.backup[n - 1] != '\\') backupFits = AppendText(step.backup, "\\") && backupFits;
    backupFits = AppendText(step.backup, step.targetName) && WideLength(step.backup) <= kPathWidth && backupFits;
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
    TextBuffer windows, windowsSystem;
    WindowsDirectory(windows);
    windowsSystem.Assign(windows.Text());
    windowsSystem.Append("system\\");
    char system[kPathSize];
    GetBuiltInDirectory(BuiltInDirectory::System, system, sizeof system);
    ::AddBackslash(system);
    return SameNoCase(directory, windows.Text()) || SameNoCase(directory, windowsSystem.Text()) ||
           SameNoCase(directory, system);
}

}  // namespace

StepResult PlanFont(const SectionEntry& entry, const PlanContext& context, PlanSink& sink) {
    if (!Applies(entry, context)) return sink.Passed(ActionKind::Font, SourceOf(entry));
    FontStep step;
    step.source = SourceOf(entry);
    TextBuffer directory, name, resource, font;
    char noName[] = "";
    ExpandWhole(entry.keyFields[0], directory, true);
    AddBackslash(directory);
    ExpandWhole(entry.keyCount >= 2 ? entry.keyFields[1] : noName, name, true);
    resource.Assign(directory.Text());
    resource.Append(name.Text());
    bool fits = Width(directory) <= kPathWidth;
    if (IsSystemPlace(directory.Text())) {
        font.Assign(name.Text());
        fits = Fits(step.currentPath, directory) && fits;
    } else {
        font.Assign(resource.Text());
        step.currentPath[0] = '\0';
    }
    resource.Append(".fot");
    font.Append(".ttf");
    fits = Fits(step.resource, resource) && fits;
    fits = Fits(step.font, font) && fits;
    // Nothing sensible can be created or recorded: said like any failure to create it.
    if (!fits || entry.keyCount < 2)
        return Refuse(sink, entry, ActionKind::Font, entry.keyCount < 2 ? Refusal::TooFewFields : Refusal::TooLong,
                      MSG_CANNOT_CREATE_FONT, Of(RefusedPiece::FontFile, resource, kPathWidth), step.resource);
    if (FindDeviceName(step.resource))
        return Refuse(sink, entry, ActionKind::Font, Refusal::DeviceName, MSG_CANNOT_CREATE_FONT,
                      Of(RefusedPiece::FontFile, resource), step.resource);
    step.unrecorded = context.removeMode || Flag(entry, "nr");
    return sink.Font(step);
}

namespace {

// The path of an INI or text line entry's file (first key field, cut in
// place): a bare name lives in the Windows directory; otherwise the first of
// at most three '\' pieces, expanded as a whole name, is the directory and
// the last piece the file name. The number of pieces: above three, no path.
int BuildEntryPath(char* keyField, TextBuffer& path) {
    // Room for one piece more than allowed, so that a fourth piece shows.
    char* pieces[kFilePathPartRoom + 1];
    int count = 0;
    SplitFields(keyField, pieces, &count, '\\', kFilePathPartRoom + 1);
    if (count > 3) return count;
    if (count == 1) WindowsDirectory(path);
    else ExpandWhole(pieces[0], path, false);
    AddBackslash(path);
    path.Append(pieces[count - 1]);
    return count;
}

// The opening that INI and text line entries share.
StepResult PlanFile(const SectionEntry& entry, const PlanContext& context, PlanSink& sink, ActionKind kind) {
    if (!Applies(entry, context)) return sink.Passed(kind, SourceOf(entry));
    if (entry.keyCount < 3) return RefuseEntry(sink, entry, kind, Refusal::TooFewFields, MSG_CANNOT_CARRY_OUT);
    FileStep step;
    step.source = SourceOf(entry);
    auto tooLong = [&](RefusedPiece piece, const TextBuffer& text, size_t limit) {
        return Refuse(sink, entry, kind, Refusal::TooLong, MSG_CANNOT_CARRY_OUT, Of(piece, text, limit));
    };
    // A text that does not fit is refused, not cut: writing a cut name would
    // change something the script did not name.
    TextBuffer field, path, section, key;
    field.Assign(entry.keyFields[0]);
    if (!Fits(step.fileText, field)) return tooLong(RefusedPiece::FileField, field, kPathWidth);
    if (BuildEntryPath(entry.keyFields[0], path) > 3)
        return Refuse(sink, entry, kind, Refusal::TooManyParts, MSG_CANNOT_CARRY_OUT,
                      Of(RefusedPiece::FileField, field));
    if (!Fits(step.path, path)) return tooLong(RefusedPiece::File, path, kPathWidth);
    if (!ExpandText(entry.valueFields[0], step.value, kProfileTextLimit, true))
        return tooLong(RefusedPiece::Value, step.value, kProfileTextLimit);
    ExpandWhole(entry.keyFields[1], section, true);
    if (!Fits(step.section, section)) return tooLong(RefusedPiece::Section, section, kPathWidth);
    ExpandWhole(entry.keyFields[2], key, true);
    if (!Fits(step.key, key)) return tooLong(RefusedPiece::Key, key, kPathWidth);
    // A variable filled from the registry may hold line breaks, which would
    // add lines nobody named to a line-based file.
    const TextBuffer* broken = HasLineBreak(step.value.Text()) ? &step.value
                               : HasLineBreak(step.section)    ? &section
                               : HasLineBreak(step.key)        ? &key
                                                               : nullptr;
    if (broken)
        return Refuse(sink, entry, kind, Refusal::LineBreak, MSG_CANNOT_CARRY_OUT,
                      Of(broken == &step.value ? RefusedPiece::Value
                         : broken == &section  ? RefusedPiece::Section
                                               : RefusedPiece::Key,
                         *broken));
    if (FindDeviceName(step.path))
        return Refuse(sink, entry, kind, Refusal::DeviceName, MSG_CANNOT_CARRY_OUT, Of(RefusedPiece::File, path));
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
// text for the binary types. Data that does not would store a guess. The
// piece of the entry the data is for its type: the kind of data it must be.
bool DataFitsType(const char* typeName, const char* data, RefusedPiece* piece) {
    if (!data[0]) return true;  // deletes the value, whatever the type
    unsigned long number;
    *piece = RefusedPiece::NumberData;
    if (IsType(typeName, "REG_DWORD")) return ReadHexNumber(data, &number);
    *piece = RefusedPiece::EscapedData;
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
    // The short form's default value is never recorded.
    step.unrecorded = step.shortForm || context.removeMode || Flag(entry, "-");
    step.keyClass[0] = step.keyText[0] = step.name[0] = step.keyPath[0] = '\0';
    CopyText(step.typeName, "REG_SZ");
    CopyText(step.rootName, "HKEY_CLASSES_ROOT");
    auto tooLong = [&](RefusedPiece piece, const TextBuffer& text, size_t limit) {
        return Refuse(sink, entry, ActionKind::Registry, Refusal::TooLong, MSG_CANNOT_CARRY_OUT,
                      Of(piece, text, limit));
    };
    auto data = [&]() { return ExpandText(entry.valueFields[0], step.data, kProfileTextLimit, true); };
    if (step.shortForm) {
        TextBuffer subkey;
        ExpandWhole(entry.keyFields[0], subkey, true);
        if (!Fits(step.subkey, subkey)) return tooLong(RefusedPiece::ShortKeyPath, subkey, kPathWidth);
        if (!data()) return tooLong(RefusedPiece::Data, step.data, kProfileTextLimit);
        return sink.Registry(step);
    }
    TextBuffer text;
    text.Assign(entry.keyFields[0]);
    if (!Fits(step.keyText, text)) return tooLong(RefusedPiece::KeyField, text, kPathWidth);

    // Every piece of the key path is looked up as a whole name; "%" means nothing here.
    char* pieces[64];
    int count = 0;
    SplitFields(entry.keyFields[0], pieces, &count, '\\', 64);
    TextBuffer expanded;
    for (int i = 0; i < count; ++i) {
        if (i > 0) AddBackslash(expanded);
        TextBuffer piece;
        ExpandWhole(pieces[i], piece, false);
        expanded.Append(piece.Text());
    }
    char path[kPathSize];
    if (!Fits(path, expanded)) return tooLong(RefusedPiece::KeyPath, expanded, kPathWidth);
    CopyText(step.keyPath, path);

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
        if (!CopyText(step.keyClass, colon + 1))
            return Refuse(sink, entry, ActionKind::Registry, Refusal::TooLong, MSG_CANNOT_CARRY_OUT,
                          Of(RefusedPiece::KeyClass, colon + 1, kNameWidth));
        if (char* own = FindText(step.keyText, ":")) *own = '\0';
    }
    // The suffix is a type only when an upper-case R follows the first colon.
    char* typeColon = FindText(entry.keyFields[1], ":");
    if (typeColon && typeColon[1] == 'R') {
        *typeColon = '\0';
        if (!CopyText(step.typeName, typeColon + 1))
            return Refuse(sink, entry, ActionKind::Registry, Refusal::TooLong, MSG_CANNOT_CARRY_OUT,
                          Of(RefusedPiece::TypeName, typeColon + 1, kTypeNameSize - 1));
    }
    TextBuffer name;
    ExpandWhole(entry.keyFields[1], name, true);
    if (!Fits(step.name, name)) return tooLong(RefusedPiece::ValueName, name, kNameWidth);
    if (!data()) return tooLong(RefusedPiece::Data, step.data, kProfileTextLimit);
    RefusedPiece kindOfData = RefusedPiece::Data;
    if (!DataFitsType(step.typeName, step.data.Text(), &kindOfData))
        return Refuse(sink, entry, ActionKind::Registry, Refusal::DataNotItsType, MSG_CANNOT_CARRY_OUT,
                      Of(kindOfData, step.data));
    step.removeEmptyKeys = IsType(step.typeName, "REG_REMOVE_EMPTY_KEYS");
    // Taking empty keys away puts nothing back.
    step.unrecorded = step.unrecorded || step.removeEmptyKeys;
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
    auto tooLong = [&](RefusedPiece piece, const TextBuffer& text, size_t limit) {
        return Refuse(sink, entry, ActionKind::Group, Refusal::TooLong, MSG_CANNOT_CARRY_OUT, Of(piece, text, limit));
    };
    TextBuffer group, item, arguments;
    ExpandWhole(entry.keyFields[0], group, true);
    if (!Fits(step.group, group)) return tooLong(RefusedPiece::GroupName, group, kNameWidth);
    if (entry.keyCount < 2) return sink.Group(step);
    ExpandWhole(entry.keyFields[1], item, true);
    if (!Fits(step.item, item)) return tooLong(RefusedPiece::ItemName, item, kNameWidth);
    ExpandWhole(entry.valueFields[0], arguments, true);
    if (!Fits(step.arguments, arguments)) return tooLong(RefusedPiece::Arguments, arguments, kArgumentsWidth);
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
    TextBuffer path;
    if (count == 1) WindowsDirectory(path);
    for (int i = 0; i + 1 < count; ++i) {
        TextBuffer part;
        ExpandWhole(parts[i], part, true);
        path.Append(part.Text());
        AddBackslash(path);
    }
    TextBuffer name;
    ExpandWhole(parts[count - 1], name, true);
    path.Append(name.Text());
    step.pathLength = Width(path);
    step.usable = Fits(step.path, path);
    size_t n = std::strlen(step.path);
    step.directory = step.usable && n && step.path[n - 1] == '\\';
    step.deviceName = step.usable && FindDeviceName(step.path) != nullptr;
    step.quiet = Flag(entry, "?");
    return sink.Delete(step);
}
