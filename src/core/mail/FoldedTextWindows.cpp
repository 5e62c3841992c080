#include "core/mail/FoldedText.h"

#include <windows.h>

#include "core/files/WideTextWindows.h"

namespace {

// NormalizeString guesses the length it needs and may need more.
std::optional<std::wstring> Normalized(const std::wstring& text)
{
    const int size = static_cast<int>(text.size());
    int room = NormalizeString(NormalizationKC, text.data(), size, nullptr, 0);
    for (int attempt = 0; attempt < 10 && room > 0; ++attempt) {
        std::wstring normalized(static_cast<std::size_t>(room), L'\0');
        const int length = NormalizeString(NormalizationKC, text.data(), size, normalized.data(), room);
        if (length > 0) {
            normalized.resize(static_cast<std::size_t>(length));
            return normalized;
        }
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER)
            return std::nullopt;
        room = -length;
    }
    return std::nullopt;
}

std::optional<std::wstring> Lowered(const std::wstring& text)
{
    const int size = static_cast<int>(text.size());
    const int length = LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_LOWERCASE, text.data(), size, nullptr, 0,
                                     nullptr, nullptr, 0);
    if (length <= 0)
        return std::nullopt;
    std::wstring lowered(static_cast<std::size_t>(length), L'\0');
    if (LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_LOWERCASE, text.data(), size, lowered.data(), length,
                      nullptr, nullptr, 0) != length)
        return std::nullopt;
    return lowered;
}

}  // namespace

std::optional<std::string> UnicodeFolded(std::string_view text)
{
    if (text.empty())
        return std::string();
    const int size = static_cast<int>(text.size());
    const int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), size, nullptr, 0);
    if (length <= 0)
        return std::nullopt;
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), size, wide.data(), length);
    std::optional<std::wstring> folded = Normalized(wide);
    if (folded)
        folded = Lowered(*folded);
    if (folded && !folded->empty())
        folded = Normalized(*folded);
    if (!folded)
        return std::nullopt;
    return Utf8FromWide(*folded);
}
