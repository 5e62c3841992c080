#include "app/PressReleaseFrame.h"

#include "app/CommandIds.h"

wxBEGIN_EVENT_TABLE(PressReleaseFrame, wxFrame)
    EVT_MENU(ID_NEW, PressReleaseFrame::OnNew)
    EVT_MENU(ID_OPEN, PressReleaseFrame::OnOpen)
    EVT_MENU(ID_SAVE, PressReleaseFrame::OnSave)
    EVT_MENU(ID_BASIC_HELP, PressReleaseFrame::OnBasicHelp)
    EVT_MENU(ID_OPEN_MANUAL, PressReleaseFrame::OnOpenManual)
    EVT_MENU(ID_EXIT, PressReleaseFrame::OnExit)
    EVT_MENU(wxID_EXIT, PressReleaseFrame::OnExit)
wxEND_EVENT_TABLE()

PressReleaseFrame::PressReleaseFrame()
    : wxFrame(nullptr, wxID_ANY, "Vantrel", wxPoint(20, 20), wxSize(835, 470),
              wxDEFAULT_FRAME_STYLE, "frame")
{
    CreateStatusBar(1, wxST_SIZEGRIP, 0, "status_line");
    // Keys beside the menus, so that every menu label stays as it is.
    wxAcceleratorEntry keys[] = {
        {wxACCEL_CTRL, 'N', ID_NEW},  {wxACCEL_CTRL, 'O', ID_OPEN},
        {wxACCEL_CTRL, 'S', ID_SAVE}, {wxACCEL_CTRL, 'Q', ID_EXIT},
        {wxACCEL_NORMAL, WXK_F1, ID_OPEN_MANUAL},
    };
    SetAcceleratorTable(wxAcceleratorTable(static_cast<int>(std::size(keys)), keys));
}

// Ends the program at once; nothing is saved and nothing is asked.
void PressReleaseFrame::OnExit(wxCommandEvent&)
{
    Close(true);
}
