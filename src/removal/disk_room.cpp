#include "removal/disk_room.h"

#include <windows.h>

#include <cstring>

#include "base/text.h"
#include "base/wide_text.h"

bool DiskHasRoom(const char* path, unsigned long long size, unsigned long long growth) {
    char directory[kPathBytes];
    if (!CopyText(directory, path)) return true;
    if (char* name = std::strrchr(directory, '\\')) name[1] = '\0';
    ULARGE_INTEGER available = {};
    DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, clusters = 0;
    std::wstring wide = Wide(directory);
    if (!GetDiskFreeSpaceExW(wide.c_str(), &available, nullptr, nullptr)) return true;
    unsigned long long cluster = 4096;
    if (GetDiskFreeSpaceW(wide.c_str(), &sectorsPerCluster, &bytesPerSector, &freeClusters, &clusters) &&
        sectorsPerCluster && bytesPerSector)
        cluster = static_cast<unsigned long long>(sectorsPerCluster) * bytesPerSector;
    auto clustersOf = [cluster](unsigned long long bytes) { return (bytes + cluster - 1) / cluster; };
    return available.QuadPart >= (clustersOf(size + growth) - clustersOf(size)) * cluster;
}
