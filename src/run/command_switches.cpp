#include "run/command_switches.h"

#include "base/text.h"

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

// Reads a switch that names a file (/log=FILE); the end of the switch, or
// null when it is none.
const char* ReadFileSwitch(const char* text, const char* name, char (&path)[MAX_PATH]) {
    const char* start = After(text, name);
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
    // A path longer than the platform takes is no switch: the run then
    // reports the whole text as the script's name.
    char taken[MAX_PATH];
    if (!CopyTextN(taken, sizeof taken, start, end - start)) return nullptr;
    CopyText(path, taken);
    return after;
}

}  // namespace

const char* ReadSwitches(const char* text, RunSwitches* switches) {
    if (!text) return "";
    for (;;) {
        const char* next = nullptr;
        if ((next = AfterWord(text, "/quiet"))) switches->quiet = true;
        else if ((next = AfterWord(text, "/norestart"))) switches->noRestart = true;
        else if ((next = ReadFileSwitch(text, "/plan=", switches->planPath))) switches->quiet = switches->noRestart = true;
        else next = ReadFileSwitch(text, "/log=", switches->logPath);
        if (!next) return text;
        while (Blank(*next)) ++next;
        text = next;
    }
}
