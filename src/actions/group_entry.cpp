// Program group entries: groups and items of the shell's Program Manager, sent
// as execute commands over one DDE conversation for the pass, opened again
// whenever the shell has ended it.
#include "actions/group_entry.h"

#include "actions/dde_client.h"
#include "actions/progress_dialog.h"
#include "base/results.h"
#include "base/setup_state.h"
#include "script/conditions.h"
#include "script/sections.h"
#include "script/variables.h"

namespace {

constexpr char kRemoveItem[] = "[ShowGroup(\"%s\",1)][DeleteItem(%s)]";
constexpr char kAddItem[] = "[CreateGroup(\"%s\")][ShowGroup(\"%s\",1)][AddItem(%s)]";
constexpr char kDeleteGroup[] = "[DeleteGroup(\"%s\")]";
// Program Manager gets a moment to answer each command; commands are
// fire-and-forget, so the answer itself is not looked at.
constexpr int kReplyWaitSeconds = 2;

// The pass's conversation; a new one when the server has ended the last (its
// client window is gone then, and commands to it would go nowhere). None
// when no server answers.
HWND Conversation() {
    HWND& conversation = gState->pass.ddeConversation;
    if (conversation && !DdeConversationAlive(conversation)) {
        CloseDdeConversation(conversation);
        conversation = nullptr;
    }
    if (!conversation)
        conversation = OpenDdeConversation(gState->pass.mainWindow, gProcess.ownModule, "PROGMAN", "PROGMAN");
    return conversation;
}

// Sends a command; when the server ended the conversation instead of
// answering it, once more over a new conversation.
void Send(HWND conversation, const char* command) {
    if (SendDdeExecute(conversation, command, kReplyWaitSeconds) || !conversation ||
        DdeConversationAlive(conversation))
        return;
    SendDdeExecute(Conversation(), command, kReplyWaitSeconds);
}

}  // namespace

int GroupEntry(char** keyFields, int keyCount, char** valueFields, int valueCount, void*) {
    if (valueCount >= 2 && !MatchCondition(gState->optionCodes, valueFields[1])) return 0;
    HWND conversation = Conversation();

    // Names and arguments that do not fit are reported, never cut: a cut
    // group name could remove another group.
    // Group and item are folder and file names (255 characters); the
    // arguments hold a command line and the item's name.
    char group[256], item[256], arguments[1024];
    if (!ExpandText(keyFields[0], group, true)) return ReportEntry(kMsgCannotCarryOut);
    char command[kDdeCommandSize];
    if (keyCount < 2) {
        if (!FormatDdeCommand(command, sizeof command, kDeleteGroup, group)) return ReportEntry(kMsgCannotCarryOut);
        ShowStatus("Delete group:", group, "", "");
        Send(conversation, command);
        return 0;
    }

    char addCommand[kDdeCommandSize];
    if (!ExpandText(keyFields[1], item, true) || !ExpandText(valueFields[0], arguments, true) ||
        !FormatDdeCommand(command, sizeof command, kRemoveItem, group, item) ||
        !FormatDdeCommand(addCommand, sizeof addCommand, kAddItem, group, group, arguments))
        return ReportEntry(kMsgCannotCarryOut);
    ShowStatus("Create group:\n\nItem:\n\nTarget:", group, item, arguments);
    // An item is always removed before it is added, so a repeated install
    // leaves one item, and an entry without arguments only removes it.
    Send(conversation, command);
    if (arguments[0]) Send(gState->pass.ddeConversation, addCommand);
    return 0;
}
