#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <optional>
#include <vector>

#include "core/checks/FieldChecks.h"
#include "core/form/ChoiceLists.h"

namespace {

constexpr const char* kPageUrl = "http://example.test/tool";
constexpr const char* kImageUrl = "http://example.test/tool.png";

// Answers from a table instead of the network and remembers what it was asked.
class TableProber : public UrlProber {
public:
    std::map<std::string, ProbeOutcome> answers;
    std::vector<std::pair<std::string, ProbeUse>> asked;

    ProbeOutcome Probe(const std::string& url, ProbeUse use) override
    {
        asked.emplace_back(url, use);
        auto found = answers.find(url);
        return found == answers.end() ? ProbeOutcome{} : found->second;
    }
};

std::string Words(int count, const std::string& separator = " ")
{
    std::string text;
    for (int i = 0; i < count; ++i)
        text += (i ? separator : "") + std::string("word");
    return text;
}

FormValues PassingForm()
{
    FormValues form;
    form.productName = "Tool";
    form.productVersion = "1.0";
    form.productType = 25;
    form.productUrl = kPageUrl;
    form.imageUrl = kImageUrl;
    form.price = "$10";
    form.operatingSystem = "Linux";
    form.featuresText = Words(12);
    form.companyName = "Tarsel";
    form.contactName = "Ada";
    form.contactEmail = "ada@example.test";
    return form;
}

TableProber RespondingProber()
{
    TableProber prober;
    prober.answers[kPageUrl] = {true, std::nullopt};
    prober.answers[kImageUrl] = {true, 6000};
    return prober;
}

CheckErrors Bits(std::initializer_list<int> bits)
{
    CheckErrors errors = 0;
    for (int bit : bits)
        errors |= CheckErrors{1} << bit;
    return errors;
}

// Pairs of bits, and the trio 8, 9, 11, that one run can never set together.
void ExpectNoExcludedPair(CheckErrors errors)
{
    const std::vector<std::vector<int>> exclusive = {{0, 20}, {1, 2},  {6, 7}, {15, 16},
                                                     {8, 9},  {8, 11}, {9, 11}};
    for (const auto& group : exclusive)
        EXPECT_NE(errors & Bits({group[0], group[1]}), Bits({group[0], group[1]}))
            << "bits " << group[0] << " and " << group[1];
}

struct Case {
    const char* name;
    std::function<void(FormValues&, TableProber&)> change;
    CheckErrors expected;
    std::vector<std::string> values;  // the used slots, in order
};

void RunCases(const std::vector<Case>& cases)
{
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FormValues form = PassingForm();
        TableProber prober = RespondingProber();
        c.change(form, prober);
        CheckValues values;
        const CheckErrors errors = CheckSettings(form, values, prober).value_or(~CheckErrors{0});
        EXPECT_EQ(errors, c.expected);
        ExpectNoExcludedPair(errors);
        for (std::size_t slot = 0; slot < values.size(); ++slot) {
            const std::string expected = slot < c.values.size() ? c.values[slot] : "";
            EXPECT_EQ(values[slot], expected) << "slot " << slot;
        }
    }
}

TEST(FieldChecks, PassingFormHasNoErrorsAndProbesPageThenImage)
{
    FormValues form = PassingForm();
    TableProber prober = RespondingProber();
    CheckValues values;
    EXPECT_EQ(CheckSettings(form, values, prober), 0u);
    ASSERT_EQ(prober.asked.size(), 2u);
    EXPECT_EQ(prober.asked[0], std::make_pair(std::string(kPageUrl), ProbeUse::WebPage));
    EXPECT_EQ(prober.asked[1], std::make_pair(std::string(kImageUrl), ProbeUse::Image));
}

TEST(FieldChecks, EachBitAloneWithItsValue)
{
    RunCases({
        {"too long", [](FormValues& f, TableProber&) { f.featuresText = Words(32); }, Bits({0}), {"31"}},
        {"days missing",
         [](FormValues& f, TableProber&) {
             f.trialAvailable = true;
             f.trialKind = kTrialDays;
         },
         Bits({1}),
         {""}},
        {"starts missing",
         [](FormValues& f, TableProber&) {
             f.trialAvailable = true;
             f.trialKind = kTrialStarts;
         },
         Bits({2}),
         {""}},
        {"no product name", [](FormValues& f, TableProber&) { f.productName = ""; }, Bits({3}), {""}},
        {"no version", [](FormValues& f, TableProber&) { f.productVersion = ""; }, Bits({4}), {""}},
        {"Other without text",
         [](FormValues& f, TableProber&) { f.productType = kOtherProductType; },
         Bits({5}),
         {""}},
        {"no web page", [](FormValues& f, TableProber&) { f.productUrl = ""; }, Bits({6}), {""}},
        {"dead web page",
         [](FormValues&, TableProber& p) { p.answers[kPageUrl].responds = false; },
         Bits({7}),
         {kPageUrl}},
        {"dead image",
         [](FormValues&, TableProber& p) { p.answers[kImageUrl] = {}; },
         Bits({9}),
         {kImageUrl}},
        {"bad format",
         [](FormValues& f, TableProber& p) {
             f.imageUrl = "http://example.test/tool.jpeg";
             p.answers[f.imageUrl] = {true, 9000};
         },
         Bits({10}),
         {"peg"}},
        {"small image",
         [](FormValues&, TableProber& p) { p.answers[kImageUrl].size = 4999; },
         Bits({11}),
         {"4999"}},
        {"plain price", [](FormValues& f, TableProber&) { f.price = "29"; }, Bits({13}), {""}},
        {"no system", [](FormValues& f, TableProber&) { f.operatingSystem = ""; }, Bits({14}), {""}},
        {"no e-mail", [](FormValues& f, TableProber&) { f.contactEmail = ""; }, Bits({15}), {""}},
        {"e-mail without @",
         [](FormValues& f, TableProber&) { f.contactEmail = "ada.example.test"; },
         Bits({16}),
         {"ada.example.test"}},
        {"no contact", [](FormValues& f, TableProber&) { f.contactName = ""; }, Bits({17}), {""}},
        {"no company", [](FormValues& f, TableProber&) { f.companyName = ""; }, Bits({18}), {""}},
        {"names of blanks only",
         [](FormValues& f, TableProber&) {
             f.contactName = " \t";
             f.companyName = "   ";
         },
         Bits({17, 18}),
         {"", ""}},
        {"listed word",
         [](FormValues& f, TableProber&) { f.featuresText = "Say Hello to " + Words(6); },
         Bits({19}),
         {"hell"}},
        {"too short", [](FormValues& f, TableProber&) { f.featuresText = Words(5); }, Bits({20}), {""}},
    });
}

TEST(FieldChecks, FeatureTextSpaceCounts)
{
    auto features = [](std::string text) {
        return [text](FormValues& f, TableProber&) { f.featuresText = text; };
    };
    RunCases({
        {"30 spaces pass", features(Words(31)), 0, {}},
        {"31 spaces", features(Words(32)), Bits({0}), {"31"}},
        {"45 spaces", features(Words(46)), Bits({0}), {"45"}},
        {"blanks around do not make it long", features(" \t\n" + Words(31) + " \r\n\v\f "), 0, {}},
        {"blanks around make it long enough", features("   three short words   "), 0, {}},
        {"4 spaces", features(Words(5)), Bits({20}), {""}},
        {"5 spaces", features(Words(6)), 0, {}},
        {"line breaks are no spaces", features(Words(40, "\n")), Bits({20}), {""}},
        {"tabs are no spaces", features(Words(40, "\t")), Bits({20}), {""}},
        {"double spaces count twice", features(Words(3, "  ")), Bits({20}), {""}},
        {"empty text", features(""), Bits({20}), {""}},
        {"only blanks, not long", features(std::string(40, ' ')), 0, {}},
    });
}

TEST(FieldChecks, ListedWords)
{
    auto features = [](std::string text) {
        return [text](FormValues& f, TableProber&) { f.featuresText = text; };
    };
    const std::string tail = " " + Words(6);
    RunCases({
        {"Hello after a space", features("We say Hello" + tail), Bits({19}), {"hell"}},
        {"Hello as first word", features("Hello" + tail), 0, {}},
        {"Hello after a line break", features("Greetings\nHello" + tail), 0, {}},
        {"upper case", features("IT WILL SUCK LESS" + tail), Bits({19}), {"suck"}},
        {"inside a longer word", features("a dickens novel" + tail), Bits({19}), {"dick"}},
        {"listed order wins over position", features("go to hell or suck it" + tail), Bits({19}), {"suck"}},
        {"sucker is found as suck", features("no sucker" + tail), Bits({19}), {"suck"}},
        {"first in the list", features("what the Fuck" + tail), Bits({19}), {"fuck"}},
        {"pussy", features("a pussy cat" + tail), Bits({19}), {"pussy"}},
        {"not at a word start", features("seashell collection" + tail), 0, {}},
        {"with the too-short check", features("oh hell"), Bits({19, 20}), {"hell", ""}},
    });
}

TEST(FieldChecks, TrialAndProductChoices)
{
    auto trial = [](bool ticked, int kind, std::string limit) {
        return [=](FormValues& f, TableProber&) {
            f.trialAvailable = ticked;
            f.trialKind = kind;
            f.trialLimit = limit;
        };
    };
    RunCases({
        {"days with a number", trial(true, kTrialDays, "30"), 0, {}},
        {"starts with text as number", trial(true, kTrialStarts, "many"), 0, {}},
        {"other kinds need no number", trial(true, 2, ""), 0, {}},
        {"trial Other needs no number", trial(true, 6, ""), 0, {}},
        {"no selection", trial(true, -1, ""), 0, {}},
        {"box clear", trial(false, kTrialDays, ""), 0, {}},
        {"box clear, starts", trial(false, kTrialStarts, ""), 0, {}},
        {"Other with text",
         [](FormValues& f, TableProber&) {
             f.productType = kOtherProductType;
             f.otherTypeText = "x";
         },
         0,
         {}},
        {"no product type", [](FormValues& f, TableProber&) { f.productType = -1; }, 0, {}},
        {"one blank is a name", [](FormValues& f, TableProber&) { f.productName = " "; }, 0, {}},
        {"@ alone is an address", [](FormValues& f, TableProber&) { f.contactEmail = "@"; }, 0, {}},
    });
}

TEST(FieldChecks, PriceCases)
{
    auto price = [](std::string text) { return [text](FormValues& f, TableProber&) { f.price = text; }; };
    RunCases({
        {"29", price("29"), Bits({13}), {""}},
        {"29.95", price("29.95"), 0, {}},
        {"29 USD", price("29 USD"), 0, {}},
        {"USD 29", price("USD 29"), 0, {}},
        {"empty", price(""), Bits({12, 13}), {"", ""}},
        {"minus", price("-"), Bits({13}), {""}},
        {"plus", price("+"), Bits({13}), {""}},
        {"+29", price("+29"), Bits({13}), {""}},
        {"-5", price("-5"), Bits({13}), {""}},
        {"two signs", price("+-5"), 0, {}},
        {"blank before", price(" 29"), 0, {}},
        {"euro sign", price("29€"), 0, {}},
    });
}

TEST(FieldChecks, ImageUrlCases)
{
    auto image = [](std::string url, ProbeOutcome outcome) {
        return [=](FormValues& f, TableProber& p) {
            f.imageUrl = url;
            p.answers[url] = outcome;
        };
    };
    const ProbeOutcome big{true, 6000};
    RunCases({
        {".JPG", image("http://x.test/A.JPG", big), 0, {}},
        {".Png", image("http://x.test/a.Png", big), 0, {}},
        {".gif", image("http://x.test/a.gif", big), 0, {}},
        {".tif", image("http://x.test/a.tif", big), 0, {}},
        {".bmp", image("http://x.test/a.bmp", big), 0, {}},
        {".jpeg", image("http://x.test/a.jpeg", big), Bits({10}), {"peg"}},
        {".gif?x=1", image("http://x.test/a.gif?x=1", big), Bits({10}), {"x=1"}},
        {"upper case value", image("http://x.test/a.JPEG", big), Bits({10}), {"peg"}},
        {"last characters not bytes", image("http://x.test/fotoÄPG", big), Bits({10}), {"Äpg"}},
        {"5000 bytes", image(kImageUrl, {true, 5000}), 0, {}},
        {"no size measured", image(kImageUrl, {true, std::nullopt}), 0, {}},
        {"1200 bytes png", image(kImageUrl, {true, 1200}), Bits({11}), {"1200"}},
        {"1200 bytes img: format before size",
         image("http://x.test/a.img", {true, 1200}),
         Bits({10, 11}),
         {"img", "1200"}},
        {"dead image is not measured", image(kImageUrl, {false, 10}), Bits({9}), {kImageUrl}},
        {"empty", [](FormValues& f, TableProber&) { f.imageUrl = ""; }, Bits({8, 10}), {"", ""}},
        {"left at http://",
         [](FormValues& f, TableProber&) { f.imageUrl = "http://"; },
         Bits({9, 10}),
         {"http://", "://"}},
        {"shorter than three",
         [](FormValues& f, TableProber&) { f.imageUrl = "ab"; },
         Bits({9, 10}),
         {"ab", "ab"}},
    });
}

TEST(FieldChecks, UrlsAreProbedAsTypedAndOnlyWhenFilled)
{
    struct ProbeCase {
        const char* name;
        std::string page;
        std::string image;
        std::vector<std::pair<std::string, ProbeUse>> asked;
        std::optional<CheckErrors> expected;
        std::string cancelled = "";  // the URL whose probe the user cancels
    } cases[] = {
        {"blanks kept",
         " http://a.test/ ",
         "http://a.test/i.png ",
         {{" http://a.test/ ", ProbeUse::WebPage}, {"http://a.test/i.png ", ProbeUse::Image}},
         Bits({7, 9, 10})},
        {"page left at http://",
         "http://",
         kImageUrl,
         {{"http://", ProbeUse::WebPage}, {kImageUrl, ProbeUse::Image}},
         Bits({7})},
        {"both empty", "", "", {}, Bits({6, 8, 10})},
        {"page cancelled: the image is never asked",
         kPageUrl,
         kImageUrl,
         {{kPageUrl, ProbeUse::WebPage}},
         std::nullopt,
         kPageUrl},
        {"image cancelled",
         kPageUrl,
         kImageUrl,
         {{kPageUrl, ProbeUse::WebPage}, {kImageUrl, ProbeUse::Image}},
         std::nullopt,
         kImageUrl},
    };
    for (const ProbeCase& c : cases) {
        SCOPED_TRACE(c.name);
        FormValues form = PassingForm();
        form.productUrl = c.page;
        form.imageUrl = c.image;
        TableProber prober = RespondingProber();
        if (!c.cancelled.empty())
            prober.answers[c.cancelled] = {false, std::nullopt, "cancelled", true};
        CheckValues values;
        EXPECT_EQ(CheckSettings(form, values, prober), c.expected);
        EXPECT_EQ(prober.asked, c.asked);
    }
}

TEST(FieldChecks, SlotsFollowTheBitOrder)
{
    FormValues form = PassingForm();
    form.featuresText = "what the hell " + Words(40);
    form.productUrl = "http://dead.test/";
    form.imageUrl = "http://x.test/pic.img";
    form.contactEmail = "nobody";
    TableProber prober;
    prober.answers[form.imageUrl] = {true, 321};
    CheckValues values;
    EXPECT_EQ(CheckSettings(form, values, prober), Bits({0, 7, 10, 11, 16, 19}));
    const CheckValues expected = {"42", "http://dead.test/", "img", "321", "nobody", "hell"};
    EXPECT_EQ(values, expected);
}

TEST(FieldChecks, StartFormAndEmptyForm)
{
    TableProber prober;
    CheckValues values;
    EXPECT_EQ(CheckSettings(FormValues{}, values, prober),
              Bits({3, 4, 7, 9, 10, 12, 13, 14, 15, 17, 18, 20}));
    const CheckValues expected = {"", "", "http://", "http://", "://"};
    EXPECT_EQ(values, expected);

    FormValues empty;
    empty.productUrl = "";
    empty.imageUrl = "";
    empty.trialAvailable = true;
    values = {};
    const CheckErrors errors = CheckSettings(empty, values, prober).value_or(~CheckErrors{0});
    EXPECT_EQ(errors, Bits({1, 3, 4, 6, 8, 10, 12, 13, 14, 15, 17, 18, 20}));
    ExpectNoExcludedPair(errors);
    EXPECT_EQ(values, CheckValues{});
}

}  // namespace
