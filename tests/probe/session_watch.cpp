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
    if (FindWindowA("SetUp", nullptr)) found += " window";
    char temp[MAX_PATH];
    DWORD n = GetTempPathA(sizeof temp, temp);
    if (n == 0 || n + 12 >= sizeof temp) return found + " temp-unknown";
    lstrcatA(temp, "setup*");
    WIN32_FIND_DATAA data;
    HANDLE search = FindFirstFileA(temp, &data);
    if (search == INVALID_HANDLE_VALUE) return found;
    do {
        found += " ";
        found += data.cFileName;
    } while (FindNextFileA(search, &data));
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
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    output = argv[1];
    WNDCLASSA wc = {};
    wc.lpfnWndProc = WatchProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "SessionWatch";
    if (!RegisterClassA(&wc)) return 2;
    if (!CreateWindowA("SessionWatch", "session watch", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance,
                       nullptr))
        return 2;
    Write("ready");
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
    return 0;
}
