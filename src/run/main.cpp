#include "base/system_libraries.h"
#include "run/run_flow.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    // Before any call that may load a library.
    RestrictLibrarySearch();
    return RunSetup(instance, CommandLineText(GetCommandLineA()));
}
