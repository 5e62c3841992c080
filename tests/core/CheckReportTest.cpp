#include <gtest/gtest.h>

#include <vector>

#include "core/checks/CheckReport.h"
#include "core/checks/FieldProblems.h"

namespace {

CheckErrors Bits(std::initializer_list<int> bits)
{
    CheckErrors errors = 0;
    for (int bit : bits)
        errors |= CheckErrors{1} << bit;
    return errors;
}

CheckValues Values(std::initializer_list<std::string> texts)
{
    CheckValues values;
    std::size_t slot = 0;
    for (const std::string& text : texts)
        values[slot++] = text;
    return values;
}

TEST(CheckReport, EveryBitAloneGivesItsMessage)
{
    const char* messages[kCheckBitCount] = {
        "The feature text is too big. It shouldn't be longer than 20-30 words. It's VAL words.",
        "The number of days for the trial version haven't been specified.",
        "The number of starts for the trial version haven't been specified.",
        "Please fill in the product name.",
        "Please enter a version number.",
        "You have selected 'Other' in the product type drop down menu, but haven't supplied a description in "
        "the 'Other' text field.",
        "Please enter a web page URL for the product.",
        "The web page VAL for the product doesn't respond.",
        "Please enter a URL to the image.",
        "The image URL VAL doesn't respond.",
        "You have used a bad format (VAL) for the image. Please use TIF, JPG, GIF, BMP or PNG files only.",
        "The size of the image (VAL bytes) is too small - a high resolution image should be used.",
        "Please enter a price.",
        "No currency has been specified for the price.",
        "Please supply an operating system.",
        "Please enter a contact email address.",
        "The contact email address, VAL,has a bad format.",
        "Please enter a contact name.",
        "Please enter a company name.",
        "The features text contains bad words. Please rewrite the text and avoid words, such as VAL etc.",
        "The features text is too short. Please supply more information.",
    };
    for (int bit = 0; bit < kCheckBitCount; ++bit) {
        SCOPED_TRACE(bit);
        CheckMessages lines;
        EXPECT_EQ(DescribeCheckErrors(Bits({bit}), lines, Values({"VAL"})), 1);
        EXPECT_EQ(lines[0], messages[bit]);
        EXPECT_EQ(lines[1], "");
        EXPECT_EQ(CheckErrorsText(Bits({bit}), Values({"VAL"})), std::string(messages[bit]) + "\n");
    }
}

TEST(CheckReport, CombinationsInBitOrderWithTheirValues)
{
    struct Case {
        const char* name;
        CheckErrors errors;
        CheckValues values;
        std::string text;
    } cases[] = {
        {"3 and 20", Bits({3, 20}), Values({"", ""}),
         "Please fill in the product name.\n"
         "The features text is too short. Please supply more information.\n"},
        {"7 and 9", Bits({7, 9}), Values({"http://page.test/", "http://image.test/a.png"}),
         "The web page http://page.test/ for the product doesn't respond.\n"
         "The image URL http://image.test/a.png doesn't respond.\n"},
        {"10 and 11", Bits({10, 11}), Values({"img", "1200"}),
         "You have used a bad format (img) for the image. Please use TIF, JPG, GIF, BMP or PNG files only.\n"
         "The size of the image (1200 bytes) is too small - a high resolution image should be used.\n"},
        {"8 and 10, empty value", Bits({8, 10}), Values({"", ""}),
         "Please enter a URL to the image.\n"
         "You have used a bad format () for the image. Please use TIF, JPG, GIF, BMP or PNG files only.\n"},
        {"16", Bits({16}), Values({"ada.example.test"}),
         "The contact email address, ada.example.test,has a bad format.\n"},
        {"0 with 45", Bits({0}), Values({"45"}),
         "The feature text is too big. It shouldn't be longer than 20-30 words. It's 45 words.\n"},
        {"12 and 13", Bits({12, 13}), Values({"", ""}),
         "Please enter a price.\nNo currency has been specified for the price.\n"},
        {"values kept as they are", Bits({7, 16, 19}), Values({" http://a.test/ ", "  ", "hell"}),
         "The web page  http://a.test/  for the product doesn't respond.\n"
         "The contact email address,   ,has a bad format.\n"
         "The features text contains bad words. Please rewrite the text and avoid words, such as hell etc.\n"},
        {"unused high bits ignored", Bits({4, 21, 31}), Values({""}), "Please enter a version number.\n"},
        {"nothing", 0, Values({}), ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CheckErrorsText(c.errors, c.values), c.text);
    }
}

TEST(CheckReport, StartFormMessagesInOrder)
{
    const CheckErrors errors = Bits({3, 4, 7, 9, 10, 12, 13, 14, 15, 17, 18, 20});
    const CheckValues values = Values({"", "", "http://", "http://", "://"});
    CheckMessages lines;
    ASSERT_EQ(DescribeCheckErrors(errors, lines, values), 12);
    const std::vector<std::string> expected = {
        "Please fill in the product name.",
        "Please enter a version number.",
        "The web page http:// for the product doesn't respond.",
        "The image URL http:// doesn't respond.",
        "You have used a bad format (://) for the image. Please use TIF, JPG, GIF, BMP or PNG files only.",
        "Please enter a price.",
        "No currency has been specified for the price.",
        "Please supply an operating system.",
        "Please enter a contact email address.",
        "Please enter a contact name.",
        "Please enter a company name.",
        "The features text is too short. Please supply more information.",
    };
    for (std::size_t i = 0; i < lines.size(); ++i)
        EXPECT_EQ(lines[i], i < expected.size() ? expected[i] : "") << "line " << i;
}

TEST(CheckReport, AllBitsFitTheList)
{
    CheckValues values;
    for (std::size_t i = 0; i < values.size(); ++i)
        values[i] = std::to_string(i);
    CheckMessages lines;
    EXPECT_EQ(DescribeCheckErrors((CheckErrors{1} << kCheckBitCount) - 1, lines, values), kCheckBitCount);
    EXPECT_EQ(lines[0],
              "The feature text is too big. It shouldn't be longer than 20-30 words. It's 0 words.");
    EXPECT_EQ(
        lines[19],
        "The features text contains bad words. Please rewrite the text and avoid words, such as 19 etc.");
}

}  // namespace

TEST(FieldProblems, EachCheckMarksTheFieldTheUserMustChange)
{
    const char* fields[kCheckBitCount] = {
        "Short feature description",
        "How many",
        "How many",
        "Product name",
        "Version",
        "Other",
        "The product's web page URL",
        "The product's web page URL",
        "Product image URL",
        "Product image URL",
        "Product image URL",
        "Product image URL",
        "Price",
        "Price",
        "OS",
        "Contact email",
        "Contact email",
        "Contact name",
        "Company name",
        "Short feature description",
        "Short feature description",
    };
    for (int bit = 0; bit < kCheckBitCount; ++bit) {
        SCOPED_TRACE(bit);
        EXPECT_EQ(std::string(FieldOfCheck(bit)), fields[bit]);
        const std::vector<FieldProblem> alone = FieldProblems(Bits({bit}), Values({"VAL"}));
        ASSERT_EQ(alone.size(), 1u);
        EXPECT_EQ(std::string(alone[0].label), fields[bit]);
        CheckMessages line;
        DescribeCheckErrors(Bits({bit}), line, Values({"VAL"}));
        EXPECT_EQ(alone[0].messages, line[0]);
    }
}

TEST(FieldProblems, AFieldWithSeveralFailuresCarriesEachMessageWithItsOwnValue)
{
    const std::vector<FieldProblem> problems =
        FieldProblems(Bits({0, 3, 9, 10, 20}), Values({"45", "", "http://x/a.txt", "txt", ""}));
    ASSERT_EQ(problems.size(), 3u);
    EXPECT_EQ(std::string(problems[0].label), "Short feature description");
    EXPECT_EQ(problems[0].messages,
              "The feature text is too big. It shouldn't be longer than 20-30 words. It's 45 words.\n"
              "The features text is too short. Please supply more information.");
    EXPECT_EQ(std::string(problems[1].label), "Product name");
    EXPECT_EQ(std::string(problems[2].label), "Product image URL");
    EXPECT_EQ(
        problems[2].messages,
        "The image URL http://x/a.txt doesn't respond.\n"
        "You have used a bad format (txt) for the image. Please use TIF, JPG, GIF, BMP or PNG files only.");
    EXPECT_TRUE(FieldProblems(0, Values({})).empty());
}
