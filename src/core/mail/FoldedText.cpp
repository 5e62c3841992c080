#include "core/mail/FoldedText.h"

#include "core/AsciiText.h"

std::string FoldedText(std::string_view text)
{
    // A zero byte is UTF-8 to some libraries and not to others.
    std::optional<std::string> folded =
        text.find('\0') == std::string_view::npos ? UnicodeFolded(text) : std::nullopt;
    if (!folded)
        folded = LowerAsciiLetters(std::string(text));
    // After folding, so that a no-break space (a space to NFKC) goes too.
    const std::size_t first = folded->find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    return folded->substr(first, folded->find_last_not_of(" \t") + 1 - first);
}
