// Where `setupkit pack` takes the installer from: setup.exe and STP.DLL in the
// directory given by --engine; without it, beside setupkit itself, else in
// its parent directory (the build tree keeps the Linux setupkit in build/host
// and the installer in build).
#pragma once
#include <string>

namespace pack {

// setup.exe or STP.DLL (letter case aside): pack puts them on the media,
// so a product folder need not hold them.
bool IsEngineFileName(const std::string& name);

// Fills the paths of setup.exe and STP.DLL; false with a one-line error.
bool FindEngine(const char* engineDir, std::string* setupExe, std::string* library, std::string* error);

}  // namespace pack
