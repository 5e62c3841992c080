#pragma once

#include <array>

// The two choice lists of the form. Indices, not texts, are what the rest of
// the program stores and compares.
inline constexpr int kProductTypeCount = 28;
inline constexpr int kOtherProductType = 27;
inline constexpr int kTrialKindCount = 7;
inline constexpr int kTrialDays = 0;
inline constexpr int kTrialStarts = 1;

const std::array<const char*, kProductTypeCount>& ProductTypeNames();
const std::array<const char*, kTrialKindCount>& TrialKindNames();
