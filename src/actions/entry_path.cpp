#include "actions/entry_path.h"

#include "script/sections.h"
#include "script/text.h"
#include "script/variables.h"

bool BuildEntryPath(char* keyField, char (&path)[MAX_PATH]) {
    // Room for one piece more than allowed, so that a fourth piece shows.
    char* pieces[5];
    int count = 0;
    SplitFields(keyField, pieces, &count, '\\', 5);
    path[0] = '\0';
    if (count > 3) return false;

    bool whole = true;
    if (count == 1) {
        UINT n = GetWindowsDirectoryA(path, sizeof path);
        whole = n > 0 && n < sizeof path;
    } else {
        whole = ExpandText(pieces[0], path, false);
    }
    size_t length = lstrlenA(path);
    AddBackslash(path);
    whole = whole && (length == 0 || path[length - 1] == '\\' || path[length] == '\\');
    whole = whole && AppendText(path, pieces[count - 1]);
    if (!whole) path[0] = '\0';
    return whole;
}
