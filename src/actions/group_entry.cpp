// Program group entries: groups and items of the shell's Program Manager, sent
// as execute commands over one DDE conversation that lasts for the run.
#include "actions/group_entry.h"

#include "actions/dde_client.h"
#include "actions/progress_dialog.h"
#include "base/setup_state.h"
#include "script/conditions.h"
#include "script/variables.h"

namespace {

constexpr char kRemoveItem[] = "[ShowGroup(\"%s\",1)][DeleteItem(%s)]";
constexpr char kAddItem[] = "[CreateGroup(\"%s\")][ShowGroup(\"%s\",1)][AddItem(%s)]";
constexpr char kDeleteGroup[] = "[DeleteGroup(\"%s\")]";
// Program Manager gets a moment to answer each command; commands are
// fire-and-forget, so the answer itself is not looked at.
constexpr int kReplyWaitSeconds = 2;

}  // namespace

int GroupEntry(char** keyFields, int keyCount, char** valueFields, int valueCount, void*) {
    if (valueCount >= 2 && !MatchCondition(gState->optionCodes, valueFields[1])) return 0;
    if (!gState->pass.ddeConversation)
        gState->pass.ddeConversation = OpenDdeConversation(gState->pass.mainWindow, gProcess.ownModule, "PROGMAN", "PROGMAN");
    HWND conversation = gState->pass.ddeConversation;

    // Names and arguments that do not fit are refused whole: a cut group name
    // could remove another group.
    char group[64], item[64], arguments[256];
    if (!ExpandText(keyFields[0], group, true)) return 0;
    char command[kDdeCommandSize];
    if (keyCount < 2) {
        if (!FormatDdeCommand(command, sizeof command, kDeleteGroup, group)) return 0;
        ShowStatus("Delete group:", group, "", "");
        SendDdeExecute(conversation, command, kReplyWaitSeconds);
        return 0;
    }

    char addCommand[kDdeCommandSize];
    if (!ExpandText(keyFields[1], item, true) || !ExpandText(valueFields[0], arguments, true) ||
        !FormatDdeCommand(command, sizeof command, kRemoveItem, group, item) ||
        !FormatDdeCommand(addCommand, sizeof addCommand, kAddItem, group, group, arguments))
        return 0;
    ShowStatus("Create group:\n\nItem:\n\nTarget:", group, item, arguments);
    // An item is always removed before it is added, so a repeated install
    // leaves one item, and an entry without arguments only removes it.
    SendDdeExecute(conversation, command, kReplyWaitSeconds);
    if (arguments[0]) SendDdeExecute(conversation, addCommand, kReplyWaitSeconds);
    return 0;
}
