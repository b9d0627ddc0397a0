#include "run/startup_files.h"

#include "base/file_system.h"
#include "base/media_source.h"
#include "base/setup_state.h"
#include "base/text.h"
#include "base/scoped_handles.h"

namespace {

bool IsFile(const char* path) {
    DWORD attributes = FileAttributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The place before its length is checked against the platform's limit.
bool PlaceFor(const StartupSearch& search, const char* name, char (&place)[kPathBytes]) {
    if (HasDirectoryPart(name)) return CopyText(place, name);
    bool inDirectory = search.installerDirectory[0] && CopyText(place, search.installerDirectory) &&
                       AppendText(place, name);
    // A program that carries its media takes them from its own file, and
    // from nowhere else.
    if (inDirectory && (search.elevated || MediaCarried() || IsFile(place))) return true;
    if (search.elevated || MediaCarried()) return false;
    return CopyText(place, name);
}

}  // namespace

bool HasDirectoryPart(const char* name) {
    return FindText(name, "\\") || FindText(name, "/") || FindText(name, ":");
}

bool RunsElevated() {
    ScopedHandle token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.Receive())) return true;
    TOKEN_ELEVATION elevation = {};
    DWORD size = 0;
    bool told = GetTokenInformation(token.get(), TokenElevation, &elevation, sizeof elevation, &size) != FALSE;
    token.Close();
    if (told) return elevation.TokenIsElevated != 0;
    // A platform without elevation gives an administrator every right at once.
    BYTE administrators[SECURITY_MAX_SID_SIZE];
    DWORD sidSize = sizeof administrators;
    BOOL member = FALSE;
    if (!CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators, &sidSize) ||
        !CheckTokenMembership(nullptr, administrators, &member))
        return true;
    return member != FALSE;
}

StartupSearch FindStartupSearch() {
    StartupSearch search = {};
    search.elevated = RunsElevated();
    char own[kPathBytes];
    size_t filePart = 0;
    if (!ModuleFileName(gProcess.ownModule, own) || !FullPathName(own, search.installerDirectory, &filePart) ||
        !search.installerDirectory[filePart])
        search.installerDirectory[0] = '\0';
    else
        search.installerDirectory[filePart] = '\0';
    return search;
}

bool StartupFilePlace(const StartupSearch& search, const char* name, char (&place)[kPathBytes]) {
    return PlaceFor(search, name, place) && Wide(place).size() < MAX_PATH;
}
