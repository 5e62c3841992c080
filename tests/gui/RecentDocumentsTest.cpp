#include "GuiTestSupport.h"

#include <filesystem>
#include <optional>

#include <wx/dnd.h>

#include "core/documents/DocumentFormat.h"
#include "core/settings/SettingsStore.h"
#include "gui/CommandIds.h"
#include "gui/RecentDocuments.h"

namespace {

class RecentDocumentsTest : public AppTest {
protected:
    std::string Document(const std::string& name, const std::string& productName)
    {
        FormValues form;
        form.productName = productName;
        const std::string path = home_->sandbox() + "/" + name;
        WriteFileBytes(path, WriteDocumentBytes(form, 0));
        return path;
    }

    void Open(const std::string& path) { wxTEST_DIALOG(SendMenuCommand(ID_OPEN), ExpectFileDialog(path)); }

    static std::string Recent(int number)
    {
        const Result<std::string> path =
            ReadSetting(kSettingsKeyPath, "RecentDocument" + std::to_string(number));
        return path ? *path : "";
    }

    std::string ProductName() { return Utf8(app().controls.productName->GetValue()); }
};

TEST_F(RecentDocumentsTest, TheLastDocumentsStandInTheFileMenuTheSettingsAndTheDesktopsList)
{
    const std::string first = Document("first.pre", "First");
    const std::string second = Document("second.pre", "Second");
    Open(first);
    Open(second);
    wxMenu* file = frame().GetMenuBar()->GetMenu(0);
    ASSERT_NE(file->FindItem(wxID_FILE2), nullptr);
    EXPECT_NE(Utf8(file->FindItem(wxID_FILE2)->GetItemLabelText()).find("first.pre"), std::string::npos);
    // The list is four long: no fifth setting, not even an empty one.
    const std::pair<int, std::optional<std::string>> stored[] = {
        {1, second}, {2, first}, {3, ""}, {4, ""}, {5, std::nullopt}};
    for (const auto& [number, path] : stored) {
        const Result<std::string> setting =
            ReadSetting(kSettingsKeyPath, "RecentDocument" + std::to_string(number));
        EXPECT_EQ(setting ? std::optional<std::string>(*setting) : std::nullopt, path) << number;
    }
    const std::string desktopList = ReadFileBytes(home_->home() + "/.local/share/recently-used.xbel");
    EXPECT_NE(desktopList.find("file://" + first), std::string::npos);

    app().controls.price->SetValue("9 EUR");  // unsaved: the same question as Open
    ShownBox asked;
    wxTEST_DIALOG(SendMenuCommand(wxID_FILE2), ExpectBox(wxID_NO, &asked));
    EXPECT_EQ(asked.caption, "Save changes?");
    EXPECT_EQ(ProductName(), "First");

    std::filesystem::remove(second);  // gone: said once, then off the list
    wxTEST_DIALOG(SendMenuCommand(wxID_FILE2), ExpectBox(wxID_OK, nullptr));
    EXPECT_EQ(file->FindItem(wxID_FILE2), nullptr);
    EXPECT_EQ(Recent(2), "");
}

// GTK's file dialog puts the name as typed on the desktop's list; Save
// adds ".pre", so that name is of no file and leaves the list again.
TEST_F(RecentDocumentsTest, TheDesktopsListHoldsTheSavedNameNotTheTypedOne)
{
    const std::string typed = home_->sandbox() + "/launch";
    AddToDesktopRecentList(typed);  // as the dialog does
    wxTEST_DIALOG(SendMenuCommand(ID_SAVE), ExpectFileDialog(typed));
    const std::string desktopList = ReadFileBytes(home_->home() + "/.local/share/recently-used.xbel");
    EXPECT_NE(desktopList.find("\"file://" + typed + ".pre\""), std::string::npos) << desktopList;
    EXPECT_EQ(desktopList.find("\"file://" + typed + "\""), std::string::npos) << desktopList;
}

TEST_F(RecentDocumentsTest, ADocumentDroppedOnTheWindowOpensAfterTheQuestion)
{
    const std::string dropped = Document("dropped.pre", "Dropped");
    auto* target = dynamic_cast<wxFileDropTarget*>(frame().GetDropTarget());
    ASSERT_NE(target, nullptr);
    app().controls.price->SetValue("9 EUR");
    wxArrayString files;
    files.Add(wxString::FromUTF8(dropped));
    wxTEST_DIALOG(EXPECT_FALSE(target->OnDropFiles(10, 10, files)), ExpectBox(wxID_CANCEL, nullptr));
    EXPECT_EQ(ProductName(), "") << "cancelled";
    wxTEST_DIALOG(EXPECT_TRUE(target->OnDropFiles(10, 10, files)), ExpectBox(wxID_NO, nullptr));
    EXPECT_EQ(ProductName(), "Dropped");
}

}  // namespace
