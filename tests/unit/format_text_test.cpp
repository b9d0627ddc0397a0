#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "base/format_text.h"
#include "base/wide_text.h"

namespace {

// Our formatter against the platform's own, on the formats the program uses
// and the forms the resource library's templates may take.
template <typename... Arguments> std::string Platform(const char* format, Arguments... arguments) {
    char out[1100];
    wsprintfA(out, format, arguments...);
    return out;
}

std::string Ours(const char* format, std::initializer_list<FormatArgument> arguments) {
    char out[1100];
    FormatText(out, sizeof out, format, arguments);
    return out;
}

TEST(FormatText, WritesWhatThePlatformWrites) {
    const char* texts[][4] = {
        {"%s\nCannot open specified file !", "SETUP.INF", "", ""},
        {"Cannot copy %s\n%s\nto temporary file\n%s !", "A:\\X.DL_", "Library", "C:\\T\\X.TMP"},
        {"Setup will install %s into the directory below.", "Sample Notes", "", ""},
        {"[%12s|%-12s|%012s]", "right", "left", "zeros"},
        {"[%.3s|%8.2s|%-8.4s]", "precise", "cut", "leftcut"},
        {"%% then %s, %y and %", "a", "b", "c"},
        {"[%0-6s][%-#6s]", "p", "q", "r"},
    };
    for (auto& t : texts)
        EXPECT_EQ(Ours(t[0], {TextArgument(t[1]), TextArgument(t[2]), TextArgument(t[3])}),
                  Platform(t[0], t[1], t[2], t[3]))
            << t[0];
    EXPECT_EQ(Ours("%s", {TextArgument(nullptr)}), Platform("%s", static_cast<const char*>(nullptr)));

    struct {
        const char* format;
        long number;
    } numbers[] = {
        {"Lempel-Ziv Encoding Error #%ld !", -2}, {"%ldKB", 0}, {"%lX", 0xBEEF}, {"%lX", 0},
        {"[%5d|%-5d|%05d]", -42},                 {"[%x|%#x|%#X|%08lX]", 255},         {"[%.4d|%6.3u]", 7},
        {"%u", -1},                               {"%hd %hu", 70000},                   {"%c%c", 'A'},
        {"%i", 2147483647},                       {"%d", -2147483647 - 1},
    };
    for (auto& n : numbers) {
        // Each conversion of a row takes the same number.
        EXPECT_EQ(Ours(n.format, {NumberArgument(n.number), NumberArgument(n.number), NumberArgument(n.number),
                                  NumberArgument(n.number)}),
                  Platform(n.format, n.number, n.number, n.number, n.number))
            << n.format;
    }
}

TEST(FormatText, CountsTheCharactersOfUtf8TextsAsThePlatformCountsWideOnes) {
    // Width and precision count characters, as the wide formatter counts
    // them; the UTF-8 result must be its result spelt in UTF-8.
    const char* rows[][2] = {
        {"[%.3s|%8.2s|%-8.4s]", "Caf\xC3\xA9 \xCE\xA9mega \xE4\xB8\xAD\xE6\x96\x87"},
        {"[%5s|%-6.1s|%.5s]", "\xE4\xB8\xAD\xE6\x96\x87"},
        {"%s\nCannot open specified file !", "C:\\\xCE\xA9MEGA\\\xC3\xA9T\xC3\xA9.TXT"},
    };
    for (auto& row : rows) {
        std::wstring format = Wide(row[0]), text = Wide(row[1]);
        wchar_t platform[1100];
        wsprintfW(platform, format.c_str(), text.c_str(), text.c_str(), text.c_str());
        EXPECT_EQ(Ours(row[0], {TextArgument(row[1]), TextArgument(row[1]), TextArgument(row[1])}), Narrow(platform))
            << row[0];
    }
    EXPECT_EQ(Ours("%c%c", {NumberArgument(0xE9), NumberArgument(0x4E2D)}), "\xC3\xA9\xE4\xB8\xAD");
}

TEST(FormatText, StaysWithinItsBuffer) {
    char out[8];
    memset(out, 'x', sizeof out);
    EXPECT_EQ(FormatText(out, 6, "%s and more", {TextArgument("a long text")}), 5u);
    EXPECT_STREQ(out, "a lon");
    EXPECT_EQ(out[6], 'x');
    EXPECT_EQ(FormatText(out, 1, "%d", {NumberArgument(12345)}), 0u);
    EXPECT_STREQ(out, "");
    EXPECT_EQ(FormatText(out, sizeof out, "[%20d]", {NumberArgument(1)}), 7u);
    EXPECT_STREQ(out, "[      ");
    // A character that does not fit whole is left out, never begun.
    EXPECT_EQ(FormatText(out, 5, "%s", {TextArgument("Caf\xC3\xA9")}), 3u);
    EXPECT_STREQ(out, "Caf");
    EXPECT_EQ(FormatText(out, sizeof out, "ab%s", {TextArgument("\xE4\xB8\xAD\xE6\x96\x87")}), 5u);
    EXPECT_STREQ(out, "ab\xE4\xB8\xAD");
}

TEST(FormatText, ReadsOnlyTheArgumentsItWasGiven) {
    // A format from a file may ask for more, or for other kinds, than the
    // program hands over: those conversions write nothing.
    EXPECT_EQ(Ours("%s|%s|%d|%s", {TextArgument("one")}), "one|||");
    EXPECT_EQ(Ours("%d|%s|%x", {TextArgument("text"), NumberArgument(10)}), "||");
    EXPECT_EQ(Ours("%s-%d", {TextArgument("t"), NumberArgument(3)}), "t-3");
}

}  // namespace
