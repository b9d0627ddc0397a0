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
