#include "script/sections.h"

#include "base/messages.h"
#include "base/results.h"
#include "base/section_profile_reader.h"
#include "base/setup_state.h"

namespace {

int ReportUnreadable(void*) { return ReportEntry(kMsgCannotCarryOut); }

void OutOfMemory(void*) { ShowOutOfMemory(); }

}  // namespace

int ForEachEntry(const char* section, const char* scriptPath, char keySeparator, char valueSeparator,
                 EntryVisitor visitor, void* context) {
    SectionProfileReader reader(scriptPath);
    return WalkSection(reader, section, keySeparator, valueSeparator, visitor, context,
                       WalkReports{ReportUnreadable, OutOfMemory});
}

int ReportEntry(EntryMessage id) {
    const VisitedEntry* entry = CurrentEntry();
    const char* section = entry ? entry->section : "";
    const char* key = entry ? entry->key : "";
    return ReportMessage(OwnerWindow(), id, kStyleOkCancel, section, key) == IDCANCEL ? kAbort : kSkipped;
}
