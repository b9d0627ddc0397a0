// The tables a script fills: option groups, components, variables and the
// chosen codes. Plain types without any platform header, so that the code
// that reads scripts builds natively too (fuzzing, the publisher's tool).
// The capacities and widths are real limits of the installer.
#pragma once
#include <cstddef>

constexpr int kMaxOptionGroups = 16;
constexpr int kMaxChoices = 16;
constexpr int kMaxComponents = 32;
constexpr int kMaxVariables = 64;

// The room a text of `width` characters takes in the engine's UTF-8
// buffers: a character counts as one UTF-16 unit, as the platform counts it,
// and takes up to three bytes (one beyond 16 bits counts two and takes four).
constexpr size_t TextRoom(size_t width) { return 3 * width + 1; }
// The width a buffer of that room carries.
constexpr size_t TextWidth(size_t room) { return (room - 1) / 3; }

// Paths and variable values: kPathWidth characters at most, terminator aside.
constexpr size_t kPathWidth = 259;
constexpr size_t kPathSize = TextRoom(kPathWidth);

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
    char value[kPathSize];
    bool asked;  // a [path] value the user is asked for (a run's recorded answers hold these)
};

struct ScriptTables {
    char optionCodes[16];  // the chosen codes of all groups, joined
    int optionGroupCount;
    OptionGroup optionGroups[kMaxOptionGroups];
    int componentCount;
    ComponentEntry components[kMaxComponents];
    int variableCount;
    ScriptVariable variables[kMaxVariables];
    int regVariableCount;  // rows made by [reg]; each pass's [path] rows start behind them
};

// The tables now in use: the installer's state record while it exists.
// Variables and conditions look names up here.
extern ScriptTables* gTables;
