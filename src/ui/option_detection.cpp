// The option groups that preselect the choice matching this machine: its
// platform and version, its ANSI code page, and its screen font size.
#include "ui/option_detection.h"

#include <cstdlib>

#include "base/format_text.h"
#include "base/results.h"
#include "base/run_log.h"
#include "base/run_switches.h"
#include "base/setup_state.h"
#include "base/status_lines.h"
#include "base/text.h"
#include "ui/option_groups.h"

namespace {

OSVERSIONINFOA SystemVersion() {
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    GetVersionExA(&version);
    return version;
}

long Decimal(const char* text) { return std::strtol(text, nullptr, 10); }

// Reads a text value into out (room for cap - 1 bytes of data and a
// terminator). A value whose data does not fit counts as unreadable.
bool ReadTextValue(HKEY root, const char* path, const char* name, char* out, DWORD cap) {
    HKEY key;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    DWORD size = cap - 1;
    bool ok = RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(out), &size) == ERROR_SUCCESS;
    RegCloseKey(key);
    if (ok) out[size < cap ? size : cap - 1] = '\0';
    return ok;
}

bool ReadNumberValue(HKEY root, const char* path, const char* name, DWORD* out) {
    HKEY key;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    DWORD size = sizeof *out;
    *out = 0;
    bool ok = RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(out), &size) == ERROR_SUCCESS;
    RegCloseKey(key);
    return ok;
}

// The label and code of a detection entry, or -1 when the entry is no choice.
int AddDetectedChoice(OptionGroup* group, char** keyFields, char** valueFields) {
    if (!keyFields[0][0] || !valueFields[0][0]) return -1;
    return AddChoice(group, keyFields[0], valueFields[0]);
}

}  // namespace

int PlatformChoiceEntry(char** keyFields, int keyCount, char** valueFields, int, void* context) {
    auto* group = static_cast<OptionGroup*>(context);
    int index = AddDetectedChoice(group, keyFields, valueFields);
    if (index < 0) return index == kStopReading ? kAbort : 0;
    OSVERSIONINFOA system = SystemVersion();
    // Without a platform id and a major version there is nothing to compare.
    if (keyCount < 3) return 0;
    long platform = Decimal(keyFields[1]);
    long major = Decimal(keyFields[2]);
    long minor = keyCount > 3 ? Decimal(keyFields[3]) : 0;

    // A fifth field asks to be told what this machine reports, for writing scripts.
    if (keyCount > 4) {
        char text[256];
        FormatText(text, sizeof text, "Version %d %d %d = %ld %ld %ld %ld %s.",
                   {NumberArgument(static_cast<int>(platform)), NumberArgument(static_cast<int>(major)),
                    NumberArgument(static_cast<int>(minor)), NumberArgument(static_cast<long>(system.dwPlatformId)),
                    NumberArgument(static_cast<long>(system.dwMajorVersion)),
                    NumberArgument(static_cast<long>(system.dwMinorVersion)),
                    NumberArgument(static_cast<long>(system.dwBuildNumber)), TextArgument(system.szCSDVersion)});
        LogLine("%s", {TextArgument(text)});
        if (!QuietRun()) {
            PaintPendingStatus();
            MessageBoxA(gState->pass.ownerWindow, text, "SetUp", MB_OK);
        }
    }

    bool match = platform == static_cast<long>(system.dwPlatformId) &&
                 major == static_cast<long>(system.dwMajorVersion) &&
                 (keyCount <= 3 || minor == static_cast<long>(system.dwMinorVersion));
    if (match) group->preselection = static_cast<unsigned char>(index);  // the last match wins
    return 0;
}

int CodePageChoiceEntry(char** keyFields, int keyCount, char** valueFields, int, void* context) {
    auto* group = static_cast<OptionGroup*>(context);
    int index = AddDetectedChoice(group, keyFields, valueFields);
    if (index < 0) return index == kStopReading ? kAbort : 0;
    char acp[256];
    if (!ReadTextValue(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Control\\Nls\\CodePage", "ACP", acp,
                       sizeof acp))
        return 0;
    if (keyCount >= 2 && group->preselection == kNoPreselection && CompareNoCase(keyFields[1], acp) == 0)
        group->preselection = static_cast<unsigned char>(index);
    return 0;
}

int FontSizeChoiceEntry(char** keyFields, int keyCount, char** valueFields, int, void* context) {
    auto* group = static_cast<OptionGroup*>(context);
    if (!keyFields[0][0] || !valueFields[0][0]) return 0;
    OSVERSIONINFOA system = SystemVersion();
    int index = AddChoice(group, keyFields[0], valueFields[0]);
    if (index == kStopReading) return kAbort;
    if (index < 0 || keyCount < 2 || group->preselection != kNoPreselection) return 0;

    bool match = false;
    if (system.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS) {
        // The 95 family keeps the resolution as text, in four bytes at most.
        char dpi[5];
        match = ReadTextValue(HKEY_CURRENT_CONFIG, "Display\\Settings", "DPILogicalX", dpi, sizeof dpi) &&
                CompareNoCase(keyFields[1], dpi) == 0;
    } else if (system.dwPlatformId == VER_PLATFORM_WIN32_NT) {
        DWORD pixels;
        match = ReadNumberValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\FontDPI",
                                "LogPixels", &pixels) &&
                static_cast<long>(pixels) == Decimal(keyFields[1]);
    }
    if (match) group->preselection = static_cast<unsigned char>(index);
    return 0;
}
