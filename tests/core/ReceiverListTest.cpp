#include <gtest/gtest.h>

#include "ResultTesting.h"
#include "core/release/ReceiverList.h"

namespace {

struct CollectCase {
    const char* name;
    std::string receivers;
    int delimiter;
    std::string expected;
};

TEST(CollectReceivers, FindsAndJoinsAddresses)
{
    const CollectCase cases[] = {
        {"semicolon", "a@x.org, b@y.org", 0, "a@x.org; b@y.org"},
        {"comma", "a@x.org, b@y.org", 1, "a@x.org, b@y.org"},
        {"space", "a@x.org, b@y.org", 2, "a@x.org b@y.org"},
        {"newline", "a@x.org, b@y.org", 3, "a@x.org\nb@y.org"},
        {"unknown setting joins like semicolon", "a@x.org b@y.org", 7, "a@x.org; b@y.org"},
        {"negative setting joins like semicolon", "a@x.org b@y.org", -1, "a@x.org; b@y.org"},
        {"last address keeps its last character", "a@x.org", 0, "a@x.org"},
        {"leading blank line and blanks", "\n   a@x.org", 0, "a@x.org"},
        {"one address per line in line order", "c@z.org\na@x.org\nb@y.org\n", 0, "c@z.org; a@x.org; b@y.org"},
        {"two at signs in one word", "a@b@c", 0, "a@b@c; b@c"},
        {"two at signs, then another address", "a@b@c d@e", 0, "a@b@c; b@c; d@e"},
        {"the next address begins after the last at sign", "a@b,c@d", 0, "a@b; c@d"},
        {"neighbouring at signs", "a@@b", 0, "a@@b; @b"},
        {"at sign alone", "x @ y", 0, "@"},
        {"no at sign", "nobody here", 0, ""},
        {"empty", "", 3, ""},
        {"tab and semicolon separate", "a@x\tb@y;c@z", 2, "a@x b@y c@z"},
        {"carriage return is part of the address", "a@x\r\nb@y", 0, "a@x\r; b@y"},
        {"other characters are kept", "<A@X.org> \"Name\"", 0, "<A@X.org>"},
        {"duplicates stay", "a@x a@x", 0, "a@x; a@x"},
        {"word before the address is not part of it", "mail:a@x", 0, "mail:a@x"},
        {"UTF-8 stays whole", "jürgen@bäcker.de", 0, "jürgen@bäcker.de"},
    };
    for (const CollectCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ValueOf(CollectReceivers(c.receivers, c.delimiter)), c.expected);
    }
}

TEST(CollectReceivers, KeepsEveryAddressBeyondTheFirst1024)
{
    std::string receivers;
    std::string expected;
    for (int i = 0; i < 1500; ++i) {
        const std::string address = "r" + std::to_string(i) + "@x.org";
        receivers += address + "\n";
        expected += (i == 0 ? "" : ", ") + address;
    }
    EXPECT_EQ(ValueOf(CollectReceivers(receivers, 1)), expected);
}

TEST(CollectReceivers, GivesUpOnceTheJoinedListPassesItsLimit)
{
    // Without separators every "@" takes the rest of the run with it.
    std::string piped;
    for (int i = 0; i < 8000; ++i)
        piped += "receiver" + std::to_string(i) + "@example.org|";
    EXPECT_EQ(ValueOf(CollectReceivers(piped, 0)), std::nullopt);
    EXPECT_EQ(ValueOf(CollectReceivers(std::string(100000, '@'), 0)), std::nullopt);

    // Three "@" and a tail of t characters join to 3t + 10 bytes; the limit
    // is 16 MiB plus twice the text, 2t + 6.
    const std::size_t tail = kMaxCollectedReceiversBytes - 4;
    EXPECT_EQ(ValueOf(CollectReceivers("@@@" + std::string(tail, 'x'), 0)).value().size(), 3 * tail + 10);
    EXPECT_EQ(ValueOf(CollectReceivers("@@@" + std::string(tail + 1, 'x'), 0)), std::nullopt);
}

TEST(CollectReceivers, KeepsALongPlainListWhole)
{
    std::string receivers;
    for (int i = 0; i < 1500000; ++i)
        receivers += "r" + std::to_string(i) + "@x.org\n";
    const std::optional<std::string> joined = ValueOf(CollectReceivers(receivers, 0));
    ASSERT_TRUE(joined.has_value());
    EXPECT_GT(joined->size(), kMaxCollectedReceiversBytes);
    EXPECT_EQ(joined->size(), receivers.size() - 1 + 1500000 - 1);
}

TEST(ReceiverSeparator, ForEachSetting)
{
    const std::pair<int, std::string> cases[] = {
        {0, "; "}, {1, ", "}, {2, " "}, {3, "\n"}, {4, "; "}, {-5, "; "},
    };
    for (const auto& [delimiter, separator] : cases) {
        SCOPED_TRACE(delimiter);
        EXPECT_EQ(ReceiverSeparator(delimiter), separator);
    }
}

}  // namespace
