#include "base/whole_files.h"

#include "base/text.h"

namespace {

// Flushes a file's data to the disk; the file is opened only for that.
bool Flush(const char* path) {
    HANDLE file = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bool flushed = FlushFileBuffers(file) != 0;
    CloseHandle(file);
    return flushed;
}

// Copies every byte of source into target, which is flushed; false when the
// source ended before the size it had when it was opened, or grew past it.
bool CopyBytes(HANDLE source, HANDLE target) {
    LARGE_INTEGER size = {};
    if (!GetFileSizeEx(source, &size)) return false;
    static char buffer[1 << 16];
    long long left = size.QuadPart;
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(source, buffer, sizeof buffer, &got, nullptr)) return false;
        if (got == 0) break;
        DWORD put = 0;
        if (got > left || !WriteFile(target, buffer, got, &put, nullptr) || put != got) return false;
        left -= got;
    }
    return left == 0 && FlushFileBuffers(target);
}

}  // namespace

bool BesidePath(const char* path, char (&beside)[MAX_PATH]) {
    return CopyText(beside, path) && AppendText(beside, kBesideSuffix);
}

bool MoveIntoPlace(const char* beside, const char* path) {
    if (Flush(beside) && MoveFileExA(beside, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
    DeleteFileA(beside);
    return false;
}

bool SaveWholeCopy(const char* source, const char* destination) {
    char beside[MAX_PATH];
    if (!BesidePath(destination, beside)) return false;
    HANDLE in = CreateFileA(source, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN,
                            nullptr);
    if (in == INVALID_HANDLE_VALUE) return false;
    BY_HANDLE_FILE_INFORMATION info;
    HANDLE out = GetFileInformationByHandle(in, &info)
                     ? CreateFileA(beside, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)
                     : INVALID_HANDLE_VALUE;
    bool copied = out != INVALID_HANDLE_VALUE && CopyBytes(in, out) &&
                  SetFileTime(out, &info.ftCreationTime, nullptr, &info.ftLastWriteTime);
    CloseHandle(in);
    if (out != INVALID_HANDLE_VALUE) CloseHandle(out);
    // Moved with the attributes of the file it saves: a read-only file stays read-only.
    if (copied && MoveFileExA(beside, destination, MOVEFILE_WRITE_THROUGH))
        return SetFileAttributesA(destination, info.dwFileAttributes & ~FILE_ATTRIBUTE_DIRECTORY) != 0;
    DeleteFileA(beside);
    return false;
}
