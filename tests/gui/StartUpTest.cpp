#include "GuiTestSupport.h"

#include <filesystem>
#include <vector>

#include "FormSamples.h"
#include "core/documents/DocumentFormat.h"
#include "core/files/FileMessages.h"
#include "core/settings/SettingsStore.h"
#include "gui/CommandIds.h"

namespace {

// Start-up reopens the document named by LatestPath.
class StartUpTest : public AppTest {
protected:
    void BeforeStart() override
    {
        if (!documentBytes_.empty())
            WriteFileBytes(home_->sandbox() + "/latest.pre", documentBytes_);
        if (!latestPath_.empty()) {
            ASSERT_TRUE(WriteSetting(kSettingsKeyPath, kLatestPathSetting, latestPath_));
        }
    }

    void SetUp() override
    {
        home_ = std::make_unique<TempHome>();
        platformSettings_ = SandboxPlatformSettings(*home_);
        Configure(*home_);
        BeforeStart();
        bool started = false;
        if (expectBox_) {
            wxTEST_DIALOG(started = app().OnInit(), ExpectBox(wxID_OK, &startBox_));
        } else {
            started = app().OnInit();
        }
        ASSERT_TRUE(started);
        ASSERT_NE(app().mainWindow, nullptr);
    }

    void TearDown() override
    {
        AppTest::TearDown();
        SetArguments({"vantrel_gui_tests"});
    }

    virtual void Configure(const TempHome&) {}

    // The command line that start-up reads.
    void SetArguments(std::vector<std::string> arguments)
    {
        std::vector<const char*> pointers;
        for (const std::string& argument : arguments)
            pointers.push_back(argument.c_str());
        app().argc = static_cast<int>(pointers.size());
        app().argv.Init(app().argc, pointers.data());
    }

    std::string documentBytes_;
    std::string latestPath_;
    bool expectBox_ = false;
    ShownBox startBox_;
};

FormValues StartValues() { return FormValues{}; }

class StartWithoutLatestPath : public StartUpTest {};

TEST_F(StartWithoutLatestPath, ShowsTheStartValues)
{
    EXPECT_EQ(Describe(app().ReadForm()), Describe(StartValues()));
    EXPECT_EQ(app().receiverDelimiter, 0);
    EXPECT_EQ(CheckedDelimiterItems(app().settingsMenu), std::vector<int>{ID_DELIMITER_SEMICOLON});
}

class StartWithValidLatestPath : public StartUpTest {
    void Configure(const TempHome& home) override
    {
        documentBytes_ = WriteDocumentBytes(SampleForm(), 2);
        latestPath_ = home.sandbox() + "/latest.pre";
    }
};

TEST_F(StartWithValidLatestPath, ShowsTheDocumentAndItsDelimiter)
{
    EXPECT_EQ(Describe(app().ReadForm()), Describe(SampleForm()));
    EXPECT_EQ(app().receiverDelimiter, 2);
    EXPECT_EQ(CheckedDelimiterItems(app().settingsMenu), std::vector<int>{ID_DELIMITER_SPACE});
}

class StartWithStaleLatestPath : public StartUpTest {
    void Configure(const TempHome& home) override
    {
        latestPath_ = home.sandbox() + "/deleted.pre";
        expectBox_ = true;
    }
};

TEST_F(StartWithStaleLatestPath, ShowsOpenFailedAndTheStartValues)
{
    ExpectInformationBox(startBox_, &frame(), kCannotOpenText, "Open failed");
    EXPECT_EQ(Describe(app().ReadForm()), Describe(StartValues()));
    EXPECT_EQ(app().receiverDelimiter, 0);
    EXPECT_EQ(LatestPath(), home_->sandbox() + "/deleted.pre");
}

// A document named on the command line is opened instead of LatestPath.
// Named relative to the folder the program starts in, as a shell passes it.
class StartWithDocumentArgument : public StartUpTest {
    void Configure(const TempHome& home) override
    {
        documentBytes_ = WriteDocumentBytes(SampleForm(), 2);
        WriteFileBytes(home.sandbox() + "/other.pre", WriteDocumentBytes(OtherForm(), 1));
        latestPath_ = home.sandbox() + "/other.pre";
        previousFolder_ = std::filesystem::current_path();
        std::filesystem::current_path(home.sandbox());
        SetArguments({"vantrel", "latest.pre"});
    }
    void TearDown() override
    {
        std::filesystem::current_path(previousFolder_);
        StartUpTest::TearDown();
    }
    std::filesystem::path previousFolder_;
};

TEST_F(StartWithDocumentArgument, OpensItAndRemembersIt)
{
    EXPECT_EQ(Describe(app().ReadForm()), Describe(SampleForm()));
    EXPECT_EQ(app().receiverDelimiter, 2);
    // The argument is made absolute, in Windows' separators there.
    EXPECT_EQ(std::filesystem::path(LatestPath()), std::filesystem::path(home_->sandbox() + "/latest.pre"));
}

class StartWithMissingDocumentArgument : public StartUpTest {
    void Configure(const TempHome& home) override
    {
        documentBytes_ = WriteDocumentBytes(SampleForm(), 2);
        latestPath_ = home.sandbox() + "/latest.pre";
        SetArguments({"vantrel", home.sandbox() + "/missing.pre"});
        expectBox_ = true;
    }
};

TEST_F(StartWithMissingDocumentArgument, ShowsOpenFailedAndTheStartForm)
{
    ExpectInformationBox(startBox_, &frame(), kCannotOpenText, "Open failed");
    EXPECT_EQ(Describe(app().ReadForm()), Describe(StartValues()));
    EXPECT_EQ(LatestPath(), home_->sandbox() + "/latest.pre");
}

}  // namespace
