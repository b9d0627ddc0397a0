#include "actions/undo_journal.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "base/file_system.h"
#include "base/format_text.h"
#include "base/registry_roots.h"
#include "base/run_log.h"
#include "base/run_switches.h"
#include "base/scoped_handles.h"
#include "base/setup_state.h"
#include "base/text.h"
#include "base/text_buffer.h"
#include "base/whole_files.h"
#include "base/wide_text.h"
#include "actions/records.h"
#include "removal/removal_log.h"
#include "removal/undo_records.h"
#include "ui/messages.h"
#include "ui/progress_dialog.h"

namespace {

constexpr char kJournalSuffix[] = ".setup-undo";
constexpr char kSavedLogSuffix[] = ".setup-undo-log";
constexpr char kAsideSuffix[] = ".setup-aside";

// The journal of the pass that runs, and what it holds already.
struct UndoJournalState {
    ScopedHandle file;
    char log[MAX_PATH] = "";
    char journal[kPathBytes] = "";
    int lines = 0;
    std::unordered_set<std::string> recorded;  // files, values and keys, lower case
    std::unordered_map<std::string, std::string> asides;  // a file set aside: where it is now
};
UndoJournalState gUndo;

template <size_t N> bool WithSuffix(const char* path, const char* suffix, char (&out)[N]) {
    return CopyText(out, path) && AppendText(out, suffix);
}

// Letter case is put aside over UTF-16, where the platform knows it for
// every character.
std::string Lowered(const char* kind, const char* text, const char* more = "") {
    std::wstring key = Wide((std::string(kind) + '|' + text + '|' + more).c_str());
    if (!key.empty()) CharLowerBuffW(&key[0], static_cast<DWORD>(key.size()));
    return Narrow(key.c_str(), static_cast<int>(key.size()));
}

bool Exists(const char* path) { return GetFileAttributesW(Wide(path).c_str()) != INVALID_FILE_ATTRIBUTES; }

void MakeNormal(const char* path) { SetFileAttributesW(Wide(path).c_str(), FILE_ATTRIBUTE_NORMAL); }

BOOL Delete(const char* path) { return DeleteFileW(Wide(path).c_str()); }

BOOL Move(const char* from, const char* to, DWORD flags) {
    return MoveFileExW(Wide(from).c_str(), Wide(to).c_str(), flags);
}

// Writes the line; a line that does not go is put to the user: Retry
// writes it again, Ignore makes the change without it. A line that keeps
// something of before the pass (the log, a file set aside, a value) is
// flushed to the disk before the change; one that only names what the pass
// makes is left to the system, which keeps it through a kill, if not
// through a power loss: a flush a file would double the cost of a copy.
StepResult WriteLine(UndoKind kind, std::initializer_list<const char*> fields) {
    TextBuffer line;
    if (!ComposeUndoLine(kind, fields, line)) {
        ReportMessage(OwnerWindow(), kMsgNoMemory, kStyleStop);
        return StepResult::Abort;
    }
    for (;;) {
        DWORD put = 0;
        if (WriteFile(gUndo.file.get(), line.Text(), static_cast<DWORD>(line.Length()), &put, nullptr) &&
            put == line.Length() &&
            (kind == UndoKind::NewFile || kind == UndoKind::Folder || kind == UndoKind::Key ||
             FlushFileBuffers(gUndo.file.get()))) {
            ++gUndo.lines;
            return StepResult::GoOn;
        }
        Answer answer = ReportMessage(OwnerWindow(), kMsgCannotWriteUndo, kStyleAbortRetryIgnore, gUndo.journal);
        if (answer != Answer::Retry) return AfterAnswer(answer);
    }
}

// The folders of a file's path that are not there, outermost first.
void MissingFolders(const char* filePath, std::vector<std::string>& missing) {
    char folder[kPathBytes];
    if (!CopyText(folder, filePath)) return;
    // Each backslash after the root ends a folder of the path.
    for (char* at = folder + 3; *at; ++at) {
        if (*at != '\\') continue;
        *at = '\0';
        if (!Exists(folder)) missing.push_back(folder);
        *at = '\\';
    }
}

// Once a pass for each item: the first line holds the state from before it.
bool FirstTime(const std::string& key) { return gUndo.recorded.insert(key).second; }

// Parses the journal's text in place into lines, oldest first; a line a
// kill cut short (no line break, or not whole) ends them. The lines point
// into the text.
int ParseJournal(TextBuffer& text, std::unique_ptr<UndoLine[]>& lines) {
    char* at = text.Data();
    if (!at) return 0;
    char* end = at + text.Length();
    size_t most = 0;
    for (char* c = at; c < end; ++c) most += *c == '\n';
    lines.reset(new UndoLine[most + 1]);
    int count = 0;
    while (at < end) {
        char* next = static_cast<char*>(std::memchr(at, '\n', end - at));
        if (!next) break;
        *next = '\0';
        if (next > at && next[-1] == '\r') next[-1] = '\0';
        if (!ParseUndoLine(at, lines[count])) break;
        ++count;
        at = next + 1;
    }
    return count;
}

void RestoreValue(const UndoLine& line) {
    const char* keyPath = line.fields[0];
    const char* slash = std::strchr(keyPath, '\\');
    if (!slash) return;
    char rootName[64];
    if (!CopyTextN(rootName, sizeof rootName, keyPath, slash - keyPath)) return;
    HKEY root = RootKeyFromName(rootName);
    const std::wstring subkey = Wide(slash + 1), name = Wide(line.fields[1]);
    ScopedKey key;
    if (std::strcmp(line.fields[2], "absent") == 0) {
        if (RegOpenKeyExW(root, subkey.c_str(), 0, KEY_SET_VALUE, key.Receive()) == ERROR_SUCCESS)
            RegDeleteValueW(key.get(), name.c_str());
        return;
    }
    // The bytes as the W function read them: strings are put back in UTF-16.
    TextBuffer data;
    if (!BytesOfHex(line.fields[3], data) ||
        RegCreateKeyExW(root, subkey.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.Receive(), nullptr) !=
            ERROR_SUCCESS)
        return;
    if (RegSetValueExW(key.get(), name.c_str(), 0, std::strtoul(line.fields[2], nullptr, 10),
                       reinterpret_cast<const BYTE*>(data.Text()), static_cast<DWORD>(data.Length())) !=
        ERROR_SUCCESS)
        LogLine("Not undone: the value %s of %s", {TextArgument(line.fields[1]), TextArgument(keyPath)});
}

void RemoveKeyIfEmpty(const char* keyPath) {
    const char* slash = std::strchr(keyPath, '\\');
    char rootName[64];
    if (!slash || !CopyTextN(rootName, sizeof rootName, keyPath, slash - keyPath)) return;
    HKEY root = RootKeyFromName(rootName);
    const std::wstring subkey = Wide(slash + 1);
    DWORD subkeys = 1, values = 1;
    {
        ScopedKey key;
        if (RegOpenKeyExW(root, subkey.c_str(), 0, KEY_READ, key.Receive()) != ERROR_SUCCESS ||
            RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr,
                             nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            return;
    }
    if (subkeys == 0 && values == 0) RegDeleteKeyW(root, subkey.c_str());
}

// What a kill left half written beside a file the pass wrote goes with it.
void DeleteBeside(const char* path) {
    char beside[MAX_PATH];
    if (BesidePath(path, beside)) Delete(beside);
}

// Puts one change back. Each is safe to do twice: an undo that was itself
// cut short is done again from the start.
void UndoOne(const UndoLine& line, const char* log, const char* savedLog) {
    if (line.kind == UndoKind::NewFile || line.kind == UndoKind::Aside) DeleteBeside(line.fields[0]);
    switch (line.kind) {
        case UndoKind::NewFile:
            ShowStatus(ProgramText::UndoLabels, line.fields[0], "", "");
            MakeNormal(line.fields[0]);
            Delete(line.fields[0]);
            break;
        case UndoKind::Aside:
            ShowStatus(ProgramText::UndoLabels, line.fields[0], "", "");
            if (Exists(line.fields[1])) {
                MakeNormal(line.fields[0]);
                if (!Move(line.fields[1], line.fields[0], MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
                    LogLine("Not undone: %s (kept as %s)", {TextArgument(line.fields[0]), TextArgument(line.fields[1])});
            }
            break;
        case UndoKind::Folder:
            RemoveDirectoryW(Wide(line.fields[0]).c_str());
            break;
        case UndoKind::Value:
            ShowStatus(ProgramText::UndoLabels, line.fields[0], line.fields[1], "");
            RestoreValue(line);
            break;
        case UndoKind::Key:
            RemoveKeyIfEmpty(line.fields[0]);
            break;
        case UndoKind::Log:
            // The log as it was before the pass: the writer lets it go first.
            ReleaseRemovalLog();
            DeleteBeside(log);
            if (std::strcmp(line.fields[0], "saved") == 0) {
                if (Exists(savedLog)) Move(savedLog, log, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
            } else {
                Delete(log);
            }
            break;
        case UndoKind::Start:
        case UndoKind::Commit:
            break;
    }
}

// Finishes a journal: a committed pass loses its files set aside; any other
// is undone, newest change first. Then the journal goes.
void FinishJournal(const char* journal, const char* log) {
    char savedLog[kPathBytes];
    if (!WithSuffix(log, kSavedLogSuffix, savedLog)) return;
    TextBuffer text;
    bool exists = false;
    if (!ReadWholeFile(journal, text, &exists) || !exists) return;
    std::unique_ptr<UndoLine[]> lines;
    int count = ParseJournal(text, lines);
    bool committed = count && lines[count - 1].kind == UndoKind::Commit;
    if (committed) {
        for (int i = 0; i < count; ++i)
            if (lines[i].kind == UndoKind::Aside) {
                MakeNormal(lines[i].fields[1]);
                Delete(lines[i].fields[1]);
            }
    } else {
        for (int i = count; i-- > 0;) UndoOne(lines[i], log, savedLog);
        LogLine("Install pass rolled back: %d changes undone", {NumberArgument(count > 2 ? count - 2 : 0)});
    }
    Delete(savedLog);
    Delete(journal);
    // The log's own folder held the journal until now.
    if (!committed)
        for (int i = count; i-- > 0;)
            if (lines[i].kind == UndoKind::Folder) RemoveDirectoryW(Wide(lines[i].fields[0]).c_str());
}

// A journal that could not start goes: the pass runs without (Ignore) or
// not at all (Abort).
StepResult Forget(StepResult result) {
    gUndo.file.Close();
    Delete(gUndo.journal);
    LogLine("Rollback: off, the undo journal cannot be written");
    return result == StepResult::Abort ? StepResult::Abort : StepResult::GoOn;
}

}  // namespace

bool RollbackWanted() {
    return gSwitches.rollback ||
           GetPrivateProfileIntW(L"SetUp", L"rollback", 0, Wide(gProcess.scriptPath).c_str()) != 0;
}

bool UndoJournalActive() { return gUndo.file.valid(); }

StepResult BeginPassUndo() {
    gUndo.file.Close();
    gUndo.recorded.clear();
    gUndo.asides.clear();
    gUndo.lines = 0;
    char savedLog[kPathBytes];
    if (!RemovalLogFile(gUndo.log) || !WithSuffix(gUndo.log, kJournalSuffix, gUndo.journal) ||
        !WithSuffix(gUndo.log, kSavedLogSuffix, savedLog)) {
        if (!RollbackWanted()) return StepResult::GoOn;
        ReportMessage(OwnerWindow(), kMsgCannotWriteUndo, kStyleStop, gUndo.log);
        return StepResult::Abort;
    }
    if (Exists(gUndo.journal)) {
        ReleaseRemovalLog();
        if (!QuietRun()) ReportMessage(OwnerWindow(), kMsgUnfinishedInstall, kStyleNote);
        FinishJournal(gUndo.journal, gUndo.log);
    }
    if (!RollbackWanted() || gProcess.removeMode) return StepResult::GoOn;
    ReleaseRemovalLog();
    // The log's folder is made for the journal; the pass would make it for
    // the log anyway. Named in the journal as soon as it is there.
    std::vector<std::string> madeFolders;
    MissingFolders(gUndo.journal, madeFolders);
    char failed[MAX_PATH];
    MakeDirectories(gUndo.journal, failed);
    for (;;) {
        gUndo.file.Reset(CreateFileW(Wide(gUndo.journal).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                     CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (gUndo.file) break;
        Answer answer = ReportMessage(OwnerWindow(), kMsgCannotWriteUndo, kStyleAbortRetryIgnore, gUndo.journal);
        if (answer != Answer::Retry) return AfterAnswer(answer) == StepResult::Abort ? StepResult::Abort
                                                                                    : StepResult::GoOn;
    }
    LogLine("Rollback: every change of the pass is undone unless it runs to its end");
    StepResult started = WriteLine(UndoKind::Start, {"1"});
    if (started != StepResult::GoOn) return Forget(started);
    // The removal log as the pass found it: a copy, or none.
    bool logged = Exists(gUndo.log);
    if (logged && !SaveWholeCopy(gUndo.log, savedLog)) {
        ReportMessage(OwnerWindow(), kMsgCannotWriteUndo, kStyleStop, savedLog);
        return Forget(StepResult::Abort);
    }
    StepResult noted = WriteLine(UndoKind::Log, {logged ? "saved" : "absent"});
    for (const std::string& folder : madeFolders)
        if (noted == StepResult::GoOn) noted = JournalFolder(folder.c_str());
    if (noted != StepResult::GoOn) return Forget(noted);
    // The removal log records the folders as made by the install, as it
    // would have had the log made them.
    if (madeFolders.empty()) return StepResult::GoOn;
    std::string outermost = madeFolders.front() + "\\";
    return Record(MadeDirectory, outermost.c_str()) == StepResult::Abort ? StepResult::Abort : StepResult::GoOn;
}

StepResult JournalNewFile(const char* path) {
    if (!UndoJournalActive() || !FirstTime(Lowered("file", path))) return StepResult::GoOn;
    return WriteLine(UndoKind::NewFile, {path});
}

StepResult JournalSetAside(const char* path) {
    if (!UndoJournalActive() || !Exists(path)) return StepResult::Skipped;
    std::string key = Lowered("file", path);
    if (!FirstTime(key)) return StepResult::Skipped;
    char aside[kPathBytes], number[16];
    FormatText(number, sizeof number, "%d", {NumberArgument(gUndo.lines)});
    if (!WithSuffix(path, kAsideSuffix, aside) || !AppendText(aside, number)) {
        JournalCannotUndo("the file", path);
        return StepResult::Skipped;
    }
    StepResult written = WriteLine(UndoKind::Aside, {path, aside});
    if (written != StepResult::GoOn) return written;
    // A rename, not a copy: the file's bytes, attributes and date stay as
    // they are.
    if (!Move(path, aside, MOVEFILE_WRITE_THROUGH)) {
        JournalCannotUndo("the file", path);
        return StepResult::Skipped;
    }
    gUndo.asides[key] = aside;
    return StepResult::GoOn;
}

void JournalPutBack(const char* path) {
    std::string key = Lowered("file", path);
    auto found = gUndo.asides.find(key);
    if (found == gUndo.asides.end() || Exists(path)) return;
    if (Move(found->second.c_str(), path, MOVEFILE_WRITE_THROUGH)) {
        gUndo.asides.erase(found);
        gUndo.recorded.erase(key);  // a later change of it sets it aside anew
    }
}

StepResult JournalKeepFile(const char* path) {
    if (!UndoJournalActive() || !CompareNoCase(path, gUndo.log)) return StepResult::GoOn;
    if (!Exists(path)) return JournalNewFile(path);
    std::string key = Lowered("file", path);
    if (!FirstTime(key)) return StepResult::GoOn;
    char aside[kPathBytes], number[16];
    FormatText(number, sizeof number, "%d", {NumberArgument(gUndo.lines)});
    if (!WithSuffix(path, kAsideSuffix, aside) || !AppendText(aside, number)) {
        JournalCannotUndo("the file", path);
        return StepResult::GoOn;
    }
    StepResult written = WriteLine(UndoKind::Aside, {path, aside});
    if (written != StepResult::GoOn) return written;
    // The copy keeps the file's date and attributes.
    Delete(aside);
    while (!SaveWholeCopy(path, aside)) {
        Answer answer = ReportMessage(OwnerWindow(), kMsgCannotWriteUndo, kStyleAbortRetryIgnore, aside);
        if (answer != Answer::Retry) return AfterAnswer(answer);
    }
    return StepResult::GoOn;
}

StepResult JournalMissingFolders(const char* filePath) {
    if (!UndoJournalActive()) return StepResult::GoOn;
    std::vector<std::string> missing;
    MissingFolders(filePath, missing);
    for (const std::string& folder : missing)
        if (JournalFolder(folder.c_str()) == StepResult::Abort) return StepResult::Abort;
    return StepResult::GoOn;
}

StepResult JournalFolder(const char* path) {
    if (!UndoJournalActive() || !FirstTime(Lowered("folder", path))) return StepResult::GoOn;
    return WriteLine(UndoKind::Folder, {path});
}

StepResult JournalValue(HKEY root, const char* keyPath, const char* subkey, const char* valueName) {
    if (!UndoJournalActive() || !FirstTime(Lowered("value", keyPath, valueName))) return StepResult::GoOn;
    // The value's bytes as the W function gives them (strings in UTF-16),
    // put back by the W function as they are.
    const std::wstring name = Wide(valueName);
    ScopedKey key;
    DWORD type = 0, size = 0;
    bool present = RegOpenKeyExW(root, Wide(subkey).c_str(), 0, KEY_QUERY_VALUE, key.Receive()) == ERROR_SUCCESS &&
                   RegQueryValueExW(key.get(), name.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS;
    if (!present) return WriteLine(UndoKind::Value, {keyPath, valueName, "absent", ""});
    TextBuffer data, hex;
    if (!data.Reserve(size + 1) ||
        RegQueryValueExW(key.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.Data()), &size) !=
            ERROR_SUCCESS ||
        !HexOfBytes(reinterpret_cast<const unsigned char*>(data.Data()), size, hex)) {
        ReportMessage(OwnerWindow(), kMsgNoMemory, kStyleStop);
        return StepResult::Abort;
    }
    char typeText[16];
    FormatText(typeText, sizeof typeText, "%ld", {NumberArgument(static_cast<long>(type))});
    return WriteLine(UndoKind::Value, {keyPath, valueName, typeText, hex.Text()});
}

StepResult JournalMissingKeys(HKEY root, const char* rootName, const char* subkey) {
    if (!UndoJournalActive()) return StepResult::GoOn;
    char path[kPathBytes + 40];
    FormatText(path, sizeof path, "%s\\%s", {TextArgument(rootName), TextArgument(subkey)});
    size_t rootLength = std::strlen(rootName) + 1;
    // Each key of the path, outermost first, from the first that is missing.
    bool missing = false;
    for (size_t at = rootLength;; ++at) {
        char c = path[at];
        if (c != '\\' && c != '\0') continue;
        path[at] = '\0';
        if (!missing) {
            ScopedKey key;
            missing = RegOpenKeyExW(root, Wide(path + rootLength).c_str(), 0, KEY_READ, key.Receive()) != ERROR_SUCCESS;
        }
        StepResult written = StepResult::GoOn;
        if (missing && FirstTime(Lowered("key", path))) written = WriteLine(UndoKind::Key, {path});
        path[at] = c;
        if (written == StepResult::Abort || c == '\0') return written == StepResult::Abort ? written : StepResult::GoOn;
    }
}

void JournalCannotUndo(const char* what, const char* name) {
    if (UndoJournalActive()) LogLine("Cannot be undone: %s %s", {TextArgument(what), TextArgument(name)});
}

void CommitUndoJournal() {
    if (!UndoJournalActive()) return;
    WriteLine(UndoKind::Commit, {});
    gUndo.file.Close();
    FinishJournal(gUndo.journal, gUndo.log);
}

void RollBackUndoJournal() {
    if (!UndoJournalActive()) return;
    gUndo.file.Close();
    FinishJournal(gUndo.journal, gUndo.log);
}

bool UndoUnfinishedPassOf(const char* logPath) {
    char journal[kPathBytes];
    if (!WithSuffix(logPath, kJournalSuffix, journal) || !Exists(journal)) return false;
    if (!QuietRun()) ReportMessage(OwnerWindow(), kMsgUnfinishedInstall, kStyleNote);
    FinishJournal(journal, logPath);
    return true;
}
