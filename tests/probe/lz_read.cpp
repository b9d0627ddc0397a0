// Reads the files of a directory that match a pattern through the platform's
// LZ library, as the installer's copy does (1 MB blocks), and writes nothing:
// what the library alone costs for a payload. Prints the bytes read; exit 1
// on a read error.
//
//   lz_read.exe DIRECTORY PATTERN
#include <windows.h>

#include <cstdio>
#include <string>

#include "base/system_libraries.h"

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
    std::string pattern = std::string(argv[1]) + "\\" + argv[2];
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return 1;
    long long total = 0;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        std::string path = std::string(argv[1]) + "\\" + found.cFileName;
        OFSTRUCT of = {};
        INT file = lz->openFile(&path[0], &of, OF_READ);
        if (file < 0) return 1;
        for (INT got; (got = lz->read(file, buffer, sizeof buffer)) != 0; total += got)
            if (got < 0) return 1;
        lz->close(file);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    std::printf("%lld\n", total);
    return 0;
}
