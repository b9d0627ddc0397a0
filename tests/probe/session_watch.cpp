// Watches for the end of the Windows session, as a restart ends it: keeps a
// hidden top-level window and writes one line per event into OUTPUT.
//
//   session_watch.exe OUTPUT
//
//   ready                      the window exists; the watch has begun
//   query NAME...              WM_QUERYENDSESSION arrived, with what was still
//                              there at that moment: "window" when a window of
//                              the installer's class "SetUp" exists, and the
//                              name of every setup* file or directory in the
//                              temporary directory
//   end N                      WM_ENDSESSION with wParam N; the watch ends
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

std::string output;

void Write(const std::string& line) {
    if (FILE* f = fopen(output.c_str(), "ab")) {
        fprintf(f, "%s\n", line.c_str());
        fclose(f);
    }
}

std::string Leftovers() {
    std::string found;
    if (FindWindowW(L"SetUp", nullptr)) found += " window";
    wchar_t temp[MAX_PATH + 1];
    DWORD n = GetTempPathW(MAX_PATH + 1, temp);
    if (n == 0 || n + 12 >= MAX_PATH) return found + " temp-unknown";
    std::wstring pattern = std::wstring(temp) + L"setup*";
    WIN32_FIND_DATAW data;
    HANDLE search = FindFirstFileW(pattern.c_str(), &data);
    if (search == INVALID_HANDLE_VALUE) return found;
    do {
        // The names are the installer's own (setup and hex digits): ASCII.
        found += " ";
        for (const wchar_t* c = data.cFileName; *c; ++c) found += *c < 0x80 ? static_cast<char>(*c) : '?';
    } while (FindNextFileW(search, &data));
    FindClose(search);
    return found;
}

LRESULT CALLBACK WatchProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_QUERYENDSESSION:
            Write("query" + Leftovers());
            return TRUE;
        case WM_ENDSESSION:
            Write("end " + std::to_string(static_cast<int>(wParam)));
            if (wParam) PostQuitMessage(0);
            return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    output = argv[1];
    WNDCLASSW wc = {};
    wc.lpfnWndProc = WatchProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"SessionWatch";
    if (!RegisterClassW(&wc)) return 2;
    if (!CreateWindowW(L"SessionWatch", L"session watch", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                       wc.hInstance, nullptr))
        return 2;
    Write("ready");
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    return 0;
}
