// Comparisons of texts that ignore letter case the way the platform does for
// the user's language: they need the platform, unlike the rest of text.h.
#pragma once

// Letter-case-insensitive comparison of two UTF-8 texts (0 when equal).
int CompareNoCase(const char* a, const char* b);
// True when text ends with suffix, letter case ignored.
bool EndsWithNoCase(const char* text, const char* suffix);
