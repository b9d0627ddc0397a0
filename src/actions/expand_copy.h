// Copying one file from the media through the LZ library, with the overwrite
// question and the creation of missing directories.
#pragma once

// kGoOn copied, kSkipped skipped or its failure ignored, kAbort aborted.
int ExpandCopy(const char* source, const char* target);
