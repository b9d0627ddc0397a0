#include "removal/disk_room.h"

#include <windows.h>

#include <cstring>

#include "base/text.h"

bool DiskHasRoom(const char* path, unsigned long long size, unsigned long long growth) {
    char directory[MAX_PATH];
    if (!CopyText(directory, path)) return true;
    if (char* name = std::strrchr(directory, '\\')) name[1] = '\0';
    ULARGE_INTEGER available = {};
    DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, clusters = 0;
    if (!GetDiskFreeSpaceExA(directory, &available, nullptr, nullptr)) return true;
    unsigned long long cluster = 4096;
    if (GetDiskFreeSpaceA(directory, &sectorsPerCluster, &bytesPerSector, &freeClusters, &clusters) &&
        sectorsPerCluster && bytesPerSector)
        cluster = static_cast<unsigned long long>(sectorsPerCluster) * bytesPerSector;
    auto clustersOf = [cluster](unsigned long long bytes) { return (bytes + cluster - 1) / cluster; };
    return available.QuadPart >= (clustersOf(size + growth) - clustersOf(size)) * cluster;
}
