// The option groups that preselect the choice matching this machine: its
// platform and version, its ANSI code page, and its screen font size.
#include "ui/option_detection.h"

#include <cstdlib>

#include "base/format_text.h"
#include "base/results.h"
#include "base/run_log.h"
#include "base/run_switches.h"
#include "base/setup_state.h"
#include "ui/status_lines.h"
#include "base/text.h"
#include "ui/option_groups.h"
#include "base/scoped_handles.h"
#include "base/wide_text.h"

namespace {

OSVERSIONINFOW SystemVersion() {
    OSVERSIONINFOW version = {};
    version.dwOSVersionInfoSize = sizeof version;
    GetVersionExW(&version);
    return version;
}

long Decimal(const char* text) { return std::strtol(text, nullptr, 10); }

// Reads a text value into out in UTF-8 (room for cap - 1 characters of data
// and a terminator, as the platform counts them). A value whose data does
// not fit counts as unreadable.
bool ReadTextValue(HKEY root, const char* path, const char* name, char* out, DWORD cap) {
    out[0] = '\0';
    ScopedKey key;
    if (RegOpenKeyExW(root, Wide(path).c_str(), 0, KEY_READ, key.Receive()) != ERROR_SUCCESS) return false;
    wchar_t data[256] = {};
    DWORD characters = cap - 1 < 255 ? cap - 1 : 255;
    DWORD size = characters * sizeof(wchar_t);
    if (RegQueryValueExW(key.get(), Wide(name).c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(data), &size) !=
        ERROR_SUCCESS)
        return false;
    // The data need not be terminated.
    data[size / sizeof(wchar_t) < characters ? size / sizeof(wchar_t) : characters] = L'\0';
    return FromWide(data, out, cap);
}

bool ReadNumberValue(HKEY root, const char* path, const char* name, DWORD* out) {
    ScopedKey key;
    if (RegOpenKeyExW(root, Wide(path).c_str(), 0, KEY_READ, key.Receive()) != ERROR_SUCCESS) return false;
    DWORD size = sizeof *out;
    *out = 0;
    return RegQueryValueExW(key.get(), Wide(name).c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(out), &size) ==
           ERROR_SUCCESS;
}

// The label and code of a detection entry: GoOn with *index, or with -1 when
// the entry is no choice; otherwise AddChoice's answer.
StepResult AddDetectedChoice(OptionGroup* group, const SectionEntry& entry, int* index) {
    *index = -1;
    if (!entry.keyFields[0][0] || !entry.valueFields[0][0]) return StepResult::GoOn;
    return AddChoice(group, entry, index);
}

}  // namespace

StepResult PlatformChoiceEntry(SectionEntry& entry, void* context) {
    auto* group = static_cast<OptionGroup*>(context);
    char** keyFields = entry.keyFields;
    int keyCount = entry.keyCount;
    int index;
    StepResult added = AddDetectedChoice(group, entry, &index);
    if (index < 0) return added;
    OSVERSIONINFOW system = SystemVersion();
    // Without a platform id and a major version there is nothing to compare.
    if (keyCount < 3) return StepResult::GoOn;
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
                    NumberArgument(static_cast<long>(system.dwBuildNumber)),
                    TextArgument(Narrow(system.szCSDVersion).c_str())});
        LogLine("%s", {TextArgument(text)});
        if (!QuietRun()) {
            PaintPendingStatus();
            MessageBoxW(gState->pass.ownerWindow, Wide(text).c_str(), L"SetUp", MB_OK);
        }
    }

    bool match = platform == static_cast<long>(system.dwPlatformId) &&
                 major == static_cast<long>(system.dwMajorVersion) &&
                 (keyCount <= 3 || minor == static_cast<long>(system.dwMinorVersion));
    if (match) group->preselection = static_cast<unsigned char>(index);  // the last match wins
    return StepResult::GoOn;
}

StepResult CodePageChoiceEntry(SectionEntry& entry, void* context) {
    auto* group = static_cast<OptionGroup*>(context);
    int index;
    StepResult added = AddDetectedChoice(group, entry, &index);
    if (index < 0) return added;
    char acp[256];
    if (!ReadTextValue(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Control\\Nls\\CodePage", "ACP", acp,
                       sizeof acp))
        return StepResult::GoOn;
    if (entry.keyCount >= 2 && group->preselection == kNoPreselection && CompareNoCase(entry.keyFields[1], acp) == 0)
        group->preselection = static_cast<unsigned char>(index);
    return StepResult::GoOn;
}

StepResult FontSizeChoiceEntry(SectionEntry& entry, void* context) {
    auto* group = static_cast<OptionGroup*>(context);
    char** keyFields = entry.keyFields;
    int index;
    StepResult added = AddDetectedChoice(group, entry, &index);
    if (index < 0 || entry.keyCount < 2 || group->preselection != kNoPreselection) return added;
    OSVERSIONINFOW system = SystemVersion();

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
    return StepResult::GoOn;
}
