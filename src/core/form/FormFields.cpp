#include "core/form/FormFields.h"

const std::array<TextField, 13>& TextFields()
{
    static const std::array<TextField, 13> fields = {{
        {kProductNameLabel, &FormValues::productName},
        {kProductVersionLabel, &FormValues::productVersion},
        {kFeaturesTextLabel, &FormValues::featuresText},
        {kReceiversLabel, &FormValues::receivers},
        {kOtherTypeTextLabel, &FormValues::otherTypeText},
        {kProductUrlLabel, &FormValues::productUrl},
        {kImageUrlLabel, &FormValues::imageUrl},
        {kPriceLabel, &FormValues::price},
        {kOperatingSystemLabel, &FormValues::operatingSystem},
        {kContactEmailLabel, &FormValues::contactEmail},
        {kTrialLimitLabel, &FormValues::trialLimit},
        {kCompanyNameLabel, &FormValues::companyName},
        {kContactNameLabel, &FormValues::contactName},
    }};
    return fields;
}

std::vector<std::string> TextFieldsThatDiffer(const FormValues& first, const FormValues& second)
{
    std::vector<std::string> labels;
    for (const TextField& field : TextFields())
        if (first.*field.value != second.*field.value)
            labels.emplace_back(field.label);
    return labels;
}

const char* TextFieldLabel(std::string FormValues::*value)
{
    for (const TextField& field : TextFields())
        if (field.value == value)
            return field.label;
    return "";
}
