// Reads the [reg] and [path] sections of a script the way a run does, with
// the real path dialog from STP.DLL, and writes what the variable table then
// holds. The end-to-end tests drive its dialogs with the robot.
//
//   variables_probe.exe OUTPUT SCRIPT [codes=LETTERS] [SECTION=0|1 ...]
//
// SECTION=1 enters a selected component of that section name, =0 one left
// out. OUTPUT receives "result=N", one "row NAME=VALUE" line per row, and one
// "expand NAME=TEXT" line per distinct name with what %NAME% expands to. The
// exit code is -1 when reading [path] ended early, else 0.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "base/file_system.h"
#include "base/setup_state.h"
#include "base/text.h"
#include "base/wide_text.h"
#include "ui/reg_variables.h"
#include "script/variables.h"
#include "ui/resource_library.h"
#include "ui/path_variables.h"

int main(int argc, char** argv) {
    if (argc < 3) return 2;
    gProcess.ownModule = GetModuleHandleW(nullptr);
    if (!CreateSetupState()) return 2;
    gProcess.libraryModule = LoadResourceLibrary("STP.DLL");
    // The argument comes in the code page; the engine's paths are UTF-8.
    FullPathName(FromAnsi(argv[2], std::strlen(argv[2])).c_str(), gProcess.scriptPath);
    for (int i = 3; i < argc; ++i) {
        if (std::strncmp(argv[i], "codes=", 6) == 0) {
            CopyText(gState->optionCodes, argv[i] + 6);
            continue;
        }
        const char* equals = std::strchr(argv[i], '=');
        if (!equals || gState->componentCount >= kMaxComponents) continue;
        ComponentEntry& row = gState->components[gState->componentCount++];
        CopyTextN(row.section, sizeof row.section, argv[i], equals - argv[i]);
        row.selected = equals[1] == '1';
    }

    ReadRegVariables();
    int visited = 0;
    int result = ReadPathVariables(&visited) == StepResult::Abort ? -1 : visited;

    FILE* out = std::fopen(argv[1], "wb");
    if (!out) return 2;
    std::fprintf(out, "result=%d\n", result);
    for (int i = 0; i < gState->variableCount; ++i)
        std::fprintf(out, "row %s=%s\n", gState->variables[i].name, gState->variables[i].value);
    for (int i = 0; i < gState->variableCount; ++i) {
        const char* name = gState->variables[i].name;
        if (FindVariable(name) != &gState->variables[i]) continue;  // listed once, at its first row
        char text[80], expanded[MAX_PATH];
        std::snprintf(text, sizeof text, "%%%s%%", name);
        ExpandText(text, expanded, true);
        std::fprintf(out, "expand %s=%s\n", name, expanded);
    }
    std::fclose(out);
    return result == -1 ? -1 : 0;
}
