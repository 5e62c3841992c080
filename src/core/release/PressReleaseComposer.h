#pragma once

#include <string>

#include "core/form/FormValues.h"

// The press release in fixed English sentences. Values go in untouched;
// lines end with a single line feed, and so does the text.
std::string ComposePressRelease(const FormValues& form);

// "an add-in", "a science program", ...; for Other it is built from the
// description; empty when no valid type is selected.
std::string ProductTypePhrase(int productType, const std::string& otherTypeText);

// The trial sentence with its trailing empty line, or empty when there is none.
std::string TrialSentence(bool trialAvailable, int trialKind, const std::string& trialLimit);
