#pragma once

#include <string>

// Only A to Z change; every other byte, UTF-8 sequences included, stays, so
// the result does not depend on the locale.
inline std::string LowerAsciiLetters(std::string text)
{
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}
