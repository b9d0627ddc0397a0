#include <gtest/gtest.h>

#include <windows.h>

#include <random>
#include <string>

#include "test_support.h"
#include "base/profile_text.h"
#include "base/wide_text.h"
#include "removal/profile_log.h"

namespace {

bool Roomy(const char*, unsigned long long, unsigned long long) { return true; }

std::string Read(const std::string& path, const std::string& section, const std::string& key) {
    FileProfileReader reader(path.c_str());
    TextBuffer value;
    EXPECT_TRUE(reader.ReadValue(section.c_str(), key.c_str(), value));
    return value.Text();
}

// The log's writer and the platform's profile writer, given the same writes
// from the same earlier install's file, leave the same text: keys replaced
// where they stand, new keys at the end of their (earlier) section, new
// sections at the end (a header with blanks inside its brackets is the
// section's). The earlier install's log is in the code page (as earlier
// versions wrote it, é among its bytes); the writer reads it, and leaves
// the same bytes as the platform writer leaves in the same file in UTF-16LE,
// characters beyond the code page (é in names, Ω and 😀 in values) among
// them. The platform writes the same file now and then behind the writer's
// back; its reader, which keeps copies of files,
// sees every record at once.
TEST(ProfileLog, LeavesTheBytesThePlatformWriterLeaves) {
    ScratchDirectory scratch;
    std::string ours = scratch / "ours.inf", theirs = scratch / "theirs.inf";
    const std::string earlier =
        "[path]\r\nAppDir=C:\\APP\xE9\r\n[ del.step3\t]\r\nC:\\APP\xE9\\=Folder made by the install\r\n";
    ASSERT_TRUE(WriteBytes(ours, earlier) && WriteBytes(theirs, Utf16File(FromAnsi(earlier.data(), earlier.size()))));
    ProfileLog log;
    auto platformWrite = [](const std::string& section, const std::string& key, const std::string& value,
                            const std::string& path) {
        return WritePrivateProfileStringW(Wide(section.c_str()).c_str(), Wide(key.c_str()).c_str(),
                                          Wide(value.c_str()).c_str(), Wide(path.c_str()).c_str());
    };
    auto write = [&](bool behind, const std::string& section, const std::string& key, const std::string& value) {
        if (behind) {
            ASSERT_TRUE(platformWrite(section, key, value, ours));
        } else {
            ASSERT_TRUE(log.Open(ours.c_str()));
            ASSERT_TRUE(log.Write(section.c_str(), key.c_str(), value.c_str(), Roomy));
            EXPECT_TRUE(log.Holds(section.c_str(), key.c_str()));
            log.Close();
        }
        ASSERT_TRUE(platformWrite(section, key, value, theirs));
    };

    std::mt19937 random(20240607);
    const char* const sections[] = {"path", "del.step3", "del.step2", "Reg.Step1", "notes", "n\xC3\xB6tes"};
    for (int i = 0; i < 400; ++i) {
        std::string section = sections[random() % 6];
        std::string key = (random() % 2 ? "Key" : "KEY") + std::to_string(random() % 50) +
                          (random() % 4 ? "" : "\xC3\xA9");
        // Blanks before a value are dropped by both writers. (Blanks behind
        // one, which no reader sees, stay until the platform next writes the
        // whole file: they are left out here.)
        std::string value = "v" + std::to_string(i) + (i % 3 ? "" : i % 2 ? "\xCE\xA9" : "\xF0\x9F\x98\x80");
        write(random() % 8 == 0, section, key, (random() % 8 ? "" : "  ") + value);
        ASSERT_EQ(Read(ours, section, key), value) << "write " << i;
    }
    ASSERT_TRUE(log.Open(ours.c_str()));
    EXPECT_FALSE(log.Holds("del.step2", "Key50"));
    EXPECT_FALSE(log.Holds("nowhere", "Key1"));
    EXPECT_TRUE(log.Holds("PATH", "appdir"));
    log.Close();
    EXPECT_EQ(Read(ours, "path", "AppDir"), "C:\\APP\xC3\xA9");
    EXPECT_EQ(ReadBytes(ours), ReadBytes(theirs));
}

}  // namespace
