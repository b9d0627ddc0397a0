#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "test_support.h"
#include "ui/progress_dialog.h"
#include "ui/messages.h"
#include "base/run_log.h"
#include "base/run_outcome.h"
#include "base/text.h"
#include "base/wide_text.h"
#include "run/answers_file.h"
#include "run/run_directory.h"
#include "run/run_flow.h"
#include "run/script_encoding.h"

TEST(CommandLine, ProgramNameIsSkipped) {
    EXPECT_STREQ(CommandLineText("setup.exe"), "");
    EXPECT_STREQ(CommandLineText("setup.exe   "), "");
    EXPECT_STREQ(CommandLineText("A:\\SETUP.EXE OTHER.INF"), "OTHER.INF");
    EXPECT_STREQ(CommandLineText("setup.exe\t \x01 my script.inf  "), "my script.inf  ");
    // Bytes of UTF-8 text are no blanks: a name beyond ASCII is skipped whole.
    EXPECT_STREQ(CommandLineText("C:\\\xCE\xA9\\setup.exe \xE4\xB8\xAD.INF"), "\xE4\xB8\xAD.INF");
}

TEST(CommandLine, QuotedProgramNameAndQuotesKeptInTheScriptName) {
    EXPECT_STREQ(CommandLineText("\"C:\\Program Files\\setup.exe\" \"MY FILE.INF\""), "\"MY FILE.INF\"");
    EXPECT_STREQ(CommandLineText("\"C:\\a b\\setup.exe\"x.inf"), "x.inf");
    EXPECT_STREQ(CommandLineText("\"unterminated"), "");
}

TEST(Messages, AnswersComeBackTypedAndDecideTheStep) {
    StateScope state;
    MessageBoxes answerer({IDIGNORE, IDABORT, IDCANCEL, IDYES});
    Answer ignore = ReportMessage(nullptr, kMsgNoMemory, kStyleAbortRetryIgnore);
    Answer abort = ReportMessage(nullptr, kMsgNoMemory, kStyleAbortRetryIgnore);
    Answer cancel = ReportMessage(nullptr, kMsgNoMemory, kStyleOkCancel);
    Answer yes = ReportMessage(nullptr, kMsgNoMemory, MB_YESNOCANCEL);
    EXPECT_EQ(ignore, Answer::Ignore);
    EXPECT_EQ(AfterAnswer(ignore), StepResult::Skipped);
    EXPECT_EQ(abort, Answer::Abort);
    EXPECT_EQ(AfterAnswer(abort), StepResult::Abort);
    EXPECT_EQ(cancel, Answer::Cancel);
    EXPECT_EQ(AfterAnswer(cancel), StepResult::Abort);
    EXPECT_EQ(yes, Answer::Yes);
}

TEST(Messages, ComposedFromTheStringTable) {
    char out[256];
    MessageArguments one = {1, {"C:\\APP\\A.EXE"}, false, 0};
    ComposeMessage(out, sizeof out, kMsgCannotOpen, one);
    EXPECT_STREQ(out, "C:\\APP\\A.EXE\nCannot open specified file !");
    ComposeMessage(out, sizeof out, kMsgCannotCreateKey, one);
    EXPECT_STREQ(out, "Cannot create specified key in the regstration database !\nC:\\APP\\A.EXE");
    MessageArguments none = {0, {}, false, 0};
    ComposeMessage(out, sizeof out, kMsgNoMemory, none);
    EXPECT_STREQ(out, "Not enought memory !!!");
    MessageArguments number = {0, {}, true, -7};
    ComposeMessage(out, sizeof out, kMsgLzError, number);
    EXPECT_STREQ(out, "Lempel-Ziv Encoding Error #-7 !");
    MessageArguments three = {3, {"a", "b", "c"}, false, 0};
    ComposeMessage(out, sizeof out, kMsgCannotCopyTemp, three);
    EXPECT_STREQ(out, "Cannot copy a\nb\nto temporary file\nc !");
}

TEST(Messages, LongArgumentIsCutInsideTheBuffer) {
    char out[256];
    std::string longPath(600, 'x');
    MessageArguments args = {1, {longPath.c_str()}, false, 0};
    memset(out, 0x55, sizeof out);
    ComposeMessage(out, sizeof out, kMsgCannotDelete, args);
    std::string text = out;
    EXPECT_LE(text.size(), 255u);
    // The path is shortened at its start; the message's own line stays whole.
    EXPECT_EQ(text.substr(0, 3), "...");
    const std::string tail = "xxx\nCannot delete specified file!";
    ASSERT_GT(text.size(), tail.size());
    EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
}

namespace {

// Makes a run directory and fetches the media's SETUP.INF into it.
bool FetchScript(const ScratchDirectory& media, RunDirectory& directory, HeldFile& copy,
                 bool (*complete)(const char*) = nullptr) {
    StartupSearch search = {};
    CopyText(search.installerDirectory, (media.path() + "\\").c_str());
    char source[kPathBytes];
    return directory.Create() && directory.Fetch(search, "SETUP.INF", "SETUP.INF", copy, source, complete);
}

}  // namespace

// The run's copy of a media file is dated like its original: a script copied
// a moment ago would otherwise be read whole by the platform again at every
// call for the next seconds.
TEST(RunDirectory, CopyIsDatedLikeItsMediaFile) {
    StateScope state;
    ScratchDirectory media;
    ASSERT_TRUE(WriteBytes(media / "SETUP.INF", "[SetUp]\r\nsilent=1\r\n"));
    SYSTEMTIME then = {2001, 2, 0, 3, 4, 5, 6, 0};
    FILETIME date;
    ASSERT_TRUE(SystemTimeToFileTime(&then, &date));
    ASSERT_TRUE(SetWriteTime(media / "SETUP.INF", date));

    RunDirectory directory;
    HeldFile copy;
    ASSERT_TRUE(FetchScript(media, directory, copy));
    WIN32_FILE_ATTRIBUTE_DATA data;
    ASSERT_TRUE(GetFileAttributesExW(Wide(copy.path()).c_str(), GetFileExInfoStandard, &data));
    EXPECT_EQ(CompareFileTime(&data.ftLastWriteTime, &date), 0);
    EXPECT_EQ(ReadBytes(copy.path()), "[SetUp]\r\nsilent=1\r\n");
    copy.Release();
}

// The run's copy of a script saved as UTF-8 with its byte order mark is
// UTF-16LE, which every version of the profile functions reads; a UTF-16 or
// ANSI script, and a file with a zero byte (no text), are copied as they are.
TEST(RunDirectory, Utf8ScriptIsFetchedAsUtf16) {
    StateScope state;
    ScratchDirectory media;
    const std::string utf8 = "[SetUp]\r\nname=Caf\xC3\xA9 \xCE\xA9mega \xE4\xB8\xAD\xE6\x96\x87\r\n";
    const std::string ansi = "[SetUp]\r\nname=Caf\xE9\r\n";
    const std::string zero = std::string("\xEF\xBB\xBF[SetUp]\r\nname=a\0b\r\n", 22);
    struct Row {
        std::string bytes, fetched;
        std::wstring name;  // as the wide profile reader reads it from the copy; empty: not text
    } rows[] = {
        {"\xEF\xBB\xBF" + utf8, Utf16File(utf8), L"Caf\u00E9 \u03A9mega \u4E2D\u6587"},
        {Utf16File(utf8), Utf16File(utf8), L"Caf\u00E9 \u03A9mega \u4E2D\u6587"},
        {ansi, ansi, L"Caf\u00E9"},
        {zero, zero, L""},
    };
    for (const Row& row : rows) {
        ASSERT_TRUE(WriteBytes(media / "SETUP.INF", row.bytes));
        RunDirectory directory;
        HeldFile copy;
        ASSERT_TRUE(FetchScript(media, directory, copy, ScriptReadableByProfile));
        EXPECT_EQ(ReadBytes(copy.path()), row.fetched) << row.bytes;
        wchar_t name[64] = L"";
        GetPrivateProfileStringW(L"SetUp", L"name", L"", name, 64, Wide(copy.path()).c_str());
        if (!row.name.empty()) {
            EXPECT_EQ(std::wstring(name), row.name) << row.bytes;
        }
        copy.Release();
    }
}

// An answers file is read as UTF-8 with or without its byte order mark (as
// the run records it), and as ANSI when its bytes are no UTF-8.
TEST(AnswersFile, ReadInEveryEncodingAsUtf8) {
    StateScope state;
    ScratchDirectory place;
    const std::string body = "[answers]\r\ncomponents=Program\r\n[path]\r\nAppDir=C:\\";
    const std::string named = "Caf\xC3\xA9 \xCE\xA9mega \xE4\xB8\xAD\xE6\x96\x87";
    struct Row {
        std::string bytes, value;
    } rows[] = {
        {"\xEF\xBB\xBF" + body + named + "\r\n", "C:\\" + named},
        {body + named + "\r\n", "C:\\" + named},
        {body + "Caf\xE9\r\n", "C:\\Caf\xC3\xA9"},
    };
    for (const Row& row : rows) {
        ASSERT_TRUE(WriteBytes(place / "answers.ini", row.bytes));
        RunAnswers answers = {};
        ASSERT_TRUE(ReadAnswersFile((place / "answers.ini").c_str(), &answers));
        EXPECT_STREQ(answers.components, "Program");
        ASSERT_EQ(answers.pathCount, 1) << row.bytes;
        EXPECT_STREQ(answers.paths[0].name, "AppDir");
        EXPECT_EQ(std::string(answers.paths[0].value), row.value);
    }
}

// A bare name comes from the installer's directory first; an elevated run
// takes it from nowhere else, one that is not elevated goes on to the
// platform's search (the current directory first). A name with a directory
// part is taken as written.
TEST(RunDirectory, StartupFilesComeFromTheInstallersDirectoryFirst) {
    StateScope state;
    ScratchDirectory own, current;
    ASSERT_TRUE(WriteBytes(own / "BOTH.INF", "own"));
    ASSERT_TRUE(WriteBytes(current / "BOTH.INF", "current"));
    ASSERT_TRUE(WriteBytes(current / "CWD.INF", "current only"));
    ASSERT_TRUE(CreateDirectoryW(Wide((current / "sub").c_str()).c_str(), nullptr));
    ASSERT_TRUE(WriteBytes(current / "sub\\X.INF", "written path"));
    wchar_t previous[MAX_PATH];
    ASSERT_GT(GetCurrentDirectoryW(MAX_PATH, previous), 0u);
    ASSERT_TRUE(SetCurrentDirectoryW(Wide(current.path().c_str()).c_str()));
    const std::string refused = own / "CWD.INF\nCannot open specified file !";
    struct Row {
        const char* name;
        bool elevated;
        std::string content;  // "" when the fetch is refused
        std::string source;
    } rows[] = {
        {"BOTH.INF", true, "own", own / "BOTH.INF"},
        {"BOTH.INF", false, "own", own / "BOTH.INF"},
        {"CWD.INF", true, "", ""},
        {"CWD.INF", false, "current only", current / "CWD.INF"},
        {"sub\\X.INF", true, "written path", current / "sub\\X.INF"},
    };
    for (const Row& row : rows) {
        RunDirectory directory;
        ASSERT_TRUE(directory.Create());
        StartupSearch search = {};
        CopyText(search.installerDirectory, (own.path() + "\\").c_str());
        search.elevated = row.elevated;
        HeldFile copy;
        char source[kPathBytes];
        MessageBoxes answered({row.content.empty() ? IDABORT : IDIGNORE});
        bool fetched = directory.Fetch(search, row.name, "SETUP.INF", copy, source);
        EXPECT_EQ(fetched, !row.content.empty()) << row.name << row.elevated;
        EXPECT_EQ(answered.Texts(), row.content.empty() ? std::vector<std::string>{refused}
                                                        : std::vector<std::string>{})
            << row.name << row.elevated;
        EXPECT_EQ(copy.held() ? ReadBytes(copy.path()) : "", row.content) << row.name << row.elevated;
        EXPECT_EQ(CompareNoCase(source, row.source.c_str()), 0) << source << " for " << row.name << row.elevated;
        copy.Release();
    }
    SetCurrentDirectoryW(previous);
}

// A line the log's file does not take (a full disk: /dev/full through Wine's
// Z:) is asked about once. Retry writes it again; Ignore goes on without the
// log; Abort does too, and the run stops as failed: the pass's next entry
// ends it, and a new pass does not forget why.
TEST(RunLog, LineTheDiskRefusesIsAskedAboutOnce) {
    StateScope state;
    SetLogRefusalHandler(AskAboutTheLog);
    const std::vector<std::string> asked = {"Z:\\dev\\full\nCannot write the log !"};
    {
        RunLogFile log;
        ASSERT_TRUE(log.Open("Z:\\dev\\full"));
        MessageBoxes answered({IDRETRY, IDIGNORE});
        LogLine("one");
        LogLine("two");
        EXPECT_EQ(answered.Texts(), std::vector<std::string>(2, asked[0]));
        EXPECT_FALSE(RunStopped());
        EXPECT_FALSE(CancelRequested());
    }
    RunLogFile log;
    ASSERT_TRUE(log.Open("Z:\\dev\\full"));
    MessageBoxes answered({IDABORT});
    LogLine("three");
    LogLine("four");
    EXPECT_EQ(answered.Texts(), asked);
    EXPECT_TRUE(RunStopped());
    EXPECT_TRUE(CancelRequested());
    ClearEndReason();
    EXPECT_EQ(IncompleteExitCode(EndReason::Cancelled), 1603);
    SetLogRefusalHandler(nullptr);
}
