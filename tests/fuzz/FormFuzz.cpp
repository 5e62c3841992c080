// Any form: the checks report one message per failed check, and the
// release, its file and the mailto request keep their fixed frame around
// whatever the fields hold.
#include <algorithm>
#include <bitset>

#include "FuzzInput.h"
#include "core/checks/CheckReport.h"
#include "core/checks/FieldChecks.h"
#include "core/release/MailtoRequest.h"
#include "core/release/PressReleaseComposer.h"
#include "core/release/ReleaseFile.h"

namespace {

class FuzzedProber : public UrlProber {
public:
    explicit FuzzedProber(FuzzInput& input) : input_(input) {}
    ProbeOutcome Probe(const std::string&, ProbeUse use) override
    {
        ProbeOutcome outcome;
        outcome.responds = input_.Bool();
        if (use == ProbeUse::Image && outcome.responds)
            outcome.size = input_.Int() * 100;
        return outcome;
    }

private:
    FuzzInput& input_;
};

FormValues FuzzedForm(FuzzInput& input)
{
    FormValues form;
    form.productType = input.Int();
    form.trialKind = input.Int();
    form.trialAvailable = input.Bool();
    for (std::string* text :
         {&form.productName, &form.productVersion, &form.featuresText, &form.receivers, &form.otherTypeText,
          &form.productUrl, &form.imageUrl, &form.price, &form.operatingSystem, &form.contactEmail,
          &form.trialLimit, &form.companyName, &form.contactName})
        *text = input.Text();
    return form;
}

bool EndsWith(const std::string& text, const std::string& end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

std::size_t Count(const std::string& text, char c)
{
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), c));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput input(data, size);
    const FormValues form = FuzzedForm(input);

    CheckValues values;
    FuzzedProber prober(input);
    const std::optional<CheckErrors> checked = CheckSettings(form, values, prober);
    Require(checked.has_value());  // only a cancelled probe ends a check early
    const CheckErrors errors = *checked;
    Require(errors < (CheckErrors{1} << kCheckBitCount));
    CheckMessages messages;
    const std::size_t failed = std::bitset<32>(errors).count();
    Require(static_cast<std::size_t>(DescribeCheckErrors(errors, messages, values)) == failed);

    const std::string release = ComposePressRelease(form);
    Require(release.rfind("For Immediate Release\n", 0) == 0);
    Require(EndsWith(release, "###\nPress image: " + form.imageUrl + "\n"));
    Require(ReleaseFileText(form.companyName, release) ==
            "Press release from " + form.companyName + "\n\n" + release + "\n");

    // The values cannot add to the request's own "?", "&" and "=".
    const std::string request = MailtoRequest(form.contactEmail, form.receivers, form.companyName);
    Require(request.rfind("mailto:", 0) == 0);
    Require(Count(request, '?') == 1 && Count(request, '&') == 2 && Count(request, '=') == 3);
    for (const char c : request)
        Require(c > ' ' && c < 0x7f && c != '"' && c != '<' && c != '>' && c != '\\');
    return 0;
}
