// The texts of windows and controls and the script's keys that the dialogs
// show. The engine holds them in UTF-8; every window of the program is a
// Unicode window, so they go to the platform and come back in UTF-16 here,
// and no code page ever stands between a script's text and the screen.
#pragma once
#include <windows.h>

#include <cstddef>
#include <string>

// SetWindowTextW / SetDlgItemTextW of a UTF-8 text. False when the platform
// refused it.
bool SetWindowTextUtf8(HWND window, const char* text);
bool SetControlTextUtf8(HWND dialog, int id, const char* text);

// The whole text of a control, in UTF-8.
std::string ControlTextUtf8(HWND dialog, int id);
// The control's text into out (cap bytes, terminator included). False when
// it does not fit whole: out is then left empty, never cut inside a
// character.
bool ReadControlTextUtf8(HWND dialog, int id, char* out, size_t cap);

// Adds a UTF-8 text as an item of a list or combo box (LB_ADDSTRING,
// CB_ADDSTRING); the item's index, or LB_ERR / CB_ERR.
LRESULT AddItemUtf8(HWND box, UINT message, const char* text);

// A key of the script, read through the wide profile function: at most
// `characters` UTF-16 units, as the fixed buffers held before, stored in
// UTF-8 into out (cap bytes). A text cut at `characters` loses no half of a
// surrogate pair. out is empty when cap is too small for it.
void ReadScriptKey(const char* section, const char* key, const char* fallback, const char* scriptPath,
                   size_t characters, char* out, size_t cap);

// The UTF-8 bytes of `characters` UTF-16 units at most: the room a buffer
// needs for a text the platform counts in characters.
constexpr size_t Utf8Room(size_t characters) { return 3 * characters + 1; }
