// One entry of each kind read into its step: the entry's fields cut as its
// section is read, its condition tested against the chosen codes, its texts
// expanded, and every rule of its kind applied (widths, path parts, flags,
// device names). The result goes to the sink: the step, Passed when the
// entry does not apply, or Refused when it cannot be carried out as written.
// Expansion looks names up in the tables in use (gTables) and the built-in
// directories as GetBuiltInDirectory gives them: the installer's own, or a
// typical machine's in the publisher's tool.
#pragma once

#include "base/profile_reader.h"
#include "plan/plan_steps.h"
#include "script/section_walk.h"

// Where a step came from: the entry as the walk handed it over.
inline EntrySource SourceOf(const SectionEntry& entry) {
    return {entry.section, entry.key, entry.line, entry.index};
}

// What an entry is planned against.
struct PlanContext {
    const char* optionCodes;
    bool removeMode;
    bool everyEntry;  // each entry is planned whatever its condition: the publisher's tool looks at all
};

// A copy entry of the disk in the drive (the caller changes disks first).
// disks: where its media file lies; null for the disk its disk field names.
StepResult PlanCopy(const SectionEntry& entry, const PlanContext& context, PlanSink& sink,
                    const CopyDisks* disks = nullptr);
StepResult PlanFont(const SectionEntry& entry, const PlanContext& context, PlanSink& sink);
StepResult PlanIni(const SectionEntry& entry, const PlanContext& context, PlanSink& sink);
StepResult PlanTextLine(const SectionEntry& entry, const PlanContext& context, PlanSink& sink);
StepResult PlanRegistry(const SectionEntry& entry, const PlanContext& context, PlanSink& sink);
StepResult PlanGroup(const SectionEntry& entry, const PlanContext& context, PlanSink& sink);
StepResult PlanDelete(const SectionEntry& entry, const PlanContext& context, PlanSink& sink);

// One entry of an action kind (not a copy), by its kind.
StepResult PlanAction(ActionKind kind, const SectionEntry& entry, const PlanContext& context, PlanSink& sink);

// Whether a copy entry applies under the chosen codes, for the walk's disk
// test; its disk is key field 1.
bool CopyApplies(const SectionEntry& entry, const PlanContext& context);

// The disks a copy entry's disk field names. A field that [disks] lists is
// that one disk, as is a field without '+'. Any other field joins disks with
// '+' (1+2): a file split over them, its pieces read from each in turn under
// the one media name, each disk with its label. True when [disks] lists
// every disk named and there are no more than kMaxDiskPieces.
bool ReadCopyDisks(ProfileReader& script, const char* field, CopyDisks& disks);

// Hands the sink an entry refused as a whole (the walk's own refusals), or
// for its disk field (piece Disk) with the width that field has.
StepResult RefuseEntry(PlanSink& sink, const SectionEntry& entry, ActionKind kind, Refusal reason, int messageId,
                       RefusedPiece piece = RefusedPiece::Entry, size_t limit = 0);

// The root key names a registry path may start with; any other first piece
// stands for HKEY_CLASSES_ROOT.
bool IsRegistryRootName(const char* name);
