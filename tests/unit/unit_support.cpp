#include "unit_support.h"

#include <cstdio>

#include "script/text.h"

namespace {

void RemoveTree(const std::string& path) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..") continue;
            std::string full = path + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveTree(full);
            else {
                SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(full.c_str());
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(path.c_str());
}

}  // namespace

ScratchDirectory::ScratchDirectory() {
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    static int serial = 0;
    char name[MAX_PATH];
    wsprintfA(name, "%ssetup-unit-%lu-%d", temp, GetCurrentProcessId(), ++serial);
    path_ = name;
    RemoveTree(path_);
    CreateDirectoryA(path_.c_str(), nullptr);
}

ScratchDirectory::~ScratchDirectory() { RemoveTree(path_); }

void WriteTextFile(const std::string& path, const std::string& text) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
}

std::string ReadTextFile(const std::string& path) {
    std::string text;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return text;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got) text.append(buffer, got);
    CloseHandle(file);
    return text;
}

bool IsDirectory(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

StateScope::StateScope() { CreateSetupState(); }
StateScope::~StateScope() { ReleaseSetupState(); }

void SetVariable(const char* name, const char* value) {
    ScriptVariable& row = gState->variables[gState->variableCount++];
    CopyText(row.name, name);
    CopyText(row.value, value);
}

MessageAnswerer::MessageAnswerer(std::vector<int> answers, Hook before, void* context)
    : answers_(std::move(answers)), before_(before), context_(context) {
    thread_ = CreateThread(nullptr, 0, Run, this, 0, nullptr);
}

MessageAnswerer::~MessageAnswerer() { Texts(); }

const std::vector<std::string>& MessageAnswerer::Texts() {
    if (thread_) {
        WaitForSingleObject(thread_, 20000);
        CloseHandle(thread_);
        thread_ = nullptr;
    }
    return texts_;
}

namespace {

struct BoxSearch {
    HWND found;
};

BOOL CALLBACK FindBox(HWND window, LPARAM param) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    char cls[16] = "";
    GetClassNameA(window, cls, sizeof cls);
    if (pid == GetCurrentProcessId() && IsWindowVisible(window) && lstrcmpA(cls, "#32770") == 0 &&
        GetDlgItem(window, 0xFFFF)) {
        reinterpret_cast<BoxSearch*>(param)->found = window;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

DWORD WINAPI MessageAnswerer::Run(void* param) {
    auto* self = static_cast<MessageAnswerer*>(param);
    for (size_t i = 0; i < self->answers_.size(); ++i) {
        BoxSearch search = {nullptr};
        for (int tries = 0; tries < 500 && !search.found; ++tries) {
            EnumWindows(FindBox, reinterpret_cast<LPARAM>(&search));
            if (!search.found) Sleep(20);
        }
        if (!search.found) return 1;
        char text[512] = "";
        GetDlgItemTextA(search.found, 0xFFFF, text, sizeof text);
        self->texts_.push_back(text);
        if (self->before_) self->before_(static_cast<int>(i), self->context_);
        PostMessageA(search.found, WM_COMMAND, self->answers_[i], 0);
        for (int tries = 0; tries < 500 && IsWindow(search.found); ++tries) Sleep(20);
    }
    return 0;
}
