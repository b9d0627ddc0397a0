// A library that tells when its code runs: on being attached to a process it
// writes an empty file named after its own path with ".loaded" added. The
// scenarios plant it under the names of libraries, and as a resource library
// with code, to prove that the installer never runs it.
#include <windows.h>

extern "C" BOOL WINAPI MarkerMain(HINSTANCE self, DWORD reason, LPVOID) {
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    wchar_t path[MAX_PATH + 8];
    DWORD n = GetModuleFileNameW(self, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return TRUE;
    // No C runtime here: the suffix is copied by hand.
    const wchar_t suffix[] = L".loaded";
    for (DWORD i = 0; i < sizeof suffix / sizeof suffix[0]; ++i) path[n + i] = suffix[i];
    HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    return TRUE;
}
