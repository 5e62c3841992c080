#include "GuiTestSupport.h"

#include <filesystem>

#include "core/documents/ReceiverFile.h"
#include "core/files/FileMessages.h"
#include "core/receivers/ReceiverList.h"
#include "core/replies/DoNotSendList.h"
#include "core/settings/SettingsStore.h"
#include "gui/CommandIds.h"
#include "gui/DoNotSendDialog.h"

namespace fs = std::filesystem;

namespace {

using namespace std::string_literals;

class ReceiverCommandsTest : public AppTest {
protected:
    std::string Folder() const { return home_->sandbox() + "/lists"; }

    void SetUp() override
    {
        AppTest::SetUp();
        fs::create_directories(Folder());
    }

    void SetReceivers(const std::string& text)
    {
        app().controls.receivers->SetValue(wxString::FromUTF8(text));
    }
    std::string Receivers() { return Utf8(app().controls.receivers->GetValue()); }

    void Export(const std::string& path, ShownFileDialog* shown = nullptr)
    {
        wxTEST_DIALOG(SendMenuCommand(ID_EXPORT_RECEIVERS), ExpectFileDialog(path, shown));
    }

    void Import(const std::string& path, ShownFileDialog* shown = nullptr)
    {
        wxTEST_DIALOG(SendMenuCommand(ID_IMPORT_RECEIVERS), ExpectFileDialog(path, shown));
    }

    ShownBox CommandWithBox(int id, const std::string& path)
    {
        ShownBox box;
        wxTEST_DIALOG(SendMenuCommand(id), ExpectFileDialog(path), ExpectBox(wxID_OK, &box));
        return box;
    }
};

TEST_F(ReceiverCommandsTest, ExportAndImportShowTheirDialogs)
{
    // Without a documents folder the dialogs start at home.
    SetReceivers("ann@x.org");
    ShownFileDialog exportDialog;
    Export(Folder() + "/a", &exportDialog);
    ExpectFileDialogAsked(exportDialog, &frame(), "Export email addresses", "*.csv",
                          wxFD_SAVE | wxFD_OVERWRITE_PROMPT, home_->home());
    EXPECT_EQ(ReadFileBytes(Folder() + "/a.csv"), "ann@x.org");

    ShownFileDialog importDialog;
    Import(Folder() + "/a.csv", &importDialog);
    ExpectFileDialogAsked(importDialog, &frame(), "Import email addresses", "*.csv|*.csv|All files (*)|*",
                          wxFD_OPEN, home_->home());
}

TEST_F(ReceiverCommandsTest, ExportWritesTheCollectedAddresses)
{
    struct Case {
        const char* name;
        std::string receivers;
        int delimiterItem;
        std::string bytes;
        std::string leftOut;
    };
    const Case cases[] = {
        {"newline gives CR LF between two addresses", "ann@x.org, bob@y.org\n", ID_DELIMITER_NEWLINE,
         "ann@x.org\r\nbob@y.org", ""},
        {"comma", "ann@x.org\nbob@y.org", ID_DELIMITER_COMMA, "ann@x.org, bob@y.org", ""},
        {"entries left out are named", "Ann <ann@x.org>; john doe@typo.example; gone@y.org",
         ID_DELIMITER_SPACE, "ann@x.org",
         ". 1 entry is not an address (\"john doe@typo.example\"). 1 address on the do-not-send list was left "
         "out."},
    };
    app().controls.contactEmail->SetValue("ada@example.org");
    Result<DoNotSendList> list = DoNotSendListOf("ada@example.org");
    ASSERT_TRUE(list && list->Add({"gone@y.org", DoNotSendReason::Unsubscribed, 0, ""}));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetReceivers(c.receivers);
        SendMenuCommand(c.delimiterItem);
        const std::string path = Folder() + "/export.csv";
        WriteFileBytes(path, "an older list that is replaced without a question");
        Export(path);
        EXPECT_EQ(ReadFileBytes(path), c.bytes);
        EXPECT_EQ(Receivers(), c.receivers);
        EXPECT_EQ(StatusText(), "Receivers exported to " + path + c.leftOut);
    }
    EXPECT_FALSE(ReadSetting(kSettingsKeyPath, kLatestPathSetting));
}

TEST_F(ReceiverCommandsTest, ImportReplacesTheReceiversWithTheFileAndOneLineFeed)
{
    const std::pair<std::string, std::string> cases[] = {
        {"", "\n"},
        {"ann@x.org\r\n", "ann@x.org\n\n"},
        {"ann@x.org\r\nbob@y.org", "ann@x.org\nbob@y.org\n"},
        {"ann@x.org\0bob@y.org"s, "ann@x.org\n"},
        {"J\xfcrgen@x.de", "Jürgen@x.de\n"},
    };
    for (const auto& [bytes, receivers] : cases) {
        SCOPED_TRACE(testing::PrintToString(bytes));
        SetReceivers("old@example.org");
        const std::string path = Folder() + "/import.csv";
        WriteFileBytes(path, bytes);
        Import(path);
        EXPECT_EQ(Receivers(), receivers);
        EXPECT_EQ(StatusText(), "Receivers imported from " + path);
    }
}

TEST_F(ReceiverCommandsTest, ImportingTwiceReplaces)
{
    WriteFileBytes(Folder() + "/first.csv", "first@x.org");
    WriteFileBytes(Folder() + "/second.csv", "second@y.org");
    Import(Folder() + "/first.csv");
    Import(Folder() + "/second.csv");
    EXPECT_EQ(Receivers(), "second@y.org\n");
}

TEST_F(ReceiverCommandsTest, ExportThenImportGivesTheJoinedList)
{
    std::string receivers;
    for (int i = 0; i < 2000; ++i)  // far beyond 16383 characters
        receivers += "receiver" + std::to_string(i) + "@example.org\n";
    SetReceivers(receivers);
    SendMenuCommand(ID_DELIMITER_NEWLINE);
    const std::string path = Folder() + "/list.csv";
    Export(path);
    SetReceivers("something else");
    Import(path);
    // The joined list, each address on a line, and the one line feed of the import.
    const std::string imported = Receivers();
    EXPECT_EQ(imported.size(), receivers.size());
    EXPECT_TRUE(imported == receivers) << imported.substr(0, 200);
}

TEST_F(ReceiverCommandsTest, FailuresShowTheirBoxAndChangeNothing)
{
    SetReceivers("kept@x.org\n");
    WriteFileBytes(Folder() + "/huge.csv", std::string(kMaxImportBytes + 1, 'a'));
    fs::create_directories(Folder() + "/folder.csv");

    ExpectInformationBox(CommandWithBox(ID_IMPORT_RECEIVERS, Folder() + "/missing.csv"), &frame(),
                         kCannotOpenText, "Open failed");
    const ShownBox tooLarge = CommandWithBox(ID_IMPORT_RECEIVERS, Folder() + "/huge.csv");
    ExpectInformationBox(tooLarge, &frame(),
                         ReadFailureText(Folder() + "/huge.csv", Failure::TooLarge, 16 * 1024 * 1024),
                         "Open failed");
    EXPECT_NE(tooLarge.text.find("too large"), std::string::npos);
    ExpectInformationBox(CommandWithBox(ID_EXPORT_RECEIVERS, Folder() + "/folder.csv"), &frame(),
                         kCannotSaveText, "Save failed");

    EXPECT_EQ(Receivers(), "kept@x.org\n");
    EXPECT_TRUE(fs::is_directory(Folder() + "/folder.csv"));
    EXPECT_EQ(std::distance(fs::directory_iterator(Folder()), fs::directory_iterator()), 2);

    // Nobody who asked not to receive may be among the receivers handed out.
    const std::string list = DoNotSendPath("");
    fs::create_directories(fs::path(list).parent_path());
    WriteFileBytes(list, "not a list\n");
    ExpectInformationBox(CommandWithBox(ID_EXPORT_RECEIVERS, Folder() + "/huge.csv"), &frame(),
                         DoNotSendProblem(Failure::Damaged, list) +
                             "\n\nThe receivers were not handed out: nobody on the list may be among them.",
                         "Save failed");
    EXPECT_EQ(fs::file_size(Folder() + "/huge.csv"), kMaxImportBytes + 1);
}

TEST_F(ReceiverCommandsTest, CancelledDialogsChangeNothing)
{
    SetReceivers("kept@x.org");
    const std::string path = Folder() + "/list.csv";
    WriteFileBytes(path, "other@y.org");
    wxTEST_DIALOG(SendMenuCommand(ID_IMPORT_RECEIVERS), ExpectFileDialog(path, nullptr, wxID_CANCEL));
    wxTEST_DIALOG(SendMenuCommand(ID_EXPORT_RECEIVERS), ExpectFileDialog(path, nullptr, wxID_CANCEL));
    EXPECT_EQ(Receivers(), "kept@x.org");
    EXPECT_EQ(ReadFileBytes(path), "other@y.org");
}

}  // namespace
