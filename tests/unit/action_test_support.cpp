#include "action_test_support.h"

#include <cstring>

#include "run/setup_state.h"
#include "script/sections.h"
#include "script/text.h"
#include "script/variables.h"

namespace {

void RemoveTree(const std::string& directory) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((directory + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..") continue;
            std::string full = directory + "\\" + name;
            SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveTree(full);
            else DeleteFileA(full.c_str());
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(directory.c_str());
}

}  // namespace

ScratchDirectory::ScratchDirectory() {
    char base[MAX_PATH];
    GetTempPathA(sizeof base, base);
    static int serial = 0;
    for (;;) {
        std::string candidate = std::string(base) + "actiontest" + std::to_string(GetCurrentProcessId()) + "_" +
                                std::to_string(++serial);
        if (CreateDirectoryA(candidate.c_str(), nullptr)) {
            path_ = candidate;
            break;
        }
    }
}

ScratchDirectory::~ScratchDirectory() { RemoveTree(path_); }

std::vector<std::string> ScratchDirectory::Files() const {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((path_ + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        if (std::strcmp(found.cFileName, ".") && std::strcmp(found.cFileName, "..")) names.push_back(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

std::string ReadBytes(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "<missing>";
    std::string bytes(GetFileSize(file, nullptr), '\0');
    DWORD got = 0;
    if (!bytes.empty()) ReadFile(file, &bytes[0], static_cast<DWORD>(bytes.size()), &got, nullptr);
    CloseHandle(file);
    bytes.resize(got);
    return bytes;
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD put = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr);
    CloseHandle(file);
}

std::string ProfileText(const std::string& file, const char* section, const char* key, const char* fallback) {
    char value[1024];
    GetPrivateProfileStringA(section, key, fallback, value, sizeof value, file.c_str());
    return value;
}

std::string WindowsDirectory() {
    char directory[MAX_PATH];
    GetWindowsDirectoryA(directory, sizeof directory);
    std::string text = directory;
    if (!text.empty() && text.back() == '\\') text.pop_back();
    return text;
}

int VisitEntry(int (*visitor)(char**, int, char**, int, void*), const std::string& key, const std::string& value) {
    char keyText[512];
    char valueText[512];
    lstrcpynA(keyText, key.c_str(), sizeof keyText);
    lstrcpynA(valueText, value.c_str(), sizeof valueText);
    char* keyFields[kFieldRoom];
    char* valueFields[kFieldRoom];
    int keyCount = 0;
    int valueCount = 0;
    SplitFields(valueText, valueFields, &valueCount, '/', kFieldRoom);
    SplitFields(keyText, keyFields, &keyCount, '|', kFieldRoom);
    return visitor(keyFields, keyCount, valueFields, valueCount, nullptr);
}

StatusWindow::StatusWindow() {
    window_ = CreateWindowExA(0, "STATIC", "status", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
    for (int id : {200, 100, 110, 120})
        CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 0, 10, 10, window_, reinterpret_cast<HMENU>(INT_PTR(id)),
                        nullptr, nullptr);
    gState->ownerWindow = window_;
}

StatusWindow::~StatusWindow() {
    if (gState) gState->ownerWindow = nullptr;
    DestroyWindow(window_);
}

std::string StatusWindow::Text(int id) const {
    char text[512] = "";
    GetDlgItemTextA(window_, id, text, sizeof text);
    return text;
}

namespace {

struct BoxSearch {
    DWORD process;
    HWND found;
};

BOOL CALLBACK FindBox(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<BoxSearch*>(param);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    char className[32] = "";
    char caption[32] = "";
    GetClassNameA(window, className, sizeof className);
    GetWindowTextA(window, caption, sizeof caption);
    if (process == search->process && !std::strcmp(className, "#32770") && !std::strcmp(caption, "SetUp") &&
        IsWindowVisible(window)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

MessageBoxAnswerer::MessageBoxAnswerer(std::vector<int> answers, Before before)
    : answers_(std::move(answers)), before_(std::move(before)), thread_([this] { Run(); }) {}

MessageBoxAnswerer::~MessageBoxAnswerer() {
    stop_ = true;
    thread_.join();
}

std::vector<std::string> MessageBoxAnswerer::Texts() {
    std::lock_guard<std::mutex> lock(mutex_);
    return texts_;
}

void MessageBoxAnswerer::Run() {
    size_t index = 0;
    while (!stop_) {
        BoxSearch search{GetCurrentProcessId(), nullptr};
        EnumWindows(FindBox, reinterpret_cast<LPARAM>(&search));
        if (!search.found) {
            Sleep(20);
            continue;
        }
        char text[512] = "";
        GetDlgItemTextA(search.found, 0xFFFF, text, sizeof text);
        {
            std::lock_guard<std::mutex> lock(mutex_);
            texts_.push_back(text);
        }
        int answer;
        if (index < answers_.size()) {
            if (before_) before_(index);
            answer = answers_[index];
        } else {
            answer = GetDlgItem(search.found, IDABORT) ? IDABORT : IDCANCEL;
        }
        ++index;
        PostMessageA(search.found, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), 0);
        for (int i = 0; i < 500 && IsWindow(search.found); ++i) Sleep(10);
    }
}

void ActionTest::SetUp() {
    ASSERT_TRUE(CreateSetupState());
    gProcess.removeMode = 0;
    gProcess.cancelFlag = 0;
    CopyText(gProcess.mediaDirectory, (scratch.path() + "\\").c_str());
    CopyText(AppendVariable("RemoveInf")->value, log.c_str());
    CopyText(AppendVariable("Dir")->value, scratch.path().c_str());
    boxes = std::make_unique<MessageBoxAnswerer>();
}

void ActionTest::TearDown() {
    std::vector<std::string> texts = boxes->Texts();
    boxes.reset();
    if (!boxesPlanned) {
        for (const std::string& text : texts) ADD_FAILURE() << "unexpected message box: " << text;
    }
    ReleaseSetupState();
    gProcess.removeMode = 0;
    gProcess.cancelFlag = 0;
}

MessageBoxAnswerer& ActionTest::Answer(std::vector<int> answers, MessageBoxAnswerer::Before before) {
    boxes.reset();
    boxes = std::make_unique<MessageBoxAnswerer>(std::move(answers), std::move(before));
    boxesPlanned = true;
    return *boxes;
}
