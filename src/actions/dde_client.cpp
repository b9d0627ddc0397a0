#include "actions/dde_client.h"

#include <dde.h>

#include <cstring>
#include <ctime>
#include <string>

#include "base/text.h"
#include "base/wide_text.h"

namespace {

// A Unicode window: the server reads the execute commands of its
// conversation as UTF-16 text.
constexpr wchar_t kClientClass[] = L"ddeclient";

// The client's side of the conversation.
struct DdeClientState {
    // How an incoming acknowledgement is read depends on what was sent last.
    UINT lastDdeMessage = 0;
    // Set when a server acknowledged the initiate.
    bool ddeAnswered = false;
    // The command block of the execute that waits for its answer, and that
    // answer: an acknowledgement handing back another block answers an
    // earlier command whose wait ran out, not this one.
    HGLOBAL pendingCommand = nullptr;
    bool executeAnswered = false;
    bool executeAccepted = false;
    bool classRegistered = false;
};
DdeClientState gDde;

// The partner (the server window that acknowledged the initiate) lives in the
// client's window extra bytes; a window handle needs the full pointer width.
HWND Partner(HWND client) { return reinterpret_cast<HWND>(GetWindowLongPtrW(client, 0)); }
void SetPartner(HWND client, HWND partner) { SetWindowLongPtrW(client, 0, reinterpret_cast<LONG_PTR>(partner)); }

void OnAcknowledge(HWND client, WPARAM wParam, LPARAM lParam) {
    if (gDde.lastDdeMessage == WM_DDE_INITIATE) {
        // The answer to an initiate is sent, not posted: its atoms are plain.
        GlobalDeleteAtom(LOWORD(lParam));
        GlobalDeleteAtom(HIWORD(lParam));
        SetPartner(client, reinterpret_cast<HWND>(wParam));
        gDde.ddeAnswered = true;
    } else if (gDde.lastDdeMessage == WM_DDE_EXECUTE) {
        // The server hands the command block back with its status.
        UINT_PTR status = 0, commands = 0;
        if (UnpackDDElParam(WM_DDE_ACK, lParam, &status, &commands)) {
            FreeDDElParam(WM_DDE_ACK, lParam);
            if (commands && reinterpret_cast<HGLOBAL>(commands) == gDde.pendingCommand) {
                gDde.pendingCommand = nullptr;
                gDde.executeAnswered = true;
                // A negative acknowledgement: the server did not carry it out.
                gDde.executeAccepted = (status & 0x8000) != 0;
            }
            if (commands) GlobalFree(reinterpret_cast<HGLOBAL>(commands));
        }
    }
}

void OnTerminate(HWND client, WPARAM wParam) {
    HWND former = Partner(client);
    if (reinterpret_cast<HWND>(wParam) != former) return;
    SetPartner(client, nullptr);
    SendMessageW(GetParent(client), kDdeConversationEnded, reinterpret_cast<WPARAM>(client), 0);
    if (gDde.lastDdeMessage != WM_DDE_TERMINATE && IsWindow(former))
        PostMessageW(former, WM_DDE_TERMINATE, reinterpret_cast<WPARAM>(client), 0);
    DestroyWindow(client);
}

}  // namespace

LRESULT CALLBACK DdeClientProc(HWND client, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE: SetPartner(client, nullptr); return 0;
        case WM_DDE_ACK: OnAcknowledge(client, wParam, lParam); return 0;
        case WM_DDE_TERMINATE: OnTerminate(client, wParam); return 0;
        case WM_DESTROY: EndDdeConversation(client); return 0;
    }
    return DefWindowProcW(client, message, wParam, lParam);
}

HWND OpenDdeConversation(HWND parent, HINSTANCE instance, const char* service, const char* topic) {
    if (!instance) return nullptr;
    if (!gDde.classRegistered) {
        WNDCLASSW wc = {};
        wc.style = CS_HREDRAW | CS_VREDRAW;
        wc.lpfnWndProc = DdeClientProc;
        wc.cbWndExtra = sizeof(LONG_PTR);
        wc.hInstance = instance;
        wc.lpszClassName = kClientClass;
        gDde.classRegistered = RegisterClassW(&wc) != 0;
    }
    HWND client = CreateWindowW(kClientClass, L"", WS_CHILD, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                CW_USEDEFAULT, parent, nullptr, instance, nullptr);
    if (!client) return nullptr;

    ATOM serviceAtom = GlobalAddAtomW(Wide(service).c_str());
    ATOM topicAtom = serviceAtom ? GlobalAddAtomW(Wide(topic).c_str()) : 0;
    if (!topicAtom) {
        if (serviceAtom) GlobalDeleteAtom(serviceAtom);
        DestroyWindow(client);
        return nullptr;
    }
    gDde.lastDdeMessage = WM_DDE_INITIATE;
    // Servers acknowledge inside this call.
    SendMessageW(HWND_BROADCAST, WM_DDE_INITIATE, reinterpret_cast<WPARAM>(client), MAKELPARAM(serviceAtom, topicAtom));
    GlobalDeleteAtom(serviceAtom);
    GlobalDeleteAtom(topicAtom);

    if (!gDde.ddeAnswered) {
        DestroyWindow(client);
        return nullptr;
    }
    gDde.ddeAnswered = false;
    return client;
}

int SendDdeExecute(HWND client, const char* command, int waitSeconds) {
    HWND partner = client && IsWindow(client) ? Partner(client) : nullptr;
    if (!partner || !IsWindow(partner)) return 0;

    // The command goes as UTF-16 text, as a Unicode client's commands do.
    std::wstring wide = Wide(command);
    size_t size = (wide.size() + 1) * sizeof(wchar_t);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_DDESHARE, size);
    wchar_t* text = block ? static_cast<wchar_t*>(GlobalLock(block)) : nullptr;
    if (!text) {
        if (block) GlobalFree(block);
        gDde.ddeAnswered = false;
        return 0;
    }
    CopyMemory(text, wide.c_str(), size);
    GlobalUnlock(block);

    gDde.lastDdeMessage = WM_DDE_EXECUTE;
    gDde.pendingCommand = block;
    gDde.executeAnswered = gDde.executeAccepted = false;
    // Once posted, the block belongs to the conversation until it is acknowledged.
    if (!PostMessageW(partner, WM_DDE_EXECUTE, reinterpret_cast<WPARAM>(client),
                      PackDDElParam(WM_DDE_EXECUTE, 0, reinterpret_cast<UINT_PTR>(block)))) {
        gDde.pendingCommand = nullptr;
        GlobalFree(block);
        gDde.ddeAnswered = false;
        return 0;
    }
    gDde.ddeAnswered = false;
    if (!waitSeconds) return 1;
    time_t start = time(nullptr);
    while (!gDde.executeAnswered && IsWindow(client)) {
        long left = waitSeconds - static_cast<long>(time(nullptr) - start);
        if (left <= 0 || !WaitDdeReply(client, static_cast<int>(left))) break;
    }
    gDde.ddeAnswered = false;
    // No answer in time, a refusal, or a terminate instead of the
    // acknowledgement: the command was not carried out.
    return gDde.executeAnswered && gDde.executeAccepted && IsWindow(client) ? 1 : 0;
}

int WaitDdeReply(HWND client, int seconds) {
    time_t start = time(nullptr);
    for (;;) {
        MSG msg;
        if (PeekMessageW(&msg, client, WM_DDE_FIRST, WM_DDE_LAST, PM_REMOVE)) {
            DispatchMessageW(&msg);
            return 1;
        }
        if (time(nullptr) - start >= seconds) return 0;
        // Sleep until something is posted or sent to the thread instead of
        // spinning; nothing but the client's DDE messages is taken meanwhile.
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_POSTMESSAGE | QS_SENDMESSAGE);
    }
}

void EndDdeConversation(HWND client) {
    if (!IsWindow(client)) return;
    gDde.lastDdeMessage = WM_DDE_TERMINATE;
    HWND partner = Partner(client);
    if (partner && IsWindow(partner)) SendMessageW(partner, WM_DDE_TERMINATE, reinterpret_cast<WPARAM>(client), 0);
}

namespace {

bool IsClientWindow(HWND client) {
    wchar_t name[sizeof kClientClass / sizeof kClientClass[0] + 1] = L"";
    return client && IsWindow(client) && GetWindowThreadProcessId(client, nullptr) == GetCurrentThreadId() &&
           GetClassNameW(client, name, sizeof name / sizeof name[0]) && lstrcmpW(name, kClientClass) == 0;
}

}  // namespace

bool DdeConversationAlive(HWND client) {
    if (!IsClientWindow(client)) return false;
    MSG msg;
    while (IsWindow(client) && PeekMessageW(&msg, client, WM_DDE_FIRST, WM_DDE_LAST, PM_REMOVE)) DispatchMessageW(&msg);
    if (!IsClientWindow(client)) return false;
    HWND partner = Partner(client);
    return partner && IsWindow(partner);
}

void CloseDdeConversation(HWND client) {
    if (IsClientWindow(client)) DestroyWindow(client);
}

bool FormatDdeCommand(char* out, size_t cap, const char* format, const char* first, const char* second,
                      const char* third) {
    if (cap == 0) return false;
    const char* args[3] = {first, second, third};
    int next = 0;
    bool fits = true;
    out[0] = '\0';
    for (const char* at = format; *at && fits;) {
        if (at[0] == '%' && at[1] == 's') {
            fits = AppendText(out, cap, next < 3 ? args[next++] : "");
            at += 2;
            continue;
        }
        const char* end = at + 1;
        while (*end && !(end[0] == '%' && end[1] == 's')) ++end;
        size_t used = std::strlen(out);
        fits = CopyTextN(out + used, cap - used, at, end - at);
        at = end;
    }
    return fits;
}
