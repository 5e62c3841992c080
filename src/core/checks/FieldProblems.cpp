#include "core/checks/FieldProblems.h"

#include <algorithm>
#include <array>

#include "core/checks/CheckReport.h"
#include "core/form/FormFields.h"

namespace {

// By bit: the field the user has to change to make that check pass. The
// trial checks fail for the missing number, not for the kind or the box.
constexpr std::array<const char*, kCheckBitCount> kFieldOfBit = {
    kFeaturesTextLabel,  // too long
    kTrialLimitLabel,  // days missing
    kTrialLimitLabel,  // starts missing
    kProductNameLabel,     kProductVersionLabel, kOtherTypeTextLabel,
    kProductUrlLabel,  // empty
    kProductUrlLabel,  // doesn't respond
    kImageUrlLabel,  // empty
    kImageUrlLabel,  // doesn't respond
    kImageUrlLabel,  // format
    kImageUrlLabel,  // too small
    kPriceLabel,  // empty
    kPriceLabel,  // no currency
    kOperatingSystemLabel, kContactEmailLabel,   kContactEmailLabel,  kContactNameLabel,
    kCompanyNameLabel,     kFeaturesTextLabel,   kFeaturesTextLabel,
};

}  // namespace

const char* FieldOfCheck(int bit) { return kFieldOfBit.at(static_cast<std::size_t>(bit)); }

std::vector<FieldProblem> FieldProblems(CheckErrors errors, const CheckValues& values)
{
    CheckMessages messages;
    DescribeCheckErrors(errors, messages, values);
    std::vector<FieldProblem> problems;
    std::size_t slot = 0;
    for (int bit = 0; bit < kCheckBitCount; ++bit) {
        if ((errors & (CheckErrors{1} << bit)) == 0)
            continue;
        const std::string label = FieldOfCheck(bit);
        auto field = std::find_if(problems.begin(), problems.end(),
                                  [&](const FieldProblem& problem) { return label == problem.label; });
        if (field == problems.end())
            problems.push_back({FieldOfCheck(bit), messages[slot++]});
        else
            field->messages += "\n" + messages[slot++];
    }
    return problems;
}
