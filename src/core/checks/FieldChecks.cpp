#include "core/checks/FieldChecks.h"

#include <algorithm>
#include <array>
#include <optional>

#include "core/AsciiText.h"
#include "core/form/ChoiceLists.h"

namespace {

constexpr std::int64_t kMinImageBytes = 5000;
constexpr int kMaxFeatureSpaces = 30;
constexpr int kMinFeatureSpaces = 5;

// The value each failed check recorded, by bit; slots are assigned in bit
// order at the end, so the order in which the checks run does not matter.
using Findings = std::array<std::optional<std::string>, kCheckBitCount>;

bool IsWhiteSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

std::string TrimWhiteSpace(const std::string& text)
{
    auto first = std::find_if_not(text.begin(), text.end(), IsWhiteSpace);
    auto last = std::find_if_not(text.rbegin(), text.rend(), IsWhiteSpace).base();
    return first < last ? std::string(first, last) : std::string();
}

// Spaces only: tabs and line breaks separate words but are not counted.
int SpaceCount(const std::string& text)
{
    return static_cast<int>(std::count(text.begin(), text.end(), ' '));
}

bool IsUtf8Continuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// The last three characters (not bytes, so no UTF-8 sequence is cut), or
// the whole text when it is shorter.
std::string LastThreeCharacters(const std::string& text)
{
    std::size_t start = text.size();
    for (int characters = 0; characters < 3 && start > 0; ++characters) {
        --start;
        while (start > 0 && IsUtf8Continuation(text[start]))
            --start;
    }
    return text.substr(start);
}

bool IsKnownImageExtension(const std::string& extension)
{
    for (const char* known : {"jpg", "gif", "png", "tif", "bmp"}) {
        if (extension == known)
            return true;
    }
    return false;
}

// At most one leading sign, then digits only; "" and a lone sign count too.
bool IsPlainInteger(const std::string& text)
{
    std::size_t start = (!text.empty() && (text[0] == '+' || text[0] == '-')) ? 1 : 0;
    return std::all_of(text.begin() + static_cast<std::ptrdiff_t>(start), text.end(),
                       [](char c) { return c >= '0' && c <= '9'; });
}

std::optional<std::string> FindListedWord(const std::string& featuresText)
{
    const std::string lowered = LowerAsciiLetters(featuresText);
    for (const char* word : {" fuck", " suck", " hell", " dick", " pussy", " sucker"}) {
        if (lowered.find(word) != std::string::npos)
            return std::string(word + 1);
    }
    return std::nullopt;
}

void CheckFeatureLength(const FormValues& form, Findings& found)
{
    const int spaces = SpaceCount(TrimWhiteSpace(form.featuresText));
    if (spaces > kMaxFeatureSpaces)
        found[kFeaturesTooLong] = std::to_string(spaces);
}

void CheckTrial(const FormValues& form, Findings& found)
{
    if (!form.trialAvailable || !form.trialLimit.empty())
        return;
    if (form.trialKind == kTrialDays)
        found[kTrialDaysMissing] = "";
    if (form.trialKind == kTrialStarts)
        found[kTrialStartsMissing] = "";
}

void CheckProduct(const FormValues& form, Findings& found)
{
    if (form.productName.empty())
        found[kProductNameEmpty] = "";
    if (form.productVersion.empty())
        found[kProductVersionEmpty] = "";
    if (form.productType == kOtherProductType && form.otherTypeText.empty())
        found[kOtherTypeMissing] = "";
}

// Both URL checks return false when the user cancelled the probe.
bool CheckProductUrl(const FormValues& form, Findings& found, UrlProber& prober)
{
    if (form.productUrl.empty()) {
        found[kProductUrlEmpty] = "";
        return true;
    }
    const ProbeOutcome outcome = prober.Probe(form.productUrl, ProbeUse::WebPage);
    if (!outcome.responds)
        found[kProductUrlDead] = form.productUrl;
    return !outcome.cancelled;
}

bool CheckImageUrl(const FormValues& form, Findings& found, UrlProber& prober)
{
    if (form.imageUrl.empty()) {
        found[kImageUrlEmpty] = "";
    } else {
        const ProbeOutcome outcome = prober.Probe(form.imageUrl, ProbeUse::Image);
        if (outcome.cancelled)
            return false;
        if (!outcome.responds)
            found[kImageUrlDead] = form.imageUrl;
        else if (outcome.size && *outcome.size < kMinImageBytes)
            found[kImageTooSmall] = std::to_string(*outcome.size);
    }
    const std::string extension = LowerAsciiLetters(LastThreeCharacters(form.imageUrl));
    if (!IsKnownImageExtension(extension))
        found[kImageBadFormat] = extension;
    return true;
}

void CheckPrice(const FormValues& form, Findings& found)
{
    if (form.price.empty())
        found[kPriceEmpty] = "";
    if (IsPlainInteger(form.price))
        found[kPriceNoCurrency] = "";
}

bool IsBlankOnly(const std::string& text) { return text.find_first_not_of(" \t") == std::string::npos; }

void CheckContact(const FormValues& form, Findings& found)
{
    if (form.operatingSystem.empty())
        found[kOperatingSystemEmpty] = "";
    if (form.contactEmail.empty())
        found[kContactEmailEmpty] = "";
    else if (form.contactEmail.find('@') == std::string::npos)
        found[kContactEmailBad] = form.contactEmail;
    // A name of blanks only would make the release read "   have released".
    if (IsBlankOnly(form.contactName))
        found[kContactNameEmpty] = "";
    if (IsBlankOnly(form.companyName))
        found[kCompanyNameEmpty] = "";
}

void CheckFeatureWording(const FormValues& form, Findings& found)
{
    if (auto word = FindListedWord(form.featuresText))
        found[kFeaturesBadWords] = *word;
    if (SpaceCount(form.featuresText) < kMinFeatureSpaces)
        found[kFeaturesTooShort] = "";
}

CheckErrors RecordFindings(const Findings& found, CheckValues& values)
{
    CheckErrors errors = 0;
    std::size_t slot = 0;
    for (int bit = 0; bit < kCheckBitCount; ++bit) {
        if (!found[static_cast<std::size_t>(bit)])
            continue;
        errors |= CheckErrors{1} << bit;
        values[slot++] = *found[static_cast<std::size_t>(bit)];
    }
    return errors;
}

}  // namespace

std::optional<CheckErrors> CheckSettings(const FormValues& form, CheckValues& values, UrlProber& prober)
{
    Findings found;
    CheckFeatureLength(form, found);
    CheckTrial(form, found);
    CheckProduct(form, found);
    if (!CheckProductUrl(form, found, prober) || !CheckImageUrl(form, found, prober))
        return std::nullopt;
    CheckPrice(form, found);
    CheckContact(form, found);
    CheckFeatureWording(form, found);
    return RecordFindings(found, values);
}
