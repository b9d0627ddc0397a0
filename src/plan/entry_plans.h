// One entry of each kind read into its step: the entry's fields cut as its
// section is read, its condition tested against the chosen codes, its texts
// expanded, and every rule of its kind applied (widths, path parts, flags,
// device names). The result goes to the sink: the step, Passed when the
// entry does not apply, or Refused when it cannot be carried out as written.
// Expansion looks names up in the tables in use (gTables) and the built-in
// directories as GetBuiltInDirectory gives them: the installer's own, or a
// typical machine's in the publisher's tool.
#pragma once

#include "plan/plan_steps.h"
#include "script/section_walk.h"

// Where a step came from: the entry as the walk handed it over.
inline EntrySource SourceOf(const SectionEntry& entry) { return {entry.section, entry.key, entry.line}; }

// What an entry is planned against.
struct PlanContext {
    const char* optionCodes;
    bool removeMode;
};

// A copy entry of the disk in the drive (the caller changes disks first).
StepResult PlanCopy(const SectionEntry& entry, const PlanContext& context, PlanSink& sink);
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

// The path of an INI or text line entry's file (first key field, cut in
// place): a bare name lives in the Windows directory; otherwise the first of
// at most three '\' pieces, expanded as a whole name, is the directory and
// the last piece the file name. False (path empty) when it does not fit.
bool BuildEntryPath(char* keyField, char (&path)[kPathSize]);

// The root key names a registry path may start with; any other first piece
// stands for HKEY_CLASSES_ROOT.
bool IsRegistryRootName(const char* name);
