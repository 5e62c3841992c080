#pragma once

#include <memory>
#include <optional>
#include <string>

#include <wx/timer.h>
#include <wx/wx.h>

#include "core/checks/FieldChecks.h"
#include "core/form/FormValues.h"
#include "core/mail/ReleaseDelivery.h"
#include "core/receivers/ReceiverList.h"
#include "core/replies/ReplyCheck.h"
#include "gui/FormControls.h"
#include "gui/ReceiverCounter.h"

class PressReleaseFrame;
class SendPreviewDialog;
class MailLogin;

// Holds the form and handles the Settings and Generate menus; the commands
// the main window does not handle come here.
class PressReleaseApp : public wxApp {
public:
    bool OnInit() override;

    // The form, read or written as a whole at the moment a command needs it.
    // A command that never uses the receivers leaves them in the control:
    // reading a long list back out of GTK costs more than the rest.
    enum class Receivers { Read, Skip };
    FormValues ReadForm(Receivers receivers = Receivers::Read) const;
    void WriteForm(const FormValues& form);

    // The four menu values move the check mark along; any other number is
    // kept as it is and the marks stay.
    void SetReceiverDelimiter(int delimiter);

    // Checks the whole form; with showProgress the URL probes show their
    // progress windows. Nothing when the user cancelled one of them.
    std::optional<CheckErrors> CheckSettings(CheckValues& values, bool showProgress);
    void ShowCheckErrors(CheckErrors errors, const CheckValues& values);

    // The status line shows how many receivers the field holds a moment
    // after it last changed.
    void CountReceiversSoon();
    static constexpr int kCountAfterMilliseconds = 300;

    // Not owned: the window hierarchy owns the frame, the controls and menus.
    PressReleaseFrame* mainWindow = nullptr;
    FormControls controls;
    wxMenu* settingsMenu = nullptr;

    int receiverDelimiter = kDelimiterSemicolon;

    // The document opened had its receivers cut at a zero byte: nothing is
    // sent to the cut list until the user has edited it.
    void ReceiversCutOnOpening() { receiversCut_ = true; }

private:
    std::string StartDocument() const;
    wxMenuBar* CreateMenuBar();
    void ShowSplashScreen();
    bool FormPassesCheck();
    // The receivers field as Email and Export hand it out, without the
    // addresses on the sender's do-not-send list; nothing, after a box that
    // says why, when that list cannot be read.
    std::optional<JoinedReceivers> ReceiversToHandOut(const std::string& field, const char* caption);
    // The sender a send would use, whose do-not-send list and replies these are.
    std::string SenderAddress() const;
    // text, then the count of receivers (the field's text as it stands, or
    // receivers when that was read already).
    void ShowStatusWithCount(const std::string& text);
    void ShowStatusWithCount(const std::string& text, std::string receivers);
    void OnReceiverCount(wxTimerEvent& event);
    // The status line's count, and after a check the mark of the entries
    // that are left out.
    void ShowCount(const std::string& prefix, const ReceiverCounts& counts);
    void StartCounting();
    void OnReceiversEdited(wxCommandEvent& event);
    bool SendNowAfterAll(std::size_t receivers, int perMinute);
    // After a send: the refused taken off the list.
    void RemoveRefused(const DeliverySummary& summary);
    // An edit of the field like any other: the form then has unsaved changes.
    void RemoveFromReceivers(const std::vector<std::string>& addresses);
    void ShowReplyFindings(const ReplyCheck& check, const std::string& senderAddress);
    void SendTest(const DeliveryPlan& plan, const SmtpServer& server, MailLogin& login);
    bool AskHowToSend(SendPreviewDialog& preview, DeliveryPlan& plan, SmtpServer& server, MailLogin& login);

    wxTimer receiverCount_;
    std::unique_ptr<ReceiverCounter> counter_;
    bool markLeftOut_ = false;  // a check asked for the mark of the next count
    bool receiversCut_ = false;

    // Settings menu (PressReleaseAppSettings.cpp)
    void OnDelimiter(wxCommandEvent& event);
    void OnExportReceivers(wxCommandEvent& event);
    void OnImportReceivers(wxCommandEvent& event);
    void OnMailServer(wxCommandEvent& event);
    // Generate menu (PressReleaseAppGenerate.cpp)
    void OnGenerateTextFile(wxCommandEvent& event);
    void OnGenerateEmail(wxCommandEvent& event);
    void OnCheckEverything(wxCommandEvent& event);
    void OnSendToReceivers(wxCommandEvent& event);
    void OnDoNotSendList(wxCommandEvent& event);
    void OnCheckReplies(wxCommandEvent& event);

    wxDECLARE_EVENT_TABLE();
};

wxDECLARE_APP(PressReleaseApp);
