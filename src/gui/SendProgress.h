#pragma once

#include <wx/wx.h>

#include "core/mail/ReleaseDelivery.h"

// Delivers the release with a progress window: the count, the current
// address and the time left, and a Cancel that stops after the message in
// flight. The main window keeps painting meanwhile.
DeliverySummary SendWithProgress(wxWindow* parent, const DeliveryPlan& plan, const SmtpServer& server,
                                 SendLedger* ledger);

// The summary box's text: sent, refused with the server's reply, left.
std::string DeliverySummaryText(const DeliverySummary& summary);
