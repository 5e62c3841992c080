#include <gtest/gtest.h>

#include "ResultTesting.h"
#include "TempHome.h"
#include "core/documents/ReceiverFile.h"
#include "core/files/SafeFileWriter.h"
#include "core/receivers/ReceiverList.h"

namespace {

using namespace std::string_literals;

TEST(ReceiverFile, ExportWritesTheCollectedAddressesWithDosLineEnds)
{
    struct Case {
        const char* name;
        std::string receivers;
        int delimiter;
        std::string bytes;
    };
    const Case cases[] = {
        {"no at sign gives an empty file", "nobody\nhere", 3, ""},
        {"newline gives CR LF between two addresses", "a@x.org\nb@y.org\n", 3, "a@x.org\r\nb@y.org"},
        {"comma and space", "a@x.org b@y.org", 1, "a@x.org, b@y.org"},
        {"semicolon and space", "a@x.org\tb@y.org", 0, "a@x.org; b@y.org"},
        {"space", "a@x.org;b@y.org", 2, "a@x.org b@y.org"},
        {"unknown setting", "a@x.org b@y.org", 9, "a@x.org; b@y.org"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ReceiverExportBytes(CollectReceivers(c.receivers, c.delimiter).joined), c.bytes);
    }
}

TEST(ReceiverFile, ImportTakesTheWholeTextAndOneLineFeed)
{
    const std::pair<std::string, std::string> cases[] = {
        {"", "\n"},
        {"a@x.org\r\n", "a@x.org\n\n"},
        {"a@x.org\r\nb@y.org", "a@x.org\nb@y.org\n"},
        {"a@x.org\nb@y.org\n", "a@x.org\nb@y.org\n\n"},
        {"a\rb", "a\rb\n"},
        {"a@x.org\0b@y.org"s, "a@x.org\n"},
        {"\0"s, "\n"},
        {"M\xfcller@x.de; \x80", "M\xc3\xbcller@x.de; \xe2\x82\xac\n"},
        {"J\xc3\xbcrgen@x.de", "J\xc3\xbcrgen@x.de\n"},
        {"any text, not parsed: \"a\",\"b\"", "any text, not parsed: \"a\",\"b\"\n"},
    };
    for (const auto& [bytes, receivers] : cases) {
        SCOPED_TRACE(testing::PrintToString(bytes));
        EXPECT_EQ(ReceiversFromImportBytes(bytes), receivers);
    }
}

TEST(ReceiverFile, ExportThenImportGivesTheJoinedListAndOneLineFeed)
{
    TempHome home;
    const std::string path = home.sandbox() + "/receivers.csv";
    std::string receivers;
    for (int i = 0; i < 3000; ++i)  // far beyond the 16383 characters once read
        receivers += "receiver" + std::to_string(i) + "@example.org\n";
    for (int delimiter = 0; delimiter <= 3; ++delimiter) {
        SCOPED_TRACE(delimiter);
        const std::string collected = CollectReceivers(receivers, delimiter).joined;
        ASSERT_TRUE(WriteFileAtomically(path, ReceiverExportBytes(collected)));
        const Result<std::string> bytes = ReadWholeFile(path, kMaxImportBytes);
        ASSERT_TRUE(bytes);
        EXPECT_EQ(ReceiversFromImportBytes(*bytes), collected + "\n");
    }
}

TEST(ReceiverFile, ImportReadsUpTo16MiB)
{
    TempHome home;
    const std::string path = home.sandbox() + "/big.csv";
    WriteFileBytes(path, std::string(kMaxImportBytes, 'a'));
    const Result<std::string> bytes = ReadWholeFile(path, kMaxImportBytes);
    ASSERT_TRUE(bytes);
    EXPECT_EQ(bytes->size(), kMaxImportBytes);
    WriteFileBytes(path, std::string(kMaxImportBytes + 1, 'a'));
    EXPECT_EQ(FailureOf(ReadWholeFile(path, kMaxImportBytes)), Failure::TooLarge);
}

}  // namespace
