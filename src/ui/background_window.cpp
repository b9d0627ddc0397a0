#include "ui/background_window.h"

#include "base/resource_ids.h"
#include "base/setup_state.h"
#include "base/system_libraries.h"
#include "base/wide_text.h"
#include "ui/branding.h"

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

TRIVERTEX VertexOf(LONG x, LONG y, COLORREF colour) {
    return Vertex(x, y, GetRValue(colour), GetGValue(colour), GetBValue(colour));
}

// Without the gradient library the background stays black.
void PaintGradient(HDC dc, const RECT& client) {
    auto fill = GradientFillCall();
    if (!fill) return;
    COLORREF left, right;
    if (ProductGradient(&left, &right)) {
        FillHorizontal(fill, dc, VertexOf(client.left, client.top, left), VertexOf(client.right, client.bottom, right));
        return;
    }
    LONG split = client.right * 3 / 5;
    FillHorizontal(fill, dc, Vertex(client.left, client.top, 165, 203, 247), Vertex(split, client.bottom, 8, 36, 107));
    FillHorizontal(fill, dc, Vertex(split, client.top, 8, 36, 107), Vertex(client.right, client.bottom, 0, 0, 0));
}

// Draws a bitmap so that its bottom-right pixel lands on the client's.
void DrawInCorner(HDC dc, const RECT& client, HBITMAP bitmap, DWORD rop) {
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BITMAP info;
    GetObjectW(bitmap, sizeof info, &info);
    BitBlt(dc, client.right - info.bmWidth, client.bottom - info.bmHeight, info.bmWidth, info.bmHeight, memory, 0,
           0, rop);
    SelectObject(memory, old);
    DeleteDC(memory);
}

// The product's picture at its place; its top-left pixel's colour is
// transparent, so a logo needs no rectangle of its own colour around it.
void DrawProductPicture(HDC dc, const RECT& client, HBITMAP picture, PicturePlace place) {
    BITMAP info;
    if (!GetObjectW(picture, sizeof info, &info)) return;
    LONG width = info.bmWidth, height = info.bmHeight;
    LONG x = place == PicturePlace::TopLeft || place == PicturePlace::BottomLeft ? 0
             : place == PicturePlace::Center                                      ? (client.right - width) / 2
                                                                                  : client.right - width;
    LONG y = place == PicturePlace::TopLeft || place == PicturePlace::TopRight ? 0
             : place == PicturePlace::Center                                    ? (client.bottom - height) / 2
                                                                                : client.bottom - height;
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(memory, picture);
    auto transparent = TransparentBltCall();
    if (transparent) transparent(dc, x, y, width, height, memory, 0, 0, width, height, GetPixel(memory, 0, 0));
    else BitBlt(dc, x, y, width, height, memory, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
}

// The product's title, large, in the top-left corner, white on a shadow.
void DrawTitle(HDC dc, const RECT& client, const char* title) {
    int height = client.bottom / 14 > 24 ? client.bottom / 14 : 24;
    HFONT font = CreateFontW(-height, 0, 0, 0, FW_BOLD, TRUE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, VARIABLE_PITCH | FF_SWISS, L"Arial");
    HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
    SetBkMode(dc, TRANSPARENT);
    RECT place = {height / 2, height / 3, client.right - height / 2, client.bottom / 2};
    RECT shadow = {place.left + 3, place.top + 3, place.right + 3, place.bottom + 3};
    std::wstring text = Wide(title);
    SetTextColor(dc, RGB(0, 0, 0));
    DrawTextW(dc, text.c_str(), -1, &shadow, DT_LEFT | DT_TOP | DT_WORDBREAK | DT_NOPREFIX);
    SetTextColor(dc, RGB(255, 255, 255));
    DrawTextW(dc, text.c_str(), -1, &place, DT_LEFT | DT_TOP | DT_WORDBREAK | DT_NOPREFIX);
    if (old) SelectObject(dc, old);
    if (font) DeleteObject(font);
}

LRESULT CALLBACK BackgroundProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_PAINT) return DefWindowProcW(window, message, wParam, lParam);
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    RECT client;
    GetClientRect(window, &client);
    bool deep = GetDeviceCaps(dc, BITSPIXEL) >= 16;
    if (deep) PaintGradient(dc, client);
    PicturePlace place;
    if (HBITMAP product = ProductPicture(&place)) {
        DrawProductPicture(dc, client, product, place);
    } else {
        HBITMAP picture =
            LoadBitmapW(gProcess.libraryModule, MAKEINTRESOURCEW(deep ? IDB_PICTURE_256 : IDB_PICTURE_16));
        if (HBITMAP mask = LoadBitmapW(gProcess.libraryModule, MAKEINTRESOURCEW(IDB_MASK))) {
            DrawInCorner(dc, client, mask, SRCAND);
            DeleteObject(mask);
        }
        if (picture) {
            DrawInCorner(dc, client, picture, SRCPAINT);
            DeleteObject(picture);
        }
    }
    if (ProductTitle()[0]) DrawTitle(dc, client, ProductTitle());
    EndPaint(window, &ps);
    return 0;
}

}  // namespace

HWND CreateBackgroundWindow() {
    // A class registered wide makes a Unicode window: its caption and
    // messages carry UTF-16.
    WNDCLASSW wc = {};
    wc.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_BYTEALIGNCLIENT;
    wc.lpfnWndProc = BackgroundProc;
    wc.hInstance = gProcess.ownModule;
    wc.hIcon = LoadIconW(gProcess.ownModule, L"" SETUP_ICON_NAME);
    // IDC_ARROW is a resource number, spelt the same for both character sets.
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = L"SetUp";
    if (!RegisterClassW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return nullptr;
    std::wstring caption = Wide(ProductCaption());
    HWND window = CreateWindowExW(0, L"SetUp", caption.c_str(),
                                  WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_MAXIMIZE,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                                  gProcess.ownModule, nullptr);
    if (!window) return nullptr;
    ShowWindow(window, SW_SHOWMAXIMIZED);
    UpdateWindow(window);
    return window;
}

HWND CreateQuietWindow() {
    return CreateWindowExW(0, L"STATIC", Wide(ProductCaption()).c_str(), WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                           gProcess.ownModule, nullptr);
}
