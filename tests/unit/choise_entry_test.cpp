#include <windows.h>
#include <gtest/gtest.h>

#include <string>

#include "test_support.h"
#include "base/setup_state.h"
#include "base/text.h"
#include "ui/sections.h"
#include "ui/choise_entry.h"

namespace {

// Reads a [choise] section as a silent run does: no dialog, so every entry
// that passes the listing test becomes a selected row.
class ChoiseSilent : public testing::Test {
protected:
    void SetUp() override { CopyText(gProcess.scriptPath, (scratch / "SETUP.INF").c_str()); }
    void TearDown() override { gProcess.scriptPath[0] = '\0'; }

    // The section names of the rows read from [choise] under these codes.
    std::string Read(const char* codes, const std::string& choise) {
        WriteBytes(gProcess.scriptPath, "[choise]\r\n" + choise);
        CopyText(gState->optionCodes, codes);
        gState->componentCount = 0;
        ForEachEntry("choise", gProcess.scriptPath, '/', '|', ChoiseEntry, nullptr);
        std::string sections;
        for (int i = 0; i < gState->componentCount; ++i) {
            EXPECT_EQ(gState->components[i].selected, 1) << "row " << i;
            sections += std::string(i ? " " : "") + gState->components[i].section;
        }
        return sections;
    }

    StateScope state;
    ScratchDirectory scratch;
};

const char* kConditions =
    "Plain=PLAIN|no condition\r\n"
    "Only X/X=ONLYX|needs X\r\n"
    "X or any/X,-=XANY|X preselects\r\n"
    "Any or X/-,X=ANYX|any code\r\n"
    "Hidden=HIDDEN\r\n"
    "No section=|nothing to install\r\n";

TEST_F(ChoiseSilent, ListingTestDecidesAndPreselectionPlaysNoPart) {
    EXPECT_EQ(Read("", kConditions), "PLAIN XANY HIDDEN");
    EXPECT_EQ(Read("Y", kConditions), "PLAIN XANY ANYX HIDDEN");
    EXPECT_EQ(Read("X", kConditions), "PLAIN ONLYX XANY ANYX HIDDEN");
}

TEST_F(ChoiseSilent, ComponentsBeyondTheTableAreReportedThenLeftOut) {
    std::string many;
    for (int i = 0; i < kMaxComponents + 4; ++i) many += "C" + std::to_string(i) + "=S" + std::to_string(i) + "\r\n";
    MessageBoxes answerer({IDOK, IDOK, IDOK, IDOK});
    Read("", many);
    ASSERT_EQ(answerer.Texts().size(), 4u);
    EXPECT_EQ(answerer.Texts()[0].substr(0, answerer.Texts()[0].find('\n')), "[choise] C32");
    EXPECT_EQ(gState->componentCount, kMaxComponents);
    EXPECT_STREQ(gState->components[kMaxComponents - 1].section, "S31");
    EXPECT_EQ(gState->variableCount, 0) << "the record behind the table is untouched";
}

}  // namespace
