#include <gtest/gtest.h>

#include "TempHome.h"
#include "WindowsRegistrySandbox.h"

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    // A safety net: whatever a test forgets, the user's files and registry
    // values stay untouched.
    TempHome processHome;
    RegistrySandbox registry;
    setenv("LOCALAPPDATA", (processHome.home() + "/AppData/Local").c_str(), 1);
    return RUN_ALL_TESTS();
}
