#include "GuiTestSupport.h"

#include <filesystem>

#include "FormSamples.h"
#include "core/documents/DocumentFormat.h"
#include "gui/CommandIds.h"

namespace {

using NewDocumentTest = AppTest;

// Escape and the box's close button answer Cancel.
TEST_F(NewDocumentTest, NoAndCancelKeepEverything)
{
    app().WriteForm(SampleForm());
    SendMenuCommand(ID_DELIMITER_SPACE);
    frame().MarkUnchanged("");  // nothing to save: only the one question
    for (const int answer : {wxID_NO, wxID_CANCEL}) {
        ShownBox box;
        wxTEST_DIALOG(SendMenuCommand(ID_NEW), ExpectBox(answer, &box));
        EXPECT_EQ(box.text, "Are you sure that you want to clear all settings?\n");
        EXPECT_EQ(box.caption, "New");
        EXPECT_EQ(box.style & (wxYES_NO | wxICON_QUESTION | wxOK | wxNO_DEFAULT),
                  wxYES_NO | wxICON_QUESTION | wxNO_DEFAULT);
        EXPECT_EQ(box.count, 1);
        EXPECT_EQ(box.parent, &frame());
        EXPECT_EQ(Describe(app().ReadForm()), Describe(SampleForm()));
        EXPECT_EQ(app().receiverDelimiter, 2);
    }
}

TEST_F(NewDocumentTest, YesClearsTheFormButKeepsTheDelimiter)
{
    const std::string path = home_->sandbox() + "/launch.pre";
    WriteFileBytes(path, WriteDocumentBytes(SampleForm(), 3));
    ASSERT_TRUE(frame().ReadDocument(path));
    ShownBox box;
    wxTEST_DIALOG(SendMenuCommand(ID_NEW), ExpectBox(wxID_YES, &box));
    EXPECT_EQ(box.count, 1);
    EXPECT_EQ(StatusText(), "") << "no more \"Opened " << path << "\"";
    EXPECT_EQ(Utf8(frame().GetTitle()), "Vantrel");

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
    frame().MarkUnchanged("");
    wxTEST_DIALOG(SendMenuCommand(ID_NEW), ExpectBox(wxID_YES, nullptr));
    EXPECT_EQ(app().controls.productType->GetSelection(), 0);
    EXPECT_EQ(app().controls.trialKind->GetSelection(), 0);
}

// Unsaved changes are asked about first, as Exit and Open do.
TEST_F(NewDocumentTest, UnsavedChangesAreAskedAboutBeforeClearing)
{
    app().WriteForm(SampleForm());
    ShownBox asked;
    wxTEST_DIALOG(SendMenuCommand(ID_NEW), ExpectBox(wxID_CANCEL, &asked));
    EXPECT_EQ(asked.caption, "Save changes?");
    EXPECT_EQ(asked.text,
              "The form has changes that have not been saved.\n\nDo you want to save them before "
              "clearing the form?");
    EXPECT_EQ(asked.count, 1) << "Cancel asks nothing more";
    EXPECT_EQ(Describe(app().ReadForm()), Describe(SampleForm()));

    ShownBox newBox;
    wxTEST_DIALOG(SendMenuCommand(ID_NEW), ExpectBox(wxID_NO, nullptr), ExpectBox(wxID_NO, &newBox));
    EXPECT_EQ(newBox.caption, "New") << "without saving, the question of New follows";
    EXPECT_EQ(Describe(app().ReadForm()), Describe(SampleForm()));

    const std::string path = home_->sandbox() + "/kept.pre";
    wxTEST_DIALOG(SendMenuCommand(ID_NEW), ExpectBox(wxID_YES, nullptr), wxExpectModal<wxFileDialog>(path),
                  ExpectBox(wxID_YES, nullptr));
    EXPECT_TRUE(std::filesystem::exists(path));
    EXPECT_EQ(Utf8(app().controls.productName->GetValue()), "");
}

}  // namespace
