// Helpers for the tests of the action visitors: the shared state record, a
// scratch directory, scripts written to disk and read back through
// ForEachEntry, and a guard that answers message boxes.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "run/setup_state.h"
#include "script/sections.h"
#include "script/variables.h"

// Kept in a namespace of its own: other test helpers share some of these names.
namespace file_action_support {

// A fresh zero-filled state record for one test.
struct ScopedState {
    ScopedState() {
        CreateSetupState();
        gProcess.removeMode = 0;
        gProcess.yesToAll = 0;
        gProcess.cancelFlag = 0;
    }
    ~ScopedState() { ReleaseSetupState(); }
    void Define(const char* name, const std::string& value) {
        if (ScriptVariable* row = AppendVariable(name)) lstrcpynA(row->value, value.c_str(), sizeof row->value);
    }
};

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

// An empty directory for one test, removed with everything in it afterwards.
struct ScratchDirectory {
    std::string path;
    explicit ScratchDirectory(const char* name) : path(std::string("C:\\") + name) {
        RemoveTree(path);
        CreateDirectoryA(path.c_str(), nullptr);
    }
    ~ScratchDirectory() { RemoveTree(path); }
    std::string operator/(const std::string& name) const { return path + "\\" + name; }
};

inline bool WriteBytes(const std::string& path, const std::string& bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return written == bytes.size();
}

inline std::string ReadBytes(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "";
    std::string bytes(GetFileSize(file, nullptr), '\0');
    DWORD got = 0;
    ReadFile(file, &bytes[0], static_cast<DWORD>(bytes.size()), &got, nullptr);
    CloseHandle(file);
    bytes.resize(got);
    return bytes;
}

inline bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Visits one section of a script that holds only that section's lines.
inline int VisitSection(const ScratchDirectory& dir, const char* section, const std::string& lines, char keySeparator,
                        EntryVisitor visitor) {
    std::string script = dir / "script.inf";
    WriteBytes(script, std::string("[") + section + "]\r\n" + lines);
    return ForEachEntry(section, script.c_str(), keySeparator, '/', visitor, nullptr);
}

// Answers every message box shown on this thread while it lives (Cancel, or
// Ignore for an Abort/Retry/Ignore box) and keeps the texts, so a test that
// meets an unexpected box fails instead of waiting for a user.
class MessageBoxGuard {
public:
    MessageBoxGuard() {
        current = this;
        hook = SetWindowsHookExA(WH_CALLWNDPROCRET, Hook, nullptr, GetCurrentThreadId());
    }
    ~MessageBoxGuard() {
        UnhookWindowsHookEx(hook);
        current = nullptr;
    }
    std::vector<std::string> texts;

private:
    // A message box has its text once its WM_INITDIALOG has been handled.
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam) {
        auto* call = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
        if (code == HC_ACTION && current && call->message == WM_INITDIALOG && GetDlgItem(call->hwnd, 0xFFFF)) {
            char text[1024] = "";
            GetDlgItemTextA(call->hwnd, 0xFFFF, text, sizeof text);
            current->texts.push_back(text);
            int answer = GetDlgItem(call->hwnd, IDIGNORE) ? IDIGNORE : IDCANCEL;
            PostMessageA(call->hwnd, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), 0);
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    static inline MessageBoxGuard* current = nullptr;
    HHOOK hook = nullptr;
};

}  // namespace file_action_support
