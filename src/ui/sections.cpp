#include "ui/sections.h"

#include "base/section_profile_reader.h"
#include "base/setup_state.h"

namespace {

StepResult ReportUnreadable(SectionEntry& entry, void*) { return ReportEntry(entry, kMsgCannotCarryOut); }

void OutOfMemory(void*) { ShowOutOfMemory(); }

}  // namespace

StepResult ForEachEntry(const char* section, const char* scriptPath, char keySeparator, char valueSeparator,
                        EntryVisitor visitor, void* context, int* visited) {
    SectionProfileReader reader(scriptPath);
    return WalkSection(reader, section, keySeparator, valueSeparator, visitor, context,
                       WalkReports{ReportUnreadable, OutOfMemory}, visited);
}

StepResult ReportEntry(const char* section, const char* key, EntryMessage id) {
    return AfterAnswer(ReportMessage(OwnerWindow(), id, kStyleOkCancel, section, key));
}

StepResult ReportEntry(const SectionEntry& entry, EntryMessage id) { return ReportEntry(entry.section, entry.key, id); }
