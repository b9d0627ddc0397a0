// The directories the built-in names of expansion stand for. The installer
// asks the platform and its own run; the publisher's tool, which checks
// scripts for other machines, stands in typical ones.
#pragma once
#include <cstddef>

enum class BuiltInDirectory { Windows, System, Media };

// Writes the directory into out (capacity cap; cut if longer): the Windows
// and system directories, or the media directory as the run has it now.
void GetBuiltInDirectory(BuiltInDirectory which, char* out, size_t cap);
