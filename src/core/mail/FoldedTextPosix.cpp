#include "core/mail/FoldedText.h"

#include <memory>

#include <glib.h>

namespace {

using GlibText = std::unique_ptr<gchar, decltype(&g_free)>;

}  // namespace

std::optional<std::string> UnicodeFolded(std::string_view text)
{
    if (text.empty())
        return std::string();
    const GlibText normalized(
        g_utf8_normalize(text.data(), static_cast<gssize>(text.size()), G_NORMALIZE_NFKC), g_free);
    if (!normalized)
        return std::nullopt;
    // Folding can leave marks NFKC would have joined ("İ" folds to i and a dot).
    const GlibText folded(g_utf8_casefold(normalized.get(), -1), g_free);
    const GlibText again(g_utf8_normalize(folded.get(), -1, G_NORMALIZE_NFKC), g_free);
    if (!again)
        return std::nullopt;
    return std::string(again.get());
}
