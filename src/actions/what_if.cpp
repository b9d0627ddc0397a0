#include "actions/what_if.h"

#include <windows.h>

#include <cstring>

#include "actions/copy_step.h"
#include "ui/messages.h"
#include "base/profile_text.h"
#include "base/setup_state.h"
#include "base/text.h"
#include "base/whole_files.h"
#include "base/wide_text.h"

namespace {

// Whether a list of paths, one a line, holds the path (letter case ignored).
bool Holds(const TextBuffer& list, const char* path) {
    for (const char* at = list.Text(); *at;) {
        const char* end = std::strchr(at, '\n');
        size_t length = end ? static_cast<size_t>(end - at) : std::strlen(at);
        char line[kPathBytes];
        if (CopyTextN(line, sizeof line, at, length) && CompareNoCase(line, path) == 0) return true;
        at += length + (end ? 1 : 0);
    }
    return false;
}

bool Add(TextBuffer& list, const char* path) { return list.Append(path) && list.Append("\n"); }

bool IsThere(const char* path) { return GetFileAttributesW(Wide(path).c_str()) != INVALID_FILE_ATTRIBUTES; }

}  // namespace

void WhatIfWriter::Line(std::initializer_list<const char*> fields) {
    bool first = true;
    for (const char* field : fields) {
        whole_ = (first || out_.Append("\t")) && out_.Append(field ? field : "") && whole_;
        first = false;
    }
    whole_ = out_.Append("\r\n") && whole_;
}

bool WhatIfWriter::Exists(const char* path) const {
    return IsThere(path) || Holds(madeFiles_, path) ||
           Holds(madeFolders_, path);
}

void WhatIfWriter::Folders(const char* path) {
    wchar_t full[MAX_PATH];
    wchar_t* filePart = nullptr;
    DWORD n = GetFullPathNameW(Wide(path).c_str(), ARRAYSIZE(full), full, &filePart);
    if (n == 0 || n >= ARRAYSIZE(full) || !filePart) return;
    *filePart = L'\0';
    char folder[kPathBytes];
    if (!FromWide(full, folder) || IsThere(folder)) return;
    // Each folder from the outermost, after the drive or share it lies on.
    char* start = folder + 1;
    if (folder[0] == '\\' && folder[1] == '\\')
        for (int slashes = 0; *start && slashes < 3; ++start) slashes += *start == '\\';
    for (char* at = start; *at; ++at) {
        if (*at != '\\' || at[-1] == ':' || at[-1] == '\\') continue;
        *at = '\0';
        if (!IsThere(folder) && !Holds(madeFolders_, folder)) {
            Line({"folder", folder});
            whole_ = Add(madeFolders_, folder) && whole_;
        }
        *at = '\\';
    }
}

StepResult WhatIfWriter::Passed(ActionKind, const EntrySource&) { return StepResult::GoOn; }

// A quiet install would stop here: the list ends with the entry and what the
// installer would say of it.
StepResult WhatIfWriter::Refused(const RefusedStep& step) {
    char text[1536];
    MessageArguments arguments = {step.named[0] ? 1 : 2, {}, false, 0};
    arguments.texts[0] = step.named[0] ? step.named : step.source.section;
    arguments.texts[1] = step.source.key;
    ComposeMessage(text, sizeof text, step.messageId, arguments);
    for (char* at = text; *at; ++at)
        if (*at == '\r' || *at == '\n' || *at == '\t') *at = ' ';
    Line({"refused", step.source.section, step.source.key, text});
    return StepResult::Abort;
}

// A quiet run reads from the directory the disk prompt would show; only the
// switch between a set's disk directories moves it.
StepResult WhatIfWriter::ChangeDisk(const DiskStep& step) {
    char sibling[kPathBytes];
    if (SiblingDiskDirectory(gProcess.mediaDirectory, step.inDrive, step.disk, sibling))
        CopyText(gProcess.mediaDirectory, sibling);
    return StepResult::GoOn;
}

StepResult WhatIfWriter::Copy(const CopyStep& step) {
    char source[kPathBytes];
    CopyText(source, gProcess.mediaDirectory);
    AppendText(source, step.mediaName);
    // A file split over disks leaves the disk of its last piece in the drive.
    for (int k = 1; k < step.disks.count; ++k)
        ChangeDisk({step.source, step.disks.keys[k], step.disks.keys[k - 1], ""});
    if (step.saveExisting && Exists(step.target) && !Exists(step.backup)) {
        Folders(step.backup);
        Line({"copy", step.backup, step.target});
        whole_ = Add(madeFiles_, step.backup) && whole_;
    }
    if (step.keepExisting && Exists(step.target)) return StepResult::GoOn;
    Folders(step.target);
    Line({"copy", step.target, source});
    if (step.keepExisting || step.saveExisting) whole_ = Add(madeFiles_, step.target) && whole_;
    return StepResult::GoOn;
}

StepResult WhatIfWriter::Font(const FontStep& step) {
    Line({"font", step.resource});
    return StepResult::GoOn;
}

StepResult WhatIfWriter::Ini(const FileStep& step) {
    TextBuffer value;
    value.Assign(step.value.Text());
    // An appending entry's new value is the present one, the separator and the value.
    TextBuffer present;
    if (step.separator && ReadProfileText(step.section, step.key, "", step.path, present) && present.Length())
        value.Assign(present.Text()) && value.Append(step.separator) && value.Append(step.value.Text());
    Folders(step.path);
    Line({"ini", step.path, step.section, step.key, value.Text()});
    return StepResult::GoOn;
}

StepResult WhatIfWriter::TextLine(const FileStep& step) {
    Folders(step.path);
    Line({"text", step.path, step.section, step.key, step.value.Text()});
    return StepResult::GoOn;
}

StepResult WhatIfWriter::Registry(const RegistryStep& step) {
    TextBuffer key;
    key.Assign(step.shortForm ? "HKEY_CLASSES_ROOT" : step.rootName);
    key.Append("\\");
    key.Append(step.subkey);
    if (step.shortForm) Line({"registry", key.Text(), "", "REG_SZ", step.data.Text()});
    else if (step.removeEmptyKeys) Line({"registry", key.Text(), "", step.typeName, ""});
    else Line({"registry", key.Text(), step.name, step.typeName, step.data.Text()});
    return StepResult::GoOn;
}

StepResult WhatIfWriter::Group(const GroupStep& step) {
    if (step.wholeGroup) Line({"group", step.group, "", "deleted"});
    else if (!step.arguments[0]) Line({"group", step.group, step.item, "removed"});
    else Line({"group", step.group, step.item});
    return StepResult::GoOn;
}

StepResult WhatIfWriter::Delete(const DeleteStep& step) {
    Line({"delete", step.path});
    return StepResult::GoOn;
}

StepResult WhatIfWriter::Done(const SectionDone&) { return StepResult::GoOn; }

void WhatIfWriter::OutOfMemory() { whole_ = false; }

bool WriteWhatIfFile(const char* path, const TextBuffer& lines) {
    char beside[MAX_PATH];
    if (!BesidePath(path, beside)) return false;
    if (!WriteWholeFile(beside, lines)) {
        DeleteFileW(Wide(beside).c_str());
        return false;
    }
    return MoveIntoPlace(beside, path);
}
