#include <gtest/gtest.h>

#include <set>

#include "core/documents/TextEncoding.h"

namespace {

using namespace std::string_literals;

TEST(TextEncoding, ValidatesUtf8)
{
    const std::pair<std::string, bool> cases[] = {
        {"", true},
        {"plain ASCII\n", true},
        {"\xc3\xa9", true},  // é
        {"\xc2\x80", true},  // U+0080, the first two-byte character
        {"\xdf\xbf", true},  // U+07FF, the last
        {"\xef\xbf\xbf", true},  // U+FFFF, the last three-byte character
        {"\xe2\x82\xac", true},  // €
        {"\xf0\x9f\x98\x80", true},  // emoji
        {"\xf4\x8f\xbf\xbf", true},  // U+10FFFF
        {"\0"s, true},
        {"\xe9", false},  // Windows-1252 é
        {"\x80", false},  // lone continuation byte
        {"\xc0\x80", false},  // overlong NUL
        {"\xc1\xbf", false},  // overlong
        {"\xe0\x80\x80", false},  // overlong
        {"\xe0\x9f\xbf", false},  // overlong, just below the first three-byte character
        {"\xe0\xa0\x80", true},  // U+0800, the first three-byte character
        {"\xed\x9f\xbf", true},  // U+D7FF, just below the surrogates
        {"\xf0\x8f\xbf\xbf", false},  // overlong, just below the first four-byte character
        {"\xf0\x90\x80\x80", true},  // U+10000
        {"\xf0\x80\x80\x80", false},  // overlong
        {"\xed\xa0\x80", false},  // surrogate
        {"\xf4\x90\x80\x80", false},  // beyond U+10FFFF
        {"\xf5\x80\x80\x80", false},
        {"\xe2\x82", false},  // cut short
        {"ok \xe2\x82", false},
        {"\xff", false},
    };
    for (const auto& [text, valid] : cases) {
        SCOPED_TRACE(testing::PrintToString(text));
        EXPECT_EQ(IsValidUtf8(text), valid);
        Utf8Scan scan;
        scan.Take(text);
        EXPECT_EQ(scan.Valid(), valid);
    }
}

TEST(TextEncoding, ReadsWindows1252WhenNotUtf8)
{
    const std::pair<std::string, std::string> cases[] = {
        {"Caf\xe9", "Caf\xc3\xa9"},
        {"\x80", "\xe2\x82\xac"},
        {"\x9f", "\xc5\xb8"},  // Ÿ
        {"\x99", "\xe2\x84\xa2"},  // ™
        {"\xa0\xff", "\xc2\xa0\xc3\xbf"},
        {"\x81\x8d\x8f\x90\x9d", "\xc2\x81\xc2\x8d\xc2\x8f\xc2\x90\xc2\x9d"},
        {"M\xfcller \xc3\xa9", "M\xc3\xbcller \xc3\x83\xc2\xa9"},  // one bad byte: all 1252
        {"Caf\xc3\xa9", "Caf\xc3\xa9"},  // valid UTF-8 stays
    };
    for (const auto& [in, out] : cases) {
        SCOPED_TRACE(testing::PrintToString(in));
        EXPECT_EQ(Utf8FromUtf8OrWindows1252(in), out);
    }
}

TEST(TextEncoding, EveryWindows1252ByteBecomesItsOwnCharacter)
{
    std::set<std::string> seen;
    for (int byte = 0x80; byte <= 0xff; ++byte) {
        // Behind a lone 0xFF the text is never UTF-8, so each byte is converted.
        const std::string converted =
            Utf8FromUtf8OrWindows1252(std::string(1, static_cast<char>(byte)) + "\xff");
        SCOPED_TRACE(byte);
        EXPECT_TRUE(IsValidUtf8(converted));
        EXPECT_EQ(converted.substr(converted.size() - 2), "\xc3\xbf");
        seen.insert(converted);
    }
    EXPECT_EQ(seen.size(), 128u);
    for (int byte = 0; byte < 0x80; ++byte)
        EXPECT_EQ(Utf8FromUtf8OrWindows1252(std::string(1, static_cast<char>(byte)) + "\xff"),
                  std::string(1, static_cast<char>(byte)) + "\xc3\xbf");
}

TEST(TextEncoding, TranslatesLineEnds)
{
    const std::pair<std::string, std::string> toLf[] = {
        {"a\r\nb", "a\nb"}, {"\r\n\r\n", "\n\n"}, {"a\rb", "a\rb"},   {"a\nb", "a\nb"},
        {"\r\r\n", "\r\n"}, {"\n\r", "\n\r"},     {"end\r", "end\r"}, {"", ""},
    };
    for (const auto& [in, out] : toLf) {
        SCOPED_TRACE(testing::PrintToString(in));
        EXPECT_EQ(CrLfToLf(in), out);
    }
    const std::pair<std::string, std::string> toCrLf[] = {
        {"a\nb", "a\r\nb"}, {"\n\n", "\r\n\r\n"}, {"a\r\nb", "a\r\r\nb"}, {"a\rb", "a\rb"}, {"", ""},
    };
    for (const auto& [in, out] : toCrLf) {
        SCOPED_TRACE(testing::PrintToString(in));
        EXPECT_EQ(LfToCrLf(in), out);
        EXPECT_EQ(CrLfToLf(LfToCrLf(in)), in);
    }
}

// The long texts are passed eight bytes and counted 255 bytes at a time:
// a line feed on either side of those steps, and bytes that differ from
// it only in the high bit, must come out as one at a time would.
TEST(TextEncoding, LineFeedsFoundAroundEveryStep)
{
    for (const std::size_t size : {1, 7, 8, 9, 16, 17, 254, 255, 256, 511, 600}) {
        for (const std::size_t at : {std::size_t{0}, size / 2, size - 1}) {
            SCOPED_TRACE(std::to_string(size) + " bytes, line feed at " + std::to_string(at));
            std::string text(size, 'a');
            for (std::size_t i = 3; i < size; i += 5)
                text[i] =
                    static_cast<char>(i % 2 ? 0x8A : 0x0B);  // 0x0A and 0x0D with the high bit, and 0x0B
            text[at] = '\n';
            std::string expected;
            for (const char c : text)
                expected += c == '\n' ? std::string("\r\n") : std::string(1, c);
            EXPECT_EQ(LfToCrLf(text), expected);
            EXPECT_EQ(CountByte(text, '\n'), 1u);
            EXPECT_EQ(CountByte(expected, '\r'), 1u);
            EXPECT_EQ(CountByte(std::string(size, '\r'), '\r'), size);
        }
    }
}

// Long texts are looked at 16 and 64 bytes at a time: a pair, a lone CR
// or a non-ASCII byte on either side of those steps must count as one at
// a time would, and 5,000 pairs overflow no counter.
TEST(TextEncoding, PairsAndEncodingsFoundAroundEveryStep)
{
    for (std::size_t at = 0; at + 2 <= 150; ++at) {
        SCOPED_TRACE("at " + std::to_string(at));
        std::string text(150, 'a');
        text.replace(at, 2, "\r\n");
        EXPECT_EQ(CountCrLf(text), 1u);
        text[at + 1] = 'a';
        EXPECT_EQ(CountCrLf(text), 0u);
        for (const auto& [inserted, valid] : {std::pair{"\xe9"s, false}, std::pair{"\xc3\xa9"s, true}}) {
            std::string encoded(150, 'a');
            encoded.insert(at, inserted);
            Utf8Scan whole;
            whole.Take(encoded);
            EXPECT_EQ(whole.Valid(), valid);
            EXPECT_EQ(whole.Windows1252Length(), 150 + 2 * inserted.size());
            Utf8Scan cut;
            cut.Take(std::string_view(encoded).substr(0, at + 1));
            cut.Take(std::string_view(encoded).substr(at + 1));
            EXPECT_EQ(cut.Valid(), valid);
        }
    }
    std::string pairs;
    for (int i = 0; i < 5000; ++i)
        pairs += "\r\n";
    EXPECT_EQ(CountCrLf(pairs), 5000u);
    EXPECT_EQ(CountCrLf("a" + pairs), 5000u);
}

}  // namespace
