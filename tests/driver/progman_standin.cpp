#include "progman_standin.h"

#include <dde.h>

#include "base/wide_text.h"

namespace {

bool IsProgman(ATOM atom) {
    wchar_t name[32] = L"";
    GlobalGetAtomNameW(atom, name, 32);
    return lstrcmpiW(name, L"PROGMAN") == 0;
}

}  // namespace

ProgmanStandIn::ProgmanStandIn(HDESK desktop, int endAfter) : desktop_(desktop), endAfter_(endAfter) {
    ready_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    thread_ = CreateThread(nullptr, 0, Run, this, 0, nullptr);
    WaitForSingleObject(ready_, 10000);
}

ProgmanStandIn::~ProgmanStandIn() {
    Stop();
    CloseHandle(ready_);
}

void ProgmanStandIn::Stop() {
    if (!thread_) return;
    PostMessageW(window_, WM_CLOSE, 0, 0);
    WaitForSingleObject(thread_, 10000);
    CloseHandle(thread_);
    thread_ = nullptr;
}

DWORD WINAPI ProgmanStandIn::Run(void* param) {
    auto* self = static_cast<ProgmanStandIn*>(param);
    // The initiate is broadcast to the top-level windows of the desktop the
    // client is on: the server's window must be there too.
    if (self->desktop_) SetThreadDesktop(self->desktop_);
    // A Unicode window, as the shell's is: commands come as UTF-16 text.
    WNDCLASSW wc = {};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"ProgmanStandIn";
    RegisterClassW(&wc);
    self->window_ = CreateWindowW(wc.lpszClassName, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, wc.hInstance, nullptr);
    SetWindowLongPtrW(self->window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    SetEvent(self->ready_);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    return 0;
}

LRESULT CALLBACK ProgmanStandIn::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<ProgmanStandIn*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    return self ? self->Handle(window, message, wParam, lParam) : DefWindowProcW(window, message, wParam, lParam);
}

LRESULT ProgmanStandIn::Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    HWND sender = reinterpret_cast<HWND>(wParam);
    switch (message) {
        case WM_DDE_INITIATE:
            if (IsProgman(LOWORD(lParam)) && IsProgman(HIWORD(lParam))) {
                client_ = sender;
                ++conversation_;
                inConversation_ = 0;
                SendMessageW(sender, WM_DDE_ACK, reinterpret_cast<WPARAM>(window),
                             MAKELPARAM(GlobalAddAtomW(L"PROGMAN"), GlobalAddAtomW(L"PROGMAN")));
            }
            return 0;
        case WM_DDE_EXECUTE: {
            if (sender != client_) return 0;
            // An execute's parameter is the command block itself, never packed.
            UINT_PTR handle = static_cast<UINT_PTR>(lParam);
            HGLOBAL block = reinterpret_cast<HGLOBAL>(handle);
            const wchar_t* text = static_cast<const wchar_t*>(GlobalLock(block));
            commands_.push_back({conversation_, text ? Narrow(text) : "(unreadable)"});
            GlobalUnlock(block);
            PostMessageW(sender, WM_DDE_ACK, reinterpret_cast<WPARAM>(window),
                         PackDDElParam(WM_DDE_ACK, 0x8000, handle));
            if (++inConversation_ == endAfter_) {
                client_ = nullptr;
                PostMessageW(sender, WM_DDE_TERMINATE, reinterpret_cast<WPARAM>(window), 0);
            }
            return 0;
        }
        case WM_DDE_TERMINATE:
            // The client ends it: answer, as a server does.
            if (sender == client_) {
                client_ = nullptr;
                PostMessageW(sender, WM_DDE_TERMINATE, reinterpret_cast<WPARAM>(window), 0);
            }
            return 0;
        case WM_CLOSE: DestroyWindow(window); return 0;
        case WM_DESTROY: PostQuitMessage(0); return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
