// Any text through the URI escaping: only the characters a URI may carry
// come out, and decoding gives the text back byte for byte.
#include <cctype>

#include "FuzzInput.h"
#include "core/release/MailtoRequest.h"

namespace {

int HexValue(char c) { return c <= '9' ? c - '0' : c - 'A' + 10; }

std::string Decoded(const std::string& escaped)
{
    std::string text;
    for (std::size_t i = 0; i < escaped.size(); ++i) {
        if (escaped[i] != '%') {
            text += escaped[i];
            continue;
        }
        Require(i + 2 < escaped.size() && std::isxdigit(static_cast<unsigned char>(escaped[i + 1])) &&
                std::isxdigit(static_cast<unsigned char>(escaped[i + 2])));
        Require(!std::islower(static_cast<unsigned char>(escaped[i + 1])) &&
                !std::islower(static_cast<unsigned char>(escaped[i + 2])));
        text += static_cast<char>(HexValue(escaped[i + 1]) * 16 + HexValue(escaped[i + 2]));
        i += 2;
    }
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput input(data, size);
    const bool allReserved = input.Bool();
    const std::string text = input.Rest();
    const std::string escaped = allReserved ? EscapeUri(text) : EscapeUri(text, "");
    for (const char c : escaped)
        Require(c > ' ' && c < 0x7f && std::string_view("\"<>\\^`{|}#[]").find(c) == std::string_view::npos);
    Require(Decoded(escaped) == text);
    if (!allReserved)
        Require(escaped.find_first_of(";/?:@&=+$,") == std::string::npos);
    return 0;
}
