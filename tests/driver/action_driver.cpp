// Test driver for the action visitors: sets up the run's state from a script,
// visits the listed action sections through ForEachEntry the way the install
// pass does, and writes one JSON line per entry (its result, how long it took,
// the program-group conversation) so a scenario can check what happened while
// the UI robot answers the dialogs and message boxes.
//
//   action_driver.exe SCRIPT RESULTS
//
// Script sections read by the driver itself:
//   [driver]  codes=   the selection code string (optionCodes)
//             remove=  remove mode; yesToAll= the yes-to-all flag at the start
//             shell=none  run in a window station of its own, where no desktop
//                      shell (and so no Program Manager) is started
//             progman=N   with shell=none: a stand-in Program Manager that ends
//                      each conversation after N commands; its commands are
//                      written as {"standin":conversation,"command":text}
//   [vars]    NAME=VALUE rows of the variable table (values are expanded)
//   [run]     any keys; each value names one action section, in key order,
//             such as fot.Main, del.!Main or group.Main
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "actions/pass_executor.h"
#include "plan/entry_plans.h"
#include "progman_standin.h"
#include "base/setup_state.h"
#include "base/text.h"
#include "base/wide_text.h"
#include "ui/sections.h"
#include "script/variables.h"
#include "ui/resource_library.h"

namespace {

struct Visit {
    const ActionSection* kind;
    const char* section;
    FILE* results;
};


void WriteJsonText(FILE* out, const char* text) {
    fputc('"', out);
    for (const unsigned char* c = reinterpret_cast<const unsigned char*>(text); *c; ++c) {
        if (*c == '"' || *c == '\\') fprintf(out, "\\%c", *c);
        else if (*c < 0x20) fprintf(out, "\\u%04x", *c);
        else fputc(*c, out);
    }
    fputc('"', out);
}

const char* ResultName(StepResult result) {
    return result == StepResult::Abort ? "abort" : result == StepResult::Skipped ? "skipped" : "go on";
}

StepResult RecordingVisitor(SectionEntry& entry, void* context) {
    auto* visit = static_cast<Visit*>(context);
    char key[512] = "";
    for (int i = 0; i < entry.keyCount; ++i) {
        if (i) AppendText(key, "|");
        AppendText(key, entry.keyFields[i]);
    }
    ULONGLONG started = GetTickCount64();
    PassExecutor executor;
    PlanContext planned = {gState->optionCodes, gProcess.removeMode != 0, false};
    StepResult step = PlanAction(visit->kind->kind, entry, planned, executor);
    ULONGLONG elapsed = GetTickCount64() - started;
    HWND conversation = gState->pass.ddeConversation;
    fprintf(visit->results, "{\"section\":");
    WriteJsonText(visit->results, visit->section);
    fprintf(visit->results, ",\"key\":");
    WriteJsonText(visit->results, key);
    fprintf(visit->results, ",\"result\":\"%s\",\"ms\":%llu,\"conversation\":%llu,\"alive\":%d}\n", ResultName(step),
            elapsed, static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(conversation)),
            conversation && IsWindow(conversation) ? 1 : 0);
    fflush(visit->results);
    return step == StepResult::Abort ? StepResult::Abort : StepResult::GoOn;
}

StepResult LoadVariable(SectionEntry& entry, void*) {
    ScriptVariable* row = AppendVariable(entry.keyFields[0]);
    if (row) ExpandText(entry.valueFields[0], row->value, true);
    return StepResult::GoOn;
}

struct RunContext {
    FILE* results;
};

StepResult RunSection(SectionEntry& entry, void* context) {
    auto* run = static_cast<RunContext*>(context);
    const char* section = entry.valueFields[0];
    for (const ActionSection& kind : kActionSections) {
        if (strncmp(section, kind.prefix, strlen(kind.prefix)) != 0) continue;
        Visit visit = {&kind, section, run->results};
        StepResult end = ForEachEntry(section, gProcess.scriptPath, kind.keySeparator, kind.valueSeparator,
                                      RecordingVisitor, &visit);
        fprintf(run->results, "{\"section\":");
        WriteJsonText(run->results, section);
        fprintf(run->results, ",\"end\":\"%s\"}\n", ResultName(end));
        fflush(run->results);
        return end;  // an aborted section ends the run, as it ends a pass
    }
    fprintf(run->results, "{\"error\":\"no such kind\"}\n");
    return StepResult::Abort;
}

LRESULT CALLBACK MainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(window, message, wParam, lParam);
}

// A [driver] value of the script, as the engine's text.
std::string DriverText(const wchar_t* script, const wchar_t* key) {
    wchar_t value[256] = L"";
    GetPrivateProfileStringW(L"driver", key, L"", value, ARRAYSIZE(value), script);
    return Narrow(value);
}

}  // namespace

int main() {
    // The arguments as the platform has them, whatever characters they hold.
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv || argc < 3) {
        fprintf(stderr, "usage: action_driver SCRIPT RESULTS\n");
        return 2;
    }
    gProcess.ownModule = GetModuleHandleW(nullptr);
    if (!CreateSetupState()) return 2;
    wchar_t fullScript[MAX_PATH];
    DWORD n = GetFullPathNameW(argv[1], ARRAYSIZE(fullScript), fullScript, nullptr);
    if (n == 0 || n >= ARRAYSIZE(fullScript) || !FromWide(fullScript, gProcess.scriptPath)) return 2;
    FILE* results = _wfopen(argv[2], L"w");
    LocalFree(argv);
    if (!results) return 2;

    const char* script = gProcess.scriptPath;
    HDESK desktop = nullptr;
    if (!CompareNoCase(DriverText(fullScript, L"shell").c_str(), "none")) {
        // Wine starts no desktop process for a window station that is not
        // visible; this must happen before the thread has any window.
        HWINSTA station = CreateWindowStationW(L"SetupNoShell", 0, WINSTA_ALL_ACCESS, nullptr);
        if (!station || !SetProcessWindowStation(station)) return 3;
        desktop = CreateDesktopW(L"Default", nullptr, nullptr, 0, GENERIC_ALL, nullptr);
        if (!desktop || !SetThreadDesktop(desktop)) return 3;
    }
    int endAfter = GetPrivateProfileIntW(L"driver", L"progman", 0, fullScript);
    ProgmanStandIn* standIn = endAfter > 0 ? new ProgmanStandIn(desktop, endAfter) : nullptr;
    CopyText(gState->optionCodes, DriverText(fullScript, L"codes").c_str());
    gProcess.removeMode = GetPrivateProfileIntW(L"driver", L"remove", 0, fullScript);
    gState->pass.yesToAll = GetPrivateProfileIntW(L"driver", L"yesToAll", 0, fullScript);
    // The dialogs come from the resource library beside the driver, as they
    // come from the media's library in a real run.
    gProcess.libraryModule = LoadResourceLibrary("STP.DLL");
    ForEachEntry("vars", script, 0, 0, LoadVariable, nullptr);

    WNDCLASSW wc = {};
    wc.lpfnWndProc = MainProc;
    wc.hInstance = gProcess.ownModule;
    wc.lpszClassName = L"ActionDriverMain";
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    RegisterClassW(&wc);
    HWND main = CreateWindowW(L"ActionDriverMain", L"Action driver", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200,
                              nullptr, nullptr, gProcess.ownModule, nullptr);
    gState->pass.mainWindow = main;
    gState->pass.ownerWindow = main;
    fprintf(results, "{\"mainWindow\":%d}\n", main && IsWindow(main) ? 1 : 0);

    RunContext run = {results};
    ForEachEntry("run", script, 0, 0, RunSection, &run);

    // The conversation ends with the window that parents it, as at the end of a run.
    DestroyWindow(main);
    if (standIn) {
        standIn->Stop();
        for (const ProgmanStandIn::Command& command : standIn->Commands()) {
            fprintf(results, "{\"standin\":%d,\"command\":", command.conversation);
            WriteJsonText(results, command.text.c_str());
            fprintf(results, "}\n");
        }
        delete standIn;
    }
    fprintf(results, "{\"done\":1}\n");
    fclose(results);
    if (gProcess.libraryModule) FreeLibrary(gProcess.libraryModule);
    ReleaseSetupState();
    return 0;
}
