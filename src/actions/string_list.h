// Adding a string to a REG_MULTI_SZ list, letter case ignored the way the
// platform compares for the user's language. unsigned long is the
// platform's DWORD.
#pragma once

enum class StringListResult { Added, AlreadyThere, NoRoom };
// Adds text as one more string to the REG_MULTI_SZ list of *size bytes in
// list (capacity bytes), unless a string of the list equals it (letter case
// ignored). The walk ends at the list's empty string or at the end of the
// data, whichever comes first; an unterminated last string counts as ended
// there. On Added, *size is the new list's size, ended by two zeros.
StringListResult AddToStringList(unsigned char* list, unsigned long* size, unsigned long capacity, const char* text);
