#include <gtest/gtest.h>

#include <windows.h>

#include <random>
#include <string>

#include "test_support.h"
#include "removal/profile_log.h"

namespace {

bool Roomy(const char*, unsigned long long, unsigned long long) { return true; }

// The log's writer and the platform's profile writer, given the same writes
// from the same earlier install's file, leave the same bytes: keys replaced
// where they stand, new keys at the end of their (earlier) section, new
// sections at the end (a header with blanks inside its brackets is the
// section's). The platform writes the same file now and then
// behind the writer's back; its reader, which keeps copies of files, sees
// every record at once.
TEST(ProfileLog, LeavesTheBytesThePlatformWriterLeaves) {
    ScratchDirectory scratch;
    std::string ours = scratch / "ours.inf", theirs = scratch / "theirs.inf";
    const std::string earlier =
        "[path]\r\nAppDir=C:\\APP\r\n[ del.step3\t]\r\nC:\\APP\\=Folder made by the install\r\n";
    ASSERT_TRUE(WriteBytes(ours, earlier) && WriteBytes(theirs, earlier));
    ProfileLog log;
    auto write = [&](bool behind, const std::string& section, const std::string& key, const std::string& value) {
        if (behind) {
            ASSERT_TRUE(WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), ours.c_str()));
        } else {
            ASSERT_TRUE(log.Open(ours.c_str()));
            ASSERT_TRUE(log.Write(section.c_str(), key.c_str(), value.c_str(), Roomy));
            EXPECT_TRUE(log.Holds(section.c_str(), key.c_str()));
            log.Close();
        }
        ASSERT_TRUE(WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), theirs.c_str()));
    };

    std::mt19937 random(20240607);
    const char* const sections[] = {"path", "del.step3", "del.step2", "Reg.Step1", "notes"};
    for (int i = 0; i < 400; ++i) {
        std::string section = sections[random() % 5];
        std::string key = (random() % 2 ? "Key" : "KEY") + std::to_string(random() % 50);
        // Blanks before a value are dropped by both writers. (Blanks behind
        // one, which no reader sees, stay until the platform next writes the
        // whole file: they are left out here.)
        std::string value = "v" + std::to_string(i);
        write(random() % 8 == 0, section, key, (random() % 8 ? "" : "  ") + value);
        ASSERT_EQ(ProfileText(ours, section.c_str(), key), value) << "write " << i;
    }
    ASSERT_TRUE(log.Open(ours.c_str()));
    EXPECT_FALSE(log.Holds("del.step2", "Key50"));
    EXPECT_FALSE(log.Holds("nowhere", "Key1"));
    log.Close();
    EXPECT_EQ(ReadBytes(ours), ReadBytes(theirs));
}

}  // namespace
