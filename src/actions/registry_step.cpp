#include "actions/registry_step.h"

#include <windows.h>

#include <string>

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
#include "base/wide_text.h"
#include "actions/records.h"
#include "actions/undo_journal.h"

namespace {

// Cancel stops the install pass; OK skips the entry.
StepResult CannotCreateKey(const char* path) {
    return AfterAnswer(ReportMessage(gState->pass.ownerWindow, kMsgCannotCreateKey, kStyleOkCancel, path));
}

enum class Present { Absent, Read, Unreadable };

// The whole present value: its type and bytes (with room for two UTF-16
// zeros more). Strings are the registry's own UTF-16.
Present ReadPresent(HKEY key, const char* name, DWORD* type, TextBuffer& bytes) {
    bytes.Clear();
    const std::wstring wideName = Wide(name);
    DWORD size = 0;
    LONG r = RegQueryValueExW(key, wideName.c_str(), nullptr, type, nullptr, &size);
    if (r == ERROR_FILE_NOT_FOUND) return Present::Absent;
    // The value may grow between asking for its size and reading it.
    for (int tries = 0; r == ERROR_SUCCESS || r == ERROR_MORE_DATA; ++tries) {
        if (tries == 4 || !bytes.Reserve(size + 5)) return Present::Unreadable;
        DWORD got = size;
        r = RegQueryValueExW(key, wideName.c_str(), nullptr, type, reinterpret_cast<BYTE*>(bytes.Data()), &got);
        if (r == ERROR_SUCCESS) {
            bytes.SetLength(got);
            return Present::Read;
        }
        size = got;
    }
    return Present::Unreadable;
}

// The engine's text of UTF-16 characters the registry holds; false when it
// would not give back the same characters (a lone surrogate), as a value
// recorded so could not be put back as it was.
bool EngineText(const unsigned char* bytes, size_t size, std::string& text) {
    if (size % sizeof(wchar_t) != 0) return false;
    const wchar_t* wide = reinterpret_cast<const wchar_t*>(bytes);
    int length = static_cast<int>(size / sizeof(wchar_t));
    text = Narrow(wide, length);
    return Wide(text.data(), text.size()) == std::wstring(wide, length);
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
        // Stored strings need not carry their terminator.
        while (size >= sizeof(wchar_t) && bytes[size - 1] == 0 && bytes[size - 2] == 0) size -= sizeof(wchar_t);
        std::string old;
        if (!EngineText(bytes, size, old) || !CanRecordOldText(old.c_str(), old.size())) return false;
        *result = Record(RegistryString, keyText, name, old.c_str());
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
    // A list's strings are recorded as the engine's text, zeros and all,
    // which the removal turns back into UTF-16 (MultiStringData).
    std::string strings;
    if (type == REG_MULTI_SZ) {
        if (!EngineText(bytes, size, strings)) return false;
        bytes = reinterpret_cast<const unsigned char*>(strings.data());
        size = strings.size();
    }
    TextBuffer text;
    size_t room = 3 * size + 3;  // the longest escaped text of `size` bytes, its terminator included
    if (!text.Reserve(room)) return false;
    text.SetLength(BinaryToText(text.Data(), room, bytes, size) - 1);
    if (!CanRecordOldText(text.Text(), text.Length())) return false;
    *result = Record(type == REG_BINARY ? RegistryBinary : RegistryMultiString, keyText, name, text.Text());
    return true;
}

bool IsType(const char* typeName, const char* name) { return !CompareNoCase(typeName, name); }

// Binary data's escaped text spells one byte by each character outside its
// groups: the legacy code page's byte, as scripts have always meant it. The
// data as the engine writes it, or false for a character the code page
// cannot spell exactly (never a best fit).
bool BinaryDataText(const RegistryStep& step, std::string& data) {
    data = step.data.Text();
    if (!IsType(step.typeName, "REG_BINARY") && !IsType(step.typeName, "REG_BINARY_ADD")) return true;
    for (unsigned char c : data)
        if (c >= 0x80) return ToAnsi(step.data.Text(), data);
    return true;
}

// Decodes escaped text into bytes appended behind those already in `bytes`.
bool AppendDecoded(TextBuffer& bytes, const char* text) {
    size_t length = std::char_traits<char>::length(text);  // never fewer characters than bytes
    size_t used = bytes.Length();
    if (!bytes.Reserve(used + length + 1)) return false;
    bytes.SetLength(used + TextToBinary(reinterpret_cast<unsigned char*>(bytes.Data()) + used, length, text));
    return true;
}

LONG Set(HKEY key, const char* name, DWORD type, const void* bytes, size_t size) {
    return RegSetValueExW(key, Wide(name).c_str(), 0, type, static_cast<const BYTE*>(bytes), static_cast<DWORD>(size));
}

LONG Set(HKEY key, const char* name, DWORD type, const TextBuffer& bytes) {
    return Set(key, name, type, bytes.Text(), bytes.Length());
}

// The UTF-16 data of a REG_MULTI_SZ value from its strings as the script
// and the removal log spell them: the engine's text, or bytes of the legacy
// code page (a "<e9>" group of an old script, a log an older installer
// wrote), which are seldom UTF-8 as a whole.
std::wstring MultiStringData(const TextBuffer& strings) {
    const char* text = strings.Text();
    int length = static_cast<int>(strings.Length());
    if (length == 0) return std::wstring();
    if (MultiByteToWideChar(kEngineCodePage, MB_ERR_INVALID_CHARS, text, length, nullptr, 0) > 0)
        return Wide(text, length);
    std::string engine = FromAnsi(text, length);
    return Wide(engine.data(), engine.size());
}

// Writes (or, for empty data, deletes) the value: the platform's result, or
// ERROR_OUTOFMEMORY when the data could not be put together.
LONG StoreValue(HKEY key, const char* name, const char* typeName, const char* data) {
    if (!data[0]) {
        LONG deleted = RegDeleteValueW(key, Wide(name).c_str());
        return deleted == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : deleted;  // gone either way
    }
    TextBuffer bytes;
    DWORD type = REG_NONE;
    if (IsType(typeName, "REG_SZ")) {
        const std::wstring text = Wide(data);
        return Set(key, name, REG_SZ, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    } else if (IsType(typeName, "REG_DWORD")) {
        DWORD number = 0;
        ReadHexNumber(data, &number);
        return Set(key, name, REG_DWORD, &number, sizeof number);
    } else if (IsType(typeName, "REG_BINARY_ADD")) {
        if (ReadPresent(key, name, &type, bytes) != Present::Read) bytes.Clear();
        // A present string gives the bytes of its text, the engine's as it
        // reads every string (for ASCII what the legacy code page gave); one
        // that is no whole UTF-16 keeps its bytes.
        std::string text;
        if ((type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ) &&
            EngineText(reinterpret_cast<const unsigned char*>(bytes.Text()), bytes.Length(), text)) {
            bytes.Clear();
            if (!bytes.Append(text.data(), text.size())) return ERROR_OUTOFMEMORY;
        }
        return AppendDecoded(bytes, data) ? Set(key, name, REG_BINARY, bytes) : ERROR_OUTOFMEMORY;
    } else if (IsType(typeName, "REG_MULTI_SZ_ADD")) {
        // The list keeps what it had and gains the string, its terminator and
        // the list's end, all counted in UTF-16 characters.
        if (ReadPresent(key, name, &type, bytes) != Present::Read) bytes.Clear();
        const std::wstring text = Wide(data);
        DWORD size = static_cast<DWORD>(bytes.Length() / sizeof(wchar_t));
        DWORD capacity = size + static_cast<DWORD>(text.size()) + 2;
        if (!bytes.Reserve((capacity + 1) * sizeof(wchar_t))) return ERROR_OUTOFMEMORY;
        StringListResult added =
            AddToStringList(reinterpret_cast<wchar_t*>(bytes.Data()), &size, capacity, text.c_str());
        if (added != StringListResult::Added) return ERROR_SUCCESS;  // on the list already
        bytes.SetLength(size * sizeof(wchar_t));
        return Set(key, name, REG_MULTI_SZ, bytes);
    } else if (IsType(typeName, "REG_BINARY")) {
        return AppendDecoded(bytes, data) ? Set(key, name, REG_BINARY, bytes) : ERROR_OUTOFMEMORY;
    } else if (IsType(typeName, "REG_MULTI_SZ")) {
        if (!AppendDecoded(bytes, data)) return ERROR_OUTOFMEMORY;
        const std::wstring strings = MultiStringData(bytes);
        return Set(key, name, REG_MULTI_SZ, strings.data(), strings.size() * sizeof(wchar_t));
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
    char missing[kPathBytes];
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
    if (RegCreateKeyW(HKEY_CLASSES_ROOT, Wide(step.subkey).c_str(), key.Receive()) != ERROR_SUCCESS)
        return CannotCreateKey(step.subkey);
    const std::wstring value = Wide(step.data.Text(), step.data.Length());
    const DWORD size = static_cast<DWORD>(value.size() * sizeof(wchar_t));
    while (RegSetValueW(key.get(), nullptr, REG_SZ, value.c_str(), size) != ERROR_SUCCESS) {
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
    std::string data;
    if (!BinaryDataText(step, data)) return ReportStepEntry(step.source, MSG_CANNOT_ENCODE_VALUE);
    // The outermost key this entry makes is recorded first, so that a removal
    // takes it away again once it is empty.
    if (RecordMadeKey(root, step.rootName, step.subkey) == StepResult::Abort ||
        JournalMissingKeys(root, step.rootName, step.subkey) == StepResult::Abort)
        return StepResult::Abort;

    ScopedKey key;
    std::wstring keyClass = Wide(step.keyClass);
    if (RegCreateKeyExW(root, Wide(step.subkey).c_str(), 0, &keyClass[0], REG_OPTION_NON_VOLATILE,
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
    return WriteValue(key.get(), entryText.Text(), step.name, step.typeName, data.c_str());
}
