// A small client of the raw DDE message protocol: one hidden child window
// holds one conversation with a server (Program Manager) and waits for the
// server's answers by itself, so no message loop of its own is needed.
#pragma once
#include <windows.h>

#include <cstddef>

// Commands are formatted into buffers of this size: UTF-8 text, room for the
// longest names and arguments at three bytes a character.
constexpr int kDdeCommandSize = 3 * 2048;
// Sent to the client window's parent when the server ends the conversation.
constexpr UINT kDdeConversationEnded = WM_USER + 100;

// Opens a conversation: the client window, or null when no server answered
// or a resource failed.
HWND OpenDdeConversation(HWND parent, HINSTANCE instance, const char* service, const char* topic);
// Posts one execute command. 1 when it was posted and, with a non-zero wait,
// the server acknowledged it as carried out in time and the conversation
// still stands; 0 otherwise (no answer, a negative acknowledgement, or the
// conversation ended).
int SendDdeExecute(HWND client, const char* command, int waitSeconds);
// Takes and dispatches one DDE message for the client, waiting at most the
// given number of seconds by the whole-second clock. 1 when one came.
int WaitDdeReply(HWND client, int seconds);
// Ends the conversation from the client's side.
void EndDdeConversation(HWND client);
// Whether the conversation still stands: first handles whatever DDE message
// already waits for the client (a terminate from the server, say), then
// tells whether the client window and its partner are still there.
bool DdeConversationAlive(HWND client);
// Destroys the client window, which ends its conversation, when it still is
// one of ours; a handle of a conversation the server ended is left alone.
void CloseDdeConversation(HWND client);
LRESULT CALLBACK DdeClientProc(HWND client, UINT message, WPARAM wParam, LPARAM lParam);

// Formats a command from a format whose only directives are %s into out
// (capacity cap). False when the whole command does not fit: it is then not
// to be sent, since a cut name could address another group or item.
bool FormatDdeCommand(char* out, size_t cap, const char* format, const char* first, const char* second = "",
                      const char* third = "");
