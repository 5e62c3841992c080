#include "GuiTestSupport.h"

#include "FormSamples.h"
#include "gui/CommandIds.h"

namespace {

using NewDocumentTest = AppTest;

// Escape and the box's close button answer Cancel.
TEST_F(NewDocumentTest, NoAndCancelKeepEverything)
{
    app().WriteForm(SampleForm());
    SendMenuCommand(ID_DELIMITER_SPACE);
    for (const int answer : {wxID_NO, wxID_CANCEL}) {
        ShownBox box;
        wxTEST_DIALOG(SendMenuCommand(ID_NEW), ExpectBox(answer, &box));
        EXPECT_EQ(box.text, "Are you sure that you want to clear all settings?\n");
        EXPECT_EQ(box.caption, "New");
        EXPECT_EQ(box.style & (wxYES_NO | wxICON_QUESTION | wxOK), wxYES_NO | wxICON_QUESTION);
        EXPECT_EQ(box.parent, &frame());
        EXPECT_EQ(Describe(app().ReadForm()), Describe(SampleForm()));
        EXPECT_EQ(app().receiverDelimiter, 2);
    }
}

TEST_F(NewDocumentTest, YesClearsTheFormButKeepsTheDelimiter)
{
    app().WriteForm(SampleForm());
    SendMenuCommand(ID_DELIMITER_NEWLINE);
    ShownBox box;
    wxTEST_DIALOG(SendMenuCommand(ID_NEW), ExpectBox(wxID_YES, &box));
    EXPECT_EQ(box.count, 1);

    FormValues cleared;
    cleared.productUrl = "";  // not "http://" as at start-up
    cleared.imageUrl = "";
    EXPECT_EQ(Describe(app().ReadForm()), Describe(cleared));
    EXPECT_EQ(app().receiverDelimiter, 3);
    EXPECT_TRUE(app().settingsMenu->IsChecked(ID_DELIMITER_NEWLINE));
    EXPECT_FALSE(app().settingsMenu->IsChecked(ID_DELIMITER_SEMICOLON));
}

TEST_F(NewDocumentTest, ClearsAChoiceThatHadNoSelection)
{
    FormValues form = SampleForm();
    form.productType = -1;
    form.trialKind = -1;
    app().WriteForm(form);
    ASSERT_EQ(app().controls.productType->GetSelection(), wxNOT_FOUND);
    wxTEST_DIALOG(SendMenuCommand(ID_NEW), ExpectBox(wxID_YES, nullptr));
    EXPECT_EQ(app().controls.productType->GetSelection(), 0);
    EXPECT_EQ(app().controls.trialKind->GetSelection(), 0);
}

}  // namespace
