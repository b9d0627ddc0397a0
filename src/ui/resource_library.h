// The product's resource library holds dialog templates and pictures only,
// and the installer never runs code from it: it is mapped as an image of
// resources, so the loader calls none of its entry points and resolves none
// of its imports. Dialogs (DialogBoxParamW, CreateDialogParamW) and bitmaps
// (LoadBitmapW) come from the handle this returns.
#pragma once
#include <windows.h>

// nullptr when the file is no library the platform can map.
HMODULE LoadResourceLibrary(const char* path);
