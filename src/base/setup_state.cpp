#include "base/setup_state.h"

SetupState* gState = nullptr;
ProcessValues gProcess = {};

bool CreateSetupState() {
    gState = static_cast<SetupState*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(SetupState)));
    gTables = gState;
    return gState != nullptr;
}

void ReleaseSetupState() {
    if (gState) HeapFree(GetProcessHeap(), 0, gState);
    gState = nullptr;
    gTables = nullptr;
}

HWND OwnerWindow() { return gState ? gState->pass.ownerWindow : nullptr; }
