#include <gtest/gtest.h>

#include <string>

#include "run/command_switches.h"

namespace {

struct Read {
    RunSwitches switches = {};
    const char* rest = nullptr;
    explicit Read(const char* text) { rest = ReadSwitches(text, &switches); }
};

}  // namespace

TEST(CommandSwitches, AnyLetterCaseAtTheStartOnly) {
    Read all("/QUIET  /NoRestart\t/Log=C:\\logs\\setup.log OTHER.INF /quiet");
    EXPECT_TRUE(all.switches.quiet);
    EXPECT_TRUE(all.switches.noRestart);
    EXPECT_STREQ(all.switches.logPath, "C:\\logs\\setup.log");
    EXPECT_STREQ(all.rest, "OTHER.INF /quiet") << "after the name a switch belongs to it";

    Read none("OTHER.INF");
    EXPECT_FALSE(none.switches.quiet);
    EXPECT_STREQ(none.rest, "OTHER.INF");
    Read alone("/quiet");
    EXPECT_TRUE(alone.switches.quiet);
    EXPECT_STREQ(alone.rest, "");
}

TEST(CommandSwitches, AnythingElseIsTheScriptName) {
    for (const char* text : {"/quieter X.INF", "/quiet=1", "/log= X.INF", "/log=\"C:\\a b.log X.INF", "/x.inf",
                             "\"/quiet\""}) {
        Read read(text);
        EXPECT_FALSE(read.switches.quiet) << text;
        EXPECT_EQ(read.switches.logPath[0], '\0') << text;
        EXPECT_STREQ(read.rest, text) << "taken whole as before";
    }
    Read quoted("/log=\"C:\\My Logs\\setup.log\" /quiet");
    EXPECT_STREQ(quoted.switches.logPath, "C:\\My Logs\\setup.log");
    EXPECT_TRUE(quoted.switches.quiet);
    EXPECT_STREQ(quoted.rest, "");
    // A path the platform could not open is no switch: the run reports the name.
    std::string longLog = "/log=" + std::string(300, 'l');
    Read overlong(longLog.c_str());
    EXPECT_EQ(overlong.switches.logPath[0], '\0');
    EXPECT_STREQ(overlong.rest, longLog.c_str());
    // The platform's limit counts characters, not the bytes of their UTF-8:
    // 200 characters of three bytes each are a path, 260 of two bytes are not.
    std::string wide = "/log=C:\\";
    for (int i = 0; i < 200; ++i) wide += "\xE4\xB8\xAD";
    Read threeBytes((wide + " X.INF").c_str());
    EXPECT_STREQ(threeBytes.switches.logPath, wide.c_str() + 5);
    EXPECT_STREQ(threeBytes.rest, "X.INF");
    std::string omegas = "/log=";
    for (int i = 0; i < 260; ++i) omegas += "\xCE\xA9";
    Read tooMany(omegas.c_str());
    EXPECT_EQ(tooMany.switches.logPath[0], '\0');
    EXPECT_STREQ(tooMany.rest, omegas.c_str());
}

// The answers an unattended run takes: quoted values, a name given twice
// takes the later value, /answers runs quietly; a /path: without its "=" or
// with an empty name is no switch.
TEST(CommandSwitches, AnswersForTheRun) {
    Read read("/options=DW /Components=Program,HelpD /path:AppDir=\"C:\\My Notes\" /PATH:Data=D:\\x "
              "/path:AppDir=C:\\Notes /record=C:\\a.ini SETUP.INF");
    const RunAnswers& given = read.switches.answers;
    EXPECT_TRUE(given.hasOptions);
    EXPECT_STREQ(given.optionCodes, "DW");
    EXPECT_TRUE(given.hasComponents);
    EXPECT_STREQ(given.components, "Program,HelpD");
    ASSERT_EQ(given.pathCount, 2);
    EXPECT_STREQ(given.paths[0].name, "AppDir");
    EXPECT_STREQ(given.paths[0].value, "C:\\Notes");
    EXPECT_STREQ(given.paths[1].value, "D:\\x");
    EXPECT_STREQ(read.switches.recordPath, "C:\\a.ini");
    EXPECT_FALSE(read.switches.quiet);
    EXPECT_STREQ(read.rest, "SETUP.INF");

    // Names and paths beyond ASCII come through as the UTF-8 they are.
    Read named("/path:AppDir=\"C:\\Caf\xC3\xA9 \xCE\xA9mega \xE4\xB8\xAD\xE6\x96\x87\" "
               "/answers=\"C:\\\xCE\xA9\\a.ini\" \xCE\xA9.INF");
    ASSERT_EQ(named.switches.answers.pathCount, 1);
    EXPECT_STREQ(named.switches.answers.paths[0].value, "C:\\Caf\xC3\xA9 \xCE\xA9mega \xE4\xB8\xAD\xE6\x96\x87");
    EXPECT_STREQ(named.switches.answersPath, "C:\\\xCE\xA9\\a.ini");
    EXPECT_STREQ(named.rest, "\xCE\xA9.INF");

    Read replay("/answers=C:\\a.ini");
    EXPECT_TRUE(replay.switches.quiet);
    EXPECT_STREQ(replay.switches.answersPath, "C:\\a.ini");
    for (const char* text : {"/path:AppDir X.INF", "/path:=C:\\x X.INF", "/options= X.INF"}) {
        Read wrong(text);
        EXPECT_EQ(wrong.switches.answers.pathCount, 0) << text;
        EXPECT_FALSE(wrong.switches.answers.hasOptions) << text;
        EXPECT_STREQ(wrong.rest, text);
    }
}
