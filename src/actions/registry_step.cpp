#include "actions/registry_step.h"

#include <windows.h>

#include "actions/progress_dialog.h"
#include "actions/registry_data.h"
#include "actions/file_steps.h"
#include "actions/registry_keys.h"
#include "base/messages.h"
#include "base/profile_text.h"
#include "base/registry_roots.h"
#include "base/results.h"
#include "base/run_log.h"
#include "base/setup_state.h"
#include "base/text.h"
#include "base/text_buffer.h"
#include "removal/removal_log.h"
#include "actions/step_results.h"

namespace {

// Cancel stops the install pass; OK skips the entry.
int CannotCreateKey(const char* path) {
    int answer = ReportMessage(gState->pass.ownerWindow, kMsgCannotCreateKey, kStyleOkCancel, path);
    return answer == IDCANCEL ? kAbort : kGoOn;
}

enum class Present { Absent, Read, Unreadable };

// The whole present value: its type and bytes (with room for two zeros more).
Present ReadPresent(HKEY key, const char* name, DWORD* type, TextBuffer& bytes) {
    bytes.Clear();
    DWORD size = 0;
    LONG r = RegQueryValueExA(key, name, nullptr, type, nullptr, &size);
    if (r == ERROR_FILE_NOT_FOUND) return Present::Absent;
    // The value may grow between asking for its size and reading it.
    for (int tries = 0; r == ERROR_SUCCESS || r == ERROR_MORE_DATA; ++tries) {
        if (tries == 4 || !bytes.Reserve(size + 3)) return Present::Unreadable;
        DWORD got = size;
        r = RegQueryValueExA(key, name, nullptr, type, reinterpret_cast<BYTE*>(bytes.Data()), &got);
        if (r == ERROR_SUCCESS) {
            bytes.SetLength(got);
            return Present::Read;
        }
        size = got;
    }
    return Present::Unreadable;
}

// The old value as the log records it, or false when the log cannot hold it
// whole: another type, a string with a zero or a line end inside, data whose
// escaped text is longer than a profile value.
bool RecordPresentValue(HKEY key, const char* keyText, const char* name, int* result) {
    TextBuffer data;
    DWORD type = REG_NONE;
    Present present = ReadPresent(key, name, &type, data);
    if (present == Present::Absent) {
        *result = LogRemoval(RegistryString, keyText, name, "");
        return true;
    }
    if (present == Present::Unreadable) return false;
    size_t size = data.Length();
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(data.Text());
    if (type == REG_SZ) {
        while (size > 0 && bytes[size - 1] == 0) --size;  // stored strings need not carry their terminator
        data.SetLength(size);
        if (!CanRecordOldText(data.Text(), size)) return false;
        *result = LogRemoval(RegistryString, keyText, name, data.Text());
        return true;
    }
    if (type == REG_DWORD) {
        if (size != sizeof(DWORD)) return false;
        unsigned long number = 0;
        CopyMemory(&number, bytes, sizeof(DWORD));
        *result = LogRemoval(RegistryDword, keyText, name, number);
        return true;
    }
    if (type != REG_BINARY && type != REG_MULTI_SZ) return false;
    TextBuffer text;
    size_t room = 3 * size + 3;  // the longest escaped text of `size` bytes, its terminator included
    if (!text.Reserve(room)) return false;
    text.SetLength(BinaryToText(text.Data(), room, bytes, size) - 1);
    if (!CanRecordOldText(text.Text(), text.Length())) return false;
    *result = LogRemoval(type == REG_BINARY ? RegistryBinary : RegistryMultiString, keyText, name, text.Text());
    return true;
}

bool IsType(const char* typeName, const char* name) { return !CompareNoCase(typeName, name); }

// Decodes escaped text into bytes appended behind those already in `bytes`.
bool AppendDecoded(TextBuffer& bytes, const char* text) {
    size_t length = lstrlenA(text);  // never fewer characters than bytes
    size_t used = bytes.Length();
    if (!bytes.Reserve(used + length + 1)) return false;
    bytes.SetLength(used + TextToBinary(reinterpret_cast<unsigned char*>(bytes.Data()) + used, length, text));
    return true;
}

LONG Set(HKEY key, const char* name, DWORD type, const TextBuffer& bytes) {
    return RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(bytes.Text()),
                          static_cast<DWORD>(bytes.Length()));
}

// Writes (or, for empty data, deletes) the value: the platform's result, or
// ERROR_OUTOFMEMORY when the data could not be put together.
LONG StoreValue(HKEY key, const char* name, const char* typeName, const char* data) {
    if (!data[0]) {
        LONG deleted = RegDeleteValueA(key, name);
        return deleted == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : deleted;  // gone either way
    }
    TextBuffer bytes;
    DWORD type = REG_NONE;
    if (IsType(typeName, "REG_SZ")) {
        return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data), lstrlenA(data) + 1);
    } else if (IsType(typeName, "REG_DWORD")) {
        DWORD number = 0;
        ReadHexNumber(data, &number);
        return RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number);
    } else if (IsType(typeName, "REG_BINARY_ADD")) {
        if (ReadPresent(key, name, &type, bytes) != Present::Read) bytes.Clear();
        return AppendDecoded(bytes, data) ? Set(key, name, REG_BINARY, bytes) : ERROR_OUTOFMEMORY;
    } else if (IsType(typeName, "REG_MULTI_SZ_ADD")) {
        // The list keeps what it had and gains the string, its terminator and the list's end.
        if (ReadPresent(key, name, &type, bytes) != Present::Read) bytes.Clear();
        DWORD size = static_cast<DWORD>(bytes.Length());
        DWORD capacity = size + lstrlenA(data) + 2;
        if (!bytes.Reserve(capacity + 1)) return ERROR_OUTOFMEMORY;
        StringListResult added = AddToStringList(reinterpret_cast<unsigned char*>(bytes.Data()), &size, capacity, data);
        if (added != StringListResult::Added) return ERROR_SUCCESS;  // on the list already
        bytes.SetLength(size);
        return Set(key, name, REG_MULTI_SZ, bytes);
    } else if (IsType(typeName, "REG_BINARY") || IsType(typeName, "REG_MULTI_SZ")) {
        DWORD stored = IsType(typeName, "REG_BINARY") ? REG_BINARY : REG_MULTI_SZ;
        return AppendDecoded(bytes, data) ? Set(key, name, stored, bytes) : ERROR_OUTOFMEMORY;
    }
    LogLine("Type %s is not one the installer writes: nothing written", {TextArgument(typeName)});
    return ERROR_SUCCESS;
}

// Writes the value until the platform takes it or the user gives up on it:
// kGoOn, kSkipped after Ignore, kAbort after Abort.
int WriteValue(HKEY key, const char* entryText, const char* name, const char* typeName, const char* data) {
    for (;;) {
        LONG stored = StoreValue(key, name, typeName, data);
        if (stored == ERROR_SUCCESS) return kGoOn;
        LogLine("The registry refused the value (error %d)", {NumberArgument(stored)});
        int answer = ReportMessage(gState->pass.ownerWindow, kMsgCannotWriteValue, kStyleAbortRetryIgnore, entryText);
        if (answer != kAnswerRetry) return answer;
    }
}

int RecordMadeKey(HKEY root, const char* rootName, const char* subkey) {
    char missing[MAX_PATH];
    if (gProcess.removeMode || !FirstMissingKey(root, subkey, missing)) return kGoOn;
    TextBuffer made;
    if (!made.Assign(rootName) || !made.Append("\\") || !made.Append(missing)) return kAbort;
    return LogRemoval(MadeKey, made.Text());
}

// The default value of a subkey of HKEY_CLASSES_ROOT: never recorded.
StepResult ShortForm(const RegistryStep& step) {
    LogLine("Default value of HKEY_CLASSES_ROOT\\%s: %s", {TextArgument(step.subkey), TextArgument(step.data.Text())});
    HKEY key;
    if (RegCreateKeyA(HKEY_CLASSES_ROOT, step.subkey, &key) != ERROR_SUCCESS) return FromResult(CannotCreateKey(step.subkey));
    int answer = kGoOn;
    while (RegSetValueA(key, nullptr, REG_SZ, step.data.Text(), static_cast<DWORD>(step.data.Length())) != ERROR_SUCCESS) {
        answer = ReportMessage(gState->pass.ownerWindow, kMsgCannotWriteValue, kStyleAbortRetryIgnore, step.subkey);
        if (answer != kAnswerRetry) break;
    }
    RegCloseKey(key);
    return answer == kAbort ? StepResult::Abort : StepResult::GoOn;
}

}  // namespace

StepResult CarryOut(const RegistryStep& step) {
    if (step.shortForm) return ShortForm(step);
    HKEY root = RootKeyFromName(step.rootName);
    if (step.removeEmptyKeys) {
        ShowStatus("Remove empty key:", step.subkey, "", "");
        RemoveEmptyKeys(root, step.subkey);
        return StepResult::GoOn;
    }
    // The outermost key this entry makes is recorded first, so that a removal
    // takes it away again once it is empty.
    if (RecordMadeKey(root, step.rootName, step.subkey) == kAbort) return StepResult::Abort;

    HKEY key;
    if (RegCreateKeyExA(root, step.subkey, 0, const_cast<char*>(step.keyClass), REG_OPTION_NON_VOLATILE,
                        KEY_WRITE | KEY_QUERY_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return FromResult(CannotCreateKey(step.subkey));
    ShowStatus("Modify key:\n\nValue:\n\nData:", step.subkey, step.name, step.data.Text());

    // After Ignore on a log that cannot be written the change is still made;
    // an old value the log cannot hold skips it.
    int result = kGoOn;
    bool store = true;
    if (!step.unrecorded && !RecordPresentValue(key, step.keyText, step.name, &result)) {
        result = ToResult(ReportStepEntry(step.source, MSG_CANNOT_KEEP_OLD_VALUE));
        store = false;
    }
    if (store && result != kAbort) {
        TextBuffer entryText;
        entryText.Append(step.rootName);
        entryText.Append("\\");
        entryText.Append(step.subkey);
        entryText.Append("|");
        entryText.Append(step.name);
        result = WriteValue(key, entryText.Text(), step.name, step.typeName, step.data.Text());
    }
    RegCloseKey(key);
    return result == kAbort ? StepResult::Abort : StepResult::GoOn;
}
