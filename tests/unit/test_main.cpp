#include <gtest/gtest.h>

#include "base/setup_state.h"

// The engine finds its string table in the program's own module; in the test
// program that is the test executable, which carries the same table.
int main(int argc, char** argv) {
    gProcess.ownModule = GetModuleHandleA(nullptr);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
