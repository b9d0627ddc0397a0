#include "actions/ini_entry.h"

#include <windows.h>

#include "actions/entry_path.h"
#include "actions/ini_write.h"
#include "base/messages.h"
#include "base/profile_text.h"
#include "base/results.h"
#include "base/setup_state.h"
#include "base/text_buffer.h"
#include "removal/removal_log.h"
#include "script/conditions.h"
#include "script/sections.h"

// One entry of an ini. section: file|section|key[|separator] = value[/condition].
// Values are read and written whole, up to the longest text a profile file
// carries. An entry whose texts do not fit is reported, not cut: writing a cut
// section, key or value would change something the script did not name.
int IniEntry(char** keyFields, int keyCount, char** valueFields, int valueCount, void*) {
    FileEntry entry;
    TextBuffer value;
    int opened = OpenFileEntry(keyFields, keyCount, valueFields, valueCount, entry, value);
    if (opened != kCarryOut) return opened;
    const char* path = entry.path;
    const char* section = entry.section;
    const char* key = entry.key;

    TextBuffer present;
    bool presentWhole = ReadProfileText(section, key, "", path, present);

    // Appending is not searched first: the same value appended twice stands there twice.
    TextBuffer newValue;
    bool appending = keyCount >= 4 && present.Length() > 0;
    bool built = appending ? presentWhole && newValue.Assign(present.Text()) && newValue.Append(keyFields[3]) &&
                                 newValue.Append(value.Text())
                           : newValue.Assign(value.Text());
    if (!built || newValue.Length() > kProfileTextLimit) return ReportEntry(kMsgCannotCarryOut);

    bool unrecorded = valueCount >= 2 && MatchCondition("-", valueFields[1]);
    if (!gProcess.removeMode && !unrecorded) {
        if (!presentWhole || !CanRecordOldText(present.Text(), present.Length()))
            return ReportEntry(kMsgCannotKeepOldValue);
        if (LogRemoval(IniValue, entry.fileText, section, key, present.Text()) == kAbort) return kAbort;
    }

    // The platform's writer opens the file sharing nothing: the log may be it.
    ReleaseRemovalLog();
    int outcome;
    do {
        if (GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES) SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
        if (WriteIniValue(path, section, key, newValue.Text()))
            outcome = 1;
        else
            outcome = ReportMessage(gState->pass.ownerWindow, kMsgCannotModify, kStyleAbortRetryIgnore, path);
    } while (outcome == 0);
    return outcome;
}
