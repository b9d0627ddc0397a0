// The compressed-name rule: a file name ending in "_" and one more character
// c is installed without those two characters and read from the media under
// that name with its last character replaced by c (TOOLS.HLP__ is read as
// TOOLS.HL_ and installed as TOOLS.HLP). Plain code without any platform
// header, so that the publisher's tool builds it natively too.
#pragma once
#include <cstddef>

// Fills targetName (the name installed) and mediaName (the name read from the
// media), each of capacity cap. True when the rule applied; otherwise both
// hold fileName as written (cut to cap when it does not fit, and then the
// rule is not applied). A name of fewer than three characters is taken as
// written.
bool SplitMediaName(const char* fileName, char* targetName, char* mediaName, size_t cap);

template <size_t N>
inline bool SplitMediaName(const char* fileName, char (&targetName)[N], char (&mediaName)[N]) {
    return SplitMediaName(fileName, targetName, mediaName, N);
}

// The inverse, for a file stored compressed under a name that ends in c:
// the media name (targetName with its last character replaced by c) and the
// text a copy entry names it by (targetName, "_", c). False when targetName is
// empty or a result does not fit its capacity (the results are then empty).
bool JoinMediaName(const char* targetName, char c, char* mediaName, size_t mediaCap, char* entryName, size_t entryCap);
