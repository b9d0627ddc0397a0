#include "test_support.h"

#include "actions/pass_executor.h"
#include "base/media_source.h"
#include "plan/entry_plans.h"
#include "base/resource_ids.h"
#include "base/run_outcome.h"
#include "base/setup_state.h"
#include "base/text.h"
#include "base/wide_text.h"
#include "removal/removal_log.h"
#include "ui/sections.h"
#include "script/variables.h"
#include "ui/resource_library.h"

std::string ReadBytes(const std::string& path) {
    // Shares writing: the removal log's writer holds its file open between records.
    HANDLE file = CreateFileW(Wide(path.c_str()).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "<missing>";
    std::string bytes(GetFileSize(file, nullptr), '\0');
    DWORD got = 0;
    if (!bytes.empty()) ReadFile(file, &bytes[0], static_cast<DWORD>(bytes.size()), &got, nullptr);
    CloseHandle(file);
    bytes.resize(got);
    return bytes;
}

bool WriteBytes(const std::string& path, const std::string& bytes) {
    SetFileAttributesW(Wide(path.c_str()).c_str(), FILE_ATTRIBUTE_NORMAL);
    HANDLE file = CreateFileW(Wide(path.c_str()).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    if (file != INVALID_HANDLE_VALUE) {
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(file);
    }
    bool whole = file != INVALID_HANDLE_VALUE && written == bytes.size();
    if (!whole) ADD_FAILURE() << "cannot write " << path;
    return whole;
}

bool SetWriteTime(const std::string& path, const FILETIME& time) {
    HANDLE file = CreateFileW(Wide(path.c_str()).c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    bool set = file != INVALID_HANDLE_VALUE && SetFileTime(file, nullptr, nullptr, &time);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    if (!set) ADD_FAILURE() << "cannot date " << path;
    return set;
}

bool Exists(const std::string& path) { return GetFileAttributesW(Wide(path.c_str()).c_str()) != INVALID_FILE_ATTRIBUTES; }

bool IsDirectory(const std::string& path) {
    DWORD attributes = GetFileAttributesW(Wide(path.c_str()).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string Utf16File(const std::string& text) {
    std::wstring wide = Wide(text.c_str(), text.size());
    return "\xFF\xFE" + std::string(reinterpret_cast<const char*>(wide.data()), wide.size() * 2);
}

std::string ReadText(const std::string& path) {
    std::string bytes = ReadBytes(path);
    if (bytes.compare(0, 2, "\xFF\xFE") != 0) return bytes;
    return Narrow(reinterpret_cast<const wchar_t*>(bytes.data() + 2), static_cast<int>((bytes.size() - 2) / 2));
}

std::string ProfileText(const std::string& file, const char* section, const std::string& key) {
    std::vector<wchar_t> value(65536);
    GetPrivateProfileStringW(Wide(section).c_str(), Wide(key.c_str()).c_str(), L"<none>", value.data(),
                             static_cast<DWORD>(value.size()), Wide(file.c_str()).c_str());
    return Narrow(value.data());
}

std::string WindowsDirectory() {
    char directory[MAX_PATH];
    GetWindowsDirectoryA(directory, sizeof directory);
    return directory;
}

namespace {

void RemoveTree(const std::string& path) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(Wide((path + "\\*").c_str()).c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = Narrow(found.cFileName);
            if (name == "." || name == "..") continue;
            std::string child = path + "\\" + name;
            SetFileAttributesW(Wide(child.c_str()).c_str(), FILE_ATTRIBUTE_NORMAL);
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveTree(child);
            else DeleteFileW(Wide(child.c_str()).c_str());
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(Wide(path.c_str()).c_str());
}

}  // namespace

ScratchDirectory::ScratchDirectory() {
    static int serial = 0;
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    path_ = std::string(temp) + "setup-unit-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++serial);
    RemoveTree(path_);
    if (!CreateDirectoryA(path_.c_str(), nullptr)) ADD_FAILURE() << "cannot make " << path_;
}

ScratchDirectory::~ScratchDirectory() {
    // The removal log's writer may still hold a log made in here.
    ReleaseRemovalLog();
    RemoveTree(path_);
}

namespace {

void ClearProcessFlags() {
    gProcess.removeMode = 0;
    ResetRunOutcome();
    CloseMedia();
}

}  // namespace

StateScope::StateScope() {
    if (!CreateSetupState()) ADD_FAILURE() << "no state record";
    ClearProcessFlags();
}

StateScope::~StateScope() {
    ReleaseSetupState();
    ClearProcessFlags();
}

void SetVariable(const char* name, const std::string& value) {
    ScriptVariable* row = AppendVariable(name);
    if (row) CopyText(row->value, value.c_str());
    else ADD_FAILURE() << "no room for the variable " << name;
}

namespace {

const ActionSection& SectionOf(ActionKind kind) {
    for (const ActionSection& section : kActionSections)
        if (section.kind == kind) return section;
    return kCopySection;
}

StepResult PlanAndCarryOut(ActionKind kind, const SectionEntry& entry) {
    PassExecutor executor;
    PlanContext context = {gState->optionCodes, gProcess.removeMode != 0, false};
    return kind == ActionKind::Copy ? PlanCopy(entry, context, executor) : PlanAction(kind, entry, context, executor);
}

}  // namespace

void PrintTo(StepResult result, std::ostream* out) {
    *out << (result == StepResult::Abort ? "Abort" : result == StepResult::Skipped ? "Skipped" : "GoOn");
}

StepResult CarryOutEntry(ActionKind kind, std::string key, std::string value) {
    char* keyFields[kFieldRoom];
    char* valueFields[kFieldRoom];
    int keyCount = 0, valueCount = 0;
    SplitFields(&value[0], valueFields, &valueCount, '/', kFieldRoom);
    SplitFields(&key[0], keyFields, &keyCount, SectionOf(kind).keySeparator, kFieldRoom);
    // Named by no section and no key, as an entry outside any walk.
    return PlanAndCarryOut(kind, SectionEntry{"", "", 0, keyFields, keyCount, valueFields, valueCount, 0});
}

MessageBoxes* MessageBoxes::current_ = nullptr;

MessageBoxes::MessageBoxes(std::vector<int> answers, Before before)
    : answers_(std::move(answers)), before_(std::move(before)) {
    if (current_) ADD_FAILURE() << "a second message box answerer";
    current_ = this;
    hook_ = SetWindowsHookExA(WH_CALLWNDPROCRET, Hook, nullptr, GetCurrentThreadId());
}

MessageBoxes::~MessageBoxes() {
    UnhookWindowsHookEx(hook_);
    if (current_ == this) current_ = nullptr;
    for (const std::string& text : unexpected_) ADD_FAILURE() << "unexpected message box: " << text;
}

void MessageBoxes::Plan(std::vector<int> answers, Before before) {
    answers_ = std::move(answers);
    before_ = std::move(before);
    next_ = 0;
}

// A dialog has its texts once its WM_INITDIALOG has been handled.
LRESULT CALLBACK MessageBoxes::Hook(int code, WPARAM wParam, LPARAM lParam) {
    auto* call = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    if (code == HC_ACTION && current_ && call->message == WM_INITDIALOG) current_->Answer(call->hwnd);
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void MessageBoxes::Answer(HWND dialog) {
    char className[16] = "";
    GetClassNameA(dialog, className, sizeof className);
    bool progress = GetDlgItem(dialog, IDC_PROGRESS_BAR) && GetDlgItem(dialog, IDC_PROGRESS_FRAME);
    if (lstrcmpA(className, "#32770") || progress) return;
    if (!GetDlgItem(dialog, 0xFFFF)) {  // no message box
        texts_.push_back("<dialog>");
        unexpected_.push_back(texts_.back());
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        return;
    }
    char text[1024] = "";
    GetDlgItemTextA(dialog, 0xFFFF, text, sizeof text);  // the message's static control
    texts_.push_back(text);
    int answer = GetDlgItem(dialog, IDABORT) ? IDABORT : IDCANCEL;
    if (next_ < answers_.size()) {
        if (before_) before_(next_);
        answer = answers_[next_];
    } else {
        unexpected_.push_back(text);
    }
    ++next_;
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), 0);
}

void ActionTest::SetUp() {
    ASSERT_NE(gState, nullptr);
    CopyText(gProcess.mediaDirectory, (dir + "\\").c_str());
    SetVariable("RemoveInf", log);
    SetVariable("Dir", dir);
}

MessageBoxes& ActionTest::Answer(std::vector<int> answers, MessageBoxes::Before before) {
    boxes.Plan(std::move(answers), std::move(before));
    return boxes;
}

int ActionTest::FileCount() const {
    int count = 0;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((dir + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return 0;
    do count += !(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    while (FindNextFileA(search, &found));
    FindClose(search);
    return count;
}

namespace {

StepResult CarryOutVisited(SectionEntry& entry, void* context) {
    StepResult result = PlanAndCarryOut(*static_cast<ActionKind*>(context), entry);
    return result == StepResult::Abort ? StepResult::Abort : StepResult::GoOn;
}

}  // namespace

int CarryOutScriptSection(const char* section, const std::string& script, ActionKind kind) {
    int visited = 0;
    StepResult result =
        ForEachEntry(section, script.c_str(), SectionOf(kind).keySeparator, '/', CarryOutVisited, &kind, &visited);
    return result == StepResult::Abort ? -1 : visited;
}

int ActionTest::CarryOutSection(const char* section, const std::string& lines, ActionKind kind) {
    std::string script = Path("script.inf");
    WriteBytes(script, std::string("[") + section + "]\r\n" + lines);
    return CarryOutScriptSection(section, script, kind);
}

void PassFixture::SetUp() {
    ActionTest::SetUp();
    if (HasFatalFailure()) return;
    // The resource library lies beside the tests' directory in the build.
    char own[MAX_PATH];
    GetModuleFileNameA(nullptr, own, sizeof own);
    std::string library(own);
    library = library.substr(0, library.rfind('\\')) + "\\..\\STP.DLL";
    gProcess.libraryModule = LoadResourceLibrary(library.c_str());
    ASSERT_NE(gProcess.libraryModule, nullptr) << library;
    CopyText(gProcess.scriptPath, Path("SETUP.INF").c_str());
    CopyText(gProcess.mediaDirectory, Path("media\\").c_str());
    CreateDirectoryA(gProcess.mediaDirectory, nullptr);
    gState->regVariableCount = gState->variableCount;
}

void PassFixture::TearDown() {
    if (gProcess.libraryModule) FreeLibrary(gProcess.libraryModule);
    gProcess.libraryModule = nullptr;
    gProcess.scriptPath[0] = '\0';
    ActionTest::TearDown();
}

std::string PassFixture::Key(const std::string& path) {
    std::string out;
    for (char c : path) out += c == ':' ? std::string("::") : std::string(1, c);
    return out;
}

void PassFixture::AddComponent(const char* section, int selected) {
    ComponentEntry& row = gState->components[gState->componentCount++];
    CopyText(row.section, section);
    row.selected = selected;
}
