// A what-if run (/plan=FILE): the plan of the pass written down, one line per
// change the install would make, in order, nothing changed on the machine.
// Each line is tab-separated and starts with the kind and the target:
//
//   copy      TARGET  MEDIA FILE        (also a saved copy: the saved path, and the target it saves)
//   folder    PATH                      (a folder that would be made)
//   font      PATH
//   ini       FILE  SECTION  KEY  NEW VALUE       (an empty value deletes the key)
//   text      FILE  SECTION  LINE KEY  NEW LINE    (an empty line deletes the line)
//   registry  KEY  VALUE NAME  TYPE  NEW DATA      (empty data deletes the value)
//   group     GROUP  ITEM                          (with a fourth field "removed" or "deleted"
//                                                   for an item only removed, a group deleted)
//   delete    PATH
//
// An entry the installer would refuse ends the list with a line "refused",
// its section, its key and the message, as a quiet run would end there.
#pragma once

#include <initializer_list>

#include "base/text_buffer.h"
#include "plan/plan_steps.h"

class WhatIfWriter : public PlanSink {
public:
    // Lines go into out.
    explicit WhatIfWriter(TextBuffer& out) : out_(out) {}
    WhatIfWriter(const WhatIfWriter&) = delete;
    WhatIfWriter& operator=(const WhatIfWriter&) = delete;

    StepResult Passed(ActionKind kind, const EntrySource& source) override;
    StepResult Refused(const RefusedStep& step) override;
    StepResult ChangeDisk(const DiskStep& step) override;
    StepResult Copy(const CopyStep& step) override;
    StepResult Font(const FontStep& step) override;
    StepResult Ini(const FileStep& step) override;
    StepResult TextLine(const FileStep& step) override;
    StepResult Registry(const RegistryStep& step) override;
    StepResult Group(const GroupStep& step) override;
    StepResult Delete(const DeleteStep& step) override;
    StepResult Done(const SectionDone& step) override;
    void OutOfMemory() override;
    // False when a line could not be held (memory ran short).
    bool whole() const { return whole_; }

private:
    void Line(std::initializer_list<const char*> fields);
    // Lines for the folders that making `path` would make, outermost first,
    // each once.
    void Folders(const char* path);
    // Whether the file is there, or an earlier step of the plan made it.
    bool Exists(const char* path) const;

    TextBuffer& out_;
    // What the plan has made so far, one path a line.
    TextBuffer madeFolders_;
    TextBuffer madeFiles_;
    bool whole_ = true;
};

// Writes the lines into the file, whole or not at all (beside it, then moved
// into place). False when it cannot be written.
bool WriteWhatIfFile(const char* path, const TextBuffer& lines);
