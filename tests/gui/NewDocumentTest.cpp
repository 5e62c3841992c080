#include "GuiTestSupport.h"

#include "app/CommandIds.h"

namespace {

using NewDocumentTest = AppTest;

FormValues FilledForm()
{
    FormValues form;
    form.productName = "Quill";
    form.productVersion = "2.1";
    form.featuresText = "Fast.\nSmall.";
    form.receivers = "ann@example.org\nbob@example.org";
    form.productType = 27;
    form.otherTypeText = "Note taker";
    form.productUrl = "http://quill.example/";
    form.imageUrl = "http://quill.example/box.png";
    form.price = "19 EUR";
    form.operatingSystem = "Linux";
    form.contactEmail = "press@quill.example";
    form.trialAvailable = true;
    form.trialKind = 1;
    form.trialLimit = "10";
    form.companyName = "Quill Ltd";
    form.contactName = "Ann Author";
    return form;
}

void ExpectSameForm(const FormValues& actual, const FormValues& expected)
{
    EXPECT_EQ(actual.productName, expected.productName);
    EXPECT_EQ(actual.productVersion, expected.productVersion);
    EXPECT_EQ(actual.featuresText, expected.featuresText);
    EXPECT_EQ(actual.receivers, expected.receivers);
    EXPECT_EQ(actual.productType, expected.productType);
    EXPECT_EQ(actual.otherTypeText, expected.otherTypeText);
    EXPECT_EQ(actual.productUrl, expected.productUrl);
    EXPECT_EQ(actual.imageUrl, expected.imageUrl);
    EXPECT_EQ(actual.price, expected.price);
    EXPECT_EQ(actual.operatingSystem, expected.operatingSystem);
    EXPECT_EQ(actual.contactEmail, expected.contactEmail);
    EXPECT_EQ(actual.trialAvailable, expected.trialAvailable);
    EXPECT_EQ(actual.trialKind, expected.trialKind);
    EXPECT_EQ(actual.trialLimit, expected.trialLimit);
    EXPECT_EQ(actual.companyName, expected.companyName);
    EXPECT_EQ(actual.contactName, expected.contactName);
}

TEST_F(NewDocumentTest, NoKeepsEverything)
{
    app().WriteForm(FilledForm());
    SendMenuCommand(ID_DELIMITER_SPACE);
    ShownBox box;
    wxTEST_DIALOG(SendMenuCommand(ID_NEW), ExpectBox(wxID_NO, &box));
    EXPECT_EQ(box.text, "Are you sure that you want to clear all settings?\n");
    EXPECT_EQ(box.caption, "New");
    EXPECT_EQ(box.style & (wxYES_NO | wxICON_QUESTION | wxOK), wxYES_NO | wxICON_QUESTION);
    EXPECT_EQ(box.parent, &frame());
    ExpectSameForm(app().ReadForm(), FilledForm());
    EXPECT_EQ(app().receiverDelimiter, 2);
}

TEST_F(NewDocumentTest, YesClearsTheFormButKeepsTheDelimiter)
{
    app().WriteForm(FilledForm());
    SendMenuCommand(ID_DELIMITER_NEWLINE);
    ShownBox box;
    wxTEST_DIALOG(SendMenuCommand(ID_NEW), ExpectBox(wxID_YES, &box));
    EXPECT_EQ(box.count, 1);

    FormValues cleared;
    cleared.productUrl = "";  // not "http://" as at start-up
    cleared.imageUrl = "";
    ExpectSameForm(app().ReadForm(), cleared);
    EXPECT_EQ(app().receiverDelimiter, 3);
    EXPECT_TRUE(app().settingsMenu->IsChecked(ID_DELIMITER_NEWLINE));
    EXPECT_FALSE(app().settingsMenu->IsChecked(ID_DELIMITER_SEMICOLON));
}

TEST_F(NewDocumentTest, ClearsAChoiceThatHadNoSelection)
{
    FormValues form = FilledForm();
    form.productType = -1;
    form.trialKind = -1;
    app().WriteForm(form);
    ASSERT_EQ(app().productType->GetSelection(), wxNOT_FOUND);
    wxTEST_DIALOG(SendMenuCommand(ID_NEW), ExpectBox(wxID_YES, nullptr));
    EXPECT_EQ(app().productType->GetSelection(), 0);
    EXPECT_EQ(app().trialKind->GetSelection(), 0);
}

}  // namespace
