// Program group entries: groups and items of the shell's Program Manager, sent
// as execute commands over one DDE conversation for the pass, opened again
// whenever the shell has ended it. What Program Manager does not carry out
// (none answers, it refuses, or it does not answer in time), everything in a
// quiet run, where its windows must not open, and every name Program Manager
// cannot carry is made the way the shell keeps groups: a folder of links
// (shell_links.h).
#include "actions/group_step.h"

#include "actions/dde_client.h"
#include "actions/file_steps.h"
#include "actions/group_windows.h"
#include "actions/undo_journal.h"
#include "ui/progress_dialog.h"
#include "actions/shell_links.h"
#include "base/run_log.h"
#include "base/run_switches.h"
#include "base/setup_state.h"

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
template <typename LinkStep> StepResult Carry(const GroupStep& step, LinkStep link) {
    for (;;) {
        LinkFailure failure;
        LinkResult result = link(&failure);
        if (result == LinkResult::kDone) return StepResult::GoOn;
        if (result == LinkResult::kBadName) return ReportStepEntry(step.source, MSG_CANNOT_CARRY_OUT);
        Answer answer = ReportMessage(gState->pass.ownerWindow, failure.message,
                                      kStyleAbortRetryIgnore | kAppendSystemText, failure.path);
        if (answer != Answer::Retry) return AfterAnswer(answer);
    }
}

// Program Manager carries names of characters up to U+00FF only, even in a
// Unicode conversation (beyond that Wine's refuses the command): such a name
// goes straight to the links. In UTF-8 a lead byte from C4 up starts a
// character from U+0100 up.
bool BeyondProgman(const char* text) {
    for (const unsigned char* at = reinterpret_cast<const unsigned char*>(text); *at; ++at)
        if (*at >= 0xC4) return true;
    return false;
}

}  // namespace

StepResult CarryOut(const GroupStep& step) {
    // A quiet run shows nothing: Program Manager would open a window on the group.
    bool dde = !QuietRun() && !BeyondProgman(step.group) &&
               (step.wholeGroup || (!BeyondProgman(step.item) && !BeyondProgman(step.arguments)));
    HWND conversation = dde ? Conversation() : nullptr;
    char command[kDdeCommandSize];
    if (step.wholeGroup) {
        if (!FormatDdeCommand(command, sizeof command, kDeleteGroup, step.group))
            return ReportStepEntry(step.source, MSG_CANNOT_CARRY_OUT);
        ShowStatus(ProgramText::DeleteGroupLabels, step.group, "", "");
        JournalCannotUndo("the deleted program group", step.group);
        if (dde && Send(conversation, command)) return StepResult::GoOn;
        return Carry(step, [&](LinkFailure* failure) { return DeleteShellGroup(step.group, failure); });
    }

    char addCommand[kDdeCommandSize];
    if (!FormatDdeCommand(command, sizeof command, kRemoveItem, step.group, step.item) ||
        !FormatDdeCommand(addCommand, sizeof addCommand, kAddItem, step.group, step.group, step.arguments))
        return ReportStepEntry(step.source, MSG_CANNOT_CARRY_OUT);
    ShowStatus(ProgramText::GroupLabels, step.group, step.item, step.arguments);
    // The shell keeps no old state of an item: a rollback leaves it as made.
    JournalCannotUndo("the program item", step.item);
    // Both commands show the group.
    if (dde) WatchForGroupWindows(step.group);
    // An item is always removed before it is added, so a repeated install
    // leaves one item, and an entry without arguments only removes it.
    if (!dde || !Send(conversation, command)) {
        StepResult removed = Carry(step, [&](LinkFailure* failure) { return RemoveShellItem(step.group, step.item, failure); });
        if (removed != StepResult::GoOn || !step.arguments[0]) return removed;
    }
    if (!step.arguments[0] || (dde && Send(gState->pass.ddeConversation, addCommand))) return StepResult::GoOn;
    return Carry(step, [&](LinkFailure* failure) { return AddShellItem(step.group, step.arguments, failure); });
}
