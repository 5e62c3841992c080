#include <climits>
#include <gtest/gtest.h>
#include <vector>

#include "FormSamples.h"
#include "core/documents/DocumentFormat.h"

namespace {

using namespace std::string_literals;

// The document of form and delimiter with record `number` (1-based)
// holding the raw bytes `record` instead.
std::string DocumentWithRecord(const FormValues& form, int number, const std::string& record)
{
    const std::string bytes = WriteDocumentBytes(form, 0);
    std::size_t begin = 0;
    std::size_t end = 0;
    for (int i = 1; i <= number; ++i) {
        begin = end;
        const std::size_t space = bytes.find(' ', begin);
        const std::size_t length = std::stoul(bytes.substr(begin, space - begin));
        std::size_t valueEnd = space + 1;
        for (std::size_t chars = 0; chars < length; ++chars, ++valueEnd)
            if (bytes.compare(valueEnd, 2, "\r\n") == 0)
                ++valueEnd;
        end = valueEnd;
    }
    return bytes.substr(0, begin) + record + bytes.substr(end);
}

TEST(DocumentFormat, WritesTheCompleteDocumentByteForByte)
{
    EXPECT_EQ(WriteDocumentBytes(SampleForm(), 3), kSampleDocument);
}

TEST(DocumentFormat, ByteVectorsOfSingleRecords)
{
    FormValues empty;
    empty.productUrl.clear();
    empty.imageUrl.clear();
    EXPECT_EQ(WriteDocumentBytes(empty, 0), "0 0 0 0 0 0 1 00 0 1 01 00 0 0 0 1 00 ");

    struct Case {
        const char* name;
        FormValues form;
        int delimiter;
        std::string expectedPart;
    };
    FormValues features = empty;
    features.featuresText = "Hello\nWorld!";  // 12 characters, 13 bytes on disk
    FormValues lastType = empty;
    lastType.productType = 27;
    FormValues noSelection = empty;
    noSelection.productType = -1;
    noSelection.trialKind = -1;
    FormValues utf8 = empty;
    utf8.productName = "Café €";
    const Case cases[] = {
        {"two-line features text", features, 0, "12 Hello\r\nWorld!1 0"},
        {"last product type", lastType, 0, "0 2 270 "},
        {"no selection", noSelection, 0, "0 2 -10 0 1 02 -10 "},
        {"delimiter setting", empty, 2, "0 1 20 "},
        {"length counts UTF-8 bytes", utf8, 0, "9 Café €0 "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_NE(WriteDocumentBytes(c.form, c.delimiter).find(c.expectedPart), std::string::npos)
            << WriteDocumentBytes(c.form, c.delimiter);
    }
}

TEST(DocumentFormat, ReadsTheCompleteDocument)
{
    const Result<Document> document = ReadDocumentBytes(kSampleDocument);
    ASSERT_TRUE(document);
    EXPECT_EQ(document->receiverDelimiter, 3);
    EXPECT_EQ(Describe(document->form), Describe(SampleForm()));
    EXPECT_TRUE(document->cutAtNul.empty());
}

TEST(DocumentFormat, RoundTripGivesTheSameBytes)
{
    FormValues unusual = SampleForm();
    unusual.productName = "12 34 ";  // digits and blanks in a value
    unusual.featuresText = "a\r\nb\rc\n\nd\n";  // CR LF, lone CR, empty lines
    unusual.receivers = std::string(100000, 'r') + "@x.org";  // far beyond 16383
    unusual.companyName = "Zürich Ärzte €";
    unusual.productType = -1;
    unusual.trialKind = 6;
    unusual.trialAvailable = false;
    FormValues unchecked = SampleForm();
    unchecked.trialAvailable = false;

    const std::pair<FormValues, int> cases[] = {
        {SampleForm(), 0}, {SampleForm(), 1}, {SampleForm(), 2}, {SampleForm(), 3},
        {unchecked, 0},    {unusual, 3},      {FormValues{}, 0}, {SampleForm(), 7},
    };
    for (const auto& [written, delimiter] : cases) {
        SCOPED_TRACE(Describe(written).substr(0, 200) + " delimiter " + std::to_string(delimiter));
        const std::string bytes = WriteDocumentBytes(written, delimiter);
        const Result<Document> read = ReadDocumentBytes(bytes);
        ASSERT_TRUE(read);
        EXPECT_EQ(read->receiverDelimiter, delimiter);
        EXPECT_EQ(Describe(read->form), Describe(written));
        EXPECT_EQ(WriteDocumentBytes(read->form, read->receiverDelimiter), bytes);
    }
}

// The document with record `number` replaced, read; the test fails when it is damaged.
Document ReadWithRecord(int number, const std::string& record)
{
    Result<Document> document = ReadDocumentBytes(DocumentWithRecord(SampleForm(), number, record));
    EXPECT_TRUE(document) << "record " << number << " [" << record << "]";
    return document ? *std::move(document) : Document{};
}

TEST(DocumentFormat, ReadsNumbersAsStrtolDoes)
{
    struct Case {
        std::string value;
        int number;
    };
    const Case cases[] = {
        {"3", 3},
        {"-1", -1},
        {"+4", 4},
        {" \t5", 5},
        {"6abc", 6},
        {"abc", 0},
        {"", 0},
        {"0", 0},
        {"2", 2},
        {"99999999999", INT_MAX},
        {"-99999999999", INT_MIN},
        {"- 3", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("value [" + c.value + "]");
        const std::string record = std::to_string(c.value.size()) + " " + c.value;
        EXPECT_EQ(ReadWithRecord(7, record).form.productType, c.number);
        EXPECT_EQ(ReadWithRecord(11, record).form.trialKind, c.number);
        EXPECT_EQ(ReadWithRecord(10, record).form.trialAvailable, c.number != 0);
        EXPECT_EQ(ReadWithRecord(16, record).receiverDelimiter, c.number);
    }
}

TEST(DocumentFormat, CheckBoxHolding2IsWrittenBackAs1)
{
    const Document document = ReadWithRecord(10, "1 2");
    EXPECT_TRUE(document.form.trialAvailable);
    EXPECT_NE(WriteDocumentBytes(document.form, 0).find("12 http://x.org1 11 1"), std::string::npos);
}

TEST(DocumentFormat, DelimiterHolding7IsReportedAsIs)
{
    const Document document = ReadWithRecord(16, "1 7");
    EXPECT_EQ(document.receiverDelimiter, 7);
    EXPECT_EQ(WriteDocumentBytes(document.form, document.receiverDelimiter),
              DocumentWithRecord(SampleForm(), 16, "1 7"));
}

TEST(DocumentFormat, ReadsValuesAsTheFileHoldsThem)
{
    struct Case {
        const char* name;
        std::string record;  // raw bytes of record 1
        std::string productName;
        std::vector<std::string> cutAtNul;
    };
    const Case cases[] = {
        {"NUL ends the value, the rest of the length is skipped", "5 ab\0cd"s, "ab", {"Product name"}},
        {"NUL as the first byte", "2 \0x"s, "", {"Product name"}},
        {"Windows-1252 text", "9 Caf\xe9 \x80 \x93\x94"s, "Café € “”", {}},
        {"undefined Windows-1252 bytes are kept", "2 \x81\x9d"s, "\xc2\x81\xc2\x9d", {}},
        {"valid UTF-8 stays", "9 Caf\xc3\xa9 \xe2\x82\xac"s, "Café €", {}},
        {"lone CR and lone LF count as one character", "4 a\rb\n"s, "a\rb\n", {}},
        {"CR LF counts as one character", "3 a\r\nb"s, "a\nb", {}},
        {"length text of 1023 characters", std::string(1022, '0') + "3 abc", "abc", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Document document = ReadWithRecord(1, c.record);
        EXPECT_EQ(document.form.productName, c.productName);
        EXPECT_EQ(document.form.productVersion, "2.1");
        EXPECT_EQ(document.cutAtNul, c.cutAtNul);
    }
    // Every text field that loses bytes is named, in file order.
    FormValues form = SampleForm();
    form.receivers = "a@x.org"s + '\0' + "b@x.org";
    form.price = "$49"s + '\0';
    const Result<Document> both = ReadDocumentBytes(WriteDocumentBytes(form, 0));
    ASSERT_TRUE(both);
    EXPECT_EQ(both->cutAtNul, (std::vector<std::string>{"Price", "Receivers"}));
    EXPECT_EQ(both->form.receivers, "a@x.org");
}

TEST(DocumentFormat, DamagedDocumentsAreNotReadAtAll)
{
    const std::string intact = kSampleDocument;
    const std::size_t record17 = intact.rfind("16 a@x.org");
    const std::string first16 = intact.substr(0, record17);
    const std::pair<const char*, std::string> cases[] = {
        {"empty file", ""},
        {"ends inside a length", "1"},
        {"ends inside the fifth value", intact.substr(0, intact.find("x.org/i"))},
        {"ends after 16 records", first16},
        {"ends after the length of the last record", first16 + "16"},
        {"last value cut short", first16 + "16 a@x.org"},
        {"length text of 1024 characters", std::string(1023, '0') + "7 Vantrel"},
        {"length text of 5000 characters without a space", std::string(5000, '1')},
        {"negative length", DocumentWithRecord(SampleForm(), 3, "-3 $49")},
        {"negative length at the end", "7 Vantrel-1 "},
        {"length beyond the end", DocumentWithRecord(SampleForm(), 9, "999 http://x.org")},
        {"length beyond every integer", "99999999999999999999999999 x"},
        {"length text without a digit", DocumentWithRecord(SampleForm(), 2, "x 2.1")},
        {"length text of a sign alone", DocumentWithRecord(SampleForm(), 5, "+ ")},
        {"length text with a sign", DocumentWithRecord(SampleForm(), 2, "+3 2.1")},
        {"length text with a blank before it", DocumentWithRecord(SampleForm(), 2, " 3 2.1")},
        {"length text with a line feed before it", DocumentWithRecord(SampleForm(), 2, "\n3 2.1")},
        {"length text with letters after the digits", DocumentWithRecord(SampleForm(), 2, "3abc 2.1")},
        {"empty length text", DocumentWithRecord(SampleForm(), 2, " 2.1")},
        {"random bytes", "\xff\xd8\xff\xe0\x00\x10JFIF\x00\x01"s},
    };
    for (const auto& [name, bytes] : cases) {
        SCOPED_TRACE(name);
        const Result<Document> document = ReadDocumentBytes(bytes);
        ASSERT_FALSE(document);
        EXPECT_EQ(document.failure(), Failure::Damaged);
    }
}

TEST(DocumentFormat, BytesAfterTheLastRecordAreIgnored)
{
    const Result<Document> document = ReadDocumentBytes(kSampleDocument + "trailing");
    ASSERT_TRUE(document);
    EXPECT_EQ(Describe(document->form), Describe(SampleForm()));
}

// The last record is read in the place of the bytes, or left out for the
// commands that never use the receivers: either way the same damage is
// refused and the other values are the same.
TEST(DocumentFormat, LastRecordReadInPlaceOrLeftOut)
{
    const std::string intact = kSampleDocument;
    const std::string first16 = intact.substr(0, intact.rfind("16 a@x.org"));
    struct Case {
        const char* name;
        std::string bytes;
        bool damaged;
        std::string receivers;
        std::vector<std::string> cutAtNul;
    };
    const Case cases[] = {
        {"whole document", intact, false, SampleForm().receivers, {}},
        {"CR LF, lone CR, NUL", first16 + "7 a\r\nb\rc\0d"s, false, "a\nb\rc", {"Receivers"}},
        {"Windows-1252", first16 + "2 \xe9\r\n", false, "\xc3\xa9\n", {}},
        {"line ends beside every eighth byte",
         first16 + "23 0123456\r\n89abcdef\r\n\r\nxyz\r!",
         false,
         "0123456\n89abcdef\n\nxyz\r!",
         {}},
        {"empty", first16 + "0 ", false, "", {}},
        {"cut short", first16 + "16 a@x.org", true, "", {}},
        {"ends early once CR LF counts as one", first16 + "4 a\r\nb", true, "", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Result<Document> read = ReadDocumentTakingBytes(c.bytes);
        const Result<Document> skipped = ReadDocumentBytes(c.bytes, ReceiversText::Skip);
        ASSERT_EQ(!read, c.damaged);
        ASSERT_EQ(!skipped, c.damaged);
        if (c.damaged)
            continue;
        EXPECT_EQ(read->form.receivers, c.receivers);
        EXPECT_EQ(read->cutAtNul, c.cutAtNul);
        EXPECT_TRUE(skipped->cutAtNul.empty());
        FormValues withReceivers = skipped->form;
        withReceivers.receivers = c.receivers;
        EXPECT_EQ(Describe(withReceivers), Describe(read->form));
        EXPECT_EQ(skipped->receiverDelimiter, read->receiverDelimiter);
    }
}

// Read piece by piece, a document gives what it gives read whole: pieces
// of one byte split every CR LF pair and length text, and a field longer
// than the first try at the records before the receivers makes it try again.
TEST(DocumentFormat, ReadInPiecesAsReadWhole)
{
    const std::string intact = kSampleDocument;
    FormValues longFeatures = SampleForm();
    longFeatures.featuresText = std::string(100000, 'f') + "\n";
    longFeatures.receivers = "a@x.org\nb@x.org\n";
    const std::string longHead = WriteDocumentBytes(longFeatures, 2);
    const std::string first16 = intact.substr(0, intact.rfind("16 a@x.org"));
    std::string manyLines;
    for (int i = 0; i < 20000; ++i)
        manyLines += "a@x.org\r\n";  // 8 characters each
    const std::pair<const char*, std::string> cases[] = {
        {"whole document", intact},
        {"long field before the receivers", longHead},
        {"long receivers", first16 + "160000 " + manyLines},
        {"long receivers one short", first16 + "160001 " + manyLines},
        {"CR LF at the end", first16 + "2 a\r\n"},
        {"CR LF one short", first16 + "3 a\r\n"},
        {"lone CR at the end", first16 + "2 a\r"},
        {"long field, receivers cut short", longHead.substr(0, longHead.size() - 3)},
        {"ends inside the features", longHead.substr(0, 50000)},
        {"no length of the receivers", first16},
        {"empty", ""},
    };
    for (const auto& [name, bytes] : cases) {
        const Result<Document> whole = ReadDocumentBytes(bytes, ReceiversText::Skip);
        for (const std::size_t size : {std::size_t{1}, std::size_t{7}, std::size_t{65536}}) {
            SCOPED_TRACE(std::string(name) + ", pieces of " + std::to_string(size));
            DocumentWithoutReceivers reader;
            for (std::size_t at = 0; at < bytes.size(); at += size)
                reader.Take(std::string_view(bytes).substr(at, size));
            const Result<Document> pieces = reader.Finish();
            ASSERT_EQ(!pieces, !whole);
            if (whole) {
                EXPECT_EQ(Describe(pieces->form), Describe(whole->form));
                EXPECT_EQ(pieces->receiverDelimiter, whole->receiverDelimiter);
                EXPECT_EQ(pieces->cutAtNul, whole->cutAtNul);
            }
        }
    }
}

}  // namespace
