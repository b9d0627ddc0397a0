#include "run/answers_file.h"

#include <windows.h>

#include "base/setup_state.h"
#include "base/text.h"
#include "base/text_buffer.h"
#include "base/whole_files.h"

namespace {

// The profile functions take a bare name for one in the Windows directory.
bool FullPath(const char* path, char (&full)[MAX_PATH]) {
    DWORD n = GetFullPathNameA(path, sizeof full, full, nullptr);
    return n != 0 && n < sizeof full;
}

// A key's value, or false when the key is not there.
bool ReadKey(const char* file, const char* section, const char* key, char* out, DWORD cap) {
    const char absent[] = "\x01";
    GetPrivateProfileStringA(section, key, absent, out, cap, file);
    return lstrcmpA(out, absent) != 0;
}

bool AppendLine(TextBuffer& text, const char* key, const char* value) {
    return text.Append(key) && text.Append("=") && text.Append(value) && text.Append("\r\n");
}

}  // namespace

bool ReadAnswersFile(const char* path, RunAnswers* answers) {
    char file[MAX_PATH];
    if (!FullPath(path, file) || GetFileAttributesA(file) == INVALID_FILE_ATTRIBUTES) return false;
    char text[kAnswerTextSize];
    bool any = false;
    if (ReadKey(file, "answers", "options", text, sizeof text)) {
        any = true;
        if (!answers->hasOptions && CopyText(answers->optionCodes, text)) answers->hasOptions = true;
    }
    if (ReadKey(file, "answers", "components", text, sizeof text)) {
        any = true;
        if (!answers->hasComponents && CopyText(answers->components, text)) answers->hasComponents = true;
    }
    char names[4096];
    DWORD got = GetPrivateProfileStringA("path", nullptr, "", names, sizeof names, file);
    for (const char* name = names; got && *name; name += lstrlenA(name) + 1) {
        any = true;
        if (PathAnswerFor(name) || answers->pathCount == kMaxPathAnswers) continue;  // the command line's wins
        PathAnswer& given = answers->paths[answers->pathCount];
        if (CopyText(given.name, name) && ReadKey(file, "path", name, given.value, sizeof given.value))
            ++answers->pathCount;
    }
    return any;
}

bool RecordAnswers(const char* path) {
    char file[MAX_PATH], beside[MAX_PATH];
    if (!FullPath(path, file) || !BesidePath(file, beside)) return false;
    TextBuffer text;
    bool fits = text.Append("[answers]\r\n");
    if (gState->optionGroupCount > 0) fits = fits && AppendLine(text, "options", gState->optionCodes);
    TextBuffer chosen;
    for (int i = 0; i < gState->componentCount && i < kMaxComponents; ++i) {
        if (!gState->components[i].selected) continue;
        if (chosen.Length()) fits = fits && chosen.Append(",");
        fits = fits && chosen.Append(gState->components[i].section);
    }
    fits = fits && AppendLine(text, "components", chosen.Length() ? chosen.Text() : "");
    fits = fits && text.Append("[path]\r\n");
    for (int i = gState->regVariableCount; i < gState->variableCount && i < kMaxVariables; ++i)
        if (gState->variables[i].asked)
            fits = fits && AppendLine(text, gState->variables[i].name, gState->variables[i].value);
    return fits && WriteWholeFile(beside, text) && MoveIntoPlace(beside, file);
}
