#include <gtest/gtest.h>

#include "core/form/ChoiceLists.h"
#include "core/release/PressReleaseComposer.h"

namespace {

FormValues CompleteForm()
{
    FormValues form;
    form.productName = "Notely";
    form.productVersion = "2.1";
    form.productType = 25;
    form.productUrl = "http://example.org/notely";
    form.imageUrl = "http://example.org/notely.png";
    form.price = "$19.95";
    form.operatingSystem = "Linux";
    form.featuresText = "Takes notes fast.\nSyncs them everywhere.";
    form.companyName = "Tarsel Soft";
    form.contactName = "Ada Moor";
    form.contactEmail = "ada@example.org";
    return form;
}

std::string ProductSentence(const FormValues& form)
{
    const std::string text = ComposePressRelease(form);
    const std::size_t start = text.find(form.productName + " is ");
    return text.substr(start, text.find('\n', start) - start + 1);
}

TEST(PressReleaseComposer, WholeReleaseCharacterForCharacter)
{
    FormValues form = CompleteForm();
    form.trialAvailable = true;
    form.trialKind = 0;
    form.trialLimit = "30";
    EXPECT_EQ(ComposePressRelease(form),
              "For Immediate Release\n"
              "Contact: Ada Moor <ada@example.org>\n"
              "http://example.org/notely\n"
              "\n"
              "Tarsel Soft have released version 2.1 of Notely.\n"
              "Notely is a utility for Linux.\n"
              "Version 2.1 contains the following features.\n"
              "\n"
              "Takes notes fast.\nSyncs them everywhere.\n"
              "\n"
              "Notely 2.1 costs $19.95 and is available from http://example.org/notely.\n"
              "A 30 day trial version is available.\n"
              "\n"
              "###\n"
              "Press image: http://example.org/notely.png\n");
}

TEST(PressReleaseComposer, EveryProductTypeHasItsPhrase)
{
    const char* phrases[kOtherProductType] = {
        "an add-in",
        "an add-on",
        "an audio application",
        "a business application",
        "a desktop application",
        "a development package",
        "an educational application",
        "a file sharing application",
        "a game",
        "a graphics application",
        "a home and hobby application",
        "an information management tool",
        "an Internet application",
        "a math program",
        "a music application",
        "a networking tool",
        "a plug-in",
        "a presentation program",
        "a privacy application",
        "a screen saver",
        "a security application",
        "a science program",
        "a sound application",
        "a telecom application",
        "a translation application",
        "a utility",
        "a web design application",
    };
    FormValues form = CompleteForm();
    form.otherTypeText = "ignored unless Other";
    for (int type = 0; type < kOtherProductType; ++type) {
        SCOPED_TRACE(ProductTypeNames()[static_cast<std::size_t>(type)]);
        form.productType = type;
        EXPECT_EQ(ProductSentence(form), std::string("Notely is ") + phrases[type] + " for Linux.\n");
    }
}

TEST(PressReleaseComposer, OtherProductTypeBuildsItsPhrase)
{
    struct Case {
        const char* description;
        const char* phrase;
    } cases[] = {
        {"Photo Tool", "a photo tool application"},
        {"Easy Editor", "an easy editor application"},
        {"yacht planner", "an yacht planner application"},
        {"Ice", "an ice application"},
        {"Orbit", "an orbit application"},
        {"Umbrella", "an umbrella application"},
        {" Editor", "a  editor application"},
        {"3D modeller", "a 3d modeller application"},
        {"Émile Tool", "a Émile tool application"},
        {"", "a  application"},
        {"AZ tool", "an az tool application"},
        {"ZOO APP Z", "a zoo app z application"},
        {"[@`{", "a [@`{ application"},  // the bytes beside A to Z stay
    };
    FormValues form = CompleteForm();
    form.productType = kOtherProductType;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.description);
        form.otherTypeText = c.description;
        EXPECT_EQ(ProductSentence(form), std::string("Notely is ") + c.phrase + " for Linux.\n");
    }
}

TEST(PressReleaseComposer, NoProductTypeLeavesBothBlanks)
{
    FormValues form = CompleteForm();
    for (int type : {-1, kProductTypeCount, 1000}) {
        SCOPED_TRACE(type);
        form.productType = type;
        EXPECT_EQ(ProductSentence(form), "Notely is  for Linux.\n");
    }
}

TEST(PressReleaseComposer, TrialSentenceByKindAndBox)
{
    struct Case {
        bool ticked;
        int kind;
        const char* sentence;  // between the price line and "###"
    } cases[] = {
        {true, 0, "A 14 day trial version is available.\n\n"},
        {true, 1, "A trial version, which lets you try the software 14 times, is available.\n\n"},
        {true, 2, "A trial version (no open) is available.\n\n"},
        {true, 3, "A trial version (no save) is available.\n\n"},
        {true, 4, "A trial version (no open/save) is available.\n\n"},
        {true, 5, "A function limited trial version is available.\n\n"},
        {true, 6, "A trial version is available.\n\n"},
        {true, -1, ""},
        {true, 7, ""},
        {false, 0, ""},
        {false, 1, ""},
        {false, 4, ""},
        {false, 6, ""},
    };
    FormValues form = CompleteForm();
    form.trialLimit = "14";
    const std::string priceLine =
        "Notely 2.1 costs $19.95 and is available from http://example.org/notely.\n";
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "ticked " << c.ticked << ", kind " << c.kind);
        form.trialAvailable = c.ticked;
        form.trialKind = c.kind;
        const std::string text = ComposePressRelease(form);
        EXPECT_NE(text.find(priceLine + c.sentence + "###\n"), std::string::npos) << text;
        if (c.kind != 0 && c.kind != 1) {
            EXPECT_EQ(text.find("14"), std::string::npos);
        }
    }
}

TEST(PressReleaseComposer, ValuesGoInUntouched)
{
    FormValues form;
    form.productName = " Name ";
    form.productVersion = "V1 ";
    form.productType = 8;
    form.productUrl = " http://a.example/ ";
    form.imageUrl = "";
    form.price = "  ";
    form.operatingSystem = "GNU/LINUX";
    form.featuresText = "line one\n\n  line three  \n";
    form.companyName = "ACME & Co <Ltd>";
    form.contactName = "";
    form.contactEmail = "%20x";
    EXPECT_EQ(ComposePressRelease(form),
              "For Immediate Release\n"
              "Contact:  <%20x>\n"
              " http://a.example/ \n\n"
              "ACME & Co <Ltd> have released version V1  of  Name .\n"
              " Name  is a game for GNU/LINUX.\n"
              "Version V1  contains the following features.\n\n"
              "line one\n\n  line three  \n\n\n"
              " Name  V1  costs    and is available from  http://a.example/ .\n"
              "###\n"
              "Press image: \n");
}

}  // namespace
