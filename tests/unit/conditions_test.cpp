#include <gtest/gtest.h>

#include <string>

#include "test_support.h"
#include "base/setup_state.h"
#include "base/text.h"
#include "script/conditions.h"

namespace {

class Conditions : public testing::Test {
protected:
    StateScope state;
};

TEST_F(Conditions, CountingCharacterRule) {
    struct Row {
        const char* codes;
        const char* condition;
        int holds;
    } rows[] = {
        {"AB", "A", 1},   {"AB", "BA", 1},   {"AB", "AC", 0},  {"A", "AA", 0},    {"AA", "A", 0},
        {"AAB", "AB", 0}, {"AB", "", 1},     {"", "A", 0},     {"A-", "-", 1},    {"nr", "r", 1},
        {"AB", "C,BA", 1}, {"AB", "C,D", 0}, {"AB", "a", 0},   {"A,", "A,,", 1},  {"A", "A,,", 0},
    };
    for (const Row& row : rows)
        EXPECT_EQ(MatchCondition(row.codes, row.condition), row.holds) << row.codes << " / " << row.condition;
}

TEST_F(Conditions, Flags) {
    // "-" and "!" decide on the last alternative alone, even before a variable.
    SetVariable("-", "");
    EXPECT_EQ(MatchCondition("-", "A,-"), 1);
    EXPECT_EQ(MatchCondition("-", "-,A"), 0);
    EXPECT_EQ(MatchCondition("-", ""), 0);
    EXPECT_EQ(MatchCondition("!", "AB,!"), 1);
    EXPECT_EQ(MatchCondition("!", "!,AB"), 0);
    // The others follow the character rule.
    EXPECT_EQ(MatchCondition("+", "A,+"), 1);
    EXPECT_EQ(MatchCondition("+", "A"), 0);
    EXPECT_EQ(MatchCondition("?", ""), 1);
    EXPECT_EQ(MatchCondition("nr", "AB,n"), 1);
}

TEST_F(Conditions, VariableDecidesBeforeTheCharacterRule) {
    SetVariable("V", "");
    EXPECT_EQ(MatchCondition("AB", "V,A"), 0);
    EXPECT_EQ(MatchCondition("AB", "C,V"), 0);
    EXPECT_EQ(MatchCondition("AB", "A,V"), 1);
    EXPECT_EQ(MatchCondition("nr", "V,nr"), 0);
    CopyText(gState->variables[0].value, "x");
    EXPECT_EQ(MatchCondition("AB", "V,A"), 1);
    EXPECT_EQ(MatchCondition("AB", "C,V"), 1);
    EXPECT_EQ(MatchCondition("nr", "V"), 1);
}

TEST_F(Conditions, VariableNamesMatchExactly) {
    SetVariable("V", "");
    SetVariable("WINDIR", "x");
    SetVariable("strasse", "x");
    SetVariable("W", "");
    SetVariable("W", "y");
    SetVariable("", "");
    EXPECT_EQ(MatchCondition("v", "v"), 1);                   // not V: the character rule
    EXPECT_EQ(MatchCondition("", "WINDIR"), 1);               // built-in names do not hide it here
    EXPECT_EQ(MatchCondition("", "stra\xDF" "e"), 0);         // no linguistic equivalence
    EXPECT_EQ(MatchCondition("", "W"), 0);                    // the first row decides
    EXPECT_EQ(MatchCondition("AB", "C,"), 1);                 // an empty alternative is never a variable
}

TEST_F(Conditions, LongConditionsAreTestedWholeUpToAValuesLength) {
    // The last alternative stands at character 129: past 63, within a value.
    std::string condition;
    while (condition.size() < 128) condition += "X,";
    EXPECT_EQ(MatchCondition("-", (condition + "-").c_str()), 1);
    EXPECT_EQ(MatchCondition("AB", (condition + "AB").c_str()), 1);
    // Beyond 255 characters (possible only in a key) the rest is cut.
    EXPECT_EQ(MatchCondition("-", (std::string(300, 'X') + ",-").c_str()), 0);
}

}  // namespace
