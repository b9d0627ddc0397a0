// The DDE client against a server of our own on another thread, under a
// service name nobody else answers; Program Manager itself is exercised end
// to end (scenario program_groups).
#include <windows.h>
#include <gtest/gtest.h>
#include <dde.h>

#include <atomic>
#include <cstring>
#include <string>
#include <vector>

#include "actions/dde_client.h"
#include "base/wide_text.h"

namespace {

const char kService[] = "SetupUnitService";
const char kTopic[] = "SetupUnitTopic";
const wchar_t kWideService[] = L"SetupUnitService";
const wchar_t kWideTopic[] = L"SetupUnitTopic";
constexpr UINT kEndFromServer = WM_APP + 1;

// A raw DDE server with a Unicode window, as the shell's is: acknowledges the initiate for its service and topic,
// records every execute (and acknowledges it when asked to), counts
// terminates. It reads the commands as UTF-16 text and keeps them as UTF-8.
// Everything it records is read after an event or a sent message.
struct FakeServer {
    bool acknowledgeExecutes = true;
    WORD acknowledgement = 0x8000;  // positive; 0 refuses
    HWND window = nullptr;
    HWND client = nullptr;
    std::vector<std::string> commands;
    std::atomic<int> terminates{0};
    HANDLE executed = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE thread = nullptr;

    FakeServer() {
        thread = CreateThread(nullptr, 0, Run, this, 0, nullptr);
        WaitForSingleObject(ready, 5000);
    }
    ~FakeServer() {
        PostMessageW(window, WM_CLOSE, 0, 0);
        WaitForSingleObject(thread, 5000);
        CloseHandle(thread);
        CloseHandle(executed);
        CloseHandle(ready);
    }

    static std::wstring AtomName(ATOM atom) {
        wchar_t name[64] = L"";
        GlobalGetAtomNameW(atom, name, 64);
        return name;
    }

    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<FakeServer*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        HWND sender = reinterpret_cast<HWND>(wParam);
        if (!self) return DefWindowProcW(window, message, wParam, lParam);
        switch (message) {
            case WM_DDE_INITIATE:
                if (AtomName(LOWORD(lParam)) == kWideService && AtomName(HIWORD(lParam)) == kWideTopic) {
                    self->client = sender;
                    SendMessageW(sender, WM_DDE_ACK, reinterpret_cast<WPARAM>(window),
                                 MAKELPARAM(GlobalAddAtomW(kWideService), GlobalAddAtomW(kWideTopic)));
                }
                return 0;
            case WM_DDE_EXECUTE: {
                HGLOBAL block = reinterpret_cast<HGLOBAL>(lParam);
                const wchar_t* text = static_cast<const wchar_t*>(GlobalLock(block));
                self->commands.push_back(text ? Narrow(text) : "(unreadable)");
                GlobalUnlock(block);
                if (self->acknowledgeExecutes)
                    PostMessageW(sender, WM_DDE_ACK, reinterpret_cast<WPARAM>(window),
                                 PackDDElParam(WM_DDE_ACK, self->acknowledgement,
                                                                reinterpret_cast<UINT_PTR>(block)));
                SetEvent(self->executed);
                return 0;
            }
            case WM_DDE_TERMINATE: ++self->terminates; return 0;
            case kEndFromServer:
                PostMessageW(self->client, WM_DDE_TERMINATE, reinterpret_cast<WPARAM>(window), 0);
                return 0;
            case WM_CLOSE: DestroyWindow(window); return 0;
            case WM_DESTROY: PostQuitMessage(0); return 0;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }

    static DWORD WINAPI Run(void* param) {
        auto* self = static_cast<FakeServer*>(param);
        WNDCLASSW wc = {};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"SetupUnitDdeServer";
        RegisterClassW(&wc);
        // Top-level, so that the initiate broadcast reaches it.
        self->window =
            CreateWindowW(wc.lpszClassName, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, wc.hInstance, nullptr);
        SetWindowLongPtrW(self->window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        SetEvent(self->ready);
        MSG msg;
        while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
        return 0;
    }
};

// The window that parents the client, as the install pass's main window does.
struct Parent {
    HWND window = nullptr;
    static inline int endedNotices = 0;
    static inline WPARAM endedClient = 0;
    Parent() {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "SetupUnitDdeParent";
        RegisterClassA(&wc);
        window = CreateWindowA(wc.lpszClassName, "", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance,
                               nullptr);
        endedNotices = 0;
    }
    ~Parent() {
        if (IsWindow(window)) DestroyWindow(window);
    }
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == kDdeConversationEnded) {
            ++endedNotices;
            endedClient = wParam;
            return 0;
        }
        return DefWindowProcA(window, message, wParam, lParam);
    }
};

HWND Open(const Parent& parent, const char* service = kService) {
    return OpenDdeConversation(parent.window, GetModuleHandleA(nullptr), service, kTopic);
}

TEST(DdeClient, WithNoServerAnsweringTheOpenReturnsNoneAtOnce) {
    Parent parent;
    // Servers answer inside the broadcast, so nobody answering needs no wait.
    ULONGLONG started = GetTickCount64();
    EXPECT_EQ(Open(parent, "SetupUnitNobody"), nullptr);
    EXPECT_LT(GetTickCount64() - started, 10000u);
    EXPECT_EQ(GlobalFindAtomA("SetupUnitNobody"), 0) << "an atom was left behind";
    EXPECT_EQ(OpenDdeConversation(parent.window, nullptr, kService, kTopic), nullptr);
}

TEST(DdeClient, OpensWithTheAnsweringServerAndItsAcknowledgementsEndTheWait) {
    FakeServer server;
    Parent parent;
    HWND client = Open(parent);
    ASSERT_NE(client, nullptr);
    EXPECT_EQ(server.client, client);
    EXPECT_EQ(GetParent(client), parent.window);
    wchar_t name[32] = L"";
    GetClassNameW(client, name, 32);
    EXPECT_STREQ(name, L"ddeclient");
    EXPECT_TRUE(IsWindowUnicode(client)) << "the server reads a Unicode client's commands as UTF-16";
    // Our own atoms and those the answer carried are all deleted again.
    EXPECT_EQ(GlobalFindAtomA(kService), 0);
    EXPECT_EQ(GlobalFindAtomA(kTopic), 0);

    // 1 comes back only when the acknowledgement ended the wait (a wait that
    // runs out gives 0), so no clock is needed to tell.
    EXPECT_EQ(SendDdeExecute(client, "[DeleteGroup(\"Tools\")]", 2), 1);
    ASSERT_EQ(server.commands.size(), 1u);
    EXPECT_EQ(server.commands[0], "[DeleteGroup(\"Tools\")]");
    // Every character of a name goes over whole.
    EXPECT_EQ(SendDdeExecute(client, "[DeleteGroup(\"Caf\xC3\xA9 \xCE\xA9mega \xE4\xB8\xAD\")]", 2), 1);
    EXPECT_EQ(server.commands.back(), "[DeleteGroup(\"Caf\xC3\xA9 \xCE\xA9mega \xE4\xB8\xAD\")]");
    // A command the server answers without carrying it out counts as not done.
    server.acknowledgement = 0;
    EXPECT_EQ(SendDdeExecute(client, "[DeleteItem(Editor)]", 2), 0);
    EXPECT_EQ(server.commands.size(), 3u);
}

TEST(DdeClient, AnExecuteNobodyAcknowledgesWaitsOneToTwoSecondsAndReturnsZero) {
    FakeServer server;
    server.acknowledgeExecutes = false;
    Parent parent;
    HWND client = Open(parent);
    ASSERT_NE(client, nullptr);
    ULONGLONG started = GetTickCount64();
    EXPECT_EQ(SendDdeExecute(client, "[ExitProgman(0)]", 2), 0);
    ULONGLONG waited = GetTickCount64() - started;
    EXPECT_GE(waited, 900u);
    EXPECT_LT(waited, 10000u) << "the wait did not end";
    EXPECT_EQ(SendDdeExecute(client, "[ExitProgman(0)]", 0), 1) << "a wait of 0 returns 1 once posted";
    WaitForSingleObject(server.executed, 5000);
}

TEST(DdeClient, WhenTheServerEndsTheConversationTheClientGoesAndLaterCommandsAreDropped) {
    FakeServer server;
    Parent parent;
    HWND client = Open(parent);
    ASSERT_NE(client, nullptr);
    PostMessageA(server.window, kEndFromServer, 0, 0);
    EXPECT_EQ(WaitDdeReply(client, 2), 1);
    EXPECT_FALSE(IsWindow(client));
    EXPECT_EQ(Parent::endedNotices, 1);
    EXPECT_EQ(Parent::endedClient, reinterpret_cast<WPARAM>(client));
    EXPECT_EQ(SendDdeExecute(client, "[ExitProgman(0)]", 2), 0);
    // The client answered the server's terminate with its own.
    SendMessageA(server.window, WM_NULL, 0, 0);
    for (int i = 0; i < 50 && server.terminates == 0; ++i) Sleep(20);
    EXPECT_EQ(server.terminates, 1);
}

TEST(DdeClient, DestroyingTheParentEndsTheConversationWithTheServer) {
    FakeServer server;
    Parent parent;
    HWND client = Open(parent);
    ASSERT_NE(client, nullptr);
    DestroyWindow(parent.window);  // the terminate is sent, so it has arrived when this returns
    EXPECT_FALSE(IsWindow(client));
    EXPECT_EQ(server.terminates, 1);
}

TEST(DdeCommand, FitsWithinItsBufferOrIsRefused) {
    struct {
        char text[kDdeCommandSize];
        char canary[16];
    } buffer;
    memset(buffer.canary, 'C', sizeof buffer.canary);
    const char* format = "[CreateGroup(\"%s\")][ShowGroup(\"%s\",1)][AddItem(%s)]";
    // The longest group name (255 characters) and arguments (1,023) the
    // entries take, each character three bytes of UTF-8.
    std::string group, arguments;
    for (int i = 0; i < 255; ++i) group += "\xE4\xB8\xAD";
    for (int i = 0; i < 1023; ++i) arguments += "\xE6\x96\x87";
    ASSERT_TRUE(FormatDdeCommand(buffer.text, sizeof buffer.text, format, group.c_str(), group.c_str(),
                                 arguments.c_str()));
    EXPECT_EQ(std::string(buffer.text), "[CreateGroup(\"" + group + "\")][ShowGroup(\"" + group + "\",1)][AddItem(" +
                                            arguments + ")]");
    std::string huge(kDdeCommandSize + 100, 'h');
    EXPECT_FALSE(FormatDdeCommand(buffer.text, sizeof buffer.text, format, group.c_str(), group.c_str(), huge.c_str()));
    EXPECT_FALSE(FormatDdeCommand(buffer.text, sizeof buffer.text, format, huge.c_str(), "", ""));
    EXPECT_EQ(std::string(buffer.canary, sizeof buffer.canary), std::string(sizeof buffer.canary, 'C'));
    EXPECT_LT(strlen(buffer.text), sizeof buffer.text);
}

}  // namespace
