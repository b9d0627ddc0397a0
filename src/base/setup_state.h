// The one record that the dialogs, the section visitors and the actions share,
// and the process-wide values beside it. Rows are appended at the count; the
// table capacities are real limits, so every writer goes through the Add*
// helpers or checks the count itself.
#pragma once
#include <windows.h>

constexpr int kMaxOptionGroups = 16;
constexpr int kMaxChoices = 16;
constexpr int kMaxComponents = 32;
constexpr int kMaxVariables = 64;

// Preselection of a group that has no choice to show.
constexpr unsigned char kNoPreselection = 255;

struct OptionGroup {
    char title[64];
    int count;
    char codes[kMaxChoices][16];
    char labels[kMaxChoices][64];
    unsigned char preselection;  // index of the choice the dialog shows at first
};

struct ComponentEntry {
    int selected;
    char section[64];
    char label[64];
    char description[128];
};

struct ScriptVariable {
    char name[64];
    char value[260];
};

// What one install pass works with: reset as a whole when a pass starts.
struct PassState {
    HWND ownerWindow;      // owns message boxes and the actions' dialogs: the progress dialog
    HWND mainWindow;       // the window that started the pass
    HWND ddeConversation;  // the client window talking to Program Manager, once a group entry opened it
    char currentDisk[64];  // the [disks] entry now processed
    char diskInDrive[64];  // the disk known to be in the drive
    int diskCount;
    int diskIndex;         // [disks] entries finished
    int yesToAll;          // overwrite without asking
    int cancelFlag;        // the user cancelled the pass
};

struct SetupState {
    char optionCodes[16];  // the chosen codes of all groups, joined
    int optionGroupCount;
    OptionGroup optionGroups[kMaxOptionGroups];
    int componentCount;
    ComponentEntry components[kMaxComponents];
    int variableCount;
    ScriptVariable variables[kMaxVariables];
    int regVariableCount;  // rows made by [reg]; each pass's [path] rows start behind them
    PassState pass;
};

// Values that live beside the record for the whole process.
struct ProcessValues {
    HINSTANCE ownModule;
    HINSTANCE libraryModule;
    char scriptPath[MAX_PATH];       // temporary copy of the script
    char mediaDirectory[MAX_PATH];   // always ends with a backslash once set
    int removeMode;
};

extern SetupState* gState;
extern ProcessValues gProcess;

// Allocates the zero-filled record into gState; false when memory is short.
bool CreateSetupState();
void ReleaseSetupState();

// The window that owns message boxes: the pass's owner, or none before the
// record exists.
HWND OwnerWindow();
