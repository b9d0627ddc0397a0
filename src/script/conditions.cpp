#include "script/conditions.h"

#include <cstring>

#include "base/script_tables.h"
#include "base/text.h"
#include "script/fields.h"
#include "script/variables.h"

namespace {

// The counting character rule: the number of positions of the code string
// whose character occurs in the alternative must equal the alternative's length.
bool CharacterRuleHolds(const char* codes, const char* alternative) {
    size_t count = 0;
    for (const char* c = codes; *c; ++c)
        if (std::strchr(alternative, *c)) ++count;
    return count == std::strlen(alternative);
}

}  // namespace

int MatchCondition(const char* codes, const char* condition) {
    if (!codes) codes = "";
    char copy[kConditionSize];
    CopyText(copy, condition);
    char* alternatives[kAlternativeRoom];
    int count = 0;
    SplitFields(copy, alternatives, &count, ',', kAlternativeRoom);
    const char* last = alternatives[count - 1];
    // The flags "-" and "!" count only as the last alternative.
    if (std::strcmp(codes, "-") == 0) return std::strcmp(last, "-") == 0;
    if (std::strcmp(codes, "!") == 0) return std::strcmp(last, "!") == 0;
    for (int i = 0; i < count; ++i) {
        if (const ScriptVariable* variable = FindVariable(alternatives[i])) return variable->value[0] != '\0';
        if (CharacterRuleHolds(codes, alternatives[i])) return 1;
    }
    return 0;
}
