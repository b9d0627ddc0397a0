// Program group entries: groups and items of the shell's Program Manager, sent
// as execute commands over one DDE conversation for the pass, opened again
// whenever the shell has ended it.
#include "actions/group_step.h"

#include "actions/dde_client.h"
#include "actions/file_steps.h"
#include "actions/progress_dialog.h"
#include "base/message_ids.h"
#include "base/setup_state.h"

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

StepResult CarryOut(const GroupStep& step) {
    HWND conversation = Conversation();
    char command[kDdeCommandSize];
    if (!step.item[0]) {
        if (!FormatDdeCommand(command, sizeof command, kDeleteGroup, step.group))
            return ReportStepEntry(step.source, MSG_CANNOT_CARRY_OUT);
        ShowStatus("Delete group:", step.group, "", "");
        Send(conversation, command);
        return StepResult::GoOn;
    }
    char addCommand[kDdeCommandSize];
    if (!FormatDdeCommand(command, sizeof command, kRemoveItem, step.group, step.item) ||
        !FormatDdeCommand(addCommand, sizeof addCommand, kAddItem, step.group, step.group, step.arguments))
        return ReportStepEntry(step.source, MSG_CANNOT_CARRY_OUT);
    ShowStatus("Create group:\n\nItem:\n\nTarget:", step.group, step.item, step.arguments);
    // An item is always removed before it is added, so a repeated install
    // leaves one item, and an entry without arguments only removes it.
    Send(conversation, command);
    if (step.arguments[0]) Send(gState->pass.ddeConversation, addCommand);
    return StepResult::GoOn;
}
