#pragma once

// The document commands' fixtures: the form filled, saved and opened
// through the file dialogs, and a save that fails.
#include <filesystem>
#include <vector>

#include "FormSamples.h"
#include "GuiTestSupport.h"
#include "core/documents/DocumentFormat.h"
#include "core/files/FileMessages.h"
#include "core/settings/SettingsStore.h"
#include "gui/CommandIds.h"

class DocumentCommandsTest : public AppTest {
protected:
    std::string Folder() const { return home_->sandbox() + "/documents"; }

    void SetUp() override
    {
        AppTest::SetUp();
        std::filesystem::create_directories(Folder());
    }

    void Save(const std::string& path, ShownFileDialog* shown = nullptr)
    {
        wxTEST_DIALOG(SendMenuCommand(ID_SAVE), ExpectFileDialog(path, shown));
    }

    // The tests fill the form as a user would, so Open may first ask about
    // unsaved changes; they are given up.
    static ExpectBox GiveUpChanges() { return ExpectBox(wxID_NO, nullptr).Optional(); }

    void Open(const std::string& path, ShownFileDialog* shown = nullptr)
    {
        wxTEST_DIALOG(SendMenuCommand(ID_OPEN), GiveUpChanges(), ExpectFileDialog(path, shown));
    }

    // Opening or saving that ends in a box, which the test answers and records.
    ShownBox OpenWithBox(const std::string& path)
    {
        ShownBox box;
        wxTEST_DIALOG(SendMenuCommand(ID_OPEN), GiveUpChanges(), ExpectFileDialog(path),
                      ExpectBox(wxID_OK, &box));
        return box;
    }

    ShownBox SaveWithBox(const std::string& path)
    {
        ShownBox box;
        wxTEST_DIALOG(SendMenuCommand(ID_SAVE), ExpectFileDialog(path), ExpectBox(wxID_OK, &box));
        return box;
    }

    void ChooseDelimiter(int value) { SendMenuCommand(ID_DELIMITER_SEMICOLON + value); }
};

// Save faults: the old document stays byte for byte, LatestPath stays, and
// the box says so.
class SaveFaultTest : public DocumentCommandsTest {
protected:
    std::string oldPath_;
    std::string oldBytes_;

    void PrepareOldDocument(const std::string& path)
    {
        oldPath_ = path;
        oldBytes_ = WriteDocumentBytes(OtherForm(), 1);
        WriteFileBytes(path, oldBytes_);
        ASSERT_TRUE(WriteSetting(kSettingsKeyPath, kLatestPathSetting, Folder() + "/earlier.pre"));
        FormValues large = SampleForm();
        large.receivers = std::string(100000, 'r') + "@x.org";
        app().WriteForm(large);
    }

    void ExpectSaveFailedAndOldKept(const std::string& target)
    {
        const ShownBox box = SaveWithBox(target);
        ExpectInformationBox(box, &frame(), kCannotSaveText, "Save failed");
        EXPECT_EQ(ReadFileBytes(oldPath_), oldBytes_);
        EXPECT_EQ(LatestPath(), Folder() + "/earlier.pre");
        std::size_t entries = 0;
        for ([[maybe_unused]] const auto& entry :
             std::filesystem::directory_iterator(std::filesystem::path(target).parent_path()))
            ++entries;
        EXPECT_EQ(entries, 1u) << "a temporary file was left behind";
    }
};
