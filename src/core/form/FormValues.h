#pragma once

#include <string>

// What the sixteen controls of the form hold at one moment, read by the
// window layer just before it hands the form to the core. Texts are UTF-8,
// line breaks inside them are single line feeds, choices are indices
// (-1 for no selection).
struct FormValues {
    std::string productName;
    std::string productVersion;
    std::string featuresText;
    std::string receivers;
    int productType = 0;
    std::string otherTypeText;
    std::string productUrl = "http://";
    std::string imageUrl = "http://";
    std::string price;
    std::string operatingSystem;
    std::string contactEmail;
    bool trialAvailable = false;
    int trialKind = 0;
    std::string trialLimit;
    std::string companyName;
    std::string contactName;

    bool operator==(const FormValues&) const = default;
};
