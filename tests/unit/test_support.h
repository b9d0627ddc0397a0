// Helpers shared by the unit tests: files, scratch directories, the state
// record, an answerer for the message boxes the engine raises, and the
// fixtures of the action and install pass tests.
#pragma once
#include <windows.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "base/setup_state.h"
#include "base/results.h"
#include "plan/action_kinds.h"
#include "ui/sections.h"

// The whole file; "<missing>" when it cannot be opened, so that an empty file
// and a missing one differ.
std::string ReadBytes(const std::string& path);
// Replaces the file (read-only or not) with bytes; a failure also fails the test.
bool WriteBytes(const std::string& path, const std::string& bytes);
// Sets the file's last write time; false (and a failure) when it cannot.
bool SetWriteTime(const std::string& path, const FILETIME& time);
bool Exists(const std::string& path);
bool IsDirectory(const std::string& path);
// The value of a key of a profile file; "<none>" when there is none.
// A UTF-8 text as a UTF-16LE file holds it, behind its byte order mark
// (the removal log's form).
std::string Utf16File(const std::string& text);
// A file's text in UTF-8: a UTF-16LE file (byte order mark) decoded, any
// other file's bytes as they are; "<missing>" when there is none.
std::string ReadText(const std::string& path);
std::string ProfileText(const std::string& file, const char* section, const std::string& key);
std::string WindowsDirectory();

// A fresh directory under the temporary directory, removed with its contents.
class ScratchDirectory {
public:
    ScratchDirectory();
    ~ScratchDirectory();
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;
    // path of a name inside the directory (subdirectories with '\\')
    std::string operator/(const std::string& name) const { return path_ + "\\" + name; }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

// A fresh zero-filled state record, and the process flags and the run's
// outcome cleared, for the lifetime of the scope.
class StateScope {
public:
    StateScope();
    ~StateScope();
    StateScope(const StateScope&) = delete;
    StateScope& operator=(const StateScope&) = delete;
};

// Appends a variable row with the name and value as given (names may repeat).
void SetVariable(const char* name, const std::string& value);

// Step results read by name in the tests' messages.
void PrintTo(StepResult result, std::ostream* out);

// Plans one entry of an action kind and carries it out, as the install pass
// does: the key is cut on the kind's separator and the value on '/', without
// the profile reader in between (so a key may hold '='). A copy entry is one
// of the disk in the drive.
StepResult CarryOutEntry(ActionKind kind, std::string key, std::string value);
// Runs one section of a script file as the install pass runs the section of
// an action kind: the number of entries visited, or -1 after Abort.
int CarryOutScriptSection(const char* section, const std::string& script, ActionKind kind);

// Answers the message boxes this thread shows while it lives, the way a user
// would, as soon as each has its text: the n-th box gets answers[n] after
// before(n) has run. A box beyond the answers gets Abort (Cancel when it has
// no Abort button), other dialogs get Cancel and show as "<dialog>"; either
// fails the test when the answerer ends. The progress dialog is left alone.
// One answerer at a time.
class MessageBoxes {
public:
    using Before = std::function<void(size_t index)>;
    explicit MessageBoxes(std::vector<int> answers = {}, Before before = nullptr);
    ~MessageBoxes();
    MessageBoxes(const MessageBoxes&) = delete;
    MessageBoxes& operator=(const MessageBoxes&) = delete;
    // Answers for the boxes from here on, counted from 0 again.
    void Plan(std::vector<int> answers, Before before = nullptr);
    // The texts of every box and dialog seen, in order.
    const std::vector<std::string>& Texts() const { return texts_; }

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam);
    void Answer(HWND dialog);
    static MessageBoxes* current_;
    HHOOK hook_ = nullptr;
    std::vector<int> answers_;
    Before before_;
    size_t next_ = 0;
    std::vector<std::string> texts_;
    std::vector<std::string> unexpected_;
};

// A fresh state record and a scratch directory that is also the media
// directory and the variable Dir, with the removal log RemoveInf in it.
// A message box fails the test unless the test planned its answer.
class ActionTest : public testing::Test {
protected:
    void SetUp() override;
    MessageBoxes& Answer(std::vector<int> answers, MessageBoxes::Before before = nullptr);
    std::string Path(const std::string& name) const { return scratch / name; }
    int FileCount() const;  // files directly in the scratch directory
    std::string Logged(const char* section, const std::string& key) const { return ProfileText(log, section, key); }
    // Runs one section of a script that holds only that section's lines, as
    // the install pass runs the section of an action kind: the number of
    // entries, or kAbort.
    int CarryOutSection(const char* section, const std::string& lines, ActionKind kind);

    StateScope state;
    ScratchDirectory scratch;
    MessageBoxes boxes;
    const std::string dir = scratch.path();
    const std::string log = Path("remove.inf");
};

// An action test that also has the resource library loaded from the build,
// the script SETUP.INF, the media directory "media" and RemoveInf and Dir as
// if [reg] had defined them, as an install pass finds them.
class PassFixture : public ActionTest {
protected:
    void SetUp() override;
    void TearDown() override;
    void Script(const std::string& text) { WriteBytes(gProcess.scriptPath, text); }
    // A path as a copy entry's key writes it: the colon doubled.
    static std::string Key(const std::string& path);
    void AddComponent(const char* section, int selected);
};
