#include "base/run_switches.h"

#include <cstring>

#include "base/text.h"
#include "base/text_compare.h"

RunSwitches gSwitches = {};

const char* PathAnswerFor(const char* name) {
    const RunAnswers& answers = gSwitches.answers;
    for (int i = 0; i < answers.pathCount; ++i)
        if (std::strcmp(answers.paths[i].name, name) == 0) return answers.paths[i].value;
    return nullptr;
}

bool NextComponentName(const char** at, char (&name)[kAnswerTextSize]) {
    if (!**at) return false;
    const char* end = *at;
    while (*end && *end != ',') ++end;
    CopyTextN(name, sizeof name, *at, end - *at);
    *at = *end ? end + 1 : end;
    return true;
}

bool ComponentAnswered(const char* section, const char* label) {
    const char* at = gSwitches.answers.components;
    char name[kAnswerTextSize];
    while (NextComponentName(&at, name))
        if (CompareNoCase(name, section) == 0 || CompareNoCase(name, label) == 0) return true;
    return false;
}
