#include "actions/ini_entry.h"

#include <windows.h>

#include "actions/entry_path.h"
#include "base/messages.h"
#include "base/setup_state.h"
#include "base/text.h"
#include "removal/removal_log.h"
#include "script/conditions.h"

namespace {

constexpr int kProfileValueSize = 128;

}  // namespace

// One entry of an ini. section: file|section|key[|separator] = value[/condition].
// Texts that do not fit their buffers refuse the entry (1, nothing changed):
// writing a cut section, key or value would change something the script did
// not name, and a cut file text would make the removal record point elsewhere.
int IniEntry(char** keyFields, int keyCount, char** valueFields, int valueCount, void*) {
    FileEntry entry;
    char value[kProfileValueSize];
    int opened = OpenFileEntry(keyFields, keyCount, valueFields, valueCount, entry, value, sizeof value);
    if (opened != kCarryOut) return opened;
    const char* path = entry.path;
    const char* section = entry.section;
    const char* key = entry.key;

    char present[kProfileValueSize];
    GetPrivateProfileStringA(section, key, "", present, sizeof present, path);
    bool unrecorded = valueCount >= 2 && MatchCondition("-", valueFields[1]);
    if (!gProcess.removeMode && !unrecorded) LogRemoval(IniValue, entry.fileText, section, key, present);

    // The new value is built in the present value's buffer. Appending is not
    // searched first: the same value appended twice stands there twice.
    if (keyCount >= 4 && present[0]) {
        if (!AppendText(present, keyFields[3]) || !AppendText(present, value)) return 1;
    } else {
        CopyText(present, value);
    }

    int outcome;
    do {
        if (GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES) SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
        if (WritePrivateProfileStringA(section, key, present[0] ? present : nullptr, path))
            outcome = 1;
        else
            outcome = ReportMessage(gState->pass.ownerWindow, kMsgCannotModify, kStyleAbortRetryIgnore, path);
    } while (outcome == 0);
    return outcome;
}
