#pragma once

#include <string>

#include "core/checks/FieldChecks.h"

inline constexpr const char* kPageProbeTitle = "Checking the product URL...";
inline constexpr const char* kPageProbeMessage = "Product URL...";
inline constexpr const char* kImageProbeTitle = "Checking the image URL...";
inline constexpr const char* kImageProbeMessage = "Image URL...";

// Downloads url to see whether it responds; the image use also measures it.
// With showProgress a progress window stands over the main window during
// the download (its Cancel button stops it) and for one second after it.
ProbeOutcome ProbeUrl(const std::string& url, ProbeUse use, bool showProgress);

// The prober that the form's check uses in the running program.
class WindowUrlProber : public UrlProber {
public:
    explicit WindowUrlProber(bool showProgress) : showProgress_(showProgress) {}
    ProbeOutcome Probe(const std::string& url, ProbeUse use) override
    {
        return ProbeUrl(url, use, showProgress_);
    }

private:
    bool showProgress_;
};
