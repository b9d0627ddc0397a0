// Program groups as the shell keeps them, made without Program Manager: a
// group is a folder in the Start Menu's Programs folder, an item a shell link
// (.lnk) in it. The three steps mean what the Program Manager commands of a
// group entry mean, so an entry ends the same whichever of the two carries it
// out. Names are taken as Program Manager takes them: characters a file name
// cannot hold become '_'.
#pragma once
#include <windows.h>

#include "base/wide_text.h"
#include "ui/messages.h"

enum class LinkResult {
    kDone,     // done, or nothing was there to remove
    kFailed,   // a file or folder could not be made or deleted: see the failure
    kBadName,  // a name or path that is empty, "." or "..", or does not fit
};

// What a failed step reports: the message and the file or folder it names.
// The platform's reason is the thread's last error.
struct LinkFailure {
    TextMessage message;
    char path[kPathBytes];
};

// Deletes the item's link from the group folder, when it is there.
LinkResult RemoveShellItem(const char* group, const char* item, LinkFailure* failure);
// Makes the group folder when it is missing and the item's link in it from
// Program Manager's item arguments (ItemArguments below), replacing a link
// of the same name. Unlike Wine's Program Manager, which refuses an item
// whose program it cannot find, the link is made all the same: it is the
// target the script names, and the file may come later.
LinkResult AddShellItem(const char* group, const char* arguments, LinkFailure* failure);
// Deletes the group's links, then its folder when nothing else is in it.
LinkResult DeleteShellGroup(const char* group, LinkFailure* failure);

// A group or item name as the file name the shell keeps it under; false for
// a name that names no file of its own (empty, "." or "..", or too long).
bool ShellFileName(const char* name, wchar_t (&out)[MAX_PATH]);

// Program Manager's item arguments, cut in place at commas: the command line,
// the item's name, the icon's file and index, two unused places, the working
// directory, the hot key and the minimised flag. A field in double quotes
// may hold commas and loses its quotes; blanks around a field are dropped.
constexpr int kItemFieldCount = 9;
enum ItemField { kItemCommandLine, kItemName, kItemIconFile, kItemIconIndex, kItemWorkingDirectory = 6, kItemHotKey,
                 kItemMinimised };
struct ItemArguments {
    char* fields[kItemFieldCount];  // empty texts where the arguments stop
};
void SplitItemArguments(char* text, ItemArguments* out);

// The program of a command line, as the platform finds a program: a quoted
// first word, else the whole line when it names a file, else the shortest
// part before a blank that does (.exe added to a name without extension, a
// name without a directory searched for). program receives the file found,
// or the text as written when none is (empty when it does not fit);
// arguments points at the rest. False when no file was found.
bool FindProgram(const wchar_t* commandLine, wchar_t* program, size_t cap, const wchar_t** arguments);
