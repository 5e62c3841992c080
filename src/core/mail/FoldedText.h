#pragma once

#include <optional>
#include <string>
#include <string_view>

// A text as it is compared when only its meaning counts: without case,
// surrounding spaces and tabs, or differences of Unicode form ("Zoë" with
// its own letter or with a combining mark). Unicode text is normalized
// (NFKC) and case folded; bytes that are not UTF-8 are only lower-cased
// from A to Z.
std::string FoldedText(std::string_view text);

// The platform's half: NFKC, case folding and NFKC again; nullopt when text
// is not valid UTF-8.
std::optional<std::string> UnicodeFolded(std::string_view text);
