#include <cstdio>

#include <gtest/gtest.h>
#include <wx/evtloop.h>
#include <wx/init.h>
#include <wx/log.h>
#include <wx/modalhook.h>

#include "gui/PressReleaseApp.h"

namespace {

void FailOnAssert(const wxString& file, int line, const wxString& func, const wxString& cond,
                  const wxString& message)
{
    ADD_FAILURE_AT(file.utf8_string().c_str(), line) << "wx assertion in " << func.utf8_string() << ": "
                                                     << cond.utf8_string() << " " << message.utf8_string();
}

// Last line of defence: a modal dialog that no test expected is cancelled.
class UnexpectedDialogHook : public wxModalDialogHook {
protected:
    int Enter(wxDialog* dialog) override
    {
        ADD_FAILURE() << "unexpected modal dialog: " << dialog->GetTitle().utf8_string();
        return wxID_CANCEL;
    }
    void Exit(wxDialog*) override {}
};

}  // namespace

wxIMPLEMENT_APP_NO_MAIN(PressReleaseApp);

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    if (!wxEntryStart(argc, argv)) {
        fprintf(stderr, "The GUI tests need an X display (run them under xvfb-run).\n");
        return 1;
    }
    wxSetAssertHandler(FailOnAssert);
    wxLog::SetActiveTarget(new wxLogStderr);

    UnexpectedDialogHook fallback;
    fallback.Register();
    int result = 0;
    {
        wxGUIEventLoop loop;
        wxEventLoopActivator activate(&loop);
        result = RUN_ALL_TESTS();
    }
    fallback.Unregister();
    wxEntryCleanup();
    return result;
}
