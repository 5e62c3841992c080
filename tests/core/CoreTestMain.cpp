#include <gtest/gtest.h>
#include <wx/init.h>
#include <wx/log.h>

#include "TempHome.h"

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    wxInitializer wx;
    if (!wx.IsOk())
        return 1;
    wxLog::SetActiveTarget(new wxLogStderr);
    // A safety net: whatever a test forgets, the real home stays untouched.
    TempHome processHome;
    return RUN_ALL_TESTS();
}
