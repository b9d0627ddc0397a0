#include <gtest/gtest.h>
#include "script/sections.h"
TEST(Smoke, Builds) { char t[] = "a/b"; char* f[16]; int n; SplitFields(t, f, &n, '/', 16); EXPECT_EQ(n, 2); }
