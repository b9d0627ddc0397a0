#include "base/held_file.h"

#include "base/text.h"
#include "base/wide_text.h"

bool HeldFile::Hold(const char* path) {
    Release();
    if (!CopyText(path_, path)) {
        path_[0] = '\0';
        return false;
    }
    handle_ = CreateFileW(Wide(path_).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
    return held();
}

void HeldFile::Release() {
    if (held()) {
        CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
        DeleteFileW(Wide(path_).c_str());
    }
    path_[0] = '\0';
}
