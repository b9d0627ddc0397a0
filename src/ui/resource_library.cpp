#include "ui/resource_library.h"

HMODULE LoadResourceLibrary(const char* path) {
    return LoadLibraryExA(path, nullptr, LOAD_LIBRARY_AS_IMAGE_RESOURCE | LOAD_LIBRARY_AS_DATAFILE);
}
