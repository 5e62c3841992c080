#pragma once

#include <string>

#include "core/checks/FieldChecks.h"

using CheckMessages = std::array<std::string, kCheckSlots>;

// One message per set bit, in bit order, each taking its value from the
// check values slot with the same number. Returns the number written.
int DescribeCheckErrors(CheckErrors errors, CheckMessages& messages, const CheckValues& values);

// The text of the "Errors" box: every message followed by a line feed.
std::string CheckErrorsText(CheckErrors errors, const CheckValues& values);

inline constexpr const char* kCheckErrorsCaption = "Errors";
inline constexpr const char* kCheckOkCaption = "Check";
inline constexpr const char* kCheckOkText = "All settings are OK to generate a press release.\n\n"
                                            "Please choose Generate -> Email or Generate -> File\n"
                                            "to generate the press release.";
// In the status line after the user cancelled a probe window.
inline constexpr const char* kCheckCancelledText = "The check was cancelled.";
