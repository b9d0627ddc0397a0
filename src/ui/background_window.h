// The maximised window behind every dialog: a gradient and the product's picture.
#pragma once
#include <windows.h>

// Null when it cannot be made.
HWND CreateBackgroundWindow();
