#include "base/system_libraries.h"
#include "run/run_flow.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    // Before any call that may load a library.
    RestrictLibrarySearch();
    // The command line in UTF-16, as typed: names in any script survive.
    std::string commandLine = ProgramCommandLine();
    return RunSetup(instance, CommandLineText(commandLine.c_str()));
}
