#pragma once

#include <array>
#include <string>
#include <vector>

#include "form/FormValues.h"

// The text fields of the form with the labels the user sees above them.
struct TextField {
    const char* label;
    std::string FormValues::*value;
};

const std::array<TextField, 13>& TextFields();

// The labels of the text fields whose values differ between two forms, in
// the order of the form.
std::vector<std::string> TextFieldsThatDiffer(const FormValues& first, const FormValues& second);
