#include <gtest/gtest.h>

#include "../fuzz/ReceiversInPieces.h"

namespace {

struct StoredCase {
    const char* name;
    std::string stored;
    int lengthShift;  // added to the length the writer would give
    int documentDelimiter;
    std::optional<int> option;
};

// Every way of cutting a short document: in two anywhere, and in pieces
// of one to seven bytes.
void ExpectSameInEveryCut(const std::string& bytes, std::optional<int> option, const char* name)
{
    const Result<std::string> whole = ReceiversReadWhole(bytes, option);
    for (std::size_t at = 0; at <= bytes.size(); ++at) {
        EXPECT_TRUE(SameResult(ReceiversReadInPieces(bytes, {at}, option), whole))
            << name << " cut at " << at;
        EXPECT_TRUE(SameResult(ReceiversCheckedThenPassed(bytes, {at}, option), whole))
            << name << " checked, cut at " << at;
    }
    for (std::size_t piece = 1; piece <= 7; ++piece) {
        std::vector<std::size_t> cuts;
        for (std::size_t at = piece; at < bytes.size(); at += piece)
            cuts.push_back(at);
        EXPECT_TRUE(SameResult(ReceiversReadInPieces(bytes, cuts, option), whole)) << name << " in " << piece;
    }
}

TEST(ReceiversOfDocument, GiveWhatTheWholeDocumentGives)
{
    const StoredCase cases[] = {
        {"one a line", "a@x.org\r\nb@y.org\r\n", 0, 0, {}},
        {"the document's delimiter", "a@x.org\r\nb@y.org", 0, 3, {}},
        {"the option's delimiter", "a@x.org\r\nb@y.org", 0, 3, 1},
        {"a stored number beyond the menu", "a@x b@y", 0, 7, {}},
        {"carriage return before a pair", "a@x\r\r\nb@y", 0, 0, {}},
        {"carriage return at the end", "a@x\r", 0, 0, {}},
        {"carriage return inside", "a@x\rb@y", 0, 0, {}},
        {"a pair ends the value", "a@x\r\n", 0, 0, {}},
        {"the value ends with a pair", "a@x\r\nb@y", -3, 0, {}},
        {"the value ends before a pair", "a@x\r\nb@y", -4, 0, {}},
        {"the value ends before the rest", "a@x b@y", -4, 0, {}},
        {"more characters than bytes follow", "a@x\r\nb@y", 1, 0, {}},
        {"no separators", "a@b@c@@d@", 0, 0, {}},
        {"at signs only", "@@@@", 0, 2, {}},
        {"cut at a zero byte", "a@x\0b@y", 0, 0, {}},
        {"carriage return before the zero byte", "a@x\r\0\nb@y", 0, 0, {}},
        {"zero byte first", std::string("\0a@x", 4), 0, 0, {}},
        {"Windows-1252",
         "j\xFCrgen@b\xE4"
         "cker.de\r\n\x80@x",
         0,
         0,
         {}},
        {"UTF-8", "j\xC3\xBCrgen@x \xE2\x82\xAC@y \xF0\x9F\x98\x80@z", 0, 0, {}},
        {"sequence cut by the end", "a@x\xC3", 0, 0, {}},
        {"surrogate", "\xED\xA0\x80@x", 0, 0, {}},
        {"above U+10FFFF", "\xF4\x90\x80\x80@x", 0, 0, {}},
        {"overlong", "\xE0\x80\x80@x", 0, 0, {}},
        {"invalid only after the zero byte", std::string("\xC3\xA9@x\0\xFF", 6), 0, 0, {}},
        {"empty", "", 0, 0, {}},
    };
    for (const StoredCase& c : cases) {
        const std::size_t length = StoredCharacters(c.stored) + c.lengthShift;
        ExpectSameInEveryCut(DocumentWithStoredReceivers(c.documentDelimiter, length, c.stored) + "tail@y",
                             c.option, c.name);
    }
    ExpectSameInEveryCut(DocumentWithStoredReceivers(0, 4, "a@x\r"), {}, "carriage return ends the document");
    ExpectSameInEveryCut("12 damaged", {}, "damaged");
    const std::string huge = DocumentWithStoredReceivers(0, 999999999999999999, "a@x");
    EXPECT_TRUE(SameResult(ReceiversReadInPieces(huge, {huge.size() - 1}, {}), ReceiversReadWhole(huge, {})))
        << "a length beyond any document";
    ExpectSameInEveryCut(DocumentWithStoredReceivers(0, 8, "a@x"), {}, "receivers cut short");
    // Sixteen bytes are looked at together: two at signs of one run, or of
    // two runs, on either side of such a step.
    for (const std::size_t gap : {0, 13, 14, 15, 16, 17, 30, 31, 47}) {
        for (const std::size_t separatorAt : {std::string::npos, gap / 2, gap}) {
            std::string between(gap + 1, 'y');
            if (separatorAt != std::string::npos)
                between[separatorAt] = ' ';
            const std::string stored = "x@" + between + "@z\r\n" + std::string(40, 'w') + "@v";
            ExpectSameInEveryCut(DocumentWithStoredReceivers(0, StoredCharacters(stored), stored), {},
                                 stored.c_str());
        }
    }
}

// 6,000 "@" in a row join to 18,014,998 bytes with "; ": within the limit
// while the value as read has 618,891 bytes, too long with one byte less.
TEST(ReceiversOfDocument, GiveUpAtTheSameBound)
{
    const std::string ats(6000, '@');
    const struct {
        const char* name;
        std::string stored;
        bool fits;
    } cases[] = {
        {"at the limit", ats + ' ' + std::string(612890, 'y'), true},
        {"one byte short", ats + ' ' + std::string(612889, 'y'), false},
        {"a pair is one byte", ats + ' ' + std::string(612888, 'y') + "\r\n", false},
        {"read as Windows-1252", ats + ' ' + std::string(612888, 'y') + "\xE9", true},
        {"far beyond", std::string(60000, '@'), false},
    };
    for (const auto& c : cases) {
        const std::string bytes = DocumentWithStoredReceivers(0, StoredCharacters(c.stored), c.stored);
        const Result<std::string> whole = ReceiversReadWhole(bytes, {});
        EXPECT_EQ(static_cast<bool>(whole), c.fits) << c.name;
        for (const std::vector<std::size_t>& cuts :
             {std::vector<std::size_t>{}, std::vector<std::size_t>{bytes.size() - 1},
              std::vector<std::size_t>{3000, bytes.size() / 2, bytes.size() / 2 + 1}}) {
            EXPECT_TRUE(SameResult(ReceiversReadInPieces(bytes, cuts, {}), whole)) << c.name;
            EXPECT_TRUE(SameResult(ReceiversCheckedThenPassed(bytes, cuts, {}), whole))
                << c.name << " checked";
        }
    }
}

// A list passed on is never held: it leaves in pieces of 256 KiB and the
// address that reaches that size, and an address longer than that on its
// own.
TEST(ReceiversOfDocument, PassTheListOnInPieces)
{
    std::string many;
    for (int i = 0; i < 100000; ++i)
        many += "a@x\r\n";
    const std::string huge = "a@x\r\nb@" + std::string(300000, 'c') + "\r\nd@y";
    const struct {
        std::string stored;
        std::vector<std::size_t> pieces;
    } cases[] = {
        // 100,000 addresses of 3 bytes joined by "; ": 499,998 bytes.
        {many, {262148, 237850}},
        {huge, {3, 2, 300002, 5}},
    };
    for (const auto& c : cases) {
        const std::string bytes = DocumentWithStoredReceivers(0, StoredCharacters(c.stored), c.stored);
        std::vector<std::size_t> pieces;
        std::string joined;
        ReceiversOfDocument reader({}, JoinedList::Passed, [&](std::string_view piece) {
            pieces.push_back(piece.size());
            joined += piece;
        });
        reader.Take(bytes);
        ASSERT_TRUE(reader.FinishPassing());
        EXPECT_EQ(pieces, c.pieces);
        EXPECT_EQ(joined, *ReceiversReadWhole(bytes, {}));
    }
}

}  // namespace
