// The one reading of the receivers field, and the lists made from it.
#include <gtest/gtest.h>

#include <cstdio>

#include "core/receivers/ReceiverList.h"

namespace {

using namespace std::string_literals;

std::string Taken(const ReceiverSelection& selection)
{
    std::string text;
    for (const Mailbox& mailbox : selection.receivers)
        text +=
            (text.empty() ? "" : "; ") + (mailbox.name.empty() ? "" : mailbox.name + "|") + mailbox.address;
    return text;
}

std::string LeftOut(const std::vector<SkippedReceiver>& skipped)
{
    std::string text;
    for (const SkippedReceiver& entry : skipped)
        text += (text.empty() ? "" : "; ") + entry.text + ": " + entry.reason;
    return text;
}

// Each entry is taken whole, or left out whole with why: never cut down to
// an address inside it. The delimiter plays no part in the reading.
TEST(ReceiverReading, EveryEntryWholeOrLeftOutWithWhy)
{
    const std::string local64(64, 'l'), label63(63, 'd');
    // 64 + 1 + 63 + 1 + 63 + 1 + 61 = 254 bytes; one more is 255.
    const std::string address254 =
        local64 + "@" + label63 + "." + label63 + "." + std::string(57, 'e') + ".org";
    ASSERT_EQ(address254.size(), 254u);
    struct Case {
        std::string receivers;
        std::string taken;  // "name|address" joined by "; "
        std::string skipped;  // "text: reason" joined by "; "
        std::size_t twice;
    };
    const Case cases[] = {
        {"bob@news.example, john@y.example, ann@paper.example",
         "bob@news.example; john@y.example; ann@paper.example", "", 0},
        {"a@x.org b@y.org\tc@z.org;d@w.org\ne@v.org", "a@x.org; b@y.org; c@z.org; d@w.org; e@v.org", "", 0},
        {"mark@devnews.example,", "mark@devnews.example", "", 0},
        {",, ;\n\n  \r\n;", "", "", 0},
        {"Jane Doe <jane@x.example>", "Jane Doe|jane@x.example", "", 0},
        {"\"Doe, Jane\" <jane@x.example>; \"Lee; Ann\" <ann@x.org>",
         "Doe, Jane|jane@x.example; Lee; Ann|ann@x.org", "", 0},
        {"<a,b@x.org>, <c@x.org>", "c@x.org", "<a,b@x.org>: is not an address", 0},
        {"Jane<jane@x.org> <b@y.org> a@x.org Ann <ann@x.org>",
         "Jane|jane@x.org; b@y.org; a@x.org; Ann|ann@x.org", "", 0},
        {"john doe@typo.example", "", "john doe@typo.example: words before an address not in angle brackets",
         0},
        {"bob@nodomain\nbob@x.org, sales@acme.com@acme.de", "bob@x.org",
         "bob@nodomain: has no dot in its domain; sales@acme.com@acme.de: two @", 0},
        {"a@x.org\0b@y.org"s, "", "a@x.org\0b@y.org: two @"s, 0},
        {"c\0@x.org, d@y.org"s, "d@y.org", "c\0@x.org: holds a control character"s, 0},
        {"Lee, Bob <bob@x.org> x, Ann <ann@X.ORG>, ANN@x.org", "Bob|bob@x.org; Ann|ann@X.ORG",
         "Lee: is not an address; x: is not an address", 1},
        {"\"Unclosed <a@x.org>\nJ\u00fcrgen <j\u00fcrgen@x.org>\n\u00c5sa <asa@x.org>\n\"Q \\\" R\" <q@x.org>",
         "\u00c5sa|asa@x.org; Q \" R|q@x.org",
         "\"Unclosed <a@x.org>: is not an address; J\u00fcrgen <j\u00fcrgen@x.org>: holds a character other than ASCII",
         0},
        {"A <a@x.org>>\n<nodomain@>\n@\n\"x\" y <z@x.org>\nN <a b@x.org>\nu@x.org extra", "u@x.org",
         "A <a@x.org>>: text beside the address; <nodomain@>: has no domain; @: has no domain; "
         "\"x\" y <z@x.org>: text beside the address; N <a b@x.org>: a blank inside the address; extra: is not an "
         "address",
         0},
        {"Long <" + address254 + ">\n" + address254 + "e", "Long|" + address254,
         address254 + "e: longer than 254 bytes", 0},
        {"a@x.org\r\nA@X.ORG\r\nb@y.org\r\n", "a@x.org; b@y.org", "", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.receivers));
        const ReceiverSelection selection = SelectReceivers(c.receivers);
        EXPECT_EQ(Taken(selection), c.taken);
        EXPECT_EQ(LeftOut(selection.skipped), c.skipped);
        EXPECT_EQ(selection.twice, c.twice);
        // The status line's count, which keeps no entry, finds the same.
        EXPECT_EQ(ReceiverCountText(CountReceivers(c.receivers)), ReceiverCountText(selection));
    }
}

TEST(ReceiverReading, CountNamesTheFirstThreeLeftOut)
{
    const std::pair<std::string, std::string> cases[] = {
        {"a@x.org\nA@X.ORG\nb@y.org\nnot one",
         "2 receivers; 1 entry is not an address (\"not one\"); 1 twice"},
        {"a@x.org", "1 receiver"},
        {"", "0 receivers"},
        {"w, x, y, z@nodomain, a@x.org",
         "1 receiver; 4 entries are not addresses (\"w\", \"x\", \"y\", \u2026)"},
        {"x y z, 1@x.org", "1 receiver; 1 entry is not an address (\"x y z\")"},
        // Forty bytes of a long entry, cut where a character begins.
        {std::string(39, 'a') + "\u00e9\u00e9",
         "0 receivers; 1 entry is not an address (\"" + std::string(39, 'a') + "\u2026\")"},
    };
    for (const auto& [receivers, text] : cases)
        EXPECT_EQ(ReceiverCountText(CountReceivers(receivers)), text) << receivers;

    // Thousands of addresses, each again in capitals: every second spelling
    // is found, however full the table of those seen grows.
    std::string many;
    for (const char* spelling : {"user%d@x%d.org\n", "USER%d@X%d.ORG\n"})
        for (int i = 0; i < 3000; ++i) {
            char entry[40];
            std::snprintf(entry, sizeof entry, spelling, i, i % 7);
            many += entry;
        }
    EXPECT_EQ(ReceiverCountText(CountReceivers(many)), "3000 receivers; 3000 twice");
    EXPECT_EQ(SelectReceivers(many).receivers.back().address, "user2999@x3.org");
}

TEST(CollectReceivers, JoinsTheBareAddressesWithTheDelimiter)
{
    struct Case {
        std::string receivers;
        int delimiter;
        std::string joined;
    };
    const Case cases[] = {
        {"a@x.org, b@y.org", 0, "a@x.org; b@y.org"},
        {"a@x.org; b@y.org", 1, "a@x.org, b@y.org"},
        {"a@x.org, b@y.org", 2, "a@x.org b@y.org"},
        {"a@x.org, b@y.org", 3, "a@x.org\nb@y.org"},
        {"a@x.org b@y.org", 7, "a@x.org; b@y.org"},
        {"a@x.org b@y.org", -1, "a@x.org; b@y.org"},
        {"c@z.org\na@x.org\nb@y.org\n", 0, "c@z.org; a@x.org; b@y.org"},
        {"Jane Doe <jane@x.example>, john doe@typo.example, a@x.org, A@X.org", 1,
         "jane@x.example, a@x.org, A@X.org"},
        {"nobody here", 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.receivers);
        const JoinedReceivers list = CollectReceivers(c.receivers, c.delimiter);
        EXPECT_EQ(list.joined, c.joined);
        EXPECT_TRUE(list.listed.empty());
    }
    // Beyond the 1024 addresses the first versions held.
    std::string receivers;
    for (int i = 0; i < 1500; ++i)
        receivers += "r" + std::to_string(i) + "@x.org\n";
    const JoinedReceivers list = CollectReceivers(receivers, 3);
    EXPECT_EQ(list.receivers, 1500u);
    EXPECT_EQ(list.joined + "\n", receivers);
}

TEST(CollectReceivers, LeavesOutWhatTheListSaysAndSaysHowMany)
{
    const LeaveOut listed = [](std::string_view address) -> std::optional<std::string> {
        if (AddressKey(address) == "gone@x.org" || address == "b@y.org")
            return "asked not to receive";
        return std::nullopt;
    };
    const JoinedReceivers list =
        CollectReceivers("a@x.org, Gone <GONE@x.org>, john doe@typo.example, b@y.org, c@z.org", 0, listed);
    EXPECT_EQ(list.joined, "a@x.org; c@z.org");
    EXPECT_EQ(list.receivers, 2u);
    EXPECT_EQ(LeftOut(list.listed), "GONE@x.org: asked not to receive; b@y.org: asked not to receive");
    EXPECT_EQ(LeftOutText(list),
              "1 entry is not an address (\"john doe@typo.example\"). "
              "2 addresses on the do-not-send list were left out.");
    EXPECT_EQ(LeftOutText(CollectReceivers("gone@x.org", 0, listed)),
              "1 address on the do-not-send list was left out.");
    EXPECT_EQ(LeftOutText(CollectReceivers("a@x.org", 0, listed)), "");
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

// The refused or reported leave the field; everything else stays as it
// was written, the separators of an entry taken out with it.
TEST(RemoveReceivers, TakesOutEveryEntryOfTheAddressAndItsSeparators)
{
    const std::pair<std::string, std::string> cases[] = {
        {"a@x.org\nBad <BAD@x.org>\r\nc@z.org\n", "a@x.org\nc@z.org\n"},
        {"a@x.org; c@z.org; bad@x.org", "a@x.org; c@z.org"},
        {"\"Lee, Bad\" <bad@x.org>, not one, a@x.org", "not one, a@x.org"},
        {"bad@x.org", ""},
        {"a@x.org\tbad@x.org\n", "a@x.org\n"},
        {"a@x.org bad@x.org c@z.org", "a@x.org c@z.org"},
        {"bad@x.org, a@x.org, BAD@x.org;  bad@x.org", "a@x.org"},
        {"x@y.org, bad@x.org c@z.org, bad@x.org", "x@y.org, c@z.org"},
        {"john bad@x.org, bad@x.org.uk", "john bad@x.org, bad@x.org.uk"},
        {"", ""},
    };
    for (const auto& [before, after] : cases)
        EXPECT_EQ(RemoveReceivers(before, {"bad@x.org"}), after) << before;
}

TEST(SkippedReceiversText, ListsEachWithWhyAndHowManyMore)
{
    const std::vector<SkippedReceiver> skipped = {
        {"john doe@typo.example", "words before an address not in angle brackets"},
        {"bob@nodomain", "has no dot in its domain"},
        {"x", "is not an address"},
    };
    EXPECT_EQ(SkippedReceiversText(skipped, 3),
              "\"john doe@typo.example\": words before an address not in angle "
              "brackets\n\"bob@nodomain\": has no dot in its domain\n\"x\": is not "
              "an address");
    EXPECT_EQ(SkippedReceiversText({skipped[0], skipped[1]}, 3),
              "\"john doe@typo.example\": words before an address not in angle "
              "brackets\n\"bob@nodomain\": has no dot in its domain\nand 1 more");
}

}  // namespace
