// Helpers of the action tests: files, the fields a visitor receives, and a
// second thread that answers message boxes the way a user would.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "script/sections.h"

std::string ReadBytes(const std::string& path);  // "<missing>" when there is no file
void WriteBytes(const std::string& path, const std::string& bytes);
std::string ProfileText(const std::string& file, const char* section, const std::string& key);  // "<none>": absent
std::string WindowsDirectory();
// Cuts key on '|' and value on '/' as ForEachEntry does, without the profile
// reader in between (so a key may hold '='), and calls the visitor.
int VisitEntry(EntryVisitor visitor, std::string key, std::string value);

// Answers the "SetUp" message boxes of this process: the n-th gets answers[n]
// after before(n) has run; boxes beyond the plan get Abort or Cancel.
class MessageBoxAnswerer {
public:
    using Before = std::function<void(size_t)>;
    explicit MessageBoxAnswerer(std::vector<int> answers = {}, Before before = nullptr);
    ~MessageBoxAnswerer();
    std::vector<std::string> Texts();

private:
    std::vector<int> answers_;
    Before before_;
    std::mutex mutex_;
    std::vector<std::string> texts_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// A fresh state record and a scratch directory that is also the media
// directory and the variable Dir, with the removal log RemoveInf in it.
// A message box fails the test unless the test planned its answers.
class ActionTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    MessageBoxAnswerer& Answer(std::vector<int> answers, MessageBoxAnswerer::Before before = nullptr);
    std::string Path(const std::string& name) const { return dir + "\\" + name; }
    int FileCount() const;
    std::string Logged(const char* section, const std::string& key) { return ProfileText(log, section, key); }

    std::string dir;
    std::string log;
    std::unique_ptr<MessageBoxAnswerer> boxes;
    bool planned = false;
};
