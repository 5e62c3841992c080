#pragma once

#include <ctime>
#include <string>

#include <wx/wx.h>

#include "core/replies/ReplyCheck.h"

// Reads the source on a thread of its own while a progress window counts
// the messages read; Cancel stops the reading at the next message. The
// windows keep painting meanwhile.
ReplyCheck CheckRepliesWithProgress(wxWindow* parent, const ReplySource& source,
                                    const std::string& senderAddress, const SentRelease& sent);
