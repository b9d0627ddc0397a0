// Program group entries: groups and items of the shell's Program Manager, sent
// as execute commands over one DDE conversation for the pass, opened again
// whenever the shell has ended it. What Program Manager does not carry out
// (none answers, it refuses, or it does not answer in time), and everything
// in a quiet run, where its windows must not open, is made the way the shell
// keeps groups: a folder of links (shell_links.h).
#include "actions/group_entry.h"

#include "actions/dde_client.h"
#include "actions/group_windows.h"
#include "actions/progress_dialog.h"
#include "actions/shell_links.h"
#include "base/results.h"
#include "base/run_log.h"
#include "base/run_switches.h"
#include "base/setup_state.h"
#include "script/conditions.h"
#include "script/sections.h"
#include "script/variables.h"

namespace {

constexpr char kRemoveItem[] = "[ShowGroup(\"%s\",1)][DeleteItem(%s)]";
constexpr char kAddItem[] = "[CreateGroup(\"%s\")][ShowGroup(\"%s\",1)][AddItem(%s)]";
constexpr char kDeleteGroup[] = "[DeleteGroup(\"%s\")]";
// Program Manager gets a moment to answer each command.
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
// answering it, once more over a new conversation. True when Program
// Manager carried it out.
bool Send(HWND conversation, const char* command) {
    if (SendDdeExecute(conversation, command, kReplyWaitSeconds)) return true;
    if (conversation && !DdeConversationAlive(conversation) &&
        SendDdeExecute(Conversation(), command, kReplyWaitSeconds))
        return true;
    LogLine("Program Manager did not carry out %s", {TextArgument(command)});
    return false;
}

// One step through the shell's links, reported until it is done or the user
// gives it up: Abort stops the pass, Ignore goes on without it.
template <typename Step> int Carry(Step step) {
    for (;;) {
        LinkFailure failure;
        LinkResult result = step(&failure);
        if (result == LinkResult::kDone) return kGoOn;
        if (result == LinkResult::kBadName) return ReportEntry(kMsgCannotCarryOut);
        int answer = ReportMessage(gState->pass.ownerWindow, failure.message,
                                   kStyleAbortRetryIgnore | kAppendSystemText, failure.path);
        if (answer != kAnswerRetry) return answer;
    }
}

}  // namespace

int GroupEntry(char** keyFields, int keyCount, char** valueFields, int valueCount, void*) {
    if (valueCount >= 2 && !MatchCondition(gState->optionCodes, valueFields[1])) return 0;
    // A quiet run shows nothing: Program Manager would open a window on the group.
    bool dde = !QuietRun();
    HWND conversation = dde ? Conversation() : nullptr;

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
        if (dde && Send(conversation, command)) return kGoOn;
        return Carry([&](LinkFailure* failure) { return DeleteShellGroup(group, failure); });
    }

    char addCommand[kDdeCommandSize];
    if (!ExpandText(keyFields[1], item, true) || !ExpandText(valueFields[0], arguments, true) ||
        !FormatDdeCommand(command, sizeof command, kRemoveItem, group, item) ||
        !FormatDdeCommand(addCommand, sizeof addCommand, kAddItem, group, group, arguments))
        return ReportEntry(kMsgCannotCarryOut);
    ShowStatus("Create group:\n\nItem:\n\nTarget:", group, item, arguments);
    // Both commands show the group.
    if (dde) WatchForGroupWindows(group);
    // An item is always removed before it is added, so a repeated install
    // leaves one item, and an entry without arguments only removes it.
    if (!dde || !Send(conversation, command)) {
        int removed = Carry([&](LinkFailure* failure) { return RemoveShellItem(group, item, failure); });
        if (removed != kGoOn || !arguments[0]) return removed;
    }
    if (!arguments[0] || (dde && Send(gState->pass.ddeConversation, addCommand))) return kGoOn;
    return Carry([&](LinkFailure* failure) { return AddShellItem(group, arguments, failure); });
}
