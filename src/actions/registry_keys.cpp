#include "actions/registry_keys.h"

#include "base/text.h"
#include "base/scoped_handles.h"
#include "base/wide_text.h"

namespace {

// Deeper than the registry lets keys go: a bound for the walk, not a limit of keys.
constexpr int kMaxDepth = 512;

// Only a key the registry says is not there counts as missing: one we may
// not open is someone else's.
bool KeyMissing(HKEY root, const char* path) {
    ScopedKey key;
    return RegOpenKeyExW(root, Wide(path).c_str(), 0, KEY_READ, key.Receive()) == ERROR_FILE_NOT_FOUND;
}

// Deletes the empty keys below `key`, deepest first; true when `key` itself
// holds nothing afterwards.
bool PruneBelow(HKEY key, int depth) {
    DWORD subkeys = 0, values = 0;
    if (RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr, nullptr,
                         nullptr, nullptr) != ERROR_SUCCESS)
        return false;
    // From the last one down, so deleting a key does not move the ones still to come.
    for (DWORD i = subkeys; i-- > 0 && depth < kMaxDepth;) {
        wchar_t name[256];  // a key's name has at most 255 characters
        DWORD length = ARRAYSIZE(name);
        if (RegEnumKeyExW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) continue;
        ScopedKey child;
        if (RegOpenKeyExW(key, name, 0, KEY_READ | DELETE, child.Receive()) != ERROR_SUCCESS) continue;
        bool empty = PruneBelow(child.get(), depth + 1);
        child.Close();
        if (empty) RegDeleteKeyW(key, name);
    }
    if (RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr, nullptr,
                         nullptr, nullptr) != ERROR_SUCCESS)
        return false;
    return subkeys == 0 && values == 0;
}

}  // namespace

bool FirstMissingKey(HKEY root, const char* subkey, char (&missing)[kPathBytes]) {
    if (!CopyText(missing, subkey)) return false;
    // Each prefix ending before a backslash, outermost first, then the whole path.
    for (char* at = missing;; ++at) {
        if (*at != '\\' && *at != '\0') continue;
        char kept = *at;
        *at = '\0';
        if (at > missing && KeyMissing(root, missing)) return true;
        if (!kept) return false;
        *at = kept;
    }
}

void RemoveEmptyKeys(HKEY root, const char* subkey) {
    if (!subkey[0]) return;  // never a root key
    ScopedKey key;
    const std::wstring path = Wide(subkey);
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ | DELETE, key.Receive()) != ERROR_SUCCESS) return;
    bool empty = PruneBelow(key.get(), 0);
    key.Close();
    if (empty) RegDeleteKeyW(root, path.c_str());
}
