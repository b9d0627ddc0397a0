// Helpers shared by the unit tests: a scratch directory, small file and
// registry writers, and an answerer for the message boxes the engine raises.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "run/setup_state.h"

// A fresh directory under the temporary directory, removed with its contents.
class ScratchDirectory {
public:
    ScratchDirectory();
    ~ScratchDirectory();
    // path of a name inside the directory (subdirectories with '\\')
    std::string operator/(const std::string& name) const { return path_ + "\\" + name; }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

void WriteTextFile(const std::string& path, const std::string& text);
std::string ReadTextFile(const std::string& path);
bool IsDirectory(const std::string& path);

// Allocates the state record for a test and releases it afterwards.
class StateScope {
public:
    StateScope();
    ~StateScope();
};

// Defines a variable row directly (name and value as given).
void SetVariable(const char* name, const char* value);

// Answers the next message boxes of this process, one answer (a button id)
// each, from a second thread; `before` runs right before each answer. The
// texts of the boxes answered are kept in order.
class MessageAnswerer {
public:
    using Hook = void (*)(int index, void* context);
    explicit MessageAnswerer(std::vector<int> answers, Hook before = nullptr, void* context = nullptr);
    ~MessageAnswerer();
    // Waits for the thread; the texts seen so far.
    const std::vector<std::string>& Texts();

private:
    static DWORD WINAPI Run(void* self);
    std::vector<int> answers_;
    Hook before_;
    void* context_;
    std::vector<std::string> texts_;
    HANDLE thread_ = nullptr;
};
