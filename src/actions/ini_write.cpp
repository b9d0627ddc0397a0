#include "actions/ini_write.h"

#include <windows.h>

#include "actions/profile_rewrite.h"
#include "base/text_buffer.h"
#include "base/whole_files.h"

namespace {

// The whole file into text; false when it cannot be read whole. A file that
// is not there reads as empty (*exists false).
bool ReadWhole(const char* path, TextBuffer& text, bool* exists) {
    text.Clear();
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    *exists = file != INVALID_HANDLE_VALUE;
    if (!*exists) return GetLastError() == ERROR_FILE_NOT_FOUND;
    LARGE_INTEGER size = {};
    DWORD got = 0;
    bool read = GetFileSizeEx(file, &size) && size.QuadPart < 0x40000000 &&
                text.Reserve(static_cast<size_t>(size.QuadPart) + 1) &&
                (size.QuadPart == 0 || ReadFile(file, text.Data(), static_cast<DWORD>(size.QuadPart), &got, nullptr)) &&
                got == size.QuadPart;
    CloseHandle(file);
    if (read) text.SetLength(got);
    return read;
}

bool WriteWhole(const char* path, const TextBuffer& text) {
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD put = 0;
    bool written = text.Length() == 0 ||
                   (WriteFile(file, text.Text(), static_cast<DWORD>(text.Length()), &put, nullptr) && put == text.Length());
    CloseHandle(file);
    return written;
}

}  // namespace

bool WriteIniValue(const char* path, const char* section, const char* key, const char* value) {
    char beside[MAX_PATH];
    TextBuffer before, after;
    bool exists = false, besideExists = false;
    if (!BesidePath(path, beside) || !ReadWhole(path, before, &exists)) return false;
    DeleteFileA(beside);  // left by a run that was killed
    bool deleting = !value || !*value;
    if (exists && !WriteWhole(beside, before)) {
        DeleteFileA(beside);
        return false;
    }
    if (!WritePrivateProfileStringA(section, key, deleting ? nullptr : value, beside)) {
        DeleteFileA(beside);
        return false;
    }
    // Deleting from a file that is not there makes none.
    if (!ReadWhole(beside, after, &besideExists) || (!besideExists && !(deleting && !exists)) ||
        !RewriteIsWhole(before.Text(), before.Length(), after.Text(), after.Length(), {section, key, value})) {
        DeleteFileA(beside);
        return false;
    }
    return !besideExists || MoveIntoPlace(beside, path);
}
