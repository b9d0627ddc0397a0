// The request for the next disk.
#pragma once

// Template 60 with the disk's label: IDOK (the media directory may have been
// rewritten) or IDCANCEL.
int DiskPromptDialog(const char* label);
