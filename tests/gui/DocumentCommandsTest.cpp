#include "DocumentTesting.h"

#include "FormSamples.h"
#include "core/documents/DocumentFormat.h"
#include "core/files/FileMessages.h"
#include "core/settings/SettingsStore.h"
#include "gui/CommandIds.h"

namespace fs = std::filesystem;

namespace {

TEST_F(DocumentCommandsTest, SaveAndOpenShowTheirDialogsInTheDocumentsFolder)
{
    const std::string documents = home_->home() + "/Papers";
    fs::create_directories(documents);
    WriteFileBytes(home_->home() + "/.config/user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"$HOME/Papers\"\n");

    ShownFileDialog saveDialog;
    Save(Folder() + "/a.pre", &saveDialog);
    ExpectFileDialogAsked(saveDialog, &frame(), "Save Press Release", "*.pre",
                          wxFD_SAVE | wxFD_OVERWRITE_PROMPT, documents);

    ShownFileDialog openDialog;
    Open(Folder() + "/a.pre", &openDialog);
    ExpectFileDialogAsked(openDialog, &frame(), "Open Press Release", "*.pre|*.pre|All files (*)|*",
                          wxFD_OPEN, documents);
}

TEST_F(DocumentCommandsTest, SaveAddsTheExtensionAndAsksBeforeReplacingThatFile)
{
    Save(Folder() + "/notely-2.1");
    EXPECT_TRUE(FileExists(Folder() + "/notely-2.1.pre"));
    EXPECT_EQ(LatestPath(), Folder() + "/notely-2.1.pre");

    // The dialog asked about "notely-2.1"; the file the extension names is asked here.
    app().WriteForm(SampleForm());
    const std::string before = ReadFileBytes(Folder() + "/notely-2.1.pre");
    for (const int answer : {wxID_NO, wxID_YES}) {
        ShownBox box;
        wxTEST_DIALOG(SendMenuCommand(ID_SAVE), ExpectFileDialog(Folder() + "/notely-2.1"),
                      ExpectBox(answer, &box));
        EXPECT_EQ(box.text, "A file named \"notely-2.1.pre\" already exists. Do you want to replace it?");
        const bool replaced = ReadFileBytes(Folder() + "/notely-2.1.pre") != before;
        EXPECT_EQ(replaced, answer == wxID_YES);
    }
    EXPECT_FALSE(FileExists(Folder() + "/notely-2.1"));
}

TEST_F(DocumentCommandsTest, CancelledDialogsChangeNothing)
{
    app().WriteForm(SampleForm());
    const std::string path = Folder() + "/cancelled.pre";
    wxTEST_DIALOG(SendMenuCommand(ID_SAVE), ExpectFileDialog(path, nullptr, wxID_CANCEL));
    EXPECT_FALSE(FileExists(path));

    WriteFileBytes(path, WriteDocumentBytes(OtherForm(), 2));
    wxTEST_DIALOG(SendMenuCommand(ID_OPEN), GiveUpChanges(), ExpectFileDialog(path, nullptr, wxID_CANCEL));
    EXPECT_EQ(Describe(app().ReadForm()), Describe(SampleForm()));
    EXPECT_EQ(app().receiverDelimiter, 0);
    EXPECT_EQ(LatestPath(), "");
}

TEST_F(DocumentCommandsTest, SavesTheCompleteDocumentByteForByte)
{
    app().WriteForm(SampleForm());
    ChooseDelimiter(3);
    const std::string path = Folder() + "/release.pre";
    WriteFileBytes(path, std::string(50000, 'o'));  // replaced without a question
    Save(path);
    EXPECT_EQ(ReadFileBytes(path), kSampleDocument);
    EXPECT_EQ(LatestPath(), path);
    EXPECT_EQ(StatusText(), "Saved " + path);
}

TEST_F(DocumentCommandsTest, RoundTripRestoresEveryFieldAndTheDelimiterWithItsMark)
{
    FormValues noSelections = SampleForm();
    noSelections.productType = -1;
    noSelections.trialKind = -1;
    noSelections.trialAvailable = false;
    FormValues unusual = SampleForm();
    unusual.featuresText = "Zürich €\n\nlast line";
    unusual.receivers = std::string(20000, 'r') + "@x.org\n";  // beyond 16383 characters
    const std::pair<FormValues, int> cases[] = {
        {SampleForm(), 0},
        {SampleForm(), 1},
        {noSelections, 2},
        {unusual, 3},
    };
    for (const auto& [form, delimiter] : cases) {
        SCOPED_TRACE(delimiter);
        app().WriteForm(form);
        ChooseDelimiter(delimiter);
        const std::string path = Folder() + "/round" + std::to_string(delimiter) + ".pre";
        Save(path);
        const std::string bytes = ReadFileBytes(path);
        EXPECT_EQ(bytes, WriteDocumentBytes(form, delimiter));

        app().WriteForm(OtherForm());
        ChooseDelimiter((delimiter + 1) % 4);
        Open(path);
        EXPECT_EQ(Describe(app().ReadForm()), Describe(form));
        EXPECT_EQ(app().receiverDelimiter, delimiter);
        EXPECT_EQ(CheckedDelimiterItems(app().settingsMenu),
                  std::vector<int>{ID_DELIMITER_SEMICOLON + delimiter});
        EXPECT_EQ(LatestPath(), path);
        EXPECT_EQ(StatusText(), "Opened " + path);

        const std::string again = Folder() + "/again" + std::to_string(delimiter) + ".pre";
        Save(again);
        EXPECT_EQ(ReadFileBytes(again), bytes);
    }
}

TEST_F(DocumentCommandsTest, OpensStoredValuesTheMenuDoesNotOffer)
{
    ChooseDelimiter(2);
    FormValues outOfRange = SampleForm();
    outOfRange.productType = 28;
    outOfRange.trialKind = 99;
    std::string bytes = WriteDocumentBytes(outOfRange, 7);
    const std::size_t productUrl = bytes.find("12 http://x.org1 1");  // records 9 and 10
    ASSERT_NE(productUrl, std::string::npos);
    bytes.replace(productUrl + 15, 3, "1 2");
    const std::string path = Folder() + "/odd.pre";
    WriteFileBytes(path, bytes);

    Open(path);
    EXPECT_EQ(app().controls.productType->GetSelection(), wxNOT_FOUND);
    EXPECT_EQ(app().controls.trialKind->GetSelection(), wxNOT_FOUND);
    EXPECT_TRUE(app().controls.trialAvailable->GetValue());
    EXPECT_EQ(app().receiverDelimiter, 7);
    EXPECT_EQ(CheckedDelimiterItems(app().settingsMenu), std::vector<int>{ID_DELIMITER_SPACE});

    const std::string again = Folder() + "/again.pre";
    Save(again);
    FormValues written = SampleForm();
    written.productType = -1;
    written.trialKind = -1;
    EXPECT_EQ(ReadFileBytes(again), WriteDocumentBytes(written, 7));
}

TEST_F(DocumentCommandsTest, OpensDocumentsWrittenInWindows1252)
{
    const std::string path = Folder() + "/windows.pre";
    WriteFileBytes(path,
                   "4 Caf\xe9"
                   "2 \x80\x93"
                   "0 0 0 0 1 00 0 1 01 00 0 0 0 1 08 M\xfcller@x");
    Open(path);
    EXPECT_EQ(Utf8(app().controls.productName->GetValue()), "Café");
    EXPECT_EQ(Utf8(app().controls.productVersion->GetValue()), "€“");
    EXPECT_EQ(Utf8(app().controls.receivers->GetValue()), "Müller@x");
}

TEST_F(DocumentCommandsTest, DamagedDocumentsLeaveTheFormAsItWas)
{
    const std::string latest = Folder() + "/latest.pre";
    app().WriteForm(OtherForm());
    SendMenuCommand(ID_DELIMITER_SPACE);
    Save(latest);
    const std::string path = Folder() + "/damaged.pre";
    // Sixteen good records, then a length beyond the end.
    const std::string intact = kSampleDocument;
    WriteFileBytes(path, intact.substr(0, intact.rfind("16 a@x.org")) + "17 a@x.org");

    const ShownBox box = OpenWithBox(path);
    ExpectInformationBox(box, &frame(), DamagedDocumentText(path), "Open failed");
    EXPECT_EQ(Describe(app().ReadForm()), Describe(OtherForm()));
    EXPECT_EQ(app().receiverDelimiter, 2);
    EXPECT_EQ(LatestPath(), latest);
    EXPECT_EQ(Utf8(frame().GetTitle()), "latest.pre \u2013 Vantrel");
}

TEST_F(DocumentCommandsTest, DocumentsThatCannotBeReadShowOpenFailed)
{
    WriteFileBytes(Folder() + "/huge.pre", std::string(kMaxDocumentBytes + 1, '7'));
    const std::pair<std::string, std::string> cases[] = {
        {Folder() + "/no such file.pre", kCannotOpenText},
        {Folder() + "/huge.pre",
         ReadFailureText(Folder() + "/huge.pre", Failure::TooLarge, 64 * 1024 * 1024)},
    };
    for (const auto& [path, text] : cases) {
        SCOPED_TRACE(path);
        app().WriteForm(SampleForm());
        ExpectInformationBox(OpenWithBox(path), &frame(), text, "Open failed");
        EXPECT_EQ(Describe(app().ReadForm()), Describe(SampleForm()));
        EXPECT_EQ(LatestPath(), "");
    }
}

TEST_F(DocumentCommandsTest, ValuesTooLongForTheirFieldsAreReportedOnOpening)
{
    FormValues form = SampleForm();
    form.productName = std::string(70000, 'n');
    form.receivers = std::string(70000, 'r');  // a multi-line field takes it
    const std::string path = Folder() + "/long.pre";
    const std::string bytes = WriteDocumentBytes(form, 0);
    WriteFileBytes(path, bytes);
    ExpectInformationBox(OpenWithBox(path), &frame(), ValuesCutText(path, {"Product name"}, {}),
                         "Opened with cut values");
    EXPECT_EQ(Utf8(app().controls.receivers->GetValue()), form.receivers);
    EXPECT_EQ(ReadFileBytes(path), bytes);
    EXPECT_EQ(LatestPath(), path);
}

TEST_F(SaveFaultTest, PathThatIsAFolder)
{
    PrepareOldDocument(Folder() + "/doc.pre/inside.pre");
    ExpectSaveFailedAndOldKept(Folder() + "/doc.pre");
    EXPECT_TRUE(fs::is_directory(Folder() + "/doc.pre"));
}

TEST_F(DocumentCommandsTest, PathTooLongForTheSettingsIsNotRemembered)
{
    std::string folder = Folder();
    for (int i = 0; i < 4; ++i)
        folder += "/" + std::string(200, 'd');
    fs::create_directories(folder);
    for (const std::size_t length : {1023u, 1024u, 1030u}) {
        SCOPED_TRACE(length);
        ASSERT_TRUE(WriteSetting(kSettingsKeyPath, kLatestPathSetting, Folder() + "/earlier.pre"));
        const std::string path = folder + "/" + std::string(length - folder.size() - 5, 'l') + ".pre";
        Save(path);
        EXPECT_TRUE(FileExists(path));
        EXPECT_EQ(LatestPath(), length <= 1023 ? path : "");
    }
}

}  // namespace
