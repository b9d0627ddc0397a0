// The product's look as its script gives it: the [SetUp] keys caption,
// title, gradient, picture and picturepos, and the [texts] section, checked
// against the installer's library (its dialogs and the ids of their
// controls) and, with a media directory, the picture file.
#pragma once

#include "check_context.h"

void CheckBranding(ScriptCheck& check);
