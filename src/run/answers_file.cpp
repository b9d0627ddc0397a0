#include "run/answers_file.h"

#include <windows.h>

#include <cstring>
#include <string>

#include "base/file_system.h"
#include "base/setup_state.h"
#include "base/text.h"
#include "base/text_buffer.h"
#include "base/whole_files.h"
#include "base/wide_text.h"
#include "run/script_encoding.h"

namespace {

// A file of answers as the wide profile functions read it: the file itself,
// or, for one saved as UTF-8, a UTF-16 twin of it under the temporary
// directory, deleted again when the answers are read.
class AnswersText {
public:
    ~AnswersText() {
        if (twin_[0]) DeleteFileW(twin_);
    }
    bool Open(const char* file) {
        wchar_t temp[MAX_PATH + 1];
        DWORD n = GetTempPathW(MAX_PATH + 1, temp);
        bool converted = false;
        if (n > 0 && n < MAX_PATH && GetTempFileNameW(temp, L"ans", 0, twin_)) {
            if (!WriteUtf16Twin(file, Narrow(twin_).c_str(), true, &converted)) return false;
            if (converted) {
                path_ = twin_;
                return true;
            }
            DeleteFileW(twin_);
            twin_[0] = L'\0';
        } else {
            // Without a temporary directory a UTF-8 file cannot be read:
            // an ANSI or UTF-16 file still can.
            twin_[0] = L'\0';
        }
        path_ = Wide(file);
        return true;
    }
    const wchar_t* path() const { return path_.c_str(); }

private:
    wchar_t twin_[MAX_PATH] = L"";
    std::wstring path_;
};

// A key's value, or false when the key is not there.
bool ReadKey(const AnswersText& file, const char* section, const char* key, char* out, size_t cap) {
    const wchar_t absent[] = L"\x01";
    wchar_t value[kAnswerTextSize];
    GetPrivateProfileStringW(Wide(section).c_str(), Wide(key).c_str(), absent, value, kAnswerTextSize, file.path());
    if (std::wcscmp(value, absent) == 0) return false;
    // A value that does not fit in UTF-8 reads as cut, as a long one did.
    std::string text = Narrow(value);
    CopyText(out, cap, text.c_str());
    return true;
}

bool AppendLine(TextBuffer& text, const char* key, const char* value) {
    return text.Append(key) && text.Append("=") && text.Append(value) && text.Append("\r\n");
}

}  // namespace

bool ReadAnswersFile(const char* path, RunAnswers* answers) {
    // The profile functions take a bare name for one in the Windows directory.
    char file[kPathBytes];
    if (!FullPathName(path, file) || FileAttributes(file) == INVALID_FILE_ATTRIBUTES) return false;
    AnswersText text;
    if (!text.Open(file)) return false;
    char value[kAnswerTextSize];
    bool any = false;
    if (ReadKey(text, "answers", "options", value, sizeof value)) {
        any = true;
        if (!answers->hasOptions && CopyText(answers->optionCodes, value)) answers->hasOptions = true;
    }
    if (ReadKey(text, "answers", "components", value, sizeof value)) {
        any = true;
        if (!answers->hasComponents && CopyText(answers->components, value)) answers->hasComponents = true;
    }
    wchar_t names[4096];
    DWORD got = GetPrivateProfileStringW(L"path", nullptr, L"", names, 4096, text.path());
    for (const wchar_t* wideName = names; got && *wideName; wideName += std::wcslen(wideName) + 1) {
        any = true;
        std::string name = Narrow(wideName);
        if (PathAnswerFor(name.c_str()) || answers->pathCount == kMaxPathAnswers) continue;  // the command line's wins
        PathAnswer& given = answers->paths[answers->pathCount];
        if (CopyText(given.name, name.c_str()) && ReadKey(text, "path", name.c_str(), given.value, sizeof given.value))
            ++answers->pathCount;
    }
    return any;
}

bool RecordAnswers(const char* path) {
    char file[kPathBytes], beside[kPathBytes];
    if (!FullPathName(path, file) || !BesidePath(file, beside)) return false;
    TextBuffer text;
    // UTF-8 with its byte order mark, so that any editor and the reader above
    // take its names and paths for what they are.
    bool fits = text.Append("\xEF\xBB\xBF[answers]\r\n");
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
