#include <windows.h>
#include <gtest/gtest.h>

#include <vector>

#include "test_support.h"
#include "actions/install_pass.h"
#include "ui/progress_dialog.h"
#include "base/resource_ids.h"
#include "base/setup_state.h"
#include "ui/status_lines.h"
#include "base/text.h"

namespace {

// Every progress command the pass sends, in order, taken from the window
// procedure calls of this thread.
std::vector<int> sent;
bool closeOnFirst = false;
WPARAM cancelCommand = 0;

LRESULT CALLBACK WatchProgress(int code, WPARAM wParam, LPARAM lParam) {
    auto* call = reinterpret_cast<CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && call->message == WM_COMMAND && LOWORD(call->wParam) == IDC_PROGRESS_BAR &&
        call->lParam == 0) {
        sent.push_back(HIWORD(call->wParam));
        if (sent.size() == 1 && closeOnFirst) PostMessageA(call->hwnd, WM_CLOSE, 0, 0);
        if (sent.size() == 1 && cancelCommand) PostMessageA(call->hwnd, WM_COMMAND, cancelCommand, 0);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

class InstallPass : public PassFixture {
protected:
    HHOOK hook = nullptr;
    void SetUp() override {
        PassFixture::SetUp();
        sent.clear();
        closeOnFirst = false;
        cancelCommand = 0;
        hook = SetWindowsHookExA(WH_CALLWNDPROC, WatchProgress, nullptr, GetCurrentThreadId());
        // Every step painted, so that each one can be followed.
        SetStatusFrame(0);
    }
    void TearDown() override {
        SetStatusFrame(kStatusFrameMs);
        UnhookWindowsHookEx(hook);
        PassFixture::TearDown();
    }
};

}  // namespace

TEST_F(InstallPass, OneDiskTwoComponents) {
    Script("[disks]\r\n1=Disk one\r\n");
    AddComponent("Main", 1);
    AddComponent("Extra", 1);
    EXPECT_EQ(RunInstallPass(nullptr), StepResult::GoOn);
    const std::vector<int> every = {0, 7, 14, 21, 28, 35, 42, 50, 57, 64, 71, 78, 85, 92, 100};
    EXPECT_EQ(sent, every);

    // Painted at most once a frame, steps are left out but never reordered,
    // and the bar ends on the last one.
    SetStatusFrame(kStatusFrameMs);
    sent.clear();
    EXPECT_EQ(RunInstallPass(nullptr), StepResult::GoOn);
    size_t at = 0;
    for (int percent : sent) {
        while (at < every.size() && every[at] != percent) ++at;
        EXPECT_LT(at, every.size()) << percent << " out of order";
    }
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent.back(), 100);
}

TEST_F(InstallPass, TwoDisksThreeComponents) {
    Script("[SetUp]\r\ndisks=2\r\n[disks]\r\n1=One\r\n2=Two\r\n");
    AddComponent("A", 1);
    AddComponent("B", 1);
    AddComponent("C", 0);
    EXPECT_EQ(RunInstallPass(nullptr), StepResult::GoOn);
    EXPECT_EQ(sent, (std::vector<int>{0,  4,  8,  12, 16, 20, 25, 29, 33, 37, 41, 45, 50,
                                      54, 58, 62, 66, 70, 75, 79, 83, 87, 91, 95, 100}));
}

TEST_F(InstallPass, DiskSectionEdgeCases) {
    // No [disks]: straight to the action stage; the first disk is taken as "1".
    Script("");
    AddComponent("Main", 1);
    EXPECT_EQ(RunInstallPass(nullptr), StepResult::GoOn);
    EXPECT_EQ(sent, (std::vector<int>{0, 28, 42, 57, 71, 85, 100}));

    // More entries than [SetUp] disks: the disks stage runs into the action stage's values.
    sent.clear();
    Script("[disks]\r\nA=1\r\nB=2\r\nC=3\r\n");
    EXPECT_EQ(RunInstallPass(nullptr), StepResult::GoOn);
    EXPECT_EQ(sent, (std::vector<int>{0, 14, 28, 42, 28, 42, 57, 71, 85, 100}));

    // disks=-6 and below leave no stage to divide by: every step reads 0.
    for (const char* disks : {"-6", "-7", "-1000"}) {
        sent.clear();
        Script(std::string("[SetUp]\r\ndisks=") + disks + "\r\n[disks]\r\n1=One\r\n");
        EXPECT_EQ(RunInstallPass(nullptr), StepResult::GoOn) << disks;
        EXPECT_EQ(sent, std::vector<int>(8, 0)) << disks;
    }

    // No components: only the dialog's own start.
    sent.clear();
    gState->componentCount = 0;
    EXPECT_EQ(RunInstallPass(nullptr), StepResult::GoOn);
    EXPECT_EQ(sent, std::vector<int>{0});
}

TEST_F(InstallPass, UnselectedComponentUsesBangSections) {
    const std::string to = Key(dir + "\\");
    Script("[disks]\r\n1=One\r\n[Main]\r\n1:" + to + "chosen.txt=Chosen\r\n[!Main]\r\n1:" + to +
           "left-out.txt=Left out\r\n");
    WriteBytes(std::string(gProcess.mediaDirectory) + "chosen.txt", "chosen");
    WriteBytes(std::string(gProcess.mediaDirectory) + "left-out.txt", "left out");
    AddComponent("Main", 0);
    EXPECT_EQ(RunInstallPass(nullptr), StepResult::GoOn);
    EXPECT_FALSE(Exists(Path("chosen.txt")));
    EXPECT_EQ(ReadBytes(Path("left-out.txt")), "left out");

    char longSection[64];
    for (int i = 0; i < 63; ++i) longSection[i] = 'S';
    longSection[63] = '\0';
    ComponentEntry row = {};
    CopyText(row.section, longSection);
    char name[kSectionNameSize];
    ComponentSectionName(name, kActionSections[4], row);
    EXPECT_EQ(std::string(name), "group.!" + std::string(longSection));
}

TEST_F(InstallPass, CloseBoxAndCancelEndThePassAtTheNextCopy) {
    const std::string to = Key(dir + "\\");
    Script("[disks]\r\n1=One\r\n[Main]\r\n1:" + to + "a.txt=A\r\n1:" + to + "b.txt=B\r\n");
    WriteBytes(std::string(gProcess.mediaDirectory) + "a.txt", "a");
    WriteBytes(std::string(gProcess.mediaDirectory) + "b.txt", "b");
    AddComponent("Main", 1);
    closeOnFirst = true;
    EXPECT_EQ(RunInstallPass(nullptr), StepResult::Abort);
    EXPECT_FALSE(Exists(Path("a.txt")));
    EXPECT_EQ(sent, std::vector<int>{0});  // nothing after the abort
    EXPECT_FALSE(IsWindow(gState->pass.ownerWindow));

    // Cancel works alike, and the next pass starts with the flag cleared.
    closeOnFirst = false;
    cancelCommand = MAKEWPARAM(IDCANCEL, BN_CLICKED);
    sent.clear();
    EXPECT_EQ(RunInstallPass(nullptr), StepResult::Abort);
    EXPECT_FALSE(Exists(Path("a.txt")));
    cancelCommand = 0;
    sent.clear();
    EXPECT_EQ(RunInstallPass(nullptr), StepResult::GoOn);
    EXPECT_EQ(ReadBytes(Path("b.txt")), "b");
}

TEST_F(InstallPass, VariablesAreLoggedUnlessRemoving) {
    Script("[path]\r\nAppDir=%WinDir%\\App\r\n");
    EXPECT_EQ(RunInstallPass(nullptr), StepResult::GoOn);
    char value[MAX_PATH];
    GetPrivateProfileStringA("path", "AppDir", "", value, sizeof value, log.c_str());
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, sizeof windows);
    EXPECT_EQ(std::string(value), std::string(windows) + "\\App");
    GetPrivateProfileStringA("path", "RemoveInf", "", value, sizeof value, log.c_str());
    EXPECT_EQ(std::string(value), log);

    DeleteFileA(log.c_str());
    gProcess.removeMode = 1;
    EXPECT_EQ(RunInstallPass(nullptr), StepResult::GoOn);
    EXPECT_FALSE(Exists(log));
}

TEST_F(InstallPass, ProgressDialogBar) {
    HWND dialog = CreateDialogParamA(gProcess.libraryModule, MAKEINTRESOURCEA(IDD_PROGRESS), nullptr,
                                     ProgressDialog, 0);
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(IsWindowVisible(dialog));
    RECT frame;
    GetWindowRect(GetDlgItem(dialog, IDC_PROGRESS_FRAME), &frame);
    int frameWidth = frame.right - frame.left;
    auto bar = [&](int percent) {
        if (percent >= 0) SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_PROGRESS_BAR, percent), 0);
        RECT r;
        GetWindowRect(GetDlgItem(dialog, IDC_PROGRESS_BAR), &r);
        EXPECT_EQ(r.left, frame.left);
        EXPECT_EQ(r.top, frame.top);
        EXPECT_EQ(r.bottom - r.top, frame.bottom - frame.top);
        char text[32];
        GetDlgItemTextA(dialog, IDC_PROGRESS_BAR, text, sizeof text);
        return std::make_pair(static_cast<int>(r.right - r.left), std::string(text));
    };
    EXPECT_EQ(bar(-1), std::make_pair(frameWidth / 10, std::string("0 %")));  // as created
    EXPECT_EQ(bar(3), std::make_pair(frameWidth / 10, std::string("3 %")));
    EXPECT_EQ(bar(57), std::make_pair(frameWidth * 57 / 100, std::string("57 %")));
    // Drawn as a filled bar, not hidden behind its frame.
    UpdateWindow(dialog);
    HDC screen = GetDC(nullptr);
    int middle = (frame.top + frame.bottom) / 2;
    int end = frame.left + frameWidth * 57 / 100;
    EXPECT_EQ(GetPixel(screen, end - 3, middle), GetSysColor(COLOR_HIGHLIGHT));
    EXPECT_NE(GetPixel(screen, end + 3, middle), GetSysColor(COLOR_HIGHLIGHT));
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(bar(142), std::make_pair(frameWidth * 142 / 100, std::string("142 %")));
    // The percentage travels as an unsigned 16-bit word.
    EXPECT_EQ(bar(-3 & 0xFFFF).second, "65533 %");

    // A notification of the bar itself is no progress command.
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_PROGRESS_BAR, 80), reinterpret_cast<LPARAM>(dialog));
    EXPECT_EQ(bar(-1).second, "65533 %");

    gState->pass.ownerWindow = dialog;
    ShowStatus(ProgramText::CopyLabels, "Read me", "A:\\README.TXT", "C:\\APP\\README.TXT");
    char text[64];
    GetDlgItemTextA(dialog, IDC_STATUS_LABELS, text, sizeof text);
    EXPECT_STREQ(text, "Copy:\n\nFrom:\n\nTo:");
    GetDlgItemTextA(dialog, IDC_STATUS_FIRST, text, sizeof text);
    EXPECT_STREQ(text, "Read me");
    GetDlgItemTextA(dialog, IDC_STATUS_SECOND, text, sizeof text);
    EXPECT_STREQ(text, "A:\\README.TXT");
    GetDlgItemTextA(dialog, IDC_STATUS_THIRD, text, sizeof text);
    EXPECT_STREQ(text, "C:\\APP\\README.TXT");

    SendMessageA(dialog, WM_CLOSE, 0, 0);
    EXPECT_EQ(gState->pass.cancelFlag, 1);
    EXPECT_TRUE(IsWindow(dialog));  // stays until the pass ends
    DestroyWindow(dialog);
}
