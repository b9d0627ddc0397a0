#include "actions/string_list.h"

#include <windows.h>

StringListResult AddToStringList(unsigned char* list, unsigned long* size, unsigned long capacity, const char* text) {
    DWORD used = *size < capacity ? *size : capacity;
    int textLength = lstrlenA(text);
    DWORD at = 0;
    while (at < used && list[at]) {
        DWORD end = at;
        while (end < used && list[end]) ++end;
        const char* entry = reinterpret_cast<const char*>(list + at);
        if (CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, entry, static_cast<int>(end - at), text, textLength) ==
            CSTR_EQUAL)
            return StringListResult::AlreadyThere;
        at = end + 1;  // behind the string's terminator, present or not
    }
    // The new string goes where the list's empty string was (or after the
    // last string), followed by its terminator and the list's end.
    if (at + textLength + 2 > capacity) return StringListResult::NoRoom;
    if (at > 0) list[at - 1] = '\0';  // an unterminated last string ends here
    CopyMemory(list + at, text, textLength);
    list[at + textLength] = '\0';
    list[at + textLength + 1] = '\0';
    *size = at + textLength + 2;
    return StringListResult::Added;
}
