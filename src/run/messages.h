// Every error the installer puts to the user goes through ReportMessage: the
// text comes from the program's string table by id, the answer comes back as
// the small codes the actions use (Abort -1, Retry 0, Ignore 1).
#pragma once
#include <windows.h>

// Message ids of the program's string table.
enum MessageId {
    kMsgNoMemory = 1,
    kMsgNoSpace = 3,
    kMsgEnterName = 4,
    kMsgWrongSystem = 10,
    kMsgCannotModify = 101,
    kMsgCannotOpen = 102,
    kMsgCannotCreateFile = 103,
    kMsgCannotCreateDirectory = 104,
    kMsgCannotCreateKey = 105,
    kMsgCannotCreateFont = 106,
    kMsgCannotDelete = 107,
    kMsgLzError = 150,
    kMsgCannotCopyTemp = 300,
};

// Our own style bit: append the system's text for the last error.
constexpr UINT kAppendSystemText = 0x1000;
constexpr UINT kStyleStop = MB_OK | MB_ICONHAND;                        // 0x10
constexpr UINT kStyleAbortRetryIgnore = MB_ABORTRETRYIGNORE | MB_ICONHAND;  // 0x12
constexpr UINT kStyleOkCancel = MB_OKCANCEL | MB_ICONEXCLAMATION;        // 0x31

// Number of arguments a message takes, by its id's range.
int MessageArgumentCount(int id);
// Maps a message box answer for a style (Abort -1, Retry 0, Ignore 1 for the
// sets that carry the value 2 in their button bits; others unchanged).
int MapMessageAnswer(UINT style, int answer);
// Composes the text of a message into out (bounded); the arguments are texts,
// or for message 150 one long. Used by ReportMessage and by the tests.
void ComposeMessage(char* out, int cap, int id, const void* const* args);

// Shows message `id` owned by `owner` (none: task-modal). Takes as many
// arguments as MessageArgumentCount(id) says.
int ReportMessage(HWND owner, int id, UINT style, ...);
