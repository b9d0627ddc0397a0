#include "check_branding.h"

#include <cstdlib>
#include <fstream>
#include <string>

#include "base/resource_ids.h"
#include "check_media.h"

namespace {

// The platform's button ids, which the library's templates use.
constexpr int kOk = 1, kCancel = 2, kYes = 6;

// The controls of the library's dialogs whose fixed text [texts] may
// replace; 0 is the dialog's caption. What the installer writes itself (the
// licence, the component list and counter, the status lines, the option
// titles, the component dialog's caption from [SetUp] name) is not here.
struct DialogTexts {
    int dialog;
    bool caption;
    int controls[7];  // up to the first 0
};
const DialogTexts kDialogTexts[] = {
    {IDD_WELCOME, true, {IDC_WELCOME_TITLE, IDC_WELCOME_TEXT, IDC_WELCOME_HINT, kOk, kCancel}},
    {IDD_LICENCE, true, {IDC_LICENCE_INTRO, IDC_LICENCE_QUESTION, kOk, kCancel}},
    {IDD_OPTIONS, true, {IDC_OPTIONS_INTRO, kOk, kCancel}},
    {IDD_COMPONENTS, false, {IDC_COMPONENT_INTRO, IDC_COMPONENT_FRAME, IDC_SELECT_ALL, IDC_CLEAR_ALL, kOk, kCancel}},
    {IDD_PATH, true, {IDC_PATH_TEXT1, IDC_PATH_TEXT2, kOk, kCancel}},
    {IDD_PROGRESS, true, {kCancel}},
    {IDD_DISK, true, {IDC_DISK_INTRO, IDC_DISK_FROM, kOk, kCancel}},
    {IDD_OVERWRITE, true, {IDC_OVERWRITE_INTRO, kYes, IDC_YES_TO_ALL, IDC_SKIP, kCancel}},
    {IDD_RESTART, true, {IDC_RESTART_TITLE, IDC_RESTART_TEXT, kOk, kCancel}},
};
const char* const kNamedTexts[] = {"copy",   "file", "key",     "emptykey",      "group", "deletegroup",
                                   "delete", "font", "counter", "removecounter", "undo"};
const char* const kPlaces[] = {"topleft", "topright", "bottomleft", "bottomright", "center"};

bool SameNoCase(const std::string& a, const char* b) {
    if (a.size() != std::char_traits<char>::length(b)) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i] >= 'A' && a[i] <= 'Z' ? static_cast<char>(a[i] + 32) : a[i];
        char y = b[i] >= 'A' && b[i] <= 'Z' ? static_cast<char>(b[i] + 32) : b[i];
        if (x != y) return false;
    }
    return true;
}

bool IsColour(const std::string& text) {
    if (text.size() != 6) return false;
    for (char c : text)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'))) return false;
    return true;
}

// A whole number, or -1.
long Number(const std::string& text) {
    if (text.empty()) return -1;
    char* end = nullptr;
    long n = std::strtol(text.c_str(), &end, 10);
    return *end || n < 0 ? -1 : n;
}

bool IsBmp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    char header[18] = {};
    in.read(header, sizeof header);
    return in.gcount() == sizeof header && header[0] == 'B' && header[1] == 'M';
}

// Exactly one "%d" and no other '%', as a counter must be.
bool OneNumber(const std::string& text) {
    int numbers = 0;
    for (size_t at = text.find('%'); at != std::string::npos; at = text.find('%', at + 1)) {
        if (at + 1 >= text.size() || text[at + 1] != 'd') return false;
        ++numbers;
    }
    return numbers == 1;
}

void CheckSetUpKeys(ScriptCheck& check) {
    const ProfileKey* gradient = check.file.FoundKey("SetUp", "gradient");
    if (gradient) {
        std::string value = ProfileFile::ValueOf(*gradient);
        size_t comma = value.find(',');
        if (comma == std::string::npos || !IsColour(value.substr(0, comma)) || !IsColour(value.substr(comma + 1)))
            check.report.Warning(gradient->line,
                                 "gradient=%s is not two colours RRGGBB,RRGGBB: the library's colours are shown",
                                 value.c_str());
    }
    const ProfileKey* place = check.file.FoundKey("SetUp", "picturepos");
    if (place) {
        std::string value = ProfileFile::ValueOf(*place);
        bool known = false;
        for (const char* name : kPlaces) known = known || SameNoCase(value, name);
        if (!known)
            check.report.Warning(place->line,
                                 "picturepos=%s is none of topleft, topright, bottomleft, bottomright, center: the "
                                 "picture goes bottom right",
                                 value.c_str());
    }
    const ProfileKey* picture = check.file.FoundKey("SetUp", "picture");
    if (!picture || check.media.empty()) return;
    std::string name = ProfileFile::ValueOf(*picture);
    MediaFiles files(check);
    std::string path = files.Find(check.media, name);
    if (path.empty())
        check.report.Error(picture->line, "picture=%s, but the media directory holds no such file: the library's "
                                          "picture is shown", name.c_str());
    else if (!IsBmp(path))
        check.report.Error(picture->line, "picture=%s is no BMP picture: the library's picture is shown",
                           name.c_str());
}

void CheckText(ScriptCheck& check, const ScriptEntry& entry) {
    if (entry.key.size() == 1) {
        for (const char* name : kNamedTexts) {
            if (!SameNoCase(entry.key[0], name)) continue;
            if (std::string(name).find("counter") != std::string::npos && !OneNumber(entry.valueText))
                check.report.Warning(entry.line, "%s=%s does not hold exactly one %%d (the number): the program's "
                                                 "own text is shown", name, entry.valueText.c_str());
            return;
        }
        check.report.Warning(entry.line, "[texts] has no text named %s, nor is it DIALOG/CONTROL: it is never shown",
                             entry.keyText.c_str());
        return;
    }
    long dialog = Number(entry.Key(0)), control = Number(entry.Key(1));
    for (const DialogTexts& texts : kDialogTexts) {
        if (texts.dialog != dialog) continue;
        if (control == 0 && texts.caption) return;
        for (int id : texts.controls)
            if (id != 0 && id == control) return;
        check.report.Warning(entry.line, "dialog %ld of the installer's library has no control %s whose text a "
                                         "script may replace (docs/branding.md); a library of the product's own "
                                         "may have it", dialog, entry.Key(1).c_str());
        return;
    }
    check.report.Warning(entry.line, "%s names no dialog of the installer's library (1, 10, 20 ... 80): it is never "
                                     "shown", entry.keyText.c_str());
}

}  // namespace

void CheckBranding(ScriptCheck& check) {
    CheckSetUpKeys(check);
    check.Reads("texts");
    check.Walk("texts", '/', 0, [&](const ScriptEntry& entry) { CheckText(check, entry); });
}
