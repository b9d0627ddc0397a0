#include <gtest/gtest.h>

#include <string>

#include "script/conditions.h"
#include "script/text.h"
#include "unit_support.h"

namespace {

class Conditions : public testing::Test {
protected:
    StateScope state;
};

TEST_F(Conditions, CountingCharacterRule) {
    struct Row {
        const char* codes;
        const char* alternative;
        int holds;
    } rows[] = {
        {"AB", "A", 1},  {"AB", "BA", 1}, {"AB", "AC", 0}, {"A", "AA", 0}, {"AA", "A", 0},
        {"AAB", "AB", 0}, {"AB", "", 1},  {"", "A", 0},    {"A-", "-", 1}, {"nr", "r", 1},
    };
    for (const Row& row : rows)
        EXPECT_EQ(MatchCondition(row.codes, row.alternative), row.holds) << row.codes << " / " << row.alternative;
}

TEST_F(Conditions, AlternativesAndLetterCase) {
    EXPECT_EQ(MatchCondition("AB", "C,BA"), 1);
    EXPECT_EQ(MatchCondition("AB", "C,D"), 0);
    EXPECT_EQ(MatchCondition("AB", "a"), 0);
    // Two commas are one literal comma inside an alternative.
    EXPECT_EQ(MatchCondition("A,", "A,,"), 1);
    EXPECT_EQ(MatchCondition("A", "A,,"), 0);
}

TEST_F(Conditions, DashAndBangDecideOnTheLastAlternativeOnly) {
    EXPECT_EQ(MatchCondition("-", "A,-"), 1);
    EXPECT_EQ(MatchCondition("-", "-,A"), 0);
    EXPECT_EQ(MatchCondition("-", ""), 0);
    EXPECT_EQ(MatchCondition("!", "AB,!"), 1);
    EXPECT_EQ(MatchCondition("!", "!,AB"), 0);
    EXPECT_EQ(MatchCondition("!", "!!"), 0);
    // A variable named "-" does not decide the flag test.
    SetVariable("-", "");
    EXPECT_EQ(MatchCondition("-", "A,-"), 1);
}

TEST_F(Conditions, OtherFlagsFollowTheCharacterRule) {
    EXPECT_EQ(MatchCondition("+", "A,+"), 1);
    EXPECT_EQ(MatchCondition("+", "A"), 0);
    EXPECT_EQ(MatchCondition("?", ""), 1);
    EXPECT_EQ(MatchCondition("nr", "AB,nr"), 1);
    EXPECT_EQ(MatchCondition("nr", "n"), 1);
    EXPECT_EQ(MatchCondition("nr", "AB"), 0);
}

TEST_F(Conditions, VariableDecidesBeforeTheCharacterRule) {
    SetVariable("V", "");
    EXPECT_EQ(MatchCondition("AB", "V,A"), 0);
    EXPECT_EQ(MatchCondition("AB", "C,V"), 0);
    EXPECT_EQ(MatchCondition("AB", "A,V"), 1);  // A decides first
    CopyText(gState->variables[0].value, "x");
    EXPECT_EQ(MatchCondition("AB", "V,A"), 1);
    EXPECT_EQ(MatchCondition("AB", "C,V"), 1);
    // The flag tests are decided by a variable met first, too.
    EXPECT_EQ(MatchCondition("nr", "V"), 1);
    CopyText(gState->variables[0].value, "");
    EXPECT_EQ(MatchCondition("nr", "V,nr"), 0);
}

TEST_F(Conditions, VariableNamesMatchExactly) {
    SetVariable("V", "");
    EXPECT_EQ(MatchCondition("v", "v"), 1);  // not the variable: the character rule
    SetVariable("WINDIR", "x");
    EXPECT_EQ(MatchCondition("", "WINDIR"), 1);  // built-in names do not hide variables here
    SetVariable("strasse", "x");
    EXPECT_EQ(MatchCondition("", "stra\xDF" "e"), 0);  // no linguistic equivalence
    // The first row of a name decides.
    SetVariable("W", "");
    SetVariable("W", "y");
    EXPECT_EQ(MatchCondition("", "W"), 0);
}

TEST_F(Conditions, EmptyAlternativeIsNeverAVariable) {
    SetVariable("", "");
    EXPECT_EQ(MatchCondition("AB", ""), 1);
    EXPECT_EQ(MatchCondition("AB", "C,"), 1);
}

TEST_F(Conditions, LongConditionsAreTestedWholeUpToAValuesLength) {
    // The last alternative stands at character 130: far past 63, within a value.
    std::string condition;
    while (condition.size() < 128) condition += "X,";
    condition += "-";
    EXPECT_EQ(MatchCondition("-", condition.c_str()), 1);
    std::string letters = condition.substr(0, condition.size() - 1) + "AB";
    EXPECT_EQ(MatchCondition("AB", letters.c_str()), 1);
    // Beyond 255 characters (possible only in a key) the rest is cut.
    std::string overlong(300, 'X');
    overlong += ",-";
    EXPECT_EQ(MatchCondition("-", overlong.c_str()), 0);
}

TEST_F(Conditions, ConditionIsNotChanged) {
    char condition[] = "A,,B,C";
    MatchCondition("A", condition);
    EXPECT_STREQ(condition, "A,,B,C");
}

}  // namespace
