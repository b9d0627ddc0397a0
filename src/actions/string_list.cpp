#include "actions/string_list.h"

#include <windows.h>

#include <cwchar>

StringListResult AddToStringList(wchar_t* list, unsigned long* size, unsigned long capacity, const wchar_t* text) {
    DWORD used = *size < capacity ? *size : capacity;
    DWORD textLength = static_cast<DWORD>(std::wcslen(text));
    DWORD at = 0;
    while (at < used && list[at]) {
        DWORD end = at;
        while (end < used && list[end]) ++end;
        if (CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, list + at, static_cast<int>(end - at), text,
                           static_cast<int>(textLength)) == CSTR_EQUAL)
            return StringListResult::AlreadyThere;
        at = end + 1;  // behind the string's terminator, present or not
    }
    // The new string goes where the list's empty string was (or after the
    // last string), followed by its terminator and the list's end.
    if (at + textLength + 2 > capacity) return StringListResult::NoRoom;
    if (at > 0) list[at - 1] = L'\0';  // an unterminated last string ends here
    CopyMemory(list + at, text, textLength * sizeof(wchar_t));
    list[at + textLength] = L'\0';
    list[at + textLength + 1] = L'\0';
    *size = at + textLength + 2;
    return StringListResult::Added;
}
