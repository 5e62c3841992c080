#pragma once

#include <array>
#include <string>
#include <vector>

#include "core/form/FormValues.h"

// The labels the user sees above the sixteen controls.
inline constexpr const char* kProductNameLabel = "Product name";
inline constexpr const char* kProductVersionLabel = "Version";
inline constexpr const char* kFeaturesTextLabel = "Short feature description";
inline constexpr const char* kReceiversLabel = "Receivers";
inline constexpr const char* kProductTypeLabel = "Type of product";
inline constexpr const char* kOtherTypeTextLabel = "Other";
inline constexpr const char* kProductUrlLabel = "The product's web page URL";
inline constexpr const char* kImageUrlLabel = "Product image URL";
inline constexpr const char* kPriceLabel = "Price";
inline constexpr const char* kOperatingSystemLabel = "OS";
inline constexpr const char* kContactEmailLabel = "Contact email";
inline constexpr const char* kTrialAvailableLabel = "Trial/demo?";
inline constexpr const char* kTrialKindLabel = "Limitations";
inline constexpr const char* kTrialLimitLabel = "How many";
inline constexpr const char* kCompanyNameLabel = "Company name";
inline constexpr const char* kContactNameLabel = "Contact name";

// The text fields of the form with their labels.
struct TextField {
    const char* label;
    std::string FormValues::*value;
};

const std::array<TextField, 13>& TextFields();

// The label of a text field.
const char* TextFieldLabel(std::string FormValues::*value);

// The labels of the text fields whose values differ between two forms, in
// the order of the form.
std::vector<std::string> TextFieldsThatDiffer(const FormValues& first, const FormValues& second);
