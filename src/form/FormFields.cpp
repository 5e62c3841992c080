#include "form/FormFields.h"

const std::array<TextField, 13>& TextFields()
{
    static const std::array<TextField, 13> fields = {{
        {"Product name", &FormValues::productName},
        {"Version", &FormValues::productVersion},
        {"Short feature description", &FormValues::featuresText},
        {"Receivers", &FormValues::receivers},
        {"Other", &FormValues::otherTypeText},
        {"The product's web page URL", &FormValues::productUrl},
        {"Product image URL", &FormValues::imageUrl},
        {"Price", &FormValues::price},
        {"OS", &FormValues::operatingSystem},
        {"Contact email", &FormValues::contactEmail},
        {"How many", &FormValues::trialLimit},
        {"Company name", &FormValues::companyName},
        {"Contact name", &FormValues::contactName},
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
