// Selection conditions and flags of script entries.
#pragma once

// Longest condition that is tested as written; a longer one is cut to this.
constexpr int kConditionSize = 64;

// Tests a condition field (comma-separated alternatives of code letters or
// variable names) against a code string: optionCodes, optionCodes with "-"
// appended, or one of the flags "!", "+", "-", "?", "nr". 1 holds, 0 not.
int MatchCondition(const char* codes, const char* condition);
