// Reads the files of a directory that match a pattern through the platform's
// LZ library, as the installer's copy does (1 MB blocks), and writes nothing:
// what the library alone costs for a payload. Prints the bytes read; exit 1
// on a read error.
//
//   lz_read.exe DIRECTORY PATTERN
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "base/system_libraries.h"
#include "base/wide_text.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: lz_read DIRECTORY PATTERN (%d arguments given)\n", argc - 1);
        return 2;
    }
    RestrictLibrarySearch();
    const LzCalls* lz = LzLibrary();
    if (!lz) {
        std::fprintf(stderr, "lz_read: the LZ library cannot be loaded\n");
        return 2;
    }
    static char buffer[1 << 20];
    // The arguments come in the code page; the platform is asked in UTF-16.
    std::wstring directory = Wide(FromAnsi(argv[1], std::strlen(argv[1])).c_str());
    std::wstring pattern = directory + L"\\" + Wide(FromAnsi(argv[2], std::strlen(argv[2])).c_str());
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return 1;
    long long total = 0;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        std::wstring path = directory + L"\\" + found.cFileName;
        // Opened by name in UTF-16, then handed to the library, as the installer's copy does.
        HANDLE opened = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
        if (opened == INVALID_HANDLE_VALUE) return 1;
        INT file = lz->init(static_cast<INT>(reinterpret_cast<INT_PTR>(opened)));
        if (file < 0) {
            CloseHandle(opened);
            return 1;
        }
        for (INT got; (got = lz->read(file, buffer, sizeof buffer)) != 0; total += got)
            if (got < 0) return 1;
        lz->close(file);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    std::printf("%lld\n", total);
    return 0;
}
