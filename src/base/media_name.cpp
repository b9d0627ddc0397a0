#include "base/media_name.h"

#include <cstring>

namespace {

// Copies n characters of src and a terminator; false when they do not fit.
bool Put(char* dst, size_t cap, const char* src, size_t n) {
    if (cap == 0) return false;
    bool fits = n < cap;
    if (!fits) n = cap - 1;
    std::memcpy(dst, src, n);
    dst[n] = '\0';
    return fits;
}

}  // namespace

bool SplitMediaName(const char* fileName, char* targetName, char* mediaName, size_t cap) {
    size_t n = std::strlen(fileName);
    bool fits = Put(targetName, cap, fileName, n);
    Put(mediaName, cap, fileName, n);
    // A name of fewer than three characters would leave nothing to install
    // under, so it is taken as written.
    if (!fits || n < 3 || fileName[n - 2] != '_') return false;
    targetName[n - 2] = '\0';
    Put(mediaName, cap, fileName, n - 2);
    mediaName[n - 3] = fileName[n - 1];
    return true;
}

bool JoinMediaName(const char* targetName, char c, char* mediaName, size_t mediaCap, char* entryName, size_t entryCap) {
    size_t n = std::strlen(targetName);
    bool fits = n > 0 && n < mediaCap && n + 2 < entryCap;
    if (!fits) {
        if (mediaCap) mediaName[0] = '\0';
        if (entryCap) entryName[0] = '\0';
        return false;
    }
    Put(mediaName, mediaCap, targetName, n);
    mediaName[n - 1] = c;
    Put(entryName, entryCap, targetName, n);
    entryName[n] = '_';
    entryName[n + 1] = c;
    entryName[n + 2] = '\0';
    return true;
}
