// Adding a string to a REG_MULTI_SZ list, letter case ignored the way the
// platform compares for the user's language. The list is the registry's own
// UTF-16 data, counted in characters. unsigned long is the platform's DWORD.
#pragma once

enum class StringListResult { Added, AlreadyThere, NoRoom };
// Adds text as one more string to the REG_MULTI_SZ list of *size characters
// in list (capacity characters), unless a string of the list equals it
// (letter case ignored). The walk ends at the list's empty string or at the
// end of the data, whichever comes first; an unterminated last string counts
// as ended there. On Added, *size is the new list's size, ended by two zeros.
StringListResult AddToStringList(wchar_t* list, unsigned long* size, unsigned long capacity, const wchar_t* text);
