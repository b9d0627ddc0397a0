// The maximised window behind every dialog: a gradient and the product's picture.
#pragma once
#include <windows.h>

// Null when it cannot be made.
HWND CreateBackgroundWindow();

// The window a quiet run starts its pass from: never shown, it only owns what
// the pass makes (the Program Manager conversation). Null when it cannot be made.
HWND CreateQuietWindow();
