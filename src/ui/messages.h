// Every error the installer puts to the user goes through ReportMessage: the
// text comes from the program's string table by id, the answer comes back
// typed. Each kind of
// message has a type of its own, so the compiler checks that every call hands
// over the arguments its text expects.
#pragma once
#include <windows.h>

#include "base/message_ids.h"
#include "base/results.h"

// Messages without arguments.
enum PlainMessage {
    kMsgNoMemory = MSG_NO_MEMORY,
    kMsgNoSpace = MSG_NO_SPACE,
    kMsgEnterName = MSG_ENTER_NAME,
    kMsgWrongSystem = MSG_WRONG_SYSTEM,
    kMsgAnotherRun = MSG_ANOTHER_RUN,
    kMsgInstallerDamaged = MSG_INSTALLER_DAMAGED,
    kMsgUnfinishedInstall = MSG_UNFINISHED_INSTALL,
};
// Messages about one file, directory or key, named by one text.
enum TextMessage {
    kMsgCannotModify = MSG_CANNOT_MODIFY,
    kMsgCannotOpen = MSG_CANNOT_OPEN,
    kMsgCannotCreateFile = MSG_CANNOT_CREATE_FILE,
    kMsgCannotCreateDirectory = MSG_CANNOT_CREATE_DIRECTORY,
    kMsgCannotCreateKey = MSG_CANNOT_CREATE_KEY,
    kMsgCannotCreateFont = MSG_CANNOT_CREATE_FONT,
    kMsgCannotDelete = MSG_CANNOT_DELETE,
    kMsgCannotWriteLog = MSG_CANNOT_WRITE_LOG,
    kMsgNotAScript = MSG_NOT_A_SCRIPT,
    kMsgMediaFileChanged = MSG_MEDIA_FILE_CHANGED,
    kMsgCannotWriteValue = MSG_CANNOT_WRITE_VALUE,
    kMsgCannotWriteRunLog = MSG_CANNOT_WRITE_RUN_LOG,
    kMsgCannotCreateLink = MSG_CANNOT_CREATE_LINK,
    kMsgCannotDeleteGroup = MSG_CANNOT_DELETE_GROUP,
    kMsgNoSuchChoice = MSG_NO_SUCH_CHOICE,
    kMsgCannotWriteUndo = MSG_CANNOT_WRITE_UNDO,
};
// An entry of a script that cannot be carried out: section, entry key.
enum EntryMessage {
    kMsgCannotCarryOut = MSG_CANNOT_CARRY_OUT,
    kMsgCannotKeepOldValue = MSG_CANNOT_KEEP_OLD_VALUE,
    kMsgCannotEncodeValue = MSG_CANNOT_ENCODE_VALUE,
};
// The LZ library's error, with its code.
enum NumberMessage { kMsgLzError = MSG_LZ_ERROR };
// A copy that failed: source, what, target.
enum CopyMessage { kMsgCannotCopyTemp = MSG_CANNOT_COPY_TEMP };

// Our own style bit: append the system's text for the last error.
constexpr UINT kAppendSystemText = 0x1000;
constexpr UINT kStyleStop = MB_OK | MB_ICONHAND;                            // 0x10
constexpr UINT kStyleAbortRetryIgnore = MB_ABORTRETRYIGNORE | MB_ICONHAND;  // 0x12
constexpr UINT kStyleOkCancel = MB_OKCANCEL | MB_ICONEXCLAMATION;           // 0x31
constexpr UINT kStyleRetryCancel = MB_RETRYCANCEL | MB_ICONEXCLAMATION;     // 0x35
// A note with OK alone that tells of nothing failed.
constexpr UINT kStyleNote = MB_OK | MB_ICONINFORMATION;

// The user's answer to a message (a box closed counts as Cancel).
enum class Answer { Ok, Cancel, Abort, Retry, Ignore, Yes, No };
// The answer to the platform's answer code (IDOK ...).
Answer AnswerOf(int platformAnswer);
// What a step that failed does after an answer other than Retry: Abort and
// Cancel end the pass, Ignore and OK pass the step over.
StepResult AfterAnswer(Answer answer);

// What a message is composed with: up to three texts, or one number.
struct MessageArguments {
    int textCount;
    const char* texts[3];
    bool numbered;  // the text takes `number` instead of texts
    long number;
};
// Composes the text of a message into out (bounded). Texts too long for the
// box are shortened at their start, so the message's own words stay.
void ComposeMessage(char* out, int cap, int id, const MessageArguments& arguments);

// Shows a message owned by `owner` (none: task-modal) and returns the
// answer. A quiet run shows nothing and answers with the answer that
// stops (Abort, Cancel, or OK where there is no other). Every message and its
// answer go into the run's log, and an answer that ends something is noted
// for the exit code (run_outcome.h).
Answer ReportMessage(HWND owner, PlainMessage id, UINT style);
Answer ReportMessage(HWND owner, TextMessage id, UINT style, const char* text);
Answer ReportMessage(HWND owner, EntryMessage id, UINT style, const char* section, const char* entry);
Answer ReportMessage(HWND owner, NumberMessage id, UINT style, long number);
Answer ReportMessage(HWND owner, CopyMessage id, UINT style, const char* source, const char* what, const char* target);

// The task-modal "Out of memory!" box of the readers that allocate.
void ShowOutOfMemory();
