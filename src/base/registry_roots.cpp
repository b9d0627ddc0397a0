#include "base/registry_roots.h"

#include <cstring>

HKEY RootKeyFromName(const char* name) {
    static const struct {
        const char* name;
        HKEY key;
    } roots[] = {
        {"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},   {"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
        {"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE}, {"HKEY_USERS", HKEY_USERS},
        {"HKEY_CURRENT_CONFIG", HKEY_CURRENT_CONFIG},
    };
    for (const auto& root : roots)
        if (std::strcmp(name, root.name) == 0) return root.key;
    return HKEY_CLASSES_ROOT;
}
