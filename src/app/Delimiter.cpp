#include "app/CommandIds.h"
#include "app/PressReleaseApp.h"

// The four items are check items, not radio items, so all four marks are
// set here to keep exactly one of them checked.
void PressReleaseApp::OnDelimiter(wxCommandEvent& event)
{
    const int id = event.GetId();
    if (id < ID_DELIMITER_SEMICOLON || id > ID_DELIMITER_NEWLINE)
        return;
    receiverDelimiter = id - ID_DELIMITER_SEMICOLON;
    for (int item = ID_DELIMITER_SEMICOLON; item <= ID_DELIMITER_NEWLINE; ++item)
        settingsMenu->Check(item, item == id);
}
