#include "run/run_flow.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    return RunSetup(instance, CommandLineText(GetCommandLineA()));
}
