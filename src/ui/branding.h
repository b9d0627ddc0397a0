// A product's own look, from its script, without a resource library of its
// own: [SetUp] keys for the captions, a title and the background's colours
// and picture, and a [texts] section that replaces the fixed text of any
// control of any dialog. Without them everything looks as the library has it.
//
//     [SetUp]
//     caption=Sample Notes           message boxes and the background window
//     title=Sample Notes 1.0         painted on the background, top left
//     gradient=A5CBF7,08246B         the background's colours, left and right
//     picture=LOGO.BMP               a picture on the media, in place of the library's
//     picturepos=bottomright         topleft, topright, bottomleft, bottomright or center
//
//     [texts]
//     1/101=Welcome to Sample Notes 1.0     dialog 1 (welcome), control 101
//     30/0=Choose what to install           control 0: the dialog's caption
//     copy=Installing:\n\nFrom:\n\nTo:       the status labels of a copy, by name
#pragma once
#include <windows.h>

enum class PicturePlace { TopLeft, TopRight, BottomLeft, BottomRight, Center };

// Reads the keys of [SetUp] that make the look; the picture's file name on
// the media is handed out, for the run to fetch it.
void ReadBranding(const char* scriptPath, char (&pictureName)[MAX_PATH]);
// The fetched picture's private copy: loaded for the background, which
// draws it in place of the library's. False when it is no picture.
bool UseBrandingPicture(const char* path);
// Lets the picture go (before its copy is deleted).
void ReleaseBranding();

// The caption of message boxes and of the background window: "SetUp"
// unless the script gives one.
const char* ProductCaption();
// The title painted on the background; empty when there is none.
const char* ProductTitle();
// The script's background colours; false when it gives none.
bool ProductGradient(COLORREF* left, COLORREF* right);
// The script's picture and where it goes; null when it gives none.
HBITMAP ProductPicture(PicturePlace* place);

// Replaces the texts of the dialog's controls (and its caption, control 0)
// that the script's [texts] section gives for this template.
void ApplyScriptTexts(HWND dialog, int templateId);

// The program's own texts that [texts] may replace by name (its name in
// the comment): the progress dialog's status labels and the component
// counter.
enum class ProgramText {
    CopyLabels,         // copy
    FileLabels,         // file
    KeyLabels,          // key
    EmptyKeyLabels,     // emptykey
    GroupLabels,        // group
    DeleteGroupLabels,  // deletegroup
    DeleteLabels,       // delete
    FontLabels,         // font
    Counter,            // counter
    RemoveCounter,      // removecounter
    UndoLabels,         // undo
};
// The program's own text, as the run's log writes it.
const char* ProgramTextOf(ProgramText which);
// The text shown: the script's (with "\n" made line breaks), or the
// program's. A counter must hold exactly one "%d" (the number), or it is
// not taken.
const char* ShownText(ProgramText which);
