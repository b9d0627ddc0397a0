#include "engine_files.h"

#include <filesystem>

#include "folder.h"
#include "script/profile_file.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace pack {

namespace {

// The directory of the running program; empty when it cannot be told.
std::string OwnDirectory() {
    char path[4096] = "";
#ifdef _WIN32
    DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    if (n == 0 || n >= sizeof path) return std::string();
#else
    ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return std::string();
    path[n] = '\0';
#endif
    return fs::path(path).parent_path().string();
}

bool FindIn(const std::string& dir, std::string* setupExe, std::string* library) {
    Folder folder;
    if (!folder.Read(dir)) return false;
    *setupExe = folder.Find("setup.exe");
    *library = folder.Find("STP.DLL");
    return !setupExe->empty() && !library->empty();
}

}  // namespace

bool IsEngineFileName(const std::string& name) {
    return SameProfileName(name, "setup.exe") || SameProfileName(name, "STP.DLL");
}

bool FindEngine(const char* engineDir, std::string* setupExe, std::string* library, std::string* error) {
    if (engineDir) {
        if (FindIn(engineDir, setupExe, library)) return true;
        *error = std::string(engineDir) + ": no setup.exe and STP.DLL there";
        return false;
    }
    const std::string own = OwnDirectory();
    if (!own.empty() &&
        (FindIn(own, setupExe, library) || FindIn(fs::path(own).parent_path().string(), setupExe, library)))
        return true;
    *error = "setup.exe: not beside setupkit nor in its parent directory; give --engine DIR";
    return false;
}

}  // namespace pack
