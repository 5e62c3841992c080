#include "core/documents/TextEncoding.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// Length of the UTF-8 sequence at text[i], or 0 when it is not a valid one
// (overlong forms, surrogates and code points above U+10FFFF are invalid).
std::size_t Utf8SequenceLength(const std::string& text, std::size_t i)
{
    const auto byte = [&](std::size_t k) { return static_cast<std::uint8_t>(text[k]); };
    const auto continuation = [&](std::size_t k) { return k < text.size() && (byte(k) & 0xC0) == 0x80; };
    const std::uint8_t lead = byte(i);
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        return continuation(i + 1) ? 2 : 0;
    if (lead >= 0xE0 && lead <= 0xEF) {
        if (!continuation(i + 1) || !continuation(i + 2))
            return 0;
        if (lead == 0xE0 && byte(i + 1) < 0xA0)
            return 0;  // overlong
        if (lead == 0xED && byte(i + 1) >= 0xA0)
            return 0;  // surrogate
        return 3;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        if (!continuation(i + 1) || !continuation(i + 2) || !continuation(i + 3))
            return 0;
        if (lead == 0xF0 && byte(i + 1) < 0x90)
            return 0;  // overlong
        if (lead == 0xF4 && byte(i + 1) >= 0x90)
            return 0;  // above U+10FFFF
        return 4;
    }
    return 0;
}

// Windows-1252 bytes 0x80 to 0x9F. The five bytes the code page leaves
// undefined keep their own value as a C1 control, so nothing is lost.
constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

void AppendUtf8(std::string& out, char32_t code)
{
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

}  // namespace

std::string Utf8FromWindows1252(std::string_view text)
{
    std::string out;
    out.reserve(text.size() + text.size() / 2);
    for (char c : text) {
        const auto byte = static_cast<std::uint8_t>(c);
        if (byte >= 0x80 && byte <= 0x9F)
            AppendUtf8(out, kWindows1252High[byte - 0x80]);
        else
            AppendUtf8(out, byte);
    }
    return out;
}

bool IsValidUtf8(const std::string& text)
{
    for (std::size_t i = 0; i < text.size();) {
        // Most text is ASCII: eight bytes at a time while no high bit is set.
        std::uint64_t eight;
        if (i + 8 <= text.size()) {
            std::memcpy(&eight, text.data() + i, 8);
            if ((eight & 0x8080808080808080ULL) == 0) {
                i += 8;
                continue;
            }
        }
        const std::size_t length = Utf8SequenceLength(text, i);
        if (length == 0)
            return false;
        i += length;
    }
    return true;
}

std::string Utf8FromUtf8OrWindows1252(std::string text)
{
    // Two returns, not one conditional: a conditional would copy the text,
    // which may be megabytes, where a plain return moves it.
    if (IsValidUtf8(text))
        return text;
    return Utf8FromWindows1252(text);
}

std::string CrLfToLf(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t from = 0; from < text.size();) {
        std::size_t cr = text.find("\r\n", from);
        if (cr == std::string_view::npos)
            cr = text.size();
        out.append(text.substr(from, cr - from));
        from = cr + 1;  // the line feed after the carriage return stays
    }
    return out;
}

void AppendLfAsCrLf(std::string& out, std::string_view text)
{
    const std::size_t start = out.size();
    out.resize(start + text.size() + CountByte(text, '\n'));
    char* to = out.data() + start;
    const char* from = text.data();
    const char* const end = from + text.size();
    while (from != end) {
        if (end - from >= 8) {
            std::uint64_t eight;
            std::memcpy(&eight, from, 8);
            if (!HasByte(eight, '\n')) {
                std::memcpy(to, &eight, 8);
                to += 8;
                from += 8;
                continue;
            }
        }
        if (*from == '\n')
            *to++ = '\r';
        *to++ = *from++;
    }
}

// Counted in runs of 255 bytes into one byte each, which the compiler turns
// into wide vector compares; std::count widens every byte's count to 64
// bits and runs at a quarter of the speed.
std::size_t CountByte(std::string_view text, char byte)
{
    std::size_t total = 0;
    for (std::size_t from = 0; from < text.size(); from += 255) {
        const std::size_t end = std::min(text.size(), from + 255);
        std::uint8_t run = 0;
        for (std::size_t i = from; i < end; ++i)
            run += text[i] == byte;
        total += run;
    }
    return total;
}

std::size_t CountCrLf(std::string_view text)
{
    std::size_t total = 0;
    std::size_t from = 0;
#if defined(__SSE2__)
    // Sixteen bytes at a time: a CR at i pairs with a line feed read at
    // i + 1. Each byte of counts counts up to 255 pairs.
    const auto is = [&text](std::size_t at, char c) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + at));
        return _mm_cmpeq_epi8(bytes, _mm_set1_epi8(c));
    };
    const auto add = [&total](__m128i counts) {
        const __m128i sums = _mm_sad_epu8(counts, _mm_setzero_si128());
        total += static_cast<std::size_t>(_mm_extract_epi16(sums, 0) + _mm_extract_epi16(sums, 4));
    };
    __m128i counts = _mm_setzero_si128();
    for (int steps = 0; from + 17 <= text.size(); from += 16) {
        counts = _mm_sub_epi8(counts, _mm_and_si128(is(from, '\r'), is(from + 1, '\n')));
        if (++steps == 255) {
            add(counts);
            counts = _mm_setzero_si128();
            steps = 0;
        }
    }
    add(counts);
#endif
    for (; from + 1 < text.size(); from += 255) {
        const std::size_t end = std::min(text.size() - 1, from + 255);
        std::uint8_t run = 0;
        for (std::size_t i = from; i < end; ++i)
            run += (text[i] == '\r') & (text[i + 1] == '\n');
        total += run;
    }
    return total;
}

std::string LfToCrLf(std::string_view text)
{
    std::string out;
    AppendLfAsCrLf(out, text);
    return out;
}

void Utf8Scan::Take(std::string_view piece)
{
    bytes_ += piece.size();
    const char* from = piece.data();
    const char* const end = from + piece.size();
    while (from != end) {
        // Most text is ASCII: 64 or 8 bytes at a time while no high bit is set.
        if (needed_ == 0 && end - from >= 64) {
            std::uint64_t words[8];
            std::memcpy(words, from, 64);
            if (((words[0] | words[1] | words[2] | words[3] | words[4] | words[5] | words[6] | words[7]) &
                 0x8080808080808080ULL) == 0) {
                from += 64;
                continue;
            }
        }
        if (needed_ == 0 && end - from >= 8) {
            std::uint64_t eight;
            std::memcpy(&eight, from, 8);
            if ((eight & 0x8080808080808080ULL) == 0) {
                from += 8;
                continue;
            }
        }
        const auto byte = static_cast<std::uint8_t>(*from++);
        if (byte >= 0x80)
            extra_ += byte <= 0x9F && kWindows1252High[byte - 0x80] >= 0x800 ? 2 : 1;
        if (invalid_)
            continue;
        if (needed_ > 0) {
            if (byte < low_ || byte > high_) {
                invalid_ = true;
                needed_ = 0;
            } else {
                --needed_;
                low_ = 0x80;
                high_ = 0xBF;
            }
        } else if (byte >= 0x80) {
            StartSequence(byte);
        }
    }
}

// The bounds of the second byte rule out overlong forms, surrogates and
// code points above U+10FFFF, as Utf8SequenceLength does.
void Utf8Scan::StartSequence(std::uint8_t lead)
{
    if (lead >= 0xC2 && lead <= 0xDF) {
        needed_ = 1;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        needed_ = 2;
        low_ = lead == 0xE0 ? 0xA0 : 0x80;
        high_ = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        needed_ = 3;
        low_ = lead == 0xF0 ? 0x90 : 0x80;
        high_ = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        invalid_ = true;
    }
}
