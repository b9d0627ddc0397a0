// A library that tells when its code runs: on being attached to a process it
// writes an empty file named after its own path with ".loaded" added. The
// scenarios plant it under the names of libraries, and as a resource library
// with code, to prove that the installer never runs it.
#include <windows.h>

extern "C" BOOL WINAPI MarkerMain(HINSTANCE self, DWORD reason, LPVOID) {
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    char path[MAX_PATH + 8];
    DWORD n = GetModuleFileNameA(self, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return TRUE;
    lstrcpyA(path + n, ".loaded");
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    return TRUE;
}
