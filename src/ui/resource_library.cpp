#include "ui/resource_library.h"

#include "base/wide_text.h"

HMODULE LoadResourceLibrary(const char* path) {
    return LoadLibraryExW(Wide(path).c_str(), nullptr, LOAD_LIBRARY_AS_IMAGE_RESOURCE | LOAD_LIBRARY_AS_DATAFILE);
}
