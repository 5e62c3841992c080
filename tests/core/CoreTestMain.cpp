#include <gtest/gtest.h>

#include "TempHome.h"

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    // A safety net: whatever a test forgets, the real home stays untouched.
    TempHome processHome;
    return RUN_ALL_TESTS();
}
