#include "action_test_support.h"

#include <cstring>

#include "run/setup_state.h"
#include "script/text.h"
#include "script/variables.h"

std::string ReadBytes(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "<missing>";
    std::string bytes(GetFileSize(file, nullptr), '\0');
    DWORD got = 0;
    if (!bytes.empty()) ReadFile(file, &bytes[0], static_cast<DWORD>(bytes.size()), &got, nullptr);
    CloseHandle(file);
    return bytes.substr(0, got);
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD put = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr);
    CloseHandle(file);
}

std::string ProfileText(const std::string& file, const char* section, const std::string& key) {
    char value[1024];
    GetPrivateProfileStringA(section, key.c_str(), "<none>", value, sizeof value, file.c_str());
    return value;
}

std::string WindowsDirectory() {
    char directory[MAX_PATH];
    GetWindowsDirectoryA(directory, sizeof directory);
    return directory;
}

int VisitEntry(EntryVisitor visitor, std::string key, std::string value) {
    char* keyFields[kFieldRoom];
    char* valueFields[kFieldRoom];
    int keyCount = 0, valueCount = 0;
    SplitFields(&value[0], valueFields, &valueCount, '/', kFieldRoom);
    SplitFields(&key[0], keyFields, &keyCount, '|', kFieldRoom);
    return visitor(keyFields, keyCount, valueFields, valueCount, nullptr);
}

namespace {

BOOL CALLBACK FindBox(HWND window, LPARAM found) {
    DWORD process = 0;
    char className[16] = "", caption[16] = "";
    GetWindowThreadProcessId(window, &process);
    GetClassNameA(window, className, sizeof className);
    GetWindowTextA(window, caption, sizeof caption);
    if (process != GetCurrentProcessId() || strcmp(className, "#32770") || strcmp(caption, "SetUp") ||
        !IsWindowVisible(window))
        return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

}  // namespace

MessageBoxAnswerer::MessageBoxAnswerer(std::vector<int> answers, Before before)
    : answers_(std::move(answers)), before_(std::move(before)), thread_([this] {
          for (size_t index = 0; !stop_;) {
              HWND box = nullptr;
              EnumWindows(FindBox, reinterpret_cast<LPARAM>(&box));
              if (!box) {
                  Sleep(20);
                  continue;
              }
              char text[512] = "";
              GetDlgItemTextA(box, 0xFFFF, text, sizeof text);  // the message's static control
              {
                  std::lock_guard<std::mutex> lock(mutex_);
                  texts_.push_back(text);
              }
              int answer = GetDlgItem(box, IDABORT) ? IDABORT : IDCANCEL;
              if (index < answers_.size()) {
                  if (before_) before_(index);
                  answer = answers_[index];
              }
              ++index;
              PostMessageA(box, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), 0);
              for (int i = 0; i < 500 && IsWindow(box); ++i) Sleep(10);
          }
      }) {}

MessageBoxAnswerer::~MessageBoxAnswerer() {
    stop_ = true;
    thread_.join();
}

std::vector<std::string> MessageBoxAnswerer::Texts() {
    std::lock_guard<std::mutex> lock(mutex_);
    return texts_;
}

namespace {

void RemoveTree(const std::string& directory) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((directory + "\\*").c_str(), &found);
    while (search != INVALID_HANDLE_VALUE) {
        std::string full = directory + "\\" + found.cFileName;
        SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) DeleteFileA(full.c_str());
        else if (strcmp(found.cFileName, ".") && strcmp(found.cFileName, "..")) RemoveTree(full);
        if (!FindNextFileA(search, &found)) break;
    }
    FindClose(search);
    RemoveDirectoryA(directory.c_str());
}

}  // namespace

void ActionTest::SetUp() {
    static int serial = 0;
    char base[MAX_PATH];
    GetTempPathA(sizeof base, base);
    do dir = std::string(base) + "actiontest" + std::to_string(++serial);
    while (!CreateDirectoryA(dir.c_str(), nullptr));
    log = Path("remove.inf");
    ASSERT_TRUE(CreateSetupState());
    gProcess.removeMode = 0;
    gProcess.cancelFlag = 0;
    CopyText(gProcess.mediaDirectory, (dir + "\\").c_str());
    CopyText(AppendVariable("RemoveInf")->value, log.c_str());
    CopyText(AppendVariable("Dir")->value, dir.c_str());
    boxes = std::make_unique<MessageBoxAnswerer>();
}

void ActionTest::TearDown() {
    std::vector<std::string> texts = boxes->Texts();
    boxes.reset();
    for (size_t i = 0; !planned && i < texts.size(); ++i) ADD_FAILURE() << "unexpected message box: " << texts[i];
    ReleaseSetupState();
    gProcess.removeMode = 0;
    gProcess.cancelFlag = 0;
    RemoveTree(dir);
}

MessageBoxAnswerer& ActionTest::Answer(std::vector<int> answers, MessageBoxAnswerer::Before before) {
    boxes.reset();
    boxes = std::make_unique<MessageBoxAnswerer>(std::move(answers), std::move(before));
    planned = true;
    return *boxes;
}

int ActionTest::FileCount() const {
    int count = 0;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((dir + "\\*").c_str(), &found);
    while (search != INVALID_HANDLE_VALUE) {
        count += !(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
        if (!FindNextFileA(search, &found)) break;
    }
    FindClose(search);
    return count;
}
