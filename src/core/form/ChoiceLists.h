#pragma once

#include <array>

// The two choice lists of the form. Indices, not texts, are what the rest of
// the program stores and compares.
inline constexpr int kProductTypeCount = 28;
inline constexpr int kOtherProductType = 27;
inline constexpr int kTrialKindCount = 7;

enum TrialKind : int {
    kTrialDays = 0,
    kTrialStarts = 1,
    kTrialNoOpen = 2,
    kTrialNoSave = 3,
    kTrialNoOpenSave = 4,
    kTrialFunctionLimited = 5,
    kTrialOther = 6,
};
static_assert(kTrialOther + 1 == kTrialKindCount);

const std::array<const char*, kProductTypeCount>& ProductTypeNames();
const std::array<const char*, kTrialKindCount>& TrialKindNames();
