#include "ui/background_window.h"

#include "base/resource_ids.h"
#include "base/setup_state.h"
#include "base/system_libraries.h"

namespace {

TRIVERTEX Vertex(LONG x, LONG y, BYTE r, BYTE g, BYTE b) {
    TRIVERTEX v = {x, y, static_cast<COLOR16>(r << 8), static_cast<COLOR16>(g << 8), static_cast<COLOR16>(b << 8), 0};
    return v;
}

void FillHorizontal(decltype(&GradientFill) fill, HDC dc, TRIVERTEX from, TRIVERTEX to) {
    TRIVERTEX pair[2] = {from, to};
    GRADIENT_RECT rect = {0, 1};
    fill(dc, pair, 2, &rect, 1, GRADIENT_FILL_RECT_H);
}

// Without the gradient library the background stays black.
void PaintGradient(HDC dc, const RECT& client) {
    auto fill = GradientFillCall();
    if (!fill) return;
    LONG split = client.right * 3 / 5;
    FillHorizontal(fill, dc, Vertex(client.left, client.top, 165, 203, 247), Vertex(split, client.bottom, 8, 36, 107));
    FillHorizontal(fill, dc, Vertex(split, client.top, 8, 36, 107), Vertex(client.right, client.bottom, 0, 0, 0));
}

// Draws a bitmap so that its bottom-right pixel lands on the client's.
void DrawInCorner(HDC dc, const RECT& client, HBITMAP bitmap, DWORD rop) {
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BITMAP info;
    GetObjectA(bitmap, sizeof info, &info);
    BitBlt(dc, client.right - info.bmWidth, client.bottom - info.bmHeight, info.bmWidth, info.bmHeight, memory, 0,
           0, rop);
    SelectObject(memory, old);
    DeleteDC(memory);
}

LRESULT CALLBACK BackgroundProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_PAINT) return DefWindowProcA(window, message, wParam, lParam);
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    RECT client;
    GetClientRect(window, &client);
    bool deep = GetDeviceCaps(dc, BITSPIXEL) >= 16;
    HBITMAP picture = LoadBitmapA(gProcess.libraryModule, MAKEINTRESOURCEA(deep ? IDB_PICTURE_256 : IDB_PICTURE_16));
    if (deep) PaintGradient(dc, client);
    if (HBITMAP mask = LoadBitmapA(gProcess.libraryModule, MAKEINTRESOURCEA(IDB_MASK))) {
        DrawInCorner(dc, client, mask, SRCAND);
        DeleteObject(mask);
    }
    if (picture) {
        DrawInCorner(dc, client, picture, SRCPAINT);
        DeleteObject(picture);
    }
    EndPaint(window, &ps);
    return 0;
}

}  // namespace

HWND CreateBackgroundWindow() {
    WNDCLASSA wc = {};
    wc.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_BYTEALIGNCLIENT;
    wc.lpfnWndProc = BackgroundProc;
    wc.hInstance = gProcess.ownModule;
    wc.hIcon = LoadIconA(gProcess.ownModule, SETUP_ICON_NAME);
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = "SetUp";
    if (!RegisterClassA(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return nullptr;
    HWND window = CreateWindowExA(0, "SetUp", "SetUp", WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN |
                                  WS_MAXIMIZE, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr,
                                  nullptr, gProcess.ownModule, nullptr);
    if (!window) return nullptr;
    ShowWindow(window, SW_SHOWMAXIMIZED);
    UpdateWindow(window);
    return window;
}

HWND CreateQuietWindow() {
    return CreateWindowExA(0, "STATIC", "SetUp", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, gProcess.ownModule, nullptr);
}
