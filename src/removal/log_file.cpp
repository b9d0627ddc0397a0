#include "removal/log_file.h"

#include <windows.h>

#include <cstring>

#include "base/text.h"
#include "base/text_buffer.h"

namespace {

// Blanks as the profile reader drops them around names, values and lines.
bool Blank(char c) { return c == ' ' || (c >= '\t' && c <= '\r') || c == 0x1A; }

struct Span {
    const char* start;
    size_t length;
};

Span Trimmed(const char* start, const char* end) {
    while (start < end && Blank(*start)) ++start;
    while (end > start && Blank(end[-1])) --end;
    return {start, static_cast<size_t>(end - start)};
}

Span Trimmed(const char* text) { return Trimmed(text, text + std::strlen(text)); }

bool SameNoCase(Span a, Span b) {
    if (a.length != b.length) return false;
    if (a.length == 0) return true;
    return CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, a.start, static_cast<int>(a.length), b.start,
                          static_cast<int>(b.length)) == CSTR_EQUAL;
}

bool Same(Span a, Span b) { return a.length == b.length && std::memcmp(a.start, b.start, a.length) == 0; }

// Where the profile functions keep a file: a bare name in the Windows directory.
bool FilePath(const char* name, char (&path)[MAX_PATH]) {
    bool bare = !std::strchr(name, '\\') && !std::strchr(name, '/') && !(name[0] && name[1] == ':');
    if (!bare) {
        DWORD n = GetFullPathNameA(name, sizeof path, path, nullptr);
        return n > 0 && n < sizeof path;
    }
    UINT n = GetWindowsDirectoryA(path, sizeof path);
    return n > 0 && n < sizeof path && AppendText(path, "\\") && AppendText(path, name);
}

bool ReadWholeFile(const char* path, TextBuffer& out) {
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size = {};
    bool ok = GetFileSizeEx(file, &size) && size.QuadPart < 0x40000000 &&
              out.Reserve(static_cast<size_t>(size.QuadPart) + 1);
    DWORD got = 0;
    // The size bounds the read: a device (a full disk stood in for by one) reads without end.
    ok = ok && (size.QuadPart == 0 || ReadFile(file, out.Data(), static_cast<DWORD>(size.QuadPart), &got, nullptr));
    CloseHandle(file);
    if (ok) out.SetLength(got);
    return ok;
}

}  // namespace

bool ProfileFileHolds(const char* file, const char* section, const char* key, const char* value) {
    char path[MAX_PATH];
    TextBuffer text;
    if (!FilePath(file, path) || !ReadWholeFile(path, text)) return false;
    Span wantedSection = Trimmed(section), wantedKey = Trimmed(key), wantedValue = Trimmed(value);
    bool inSection = false, sectionSeen = false;
    const char* at = text.Text();
    const char* end = at + text.Length();
    while (at < end) {
        const char* lineEnd = static_cast<const char*>(std::memchr(at, '\n', end - at));
        if (!lineEnd) lineEnd = end;
        Span line = Trimmed(at, lineEnd);
        at = lineEnd + 1;
        if (line.length == 0) continue;
        const char* close = nullptr;
        if (line.start[0] == '[')
            for (const char* c = line.start + line.length; c > line.start; --c)
                if (c[-1] == ']') {
                    close = c - 1;
                    break;
                }
        if (close) {
            // Only the first section of a name is ever read.
            if (inSection) return false;
            inSection = !sectionSeen && SameNoCase({line.start + 1, static_cast<size_t>(close - line.start - 1)},
                                                   wantedSection);
            sectionSeen = sectionSeen || inSection;
            continue;
        }
        if (!inSection) continue;
        const char* equals = static_cast<const char*>(std::memchr(line.start, '=', line.length));
        if (!equals) continue;
        if (SameNoCase(Trimmed(line.start, equals), wantedKey))
            return Same(Trimmed(equals + 1, line.start + line.length), wantedValue);
    }
    return false;
}

bool ProfileFileHasRoom(const char* file, unsigned long long growth) {
    char path[MAX_PATH];
    if (!FilePath(file, path)) return true;
    unsigned long long size = 0;
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (GetFileAttributesExA(path, GetFileExInfoStandard, &data))
        size = (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    if (char* name = std::strrchr(path, '\\')) name[1] = '\0';
    ULARGE_INTEGER available = {};
    DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, clusters = 0;
    // A disk that does not tell is written to, and the file read back.
    if (!GetDiskFreeSpaceExA(path, &available, nullptr, nullptr)) return true;
    unsigned long long cluster = 4096;
    if (GetDiskFreeSpaceA(path, &sectorsPerCluster, &bytesPerSector, &freeClusters, &clusters) &&
        sectorsPerCluster && bytesPerSector)
        cluster = static_cast<unsigned long long>(sectorsPerCluster) * bytesPerSector;
    auto clustersOf = [cluster](unsigned long long bytes) { return (bytes + cluster - 1) / cluster; };
    return available.QuadPart >= (clustersOf(size + growth) - clustersOf(size)) * cluster;
}
