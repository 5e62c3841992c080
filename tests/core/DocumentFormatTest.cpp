#include <climits>
#include <gtest/gtest.h>

#include "FormSamples.h"
#include "core/documents/DocumentFormat.h"

namespace {

using namespace std::string_literals;

// The fields in file order, stated apart from the reader so that a reader
// with its records out of order fails. Record 16 (the delimiter setting)
// is not part of the form.
using CopyField = void (*)(FormValues& to, const FormValues& from);
const CopyField kFileOrder[kDocumentRecordCount] = {
    [](FormValues& t, const FormValues& f) { t.productName = f.productName; },
    [](FormValues& t, const FormValues& f) { t.productVersion = f.productVersion; },
    [](FormValues& t, const FormValues& f) { t.price = f.price; },
    [](FormValues& t, const FormValues& f) { t.operatingSystem = f.operatingSystem; },
    [](FormValues& t, const FormValues& f) { t.imageUrl = f.imageUrl; },
    [](FormValues& t, const FormValues& f) { t.featuresText = f.featuresText; },
    [](FormValues& t, const FormValues& f) { t.productType = f.productType; },
    [](FormValues& t, const FormValues& f) { t.otherTypeText = f.otherTypeText; },
    [](FormValues& t, const FormValues& f) { t.productUrl = f.productUrl; },
    [](FormValues& t, const FormValues& f) { t.trialAvailable = f.trialAvailable; },
    [](FormValues& t, const FormValues& f) { t.trialKind = f.trialKind; },
    [](FormValues& t, const FormValues& f) { t.trialLimit = f.trialLimit; },
    [](FormValues& t, const FormValues& f) { t.companyName = f.companyName; },
    [](FormValues& t, const FormValues& f) { t.contactName = f.contactName; },
    [](FormValues& t, const FormValues& f) { t.contactEmail = f.contactEmail; },
    [](FormValues&, const FormValues&) {},
    [](FormValues& t, const FormValues& f) { t.receivers = f.receivers; },
};

// kept with its first `records` fields taken from applied.
FormValues FirstRecordsApplied(const FormValues& applied, FormValues kept, int records)
{
    for (int i = 0; i < records; ++i)
        kFileOrder[i](kept, applied);
    return kept;
}

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
    FormValues form = OtherForm();
    const DocumentReadOutcome outcome = ReadDocumentBytes(kSampleDocument, form);
    EXPECT_FALSE(outcome.damaged);
    EXPECT_EQ(outcome.recordsApplied, kDocumentRecordCount);
    EXPECT_EQ(outcome.receiverDelimiter, 3);
    EXPECT_EQ(Describe(form), Describe(SampleForm()));
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
        FormValues read = OtherForm();
        const DocumentReadOutcome outcome = ReadDocumentBytes(bytes, read);
        EXPECT_FALSE(outcome.damaged);
        EXPECT_EQ(outcome.receiverDelimiter, delimiter);
        EXPECT_EQ(Describe(read), Describe(written));
        EXPECT_EQ(WriteDocumentBytes(read, *outcome.receiverDelimiter), bytes);
    }
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
        FormValues form = OtherForm();
        EXPECT_FALSE(ReadDocumentBytes(DocumentWithRecord(SampleForm(), 7, record), form).damaged);
        EXPECT_EQ(form.productType, c.number);

        form = OtherForm();
        ReadDocumentBytes(DocumentWithRecord(SampleForm(), 11, record), form);
        EXPECT_EQ(form.trialKind, c.number);

        form = OtherForm();
        ReadDocumentBytes(DocumentWithRecord(SampleForm(), 10, record), form);
        EXPECT_EQ(form.trialAvailable, c.number != 0);

        form = OtherForm();
        EXPECT_EQ(ReadDocumentBytes(DocumentWithRecord(SampleForm(), 16, record), form).receiverDelimiter,
                  c.number);
    }
}

TEST(DocumentFormat, CheckBoxHolding2IsWrittenBackAs1)
{
    FormValues form;
    ReadDocumentBytes(DocumentWithRecord(SampleForm(), 10, "1 2"), form);
    EXPECT_TRUE(form.trialAvailable);
    EXPECT_NE(WriteDocumentBytes(form, 0).find("12 http://x.org1 11 1"), std::string::npos);
}

TEST(DocumentFormat, DelimiterHolding7IsReportedAsIs)
{
    FormValues form;
    const auto outcome = ReadDocumentBytes(DocumentWithRecord(SampleForm(), 16, "1 7"), form);
    EXPECT_EQ(outcome.receiverDelimiter, 7);
    EXPECT_EQ(WriteDocumentBytes(form, *outcome.receiverDelimiter),
              DocumentWithRecord(SampleForm(), 16, "1 7"));
}

TEST(DocumentFormat, ReadsValuesAsTheFileHoldsThem)
{
    struct Case {
        const char* name;
        std::string record;  // raw bytes of record 1
        std::string productName;
    };
    const Case cases[] = {
        {"NUL ends the value, the rest of the length is skipped", "5 ab\0cd"s, "ab"},
        {"Windows-1252 text", "9 Caf\xe9 \x80 \x93\x94"s, "Café € “”"},
        {"undefined Windows-1252 bytes are kept", "2 \x81\x9d"s, "\xc2\x81\xc2\x9d"},
        {"valid UTF-8 stays", "9 Caf\xc3\xa9 \xe2\x82\xac"s, "Café €"},
        {"lone CR and lone LF count as one character", "4 a\rb\n"s, "a\rb\n"},
        {"CR LF counts as one character", "3 a\r\nb"s, "a\nb"},
        {"length text with sign and leading line feed", "\n+3 abc"s, "abc"},
        {"length text of 1023 characters", std::string(1022, '0') + "3 abc", "abc"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FormValues form = OtherForm();
        const auto outcome = ReadDocumentBytes(DocumentWithRecord(SampleForm(), 1, c.record), form);
        EXPECT_FALSE(outcome.damaged);
        EXPECT_EQ(outcome.recordsApplied, kDocumentRecordCount);
        EXPECT_EQ(form.productName, c.productName);
        EXPECT_EQ(form.productVersion, "2.1");
    }
}

TEST(DocumentFormat, DamagedDocumentsKeepTheFieldsBeforeTheDamage)
{
    const std::string intact = kSampleDocument;
    const std::size_t record17 = intact.rfind("16 a@x.org");
    const std::string first16 = intact.substr(0, record17);
    struct Case {
        const char* name;
        std::string bytes;
        int recordsApplied;
    };
    const Case cases[] = {
        {"empty file", "", 0},
        {"ends inside a length", "1", 0},
        {"ends inside the fifth value", intact.substr(0, intact.find("x.org/i")), 4},
        {"ends after 16 records", first16, 16},
        {"ends after the length of the last record", first16 + "16", 16},
        {"last value cut short", first16 + "16 a@x.org", 16},
        {"length text of 1024 characters", std::string(1023, '0') + "7 Vantrel", 0},
        {"length text of 5000 characters without a space", std::string(5000, '1'), 0},
        {"negative length", DocumentWithRecord(SampleForm(), 3, "-3 $49"), 2},
        {"negative length at the end", "7 Vantrel-1 ", 1},
        {"length beyond the end", DocumentWithRecord(SampleForm(), 9, "999 http://x.org"), 8},
        {"length beyond every integer", "99999999999999999999999999 x", 0},
        {"length text without a digit", DocumentWithRecord(SampleForm(), 2, "x 2.1"), 1},
        {"length text of a sign alone", DocumentWithRecord(SampleForm(), 5, "+ "), 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FormValues form = OtherForm();
        const DocumentReadOutcome outcome = ReadDocumentBytes(c.bytes, form);
        EXPECT_TRUE(outcome.damaged);
        EXPECT_EQ(outcome.recordsApplied, c.recordsApplied);
        EXPECT_EQ(outcome.receiverDelimiter.has_value(), c.recordsApplied >= 16);
        EXPECT_EQ(Describe(form), Describe(FirstRecordsApplied(SampleForm(), OtherForm(), c.recordsApplied)));
    }
}

TEST(DocumentFormat, BytesAfterTheLastRecordAreIgnored)
{
    FormValues form;
    const auto outcome = ReadDocumentBytes(kSampleDocument + "trailing", form);
    EXPECT_FALSE(outcome.damaged);
    EXPECT_EQ(Describe(form), Describe(SampleForm()));
}

}  // namespace
