#include "actions/registry_step.h"

#include <windows.h>

#include "ui/progress_dialog.h"
#include "script/registry_data.h"
#include "actions/file_steps.h"
#include "actions/registry_keys.h"
#include "actions/string_list.h"
#include "ui/messages.h"
#include "base/format_text.h"
#include "base/profile_text.h"
#include "base/registry_roots.h"
#include "base/results.h"
#include "base/scoped_handles.h"
#include "base/run_log.h"
#include "base/setup_state.h"
#include "base/text.h"
#include "base/text_buffer.h"
#include "actions/records.h"
#include "actions/undo_journal.h"

namespace {

// Cancel stops the install pass; OK skips the entry.
StepResult CannotCreateKey(const char* path) {
    return AfterAnswer(ReportMessage(gState->pass.ownerWindow, kMsgCannotCreateKey, kStyleOkCancel, path));
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
// escaped text is longer than a profile value. *result is the record's.
bool RecordPresentValue(HKEY key, const char* keyText, const char* name, StepResult* result) {
    TextBuffer data;
    DWORD type = REG_NONE;
    Present present = ReadPresent(key, name, &type, data);
    if (present == Present::Absent) {
        *result = Record(RegistryString, keyText, name, "");
        return true;
    }
    if (present == Present::Unreadable) return false;
    size_t size = data.Length();
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(data.Text());
    if (type == REG_SZ) {
        while (size > 0 && bytes[size - 1] == 0) --size;  // stored strings need not carry their terminator
        data.SetLength(size);
        if (!CanRecordOldText(data.Text(), size)) return false;
        *result = Record(RegistryString, keyText, name, data.Text());
        return true;
    }
    if (type == REG_DWORD) {
        if (size != sizeof(DWORD)) return false;
        unsigned long number = 0;
        CopyMemory(&number, bytes, sizeof(DWORD));
        *result = Record(RegistryDword, keyText, name, number);
        return true;
    }
    if (type != REG_BINARY && type != REG_MULTI_SZ) return false;
    TextBuffer text;
    size_t room = 3 * size + 3;  // the longest escaped text of `size` bytes, its terminator included
    if (!text.Reserve(room)) return false;
    text.SetLength(BinaryToText(text.Data(), room, bytes, size) - 1);
    if (!CanRecordOldText(text.Text(), text.Length())) return false;
    *result = Record(type == REG_BINARY ? RegistryBinary : RegistryMultiString, keyText, name, text.Text());
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

// Writes the value until the platform takes it or the user gives up on it.
StepResult WriteValue(HKEY key, const char* entryText, const char* name, const char* typeName, const char* data) {
    for (;;) {
        LONG stored = StoreValue(key, name, typeName, data);
        if (stored == ERROR_SUCCESS) return StepResult::GoOn;
        LogLine("The registry refused the value (error %d)", {NumberArgument(stored)});
        Answer answer =
            ReportMessage(gState->pass.ownerWindow, kMsgCannotWriteValue, kStyleAbortRetryIgnore, entryText);
        if (answer != Answer::Retry) return AfterAnswer(answer);
    }
}

StepResult RecordMadeKey(HKEY root, const char* rootName, const char* subkey) {
    char missing[MAX_PATH];
    if (gProcess.removeMode || !FirstMissingKey(root, subkey, missing)) return StepResult::GoOn;
    TextBuffer made;
    if (!made.Assign(rootName) || !made.Append("\\") || !made.Append(missing)) return StepResult::Abort;
    return Record(MadeKey, made.Text());
}

// The default value of a subkey of HKEY_CLASSES_ROOT: never recorded.
StepResult ShortForm(const RegistryStep& step) {
    LogLine("Default value of HKEY_CLASSES_ROOT\\%s: %s", {TextArgument(step.subkey), TextArgument(step.data.Text())});
    char full[kPathSize + 24];
    FormatText(full, sizeof full, "HKEY_CLASSES_ROOT\\%s", {TextArgument(step.subkey)});
    if (JournalMissingKeys(HKEY_CLASSES_ROOT, "HKEY_CLASSES_ROOT", step.subkey) == StepResult::Abort ||
        JournalValue(HKEY_CLASSES_ROOT, full, step.subkey, "") == StepResult::Abort)
        return StepResult::Abort;
    ScopedKey key;
    if (RegCreateKeyA(HKEY_CLASSES_ROOT, step.subkey, key.Receive()) != ERROR_SUCCESS)
        return CannotCreateKey(step.subkey);
    while (RegSetValueA(key.get(), nullptr, REG_SZ, step.data.Text(), static_cast<DWORD>(step.data.Length())) !=
           ERROR_SUCCESS) {
        Answer answer =
            ReportMessage(gState->pass.ownerWindow, kMsgCannotWriteValue, kStyleAbortRetryIgnore, step.subkey);
        if (answer != Answer::Retry) return AfterAnswer(answer);
    }
    return StepResult::GoOn;
}

// The key as the status and the run's log name it: with its root.
struct FullKeyName {
    char text[sizeof RegistryStep::rootName + kPathSize];
    explicit FullKeyName(const RegistryStep& step) {
        FormatText(text, sizeof text, "%s\\%s", {TextArgument(step.rootName), TextArgument(step.subkey)});
    }
};

}  // namespace

StepResult CarryOut(const RegistryStep& step) {
    if (step.shortForm) return ShortForm(step);
    HKEY root = RootKeyFromName(step.rootName);
    const FullKeyName full(step);
    if (step.removeEmptyKeys) {
        ShowStatus(ProgramText::EmptyKeyLabels, full.text, "", "");
        RemoveEmptyKeys(root, step.subkey);
        return StepResult::GoOn;
    }
    // The outermost key this entry makes is recorded first, so that a removal
    // takes it away again once it is empty.
    if (RecordMadeKey(root, step.rootName, step.subkey) == StepResult::Abort ||
        JournalMissingKeys(root, step.rootName, step.subkey) == StepResult::Abort)
        return StepResult::Abort;

    ScopedKey key;
    if (RegCreateKeyExA(root, step.subkey, 0, const_cast<char*>(step.keyClass), REG_OPTION_NON_VOLATILE,
                        KEY_WRITE | KEY_QUERY_VALUE, nullptr, key.Receive(), nullptr) != ERROR_SUCCESS)
        return CannotCreateKey(step.subkey);
    ShowStatus(ProgramText::KeyLabels, full.text, step.name, step.data.Text());

    // After Ignore on a log that cannot be written the change is still made;
    // an old value the log cannot hold skips it.
    StepResult recorded = StepResult::GoOn;
    if (!step.unrecorded && !RecordPresentValue(key.get(), step.keyText, step.name, &recorded))
        return ReportStepEntry(step.source, MSG_CANNOT_KEEP_OLD_VALUE);
    if (recorded == StepResult::Abort ||
        JournalValue(root, full.text, step.subkey, step.name) == StepResult::Abort)
        return StepResult::Abort;
    TextBuffer entryText;
    entryText.Append(step.rootName);
    entryText.Append("\\");
    entryText.Append(step.subkey);
    entryText.Append("|");
    entryText.Append(step.name);
    return WriteValue(key.get(), entryText.Text(), step.name, step.typeName, step.data.Text());
}
