#include "app/PressReleaseApp.h"
#include "app/PressReleaseFrame.h"

// Clears the form after one question. Both URL fields become empty, not
// "http://"; the delimiter setting and LatestPath stay as they are.
void PressReleaseFrame::OnNew(wxCommandEvent&)
{
    const int answer = wxMessageBox("Are you sure that you want to clear all settings?\n", "New",
                                    wxYES_NO | wxICON_QUESTION, this);
    if (answer == wxNO)
        return;
    FormValues cleared;
    cleared.productUrl.clear();
    cleared.imageUrl.clear();
    app->WriteForm(cleared);
}
