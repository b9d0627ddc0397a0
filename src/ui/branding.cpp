#include "ui/branding.h"

#include <cstdlib>

#include "base/setup_state.h"
#include "base/text.h"
#include "base/wide_text.h"
#include "base/text_compare.h"
#include "ui/sections.h"
#include "ui/window_text.h"

namespace {

// The program's texts a script may replace, by the name [texts] gives them.
struct NamedText {
    const char* name;
    const char* programText;
};
// In the order of ProgramText.
const NamedText kNamedTexts[] = {
    {"copy", "Copy:\n\nFrom:\n\nTo:"},
    {"file", "Modify file:\n\nSection:\n\nString:"},
    {"key", "Modify key:\n\nValue:\n\nData:"},
    {"emptykey", "Remove empty key:"},
    {"group", "Create group:\n\nItem:\n\nTarget:"},
    {"deletegroup", "Delete group:"},
    {"delete", "Delete:\n\nFrom:"},
    {"font", "Create:\n\nFile:"},
    {"counter", "Selected %d\nItems to Install"},
    {"removecounter", "Selected %d\nItems to Remove"},
    {"undo", "Undo:"},
};
constexpr int kNamedTextCount = sizeof kNamedTexts / sizeof kNamedTexts[0];

// The texts keep the lengths in characters they always had (63, 127 and 255);
// their buffers have room for those characters in UTF-8.
constexpr size_t kCaptionCharacters = 63;
constexpr size_t kTitleCharacters = 127;
constexpr size_t kNamedCharacters = 255;

struct Branding {
    char caption[Utf8Room(kCaptionCharacters)] = "SetUp";
    char title[Utf8Room(kTitleCharacters)] = "";
    bool gradient = false;
    COLORREF left = 0, right = 0;
    HBITMAP picture = nullptr;
    PicturePlace place = PicturePlace::BottomRight;
    char named[kNamedTextCount][Utf8Room(kNamedCharacters)] = {};  // the script's, or empty
};
Branding gBranding;

// RRGGBB as a colour; false when it is not six hexadecimal digits.
bool ReadColour(const char* text, COLORREF* colour) {
    for (int i = 0; i < 6; ++i) {
        char c = text[i];
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'))) return false;
    }
    if (text[6] != '\0') return false;
    unsigned long rgb = std::strtoul(text, nullptr, 16);
    *colour = RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
    return true;
}

void ReadKey(const char* scriptPath, const char* key, size_t characters, char* out, size_t cap) {
    ReadScriptKey("SetUp", key, "", scriptPath, characters, out, cap);
}

// The text with each "\n" made a line break.
void BreakLines(char* text) {
    char* out = text;
    for (const char* at = text; *at; ++at) {
        if (at[0] == '\\' && at[1] == 'n') {
            *out++ = '\n';
            ++at;
        } else {
            *out++ = *at;
        }
    }
    *out = '\0';
}

// Exactly one "%d" and no other '%': the counter is formatted with the number alone.
bool OneNumber(const char* text) {
    int numbers = 0;
    for (const char* at = FindText(text, "%"); at; at = FindText(at + 1, "%")) {
        if (at[1] != 'd') return false;
        ++numbers;
    }
    return numbers == 1;
}

struct TextsOf {
    HWND dialog;
    int templateId;
};

StepResult ApplyText(SectionEntry& entry, void* context) {
    auto* texts = static_cast<TextsOf*>(context);
    if (entry.keyCount != 2) return StepResult::GoOn;
    char* end = nullptr;
    long dialog = std::strtol(entry.keyFields[0], &end, 10);
    if (*end || dialog != texts->templateId) return StepResult::GoOn;
    long control = std::strtol(entry.keyFields[1], &end, 10);
    if (*end || control < 0 || control > 0xFFFF) return StepResult::GoOn;
    if (control == 0) SetWindowTextUtf8(texts->dialog, entry.valueFields[0]);
    else SetControlTextUtf8(texts->dialog, static_cast<int>(control), entry.valueFields[0]);
    return StepResult::GoOn;
}

}  // namespace

void ReadBranding(const char* scriptPath, char (&pictureName)[MAX_PATH]) {
    char text[Utf8Room(127)];
    ReadKey(scriptPath, "caption", kCaptionCharacters, text, sizeof text);
    if (text[0]) CopyText(gBranding.caption, text);
    ReadKey(scriptPath, "title", kTitleCharacters, gBranding.title, sizeof gBranding.title);
    ReadKey(scriptPath, "gradient", 127, text, sizeof text);
    char* comma = FindText(text, ",");
    if (comma) {
        *comma = '\0';
        gBranding.gradient = ReadColour(text, &gBranding.left) && ReadColour(comma + 1, &gBranding.right);
    }
    // The name goes to the run in UTF-8; one longer than its buffer is no name.
    ReadKey(scriptPath, "picture", sizeof pictureName - 1, pictureName, sizeof pictureName);
    ReadKey(scriptPath, "picturepos", 127, text, sizeof text);
    static const struct {
        const char* name;
        PicturePlace place;
    } kPlaces[] = {{"topleft", PicturePlace::TopLeft},
                   {"topright", PicturePlace::TopRight},
                   {"bottomleft", PicturePlace::BottomLeft},
                   {"bottomright", PicturePlace::BottomRight},
                   {"center", PicturePlace::Center}};
    for (const auto& known : kPlaces)
        if (CompareNoCase(text, known.name) == 0) gBranding.place = known.place;
    for (int i = 0; i < kNamedTextCount; ++i) {
        char* named = gBranding.named[i];
        ReadScriptKey("texts", kNamedTexts[i].name, "", scriptPath, kNamedCharacters, named, sizeof gBranding.named[i]);
        BreakLines(named);
        bool counter = i == static_cast<int>(ProgramText::Counter) || i == static_cast<int>(ProgramText::RemoveCounter);
        if (counter && !OneNumber(named)) named[0] = '\0';
    }
}

const char* ProgramTextOf(ProgramText which) { return kNamedTexts[static_cast<int>(which)].programText; }

const char* ShownText(ProgramText which) {
    const char* script = gBranding.named[static_cast<int>(which)];
    return script[0] ? script : ProgramTextOf(which);
}

bool UseBrandingPicture(const char* path) {
    ReleaseBranding();
    gBranding.picture = static_cast<HBITMAP>(
        LoadImageW(nullptr, Wide(path).c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    return gBranding.picture != nullptr;
}

void ReleaseBranding() {
    if (gBranding.picture) DeleteObject(gBranding.picture);
    gBranding.picture = nullptr;
}

const char* ProductCaption() { return gBranding.caption; }

const char* ProductTitle() { return gBranding.title; }

bool ProductGradient(COLORREF* left, COLORREF* right) {
    *left = gBranding.left;
    *right = gBranding.right;
    return gBranding.gradient;
}

HBITMAP ProductPicture(PicturePlace* place) {
    *place = gBranding.place;
    return gBranding.picture;
}

void ApplyScriptTexts(HWND dialog, int templateId) {
    if (!gProcess.scriptPath[0]) return;
    TextsOf texts = {dialog, templateId};
    ForEachEntry("texts", gProcess.scriptPath, '/', 0, ApplyText, &texts);
}
