#include "run/run.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    return RunSetup(instance, CommandLineText(GetCommandLineA()));
}
