#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "core/form/FormValues.h"

// Bit set of failed checks; bits 0 to 20 are used, zero means all passed.
using CheckErrors = std::uint32_t;

// One text per failed check, in the order of the set bits: slot k belongs
// to the k-th set bit counted upward from bit 0.
inline constexpr int kCheckSlots = 24;
using CheckValues = std::array<std::string, kCheckSlots>;

enum CheckBit : int {
    kFeaturesTooLong = 0,
    kTrialDaysMissing = 1,
    kTrialStartsMissing = 2,
    kProductNameEmpty = 3,
    kProductVersionEmpty = 4,
    kOtherTypeMissing = 5,
    kProductUrlEmpty = 6,
    kProductUrlDead = 7,
    kImageUrlEmpty = 8,
    kImageUrlDead = 9,
    kImageBadFormat = 10,
    kImageTooSmall = 11,
    kPriceEmpty = 12,
    kPriceNoCurrency = 13,
    kOperatingSystemEmpty = 14,
    kContactEmailEmpty = 15,
    kContactEmailBad = 16,
    kContactNameEmpty = 17,
    kCompanyNameEmpty = 18,
    kFeaturesBadWords = 19,
    kFeaturesTooShort = 20,
};
inline constexpr int kCheckBitCount = 21;

enum class ProbeUse { WebPage, Image };

struct ProbeOutcome {
    bool responds = false;
    std::optional<std::int64_t> size;  // the image use only, when measured
    std::string whyNot;  // when it does not respond, for logs
    bool cancelled = false;  // the user stopped it: nothing is known of the URL
};

// Fetches a URL to see whether it responds. The window layer puts a
// progress window around the real download; tests answer from a table.
class UrlProber {
public:
    virtual ~UrlProber() = default;
    virtual ProbeOutcome Probe(const std::string& url, ProbeUse use) = 0;
};

// Runs every check in its fixed order, probing the two URLs at their place.
// A cancelled probe cancels the whole check (nothing then): a URL the user
// gave up on may well respond, and must not be reported as dead.
std::optional<CheckErrors> CheckSettings(const FormValues& form, CheckValues& values, UrlProber& prober);
