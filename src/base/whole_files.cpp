#include "base/whole_files.h"

#include "base/scoped_handles.h"
#include "base/text.h"
#include "base/wide_text.h"

namespace {

// Flushes a file's data to the disk; the file is opened only for that.
bool Flush(const char* path) {
    ScopedHandle file(
        CreateFileW(Wide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    return file && FlushFileBuffers(file.get()) && file.Close();
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

bool ReadWholeFile(const char* path, TextBuffer& text, bool* exists) {
    text.Clear();
    ScopedHandle file(
        CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    *exists = file.valid();
    if (!*exists) return GetLastError() == ERROR_FILE_NOT_FOUND;
    LARGE_INTEGER size = {};
    DWORD got = 0;
    bool read =
        GetFileSizeEx(file.get(), &size) && size.QuadPart < 0x40000000 &&
        text.Reserve(static_cast<size_t>(size.QuadPart) + 1) &&
        (size.QuadPart == 0 || ReadFile(file.get(), text.Data(), static_cast<DWORD>(size.QuadPart), &got, nullptr)) &&
        got == size.QuadPart;
    if (read) text.SetLength(got);
    return read;
}

bool WriteWholeFile(const char* path, const TextBuffer& text) {
    ScopedHandle file(
        CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    DWORD put = 0;
    bool written =
        text.Length() == 0 ||
        (WriteFile(file.get(), text.Text(), static_cast<DWORD>(text.Length()), &put, nullptr) && put == text.Length());
    return file.Close() && written;
}

bool BesidePath(const char* path, char* beside, size_t cap) {
    // The platform's limit is in characters: a path it cannot open is no path beside.
    return CopyText(beside, cap, path) && AppendText(beside, cap, kBesideSuffix) && Wide(beside).size() < MAX_PATH;
}

bool MoveIntoPlace(const char* beside, const char* path) {
    if (Flush(beside) &&
        MoveFileExW(Wide(beside).c_str(), Wide(path).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    DeleteFileW(Wide(beside).c_str());
    return false;
}

bool SaveWholeCopy(const char* source, const char* destination) {
    char beside[kPathBytes];
    if (!BesidePath(destination, beside)) return false;
    ScopedHandle in(
        CreateFileW(Wide(source).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                    FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!in) return false;
    BY_HANDLE_FILE_INFORMATION info;
    ScopedHandle out;
    if (GetFileInformationByHandle(in.get(), &info))
        out.Reset(CreateFileW(Wide(beside).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                              nullptr));
    bool copied = out && CopyBytes(in.get(), out.get()) &&
                  SetFileTime(out.get(), &info.ftCreationTime, nullptr, &info.ftLastWriteTime) && out.Close();
    in.Close();
    out.Close();
    // Moved with the attributes of the file it saves: a read-only file stays read-only.
    if (copied && MoveFileExW(Wide(beside).c_str(), Wide(destination).c_str(), MOVEFILE_WRITE_THROUGH))
        return SetFileAttributesW(Wide(destination).c_str(), info.dwFileAttributes & ~FILE_ATTRIBUTE_DIRECTORY) != 0;
    DeleteFileW(Wide(beside).c_str());
    return false;
}
