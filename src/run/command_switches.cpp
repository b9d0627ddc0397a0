#include "run/command_switches.h"

#include <cstring>

#include "base/text.h"
#include "base/wide_text.h"

namespace {

bool Blank(char c) { return c >= 1 && c <= 32; }

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// The end of prefix at the start of text (ASCII letter case ignored), or null.
const char* After(const char* text, const char* prefix) {
    for (; *prefix; ++text, ++prefix)
        if (Lower(*text) != *prefix) return nullptr;  // also at the end of text
    return text;
}

// The end of a switch that is exactly word, followed by a blank or the end; or null.
const char* AfterWord(const char* text, const char* word) {
    const char* end = After(text, word);
    return end && (*end == '\0' || Blank(*end)) ? end : nullptr;
}

// Reads the value of a switch at `start` (/log=FILE: what follows "="),
// quoted or up to the next blank, into out; the end of the switch, or null
// when it is none (empty, unterminated, longer than out holds, or, for a
// path, as long as MAX_PATH characters or longer).
const char* ReadValue(const char* start, char* out, size_t cap, bool path = false) {
    if (!start) return nullptr;
    const char* end = start;
    bool quoted = *start == '"';
    if (quoted) {
        ++start;
        end = start;
        while (*end && *end != '"') ++end;
        if (*end != '"') return nullptr;
    } else {
        while (*end && !Blank(*end)) ++end;
    }
    const char* after = quoted ? end + 1 : end;
    if (end == start || (*after && !Blank(*after))) return nullptr;
    // A value longer than its room (a path longer than the platform takes)
    // is no switch: the run then reports the whole text as the script's name.
    // The platform's limit counts characters: the text is UTF-8, so a path
    // of MAX_PATH characters may take more bytes than that.
    if (static_cast<size_t>(end - start) >= cap) return nullptr;
    if (path && Wide(start, end - start).size() >= MAX_PATH) return nullptr;
    CopyTextN(out, cap, start, end - start);
    return after;
}

// Reads a switch that names a file (/log=FILE).
const char* ReadFileSwitch(const char* text, const char* name, char (&path)[kPathBytes]) {
    return ReadValue(After(text, name), path, sizeof path, true);
}

// Reads /path:NAME=VALUE into the next free answer; a name given again takes
// the later value.
const char* ReadPathSwitch(const char* text, RunAnswers* answers) {
    const char* name = After(text, "/path:");
    if (!name) return nullptr;
    const char* equals = name;
    while (*equals && *equals != '=' && !Blank(*equals)) ++equals;
    if (*equals != '=' || equals == name) return nullptr;
    PathAnswer given;
    if (!CopyTextN(given.name, sizeof given.name, name, equals - name)) return nullptr;
    const char* end = ReadValue(equals + 1, given.value, sizeof given.value, true);
    if (!end) return nullptr;
    int at = 0;
    while (at < answers->pathCount && std::strcmp(answers->paths[at].name, given.name) != 0) ++at;
    if (at == kMaxPathAnswers) return nullptr;
    answers->paths[at] = given;
    if (at == answers->pathCount) ++answers->pathCount;
    return end;
}

}  // namespace

const char* ReadSwitches(const char* text, RunSwitches* switches) {
    if (!text) return "";
    RunAnswers& answers = switches->answers;
    for (;;) {
        const char* next = nullptr;
        if ((next = AfterWord(text, "/quiet"))) switches->quiet = true;
        else if ((next = AfterWord(text, "/norestart"))) switches->noRestart = true;
        else if ((next = AfterWord(text, "/rollback"))) switches->rollback = true;
        else if ((next = ReadFileSwitch(text, "/plan=", switches->planPath))) switches->quiet = switches->noRestart = true;
        else if ((next = ReadFileSwitch(text, "/answers=", switches->answersPath))) switches->quiet = true;
        else if ((next = ReadFileSwitch(text, "/record=", switches->recordPath))) {
        } else if ((next = ReadValue(After(text, "/options="), answers.optionCodes, sizeof answers.optionCodes))) {
            answers.hasOptions = true;
        } else if ((next = ReadValue(After(text, "/components="), answers.components, sizeof answers.components))) {
            answers.hasComponents = true;
        } else if (!(next = ReadPathSwitch(text, &answers))) {
            next = ReadFileSwitch(text, "/log=", switches->logPath);
        }
        if (!next) return text;
        while (Blank(*next)) ++next;
        text = next;
    }
}
