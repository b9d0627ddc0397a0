#include "check_text.h"

#include <cstring>
#include <vector>

#include "base/text.h"
#include "base/text_buffer.h"
#include "script/conditions.h"
#include "script/fields.h"
#include "script/variables.h"

namespace {

// Room of the pieces expansion cuts a text into (variables.cpp).
constexpr int kPieceRoom = 64;

bool Contains(const std::string& set, char c) { return set.find(c) != std::string::npos; }

// The flags each use tests, and whether a flag must stand last to count.
struct Flag {
    const char* text;
    bool last;
};
const Flag kFlags[] = {{"!", true}, {"-", true}, {"+", false}, {"?", false}, {"nr", false}};

bool FlagFor(ConditionUse use, const std::string& alternative) {
    switch (use) {
    case ConditionUse::Copy: return alternative == "!" || alternative == "-" || alternative == "+";
    case ConditionUse::Recorded: return alternative == "-";
    case ConditionUse::Font: return alternative == "nr" || alternative == "n" || alternative == "r";
    case ConditionUse::Deletion: return alternative == "?";
    case ConditionUse::Listing: return alternative == "-";
    case ConditionUse::Selection: return false;
    }
    return false;
}

std::string Letters(const std::string& letters) {
    return letters.size() == 1 ? "the letter " + Quoted(letters) + " is no choice's code"
                               : "the letters " + Quoted(letters) + " are no choice's codes";
}

bool AnyFlag(const std::string& alternative) {
    for (const Flag& flag : kFlags)
        if (alternative == flag.text) return true;
    return false;
}

}  // namespace

std::string Expanded(const std::string& text, bool split) {
    std::string work = text;
    TextBuffer out;
    ExpandText(&work[0], out, static_cast<size_t>(-1) / 2, split);
    return std::string(out.Text(), out.Length());
}

bool IsDefinedName(const std::string& name) { return IsBuiltInName(name.c_str()) || FindVariable(name.c_str()); }

void CheckNames(ScriptCheck& check, int line, const std::string& text) {
    std::vector<std::string> pieces = Fields(text, '%', kPieceRoom);
    // A piece after an odd number of single % signs, and closed by another,
    // was meant as a name.
    for (size_t i = 1; i + 1 < pieces.size(); i += 2)
        if (!pieces[i].empty() && !IsDefinedName(pieces[i]))
            check.report.Error(line, "%%%s%% is no built-in name and no [reg] or [path] variable: it stays as written",
                               pieces[i].c_str());
}

void CheckCondition(ScriptCheck& check, int line, const std::string& condition, ConditionUse use) {
    if (condition.size() >= static_cast<size_t>(kConditionSize))
        check.report.Error(line, "condition longer than %d characters: it is tested as far as it fits",
                           kConditionSize - 1);
    std::vector<std::string> alternatives =
        Fields(condition.substr(0, kConditionSize - 1), ',', kAlternativeRoom);
    std::string codes = check.codeCharacters + (use == ConditionUse::Listing ? "-" : "");
    bool canHold = false;
    bool variableSeen = false;
    std::string undefined;  // the letters of the first alternative that cannot hold
    std::vector<std::string> never;
    for (size_t i = 0; i < alternatives.size(); ++i) {
        const std::string& alternative = alternatives[i];
        bool last = i + 1 == alternatives.size();
        if (FindVariable(alternative.c_str())) {
            canHold = true;
            variableSeen = true;
            continue;
        }
        if (FlagFor(use, alternative)) {
            if ((alternative == "-" || alternative == "!") && !last && use != ConditionUse::Listing)
                check.report.Error(line, "the flag '%s' counts only as the last alternative: write it last",
                                   alternative.c_str());
            else if (alternative == "-" && !last)
                check.report.Warning(line, "'-' not in last place: when no code was chosen the entry is not listed");
            else if (variableSeen && alternative != "-" && alternative != "!")
                check.report.Warning(line, "a variable before the flag '%s' decides the flag test too",
                                     alternative.c_str());
            if (use == ConditionUse::Listing) canHold = true;
            continue;
        }
        if (AnyFlag(alternative)) {
            check.report.Warning(line, "the flag '%s' means nothing to this kind of entry", alternative.c_str());
            continue;
        }
        std::string missing;
        for (char c : alternative)
            if (!Contains(codes, c) && !Contains(missing, c)) missing += c;
        if (missing.empty()) {
            canHold = true;
            continue;
        }
        if (undefined.empty()) undefined = missing;
        never.push_back("the alternative " + Quoted(alternative) + " never holds: " + Letters(missing));
    }
    // Alternatives that never hold beside one that may; when none may, the
    // condition as a whole is the finding.
    if (canHold)
        for (const std::string& text : never) check.report.Error(line, "%s", text.c_str());
    if (!canHold) {
        std::string why = undefined.empty() ? "it holds only flags (write them behind an empty alternative: '/,-')"
                                            : Letters(undefined) + " (a '/' meant as text is written '//')";
        check.report.Error(line, "the condition %s holds for no choice, the entry is never %s: %s",
                           Quoted(condition).c_str(), use == ConditionUse::Listing ? "listed" : "carried out",
                           why.c_str());
    }
}

bool CheckWidth(ScriptCheck& check, int line, const std::string& text, size_t limit, const char* what,
                const char* beyond, bool inCharacters) {
    size_t length = inCharacters ? WideLength(text.data(), text.size()) : text.size();
    if (length <= limit) return true;
    check.report.Error(line, "%s %s is %d characters, over the %d it may hold: %s", what, Quoted(text).c_str(),
                       static_cast<int>(length), static_cast<int>(limit), beyond);
    return false;
}

std::vector<std::string> Fields(const std::string& text, char separator, int room) {
    std::string work = text;
    std::vector<char*> fields(room);
    int count = 0;
    SplitFields(&work[0], fields.data(), &count, separator, room);
    return std::vector<std::string>(fields.begin(), fields.begin() + count);
}
