#include "actions/registry_entry.h"

#include <windows.h>

#include "actions/progress_dialog.h"
#include "actions/registry_data.h"
#include "base/messages.h"
#include "base/registry_roots.h"
#include "base/results.h"
#include "base/setup_state.h"
#include "base/text.h"
#include "removal/removal_log.h"
#include "script/conditions.h"
#include "script/sections.h"
#include "script/variables.h"

namespace {

constexpr int kNameSize = 64;
constexpr int kKeyPathSize = 256;
constexpr int kDataTextSize = 256;

// Cancel stops the install pass; OK skips the entry.
int CannotCreateKey(const char* path) {
    int answer = ReportMessage(gState->pass.ownerWindow, kMsgCannotCreateKey, kStyleOkCancel, path);
    return answer == IDCANCEL ? kAbort : kGoOn;
}

// The present bytes of a value, or none when it cannot be read (absent, or
// larger than the buffer).
DWORD ReadPresent(HKEY key, const char* name, unsigned char (&data)[kRegistryDataSize], DWORD* type) {
    DWORD size = sizeof data;
    if (RegQueryValueExA(key, name, nullptr, type, data, &size) != ERROR_SUCCESS) return 0;
    return size;
}

void RecordPresentValue(HKEY key, const char* keyText, const char* name) {
    unsigned char data[kRegistryDataSize];
    DWORD type = REG_NONE;
    DWORD size = sizeof data;
    if (RegQueryValueExA(key, name, nullptr, &type, data, &size) != ERROR_SUCCESS) {
        LogRemoval(RegistryString, keyText, name, "");
        return;
    }
    char text[kRegistryDataSize];
    switch (type) {
        case REG_SZ:  // stored strings need not carry their terminator
            CopyTextN(text, sizeof text, reinterpret_cast<const char*>(data), size);
            LogRemoval(RegistryString, keyText, name, text);
            break;
        case REG_DWORD: {
            unsigned long number = 0;
            CopyMemory(&number, data, size < sizeof number ? size : sizeof number);
            LogRemoval(RegistryDword, keyText, name, number);
            break;
        }
        case REG_BINARY:
        case REG_MULTI_SZ:
            BinaryToText(text, sizeof text, data, size);
            LogRemoval(type == REG_BINARY ? RegistryBinary : RegistryMultiString, keyText, name, text);
            break;
        default:
            break;
    }
}

void StoreValue(HKEY key, const char* name, const char* typeName, const char* data) {
    if (!data[0]) {
        RegDeleteValueA(key, name);
        return;
    }
    unsigned char bytes[kRegistryDataSize];
    DWORD type = REG_NONE;
    if (!CompareNoCase(typeName, "REG_SZ")) {
        RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data), lstrlenA(data) + 1);
    } else if (!CompareNoCase(typeName, "REG_DWORD")) {
        // Data that is no 32-bit hex number writes nothing rather than a guess.
        DWORD number;
        if (ReadHexNumber(data, &number))
            RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number);
    } else if (!CompareNoCase(typeName, "REG_BINARY_ADD")) {
        DWORD size = ReadPresent(key, name, bytes, &type);
        size += static_cast<DWORD>(TextToBinary(bytes + size, sizeof bytes - size, data));
        RegSetValueExA(key, name, 0, REG_BINARY, bytes, size);
    } else if (!CompareNoCase(typeName, "REG_MULTI_SZ_ADD")) {
        // A list that has no room for the new string is left as it is.
        DWORD size = ReadPresent(key, name, bytes, &type);
        if (AddToStringList(bytes, &size, sizeof bytes, data) == StringListResult::Added)
            RegSetValueExA(key, name, 0, REG_MULTI_SZ, bytes, size);
    } else if (!CompareNoCase(typeName, "REG_BINARY")) {
        RegSetValueExA(key, name, 0, REG_BINARY, bytes, static_cast<DWORD>(TextToBinary(bytes, sizeof bytes, data)));
    } else if (!CompareNoCase(typeName, "REG_MULTI_SZ")) {
        RegSetValueExA(key, name, 0, REG_MULTI_SZ, bytes, static_cast<DWORD>(TextToBinary(bytes, sizeof bytes, data)));
    }
}

// One key field: a subkey of HKEY_CLASSES_ROOT whose default value is set.
int ShortFormEntry(char* keyField, char* dataField) {
    char path[kKeyPathSize];
    char data[kDataTextSize];
    if (!ExpandText(keyField, path, true) || !ExpandText(dataField, data, true)) return 0;
    HKEY key;
    if (RegCreateKeyA(HKEY_CLASSES_ROOT, path, &key) != ERROR_SUCCESS) return CannotCreateKey(path);
    RegSetValueA(key, nullptr, REG_SZ, data, lstrlenA(data));
    RegCloseKey(key);
    return 0;
}

}  // namespace

// One entry of a reg. section: [root\]key path[:class]|value name[:type] =
// data[/condition]. Texts that do not fit their buffers refuse the entry
// (0, nothing created or recorded): a cut path or name would change a value
// the script did not name.
int RegistryEntry(char** keyFields, int keyCount, char** valueFields, int valueCount, void*) {
    if (valueCount >= 2 && !MatchCondition(gState->optionCodes, valueFields[1])) return 0;
    if (keyCount == 1) return ShortFormEntry(keyFields[0], valueFields[0]);

    char keyText[kNameSize];
    if (!CopyText(keyText, keyFields[0])) return 0;

    // Every piece of the key path is looked up as a whole name; "%" means nothing here.
    char* pieces[64];
    int count = 0;
    SplitFields(keyFields[0], pieces, &count, '\\', 64);
    char path[kKeyPathSize] = "";
    for (int i = 0; i < count; ++i) {
        size_t length = lstrlenA(path);
        if (i > 0 && (length == 0 || path[length - 1] != '\\')) {
            if (!AppendText(path, "\\")) return 0;
            ++length;
        }
        if (!ExpandText(pieces[i], path + length, sizeof path - length, false)) return 0;
    }

    HKEY root = HKEY_CLASSES_ROOT;
    char* subkey = path;
    if (char* slash = FindText(path, "\\")) {
        *slash = '\0';
        root = RootKeyFromName(path);
        subkey = slash + 1;
    }
    char keyClass[kNameSize] = "";
    if (char* colon = FindText(subkey, ":")) {
        *colon = '\0';
        if (!CopyText(keyClass, colon + 1)) return 0;
        if (char* own = FindText(keyText, ":")) *own = '\0';
    }

    // The suffix is a type only when an upper-case R follows the first colon.
    char typeName[kNameSize] = "REG_SZ";
    char* typeColon = FindText(keyFields[1], ":");
    if (typeColon && typeColon[1] == 'R') {
        *typeColon = '\0';
        if (!CopyText(typeName, typeColon + 1)) return 0;
    }
    char name[kNameSize];
    char data[kDataTextSize];
    if (!ExpandText(keyFields[1], name, true) || !ExpandText(valueFields[0], data, true)) return 0;

    HKEY key;
    if (RegCreateKeyExA(root, subkey, 0, keyClass, REG_OPTION_NON_VOLATILE, KEY_WRITE | KEY_QUERY_VALUE, nullptr,
                        &key, nullptr) != ERROR_SUCCESS)
        return CannotCreateKey(subkey);
    ShowStatus("Modify key:\n\nValue:\n\nData:", subkey, name, data);

    bool unrecorded = valueCount >= 2 && MatchCondition("-", valueFields[1]);
    if (!gProcess.removeMode && !unrecorded) RecordPresentValue(key, keyText, name);
    StoreValue(key, name, typeName, data);
    RegCloseKey(key);
    return 0;
}
