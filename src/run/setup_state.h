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

struct OptionGroup {
    char title[64];
    int count;
    char codes[kMaxChoices][16];
    char labels[kMaxChoices][64];
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

struct SetupState {
    HWND ownerWindow;
    HWND mainWindow;
    HWND ddeConversation;
    char currentDisk[64];
    char diskInDrive[64];
    int diskCount;
    int diskIndex;
    char optionCodes[16];
    int optionGroupCount;
    OptionGroup optionGroups[kMaxOptionGroups];
    int componentCount;
    ComponentEntry components[kMaxComponents];
    int variableCount;
    ScriptVariable variables[kMaxVariables];
    int regVariableCount;  // rows made by [reg]; each pass's [path] rows start behind them
};

// Values that live beside the record for the whole process.
struct ProcessValues {
    HINSTANCE ownModule;
    HINSTANCE libraryModule;
    char scriptPath[MAX_PATH];       // temporary copy of the script
    char mediaDirectory[MAX_PATH];   // always ends with a backslash once set
    int removeMode;
    int yesToAll;
    int cancelFlag;
};

extern SetupState* gState;
extern ProcessValues gProcess;

// Allocates the zero-filled record into gState; false when memory is short.
bool CreateSetupState();
void ReleaseSetupState();
