// Helpers for the action tests: scratch files, the entry form a visitor
// receives, the status window, and a second thread that answers message boxes.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// A fresh directory in the temporary directory, removed with its contents.
class ScratchDirectory {
public:
    ScratchDirectory();
    ~ScratchDirectory();
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "\\" + name; }
    // Names of the files in the directory.
    std::vector<std::string> Files() const;

private:
    std::string path_;
};

std::string ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::string& bytes);
std::string ProfileText(const std::string& file, const char* section, const char* key, const char* fallback = "<none>");
std::string WindowsDirectory();

// Calls a visitor with an entry's key and value cut the way ForEachEntry cuts
// them (on '|' and '/'), without the profile reader in between, so a key may
// hold '='.
int VisitEntry(int (*visitor)(char**, int, char**, int, void*), const std::string& key, const std::string& value);

// A window with the four status controls, made the owner window while it lives.
class StatusWindow {
public:
    StatusWindow();
    ~StatusWindow();
    std::string Text(int id) const;

private:
    HWND window_;
};

// Answers the message boxes captioned "SetUp" that this process shows: the
// n-th box gets answers[n] (a button id) after `before` has run; boxes beyond
// the list get Abort or Cancel. Records every box's text.
class MessageBoxAnswerer {
public:
    using Before = std::function<void(size_t index)>;
    explicit MessageBoxAnswerer(std::vector<int> answers = {}, Before before = nullptr);
    ~MessageBoxAnswerer();
    std::vector<std::string> Texts();

private:
    void Run();
    std::vector<int> answers_;
    Before before_;
    std::mutex mutex_;
    std::vector<std::string> texts_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// Base of the visitor tests: a fresh state record, a scratch directory that is
// also the media directory and the variable Dir, the removal log RemoveInf in
// it, and message boxes answered (none expected unless a test says so).
class ActionTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // Answers the coming message boxes by plan; their texts are then the test's to check.
    MessageBoxAnswerer& Answer(std::vector<int> answers, MessageBoxAnswerer::Before before = nullptr);
    std::string Logged(const char* section, const std::string& key) { return ProfileText(log, section, key.c_str()); }

    ScratchDirectory scratch;
    std::string log = scratch / "remove.inf";
    std::unique_ptr<MessageBoxAnswerer> boxes;
    bool boxesPlanned = false;
};
