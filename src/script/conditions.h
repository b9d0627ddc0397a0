// Selection conditions and flags of script entries.
#pragma once

#include "script/fields.h"

// Working size of a condition: room for any value field the profile reader
// returns, so a condition taken from a value is always tested whole. A longer
// one (possible only in a key) is tested as far as it fits.
constexpr int kConditionSize = kValueSize;
// Room for the alternatives of such a condition: every other character a
// comma gives at most half its length plus one, and the null pointer.
constexpr int kAlternativeRoom = kConditionSize / 2 + 2;

// Tests a condition field (comma-separated alternatives of code letters or
// variable names) against a code string: optionCodes, optionCodes with "-"
// appended, or one of the flags "!", "+", "-", "?", "nr". 1 holds, 0 not.
int MatchCondition(const char* codes, const char* condition);
