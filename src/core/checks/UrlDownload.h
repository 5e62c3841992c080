#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "core/checks/FieldChecks.h"

// Bounds of one download, so that no server can hang or flood the program.
struct DownloadLimits {
    long connectTimeoutSeconds = 30;
    long lowSpeedTimeSeconds = 30;  // abort below 1 byte/s for this long
    long totalTimeoutSeconds = 60;  // however steadily a server trickles
    std::int64_t maxBytes = 64LL * 1024 * 1024;
    long maxRedirects = 10;
};

struct DownloadResult {
    bool responds = false;
    bool cancelled = false;
    std::int64_t size = 0;  // bytes written to the scratch file
    int curlCode = 0;
    long httpStatus = 0;  // the last answer's status, 0 when none came
};

// Why a download that does not respond failed, in a few words for a log:
// the server's status, refused, time-out, TLS, too large, and so on.
std::string DownloadFailureReason(const DownloadResult& result);

// Called now and then while a download runs; returning false cancels it.
using DownloadProgress = std::function<bool()>;

// Downloads url (http, https or ftp only, also after redirects) into a
// private temporary file, measures it and removes it again, whatever the
// outcome. A download cut off at maxBytes counts as responding.
DownloadResult DownloadUrl(const std::string& url, const DownloadLimits& limits,
                           const DownloadProgress& progress);

// Probes a URL for the form's check by downloading it with the default
// limits: it responds when the download succeeds, and for the image its
// size is measured.
ProbeOutcome ProbeByDownload(const std::string& url, ProbeUse use, const DownloadProgress& progress);

// The User-Agent sent with every request.
std::string DownloadUserAgent();
