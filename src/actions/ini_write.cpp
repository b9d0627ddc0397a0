#include "actions/ini_write.h"

#include <windows.h>

#include "actions/profile_rewrite.h"
#include "base/text_buffer.h"
#include "base/whole_files.h"

bool WriteIniValue(const char* path, const char* section, const char* key, const char* value) {
    char beside[MAX_PATH];
    TextBuffer before, after;
    bool exists = false, besideExists = false;
    if (!BesidePath(path, beside) || !ReadWholeFile(path, before, &exists)) return false;
    DeleteFileA(beside);  // left by a run that was killed
    bool deleting = !value || !*value;
    if (exists && !WriteWholeFile(beside, before)) {
        DeleteFileA(beside);
        return false;
    }
    if (!WritePrivateProfileStringA(section, key, deleting ? nullptr : value, beside)) {
        DeleteFileA(beside);
        return false;
    }
    // Deleting from a file that is not there makes none.
    if (!ReadWholeFile(beside, after, &besideExists) || (!besideExists && !(deleting && !exists)) ||
        !RewriteIsWhole(before.Text(), before.Length(), after.Text(), after.Length(), {section, key, value})) {
        DeleteFileA(beside);
        return false;
    }
    return !besideExists || MoveIntoPlace(beside, path);
}
