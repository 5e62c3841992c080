#pragma once

#include <chrono>
#include <string>

#include <wx/wx.h>

#include "core/mail/ReleaseDelivery.h"

// Delivers the release with a progress window: the count, the current
// address or the wait for a "later" round, how many were sent, refused and
// in doubt so far, and the time left; Cancel stops
// the message in flight at once. The main window keeps painting meanwhile.
DeliverySummary SendWithProgress(wxWindow* parent, const DeliveryPlan& plan, const SmtpServer& server,
                                 SendLedger* ledger);

// "About 1:40 left".
std::string TimeLeftText(std::chrono::seconds left);
