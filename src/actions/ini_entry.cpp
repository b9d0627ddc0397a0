#include <windows.h>

#include "actions/actions.h"
#include "actions/entry_path.h"
#include "actions/file_copy.h"
#include "actions/install_pass.h"
#include "removal/removal_log.h"
#include "run/messages.h"
#include "run/setup_state.h"
#include "script/conditions.h"
#include "script/text.h"
#include "script/variables.h"

namespace {

constexpr int kNameSize = 64;
constexpr int kProfileValueSize = 128;

}  // namespace

// One entry of an ini. section: file|section|key[|separator] = value[/condition].
// Texts that do not fit their buffers refuse the entry (1, nothing changed):
// writing a cut section, key or value would change something the script did
// not name, and a cut file text would make the removal record point elsewhere.
int IniEntry(char** keyFields, int keyCount, char** valueFields, int valueCount, void*) {
    if (CancelRequested()) return -1;
    if (valueCount >= 2 && !MatchCondition(gState->optionCodes, valueFields[1])) return 0;
    if (keyCount < 3) return 1;

    char fileText[kEntryFileTextSize];
    char path[MAX_PATH];
    if (!CopyText(fileText, keyFields[0]) || !BuildEntryPath(keyFields[0], path)) return 1;
    char value[kProfileValueSize];
    char section[kNameSize];
    char key[kNameSize];
    if (!ExpandText(valueFields[0], value, true) || !ExpandText(keyFields[1], section, true) ||
        !ExpandText(keyFields[2], key, true))
        return 1;

    ShowStatus("Modify file:\n\nSection:\n\nString:", path, section, key);
    if (EnsureDirectory(path) == -1) return -1;

    char present[kProfileValueSize];
    GetPrivateProfileStringA(section, key, "", present, sizeof present, path);
    bool unrecorded = valueCount >= 2 && MatchCondition("-", valueFields[1]);
    if (!gProcess.removeMode && !unrecorded) LogRemoval(IniValue, fileText, section, key, present);

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
            outcome = ReportMessage(gState->ownerWindow, kMsgCannotModify, kStyleAbortRetryIgnore, path);
    } while (outcome == 0);
    return outcome;
}
