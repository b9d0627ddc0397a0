// The request for the next disk.
#pragma once

#include "ui/messages.h"

// Template 60 with the disk's label: Ok (the media directory may have been
// rewritten) or Cancel.
Answer DiskPromptDialog(const char* label);
