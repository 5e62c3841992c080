#include "core/release/PressReleaseComposer.h"

#include <array>

#include "core/AsciiText.h"
#include "core/form/ChoiceLists.h"

namespace {

// Indexed like the product type list; Other (the last entry) is built from
// the user's description instead.
const std::array<const char*, kOtherProductType>& FixedProductTypePhrases()
{
    static const std::array<const char*, kOtherProductType> phrases = {
        "an add-in",
        "an add-on",
        "an audio application",
        "a business application",
        "a desktop application",
        "a development package",
        "an educational application",
        "a file sharing application",
        "a game",
        "a graphics application",
        "a home and hobby application",
        "an information management tool",
        "an Internet application",
        "a math program",
        "a music application",
        "a networking tool",
        "a plug-in",
        "a presentation program",
        "a privacy application",
        "a screen saver",
        "a security application",
        "a science program",
        "a sound application",
        "a telecom application",
        "a translation application",
        "a utility",
        "a web design application",
    };
    return phrases;
}

std::string OtherProductTypePhrase(const std::string& otherTypeText)
{
    const std::string description = LowerAsciiLetters(otherTypeText);
    const std::string vowels = "aeiouy";
    const bool takesAn = !description.empty() && vowels.find(description.front()) != std::string::npos;
    return (takesAn ? "an " : "a ") + description + " application";
}

}  // namespace

std::string ProductTypePhrase(int productType, const std::string& otherTypeText)
{
    if (productType == kOtherProductType)
        return OtherProductTypePhrase(otherTypeText);
    if (productType < 0 || productType >= kOtherProductType)
        return {};
    return FixedProductTypePhrases()[static_cast<std::size_t>(productType)];
}

std::string TrialSentence(bool trialAvailable, int trialKind, const std::string& trialLimit)
{
    if (!trialAvailable)
        return {};
    switch (trialKind) {
    case kTrialDays: return "A " + trialLimit + " day trial version is available.\n\n";
    case kTrialStarts:
        return "A trial version, which lets you try the software " + trialLimit + " times, is available.\n\n";
    case kTrialNoOpen: return "A trial version (no open) is available.\n\n";
    case kTrialNoSave: return "A trial version (no save) is available.\n\n";
    case kTrialNoOpenSave: return "A trial version (no open/save) is available.\n\n";
    case kTrialFunctionLimited: return "A function limited trial version is available.\n\n";
    case kTrialOther: return "A trial version is available.\n\n";
    default: return {};
    }
}

std::string ComposePressRelease(const FormValues& form)
{
    std::string text;
    text += "For Immediate Release\n";
    text += "Contact: " + form.contactName + " <" + form.contactEmail + ">\n";
    text += form.productUrl + "\n\n";
    text += form.companyName + " have released version " + form.productVersion + " of " + form.productName +
        ".\n";
    text += form.productName + " is " + ProductTypePhrase(form.productType, form.otherTypeText) + " for " +
        form.operatingSystem + ".\n";
    text += "Version " + form.productVersion + " contains the following features.\n\n";
    text += form.featuresText + "\n\n";
    text += form.productName + " " + form.productVersion + " costs " + form.price +
        " and is available from " + form.productUrl + ".\n";
    text += TrialSentence(form.trialAvailable, form.trialKind, form.trialLimit);
    text += "###\n";
    text += "Press image: " + form.imageUrl + "\n";
    return text;
}
