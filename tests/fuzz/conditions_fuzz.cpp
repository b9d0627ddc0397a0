// Conditions and flags against the plain model of the rule: the input gives
// the chosen codes, a few variables and a condition, which is tested with
// the codes, the listing codes and every flag.
#include <algorithm>
#include <cstring>

#include "base/script_tables.h"
#include "base/text.h"
#include "fuzz_input.h"
#include "reference.h"
#include "script/conditions.h"

namespace {

ScriptTables tables;

bool CharacterRule(const std::string& codes, const std::string& alternative) {
    size_t count = 0;
    for (char c : codes)
        if (alternative.find(c) != std::string::npos) ++count;
    return count == alternative.size();
}

int Model(const std::string& codes, const std::string& condition) {
    // A condition longer than its buffer is cut before the UTF-8 character
    // that did not fit whole (three continuation bytes at most).
    size_t cut = std::min(condition.size(), static_cast<size_t>(kConditionSize - 1));
    for (int back = 0; cut < condition.size() && back < 3 && cut > 0 &&
                       (static_cast<unsigned char>(condition[cut]) & 0xC0) == 0x80;
         ++back)
        --cut;
    std::vector<std::string> alternatives = ReferenceFields(condition.substr(0, cut), ',', kAlternativeRoom);
    if (codes == "-") return alternatives.back() == "-";
    if (codes == "!") return alternatives.back() == "!";
    for (const std::string& alternative : alternatives) {
        for (int i = 0; i < tables.variableCount && !alternative.empty(); ++i)
            if (alternative == tables.variables[i].name) return tables.variables[i].value[0] != '\0';
        if (CharacterRule(codes, alternative)) return 1;
    }
    return 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input(data, size);
    std::memset(&tables, 0, sizeof tables);
    gTables = &tables;
    CopyText(tables.optionCodes, input.Text().c_str());
    for (int n = input.Byte() % 5; n > 0; --n) {
        ScriptVariable& row = tables.variables[tables.variableCount++];
        CopyText(row.name, input.Text().c_str());
        CopyText(row.value, input.Text().c_str());
    }
    std::string condition = input.Rest();
    condition = condition.substr(0, condition.find('\0'));
    std::string listing = std::string(tables.optionCodes) + "-";
    for (const std::string& codes : {std::string(tables.optionCodes), listing, std::string("!"), std::string("+"),
                                     std::string("-"), std::string("?"), std::string("nr")}) {
        int result = MatchCondition(codes.c_str(), condition.c_str());
        if (result != Model(codes, condition)) __builtin_trap();
    }
    gTables = nullptr;
    return 0;
}
