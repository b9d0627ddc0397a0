// Shared by the install pass and file copy tests: a fresh state record, the
// resource library loaded from the build, and a scratch directory.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "run/setup_state.h"
#include "script/text.h"

inline std::string ReadAll(const std::string& path) {
    HANDLE f = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return "<missing>";
    std::string data(GetFileSize(f, nullptr), '\0');
    DWORD got = 0;
    if (!data.empty()) ReadFile(f, &data[0], static_cast<DWORD>(data.size()), &got, nullptr);
    CloseHandle(f);
    data.resize(got);
    return data;
}

inline void WriteAll(const std::string& path, const std::string& data) {
    HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(f, INVALID_HANDLE_VALUE) << path;
    DWORD written = 0;
    WriteFile(f, data.data(), static_cast<DWORD>(data.size()), &written, nullptr);
    CloseHandle(f);
}

// Deletes a directory tree (path without a trailing backslash).
inline void RemoveTree(const std::string& path) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..") continue;
            std::string child = path + "\\" + name;
            SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveTree(child);
            else DeleteFileA(child.c_str());
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(path.c_str());
}

inline bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Answers every message box and modal dialog that a test brings up, so a
// fault shows as a failed expectation instead of a test run that never ends.
// Message box texts are kept for the tests to look at; each is answered with
// the next of `answers` (Abort when none is left), other dialogs with Cancel.
struct DialogGuard {
    static std::vector<std::string> texts;
    static std::vector<int> answers;
    static HHOOK hook;

    // Looked at once the dialog has set its texts.
    static LRESULT CALLBACK Watch(int code, WPARAM wParam, LPARAM lParam) {
        auto* call = reinterpret_cast<CWPRETSTRUCT*>(lParam);
        if (code == HC_ACTION && call->message == WM_INITDIALOG) {
            HWND w = call->hwnd;
            char cls[16] = "";
            GetClassNameA(w, cls, sizeof cls);
            if (lstrcmpA(cls, "#32770") == 0 && !GetDlgItem(w, 301)) {
                char text[512] = "";
                if (GetDlgItem(w, 0xFFFF)) {
                    GetDlgItemTextA(w, 0xFFFF, text, sizeof text);
                    texts.push_back(text);
                    int answer = IDABORT;
                    if (!answers.empty()) {
                        answer = answers.front();
                        answers.erase(answers.begin());
                    }
                    PostMessageA(w, WM_COMMAND, answer, 0);
                } else {
                    texts.push_back("<dialog>");
                    PostMessageA(w, WM_COMMAND, IDCANCEL, 0);
                }
            }
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    static void Start() {
        texts.clear();
        answers.clear();
        hook = SetWindowsHookExA(WH_CALLWNDPROCRET, Watch, nullptr, GetCurrentThreadId());
    }
    static void Stop() { UnhookWindowsHookEx(hook); }
};
inline std::vector<std::string> DialogGuard::texts;
inline std::vector<int> DialogGuard::answers;
inline HHOOK DialogGuard::hook;

class PassFixture : public testing::Test {
protected:
    std::string dir;  // scratch directory, ends with a backslash

    void SetUp() override {
        ASSERT_TRUE(CreateSetupState());
        char temp[MAX_PATH], name[MAX_PATH];
        GetTempPathA(sizeof temp, temp);
        GetTempFileNameA(temp, "tst", 0, name);
        DeleteFileA(name);
        CreateDirectoryA(name, nullptr);
        dir = std::string(name) + "\\";
        // The resource library lies beside the tests' directory in the build.
        char own[MAX_PATH];
        GetModuleFileNameA(nullptr, own, sizeof own);
        std::string library(own);
        library = library.substr(0, library.rfind('\\')) + "\\..\\STP.DLL";
        gProcess.libraryModule = LoadLibraryA(library.c_str());
        ASSERT_NE(gProcess.libraryModule, nullptr) << library;
        CopyText(gProcess.scriptPath, (dir + "SETUP.INF").c_str());
        CopyText(gProcess.mediaDirectory, (dir + "media\\").c_str());
        CreateDirectoryA(gProcess.mediaDirectory, nullptr);
        gProcess.yesToAll = 0;
        gProcess.cancelFlag = 0;
        gProcess.removeMode = 0;
        // Records go into the scratch directory, not the Windows directory.
        CopyText(gState->variables[0].name, "RemoveInf");
        CopyText(gState->variables[0].value, (dir + "remove.inf").c_str());
        gState->variableCount = 1;
        gState->regVariableCount = 1;  // as if [reg] had defined it
        DialogGuard::Start();
    }

    void TearDown() override {
        DialogGuard::Stop();
        EXPECT_EQ(DialogGuard::texts, std::vector<std::string>{}) << "dialogs nobody expected";
        ReleaseSetupState();
        if (gProcess.libraryModule) FreeLibrary(gProcess.libraryModule);
        gProcess.libraryModule = nullptr;
        RemoveTree(dir.substr(0, dir.size() - 1));
    }

    // The texts of the message boxes shown so far; each is then forgotten.
    std::vector<std::string> Shown() {
        std::vector<std::string> shown;
        shown.swap(DialogGuard::texts);
        return shown;
    }

    void Script(const std::string& text) { WriteAll(gProcess.scriptPath, text); }
    // A path as a copy entry's key writes it: the colon doubled.
    std::string Key(const std::string& path) {
        std::string out;
        for (char c : path) out += c == ':' ? std::string("::") : std::string(1, c);
        return out;
    }

    void AddComponent(const char* section, int selected) {
        ComponentEntry& row = gState->components[gState->componentCount++];
        CopyText(row.section, section);
        row.selected = selected;
    }
};
