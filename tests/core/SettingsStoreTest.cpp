#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <set>

#include "TempHome.h"
#include "core/settings/SettingsStore.h"

namespace fs = std::filesystem;

namespace {

std::set<std::string> FilesBelow(const std::string& folder)
{
    std::set<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        if (!entry.is_directory())
            files.insert(fs::relative(entry.path(), folder).string());
    return files;
}

bool Read(const char* name, std::string& text)
{
    const Result<std::string> value = ReadSetting(kSettingsKeyPath, name);
    text = value ? *value : std::string();
    return static_cast<bool>(value);
}

TEST(SettingsStore, KeyPathBecomesOneFileUnderTheConfigFolder)
{
    TempHome home;
    EXPECT_EQ(SettingsFilePath(kSettingsKeyPath), home.SettingsFile());

    setenv("XDG_CONFIG_HOME", "", 1);
    EXPECT_EQ(SettingsFilePath(kSettingsKeyPath), home.SettingsFile()) << "empty means unset";
    setenv("XDG_CONFIG_HOME", (home.home() + "/cfg").c_str(), 1);
    EXPECT_EQ(SettingsFilePath(kSettingsKeyPath), home.home() + "/cfg/Tarsel/Vantrel.conf");
    unsetenv("XDG_CONFIG_HOME");
}

TEST(SettingsStore, MissingFolderFileOrValueReadsAsFalseWithTheEmptyText)
{
    TempHome home;
    std::string text;
    EXPECT_FALSE(Read(kLatestPathSetting, text));
    EXPECT_EQ(text, "");
    EXPECT_FALSE(fs::exists(home.home() + "/.config")) << "reading creates nothing";

    WriteFileBytes(home.SettingsFile(), "InstallPath=/opt/vantrel\n");
    EXPECT_FALSE(Read(kLatestPathSetting, text));
    EXPECT_EQ(text, "");
}

TEST(SettingsStore, WritesCreateTheFoldersAndRoundTrip)
{
    TempHome home;
    const std::string path30 = "/home/ann/launches/quill21.pre";
    ASSERT_EQ(path30.size(), 30u);
    ASSERT_TRUE(WriteSetting(kSettingsKeyPath, kLatestPathSetting, path30));
    ASSERT_TRUE(WriteSetting(kSettingsKeyPath, kInstallPathSetting, "/opt/v"));

    std::string text;
    EXPECT_TRUE(Read(kLatestPathSetting, text));
    EXPECT_EQ(text, path30);
    EXPECT_TRUE(Read(kInstallPathSetting, text));
    EXPECT_EQ(text, "/opt/v") << "writing one value keeps the other";

    // Nothing but the one settings file, no temporary file left behind.
    EXPECT_EQ(FilesBelow(home.sandbox()), std::set<std::string>{"home/.config/Tarsel/Vantrel.conf"});
    EXPECT_NE(ReadFileBytes(home.SettingsFile()).find("LatestPath=" + path30 + "\n"), std::string::npos);
}

TEST(SettingsStore, TextsAreCutToTheirFirst1023Bytes)
{
    TempHome home;
    const std::string longText = "/" + std::string(1099, 'x');
    ASSERT_TRUE(WriteSetting(kSettingsKeyPath, kLatestPathSetting, longText));
    std::string text;
    EXPECT_TRUE(Read(kLatestPathSetting, text));
    EXPECT_EQ(text, longText.substr(0, 1023));

    // A multi-byte character is never split.
    const std::string umlauts = std::string(1022, 'a') + "\xC3\xBC";
    ASSERT_TRUE(WriteSetting(kSettingsKeyPath, kLatestPathSetting, umlauts));
    EXPECT_TRUE(Read(kLatestPathSetting, text));
    EXPECT_EQ(text, std::string(1022, 'a'));
}

TEST(SettingsStore, StoredTextsTooLongForTheReadAreMissing)
{
    TempHome home;
    struct Case {
        size_t length;
        bool readable;
    };
    for (Case c : {Case{1023, true}, Case{1024, false}, Case{5000, false}}) {
        SCOPED_TRACE(c.length);
        const std::string value(c.length, 'p');
        WriteFileBytes(home.SettingsFile(), "LatestPath=" + value + "\n");
        std::string text;
        EXPECT_EQ(Read(kLatestPathSetting, text), c.readable);
        EXPECT_EQ(text, c.readable ? value : "");
    }
}

TEST(SettingsStore, HandWrittenLinesAndEarlierVersionsFilesAreRead)
{
    TempHome home;
    struct Case {
        std::string file, latestPath, installPath;
    };
    const Case cases[] = {
        {"# written by hand\nLatestPath=/home/ann/launch.pre\nInstallPath=/usr/share/v\n",
         "/home/ann/launch.pre", "/usr/share/v"},
        {"[/]\r\nLatestPath=\" /a b\\\\c\\\"d\"\r\n  InstallPath = /opt/v  \n[Other]\nLatestPath=/no\n",
         " /a b\\c\"d", "/opt/v  "},
        {"[Other]\nLatestPath=/no\n[]\nLatestPath=/top.pre\nInstallPath=/i\n", "/top.pre", "/i"},
        {"\xEF\xBB\xBFlatestpath=/bom.pre\nINSTALLPATH=/I\n", "/bom.pre", "/I"},
    };
    for (const Case& c : cases) {
        WriteFileBytes(home.SettingsFile(), c.file);
        std::string text;
        EXPECT_TRUE(Read(kLatestPathSetting, text));
        EXPECT_EQ(text, c.latestPath);
        EXPECT_TRUE(Read(kInstallPathSetting, text));
        EXPECT_EQ(text, c.installPath);
    }
}

// A file people and other versions wrote keeps every byte the program does
// not own; only the one line changes.
TEST(SettingsStore, WritingKeepsWhatItDoesNotOwn)
{
    TempHome home;
    const std::pair<std::string, std::string> cases[] = {
        {"", "LatestPath=/new.pre\n"},
        {"# mine\nLatestPath=/old.pre\nOther=1\n", "# mine\nLatestPath=/new.pre\nOther=1\n"},
        {"\xEF\xBB\xBFlatestPATH=/old.pre\r\nX=1\r\n", "\xEF\xBB\xBFLatestPath=/new.pre\nX=1\r\n"},
        {"A=1\n[Window]\nLatestPath=/other\nunknown line\n",
         "A=1\nLatestPath=/new.pre\n[Window]\nLatestPath=/other\nunknown line\n"},
        {"[Window]\nW=2", "LatestPath=/new.pre\n[Window]\nW=2\n"},
        {"LatestPath=/a\nlatestpath=/b\n", "LatestPath=/new.pre\n"},
        {"; comment without a line end", "; comment without a line end\nLatestPath=/new.pre\n"},
    };
    for (const auto& [before, after] : cases) {
        SCOPED_TRACE(before);
        WriteFileBytes(home.SettingsFile(), before);
        ASSERT_TRUE(WriteSetting(kSettingsKeyPath, kLatestPathSetting, "/new.pre"));
        EXPECT_EQ(ReadFileBytes(home.SettingsFile()), after);
    }
}

TEST(SettingsStore, ValuesComeBackByteForByte)
{
    TempHome home;
    setenv("X", "expanded", 1);
    const std::string values[] = {
        "/home/ann/docs/$HOME.pre",
        "/a/${X}/b.pre",
        "/a/\\$X\\b.pre",
        "/a/%X%.pre",
        " leading and trailing blanks ",
        "\"quoted\"",
        "a\"b\"",
        "tab\there",
        "line\nfeed\r\n",
        "ends in a carriage return\r",
        "= # ; [section]",
        "\\\\server\\share",
        "/caf\xe9/\xff\xfe.pre",
        "/caf\xc3\xa9.pre",
        "",
    };
    for (const std::string& value : values) {
        SCOPED_TRACE(testing::PrintToString(value));
        ASSERT_TRUE(WriteSetting(kSettingsKeyPath, kLatestPathSetting, value));
        std::string text;
        EXPECT_TRUE(Read(kLatestPathSetting, text));
        EXPECT_EQ(text, value);
    }
    unsetenv("X");
}

// A file past 1 MiB holds values this program cannot see (another
// program's groups); writing one line into it must not drop the rest.
TEST(SettingsStore, AFileBeyond1MiBReadsAsNothingAndIsLeftAlone)
{
    TempHome home;
    for (const std::size_t size : {1048576u, 1048577u}) {
        SCOPED_TRACE(size);
        const bool fits = size == 1048576u;
        const std::string head = "LatestPath=/a.pre\n[Other]\nServer=mail.example.org\n";
        const std::string bytes = head + std::string(size - head.size() - 1, '#') + "\n";
        WriteFileBytes(home.SettingsFile(), bytes);
        std::string text;
        EXPECT_EQ(Read(kLatestPathSetting, text), fits);
        EXPECT_EQ(static_cast<bool>(WriteSetting(kSettingsKeyPath, kInstallPathSetting, "/opt/v")), fits);
        const std::string after = ReadFileBytes(home.SettingsFile());
        EXPECT_EQ(after, fits ? "LatestPath=/a.pre\nInstallPath=/opt/v\n" + bytes.substr(18) : bytes);
    }
}

TEST(SettingsStore, ALinkedSettingsFileIsWrittenThrough)
{
    TempHome home;
    const std::string real = home.sandbox() + "/dotfiles/Vantrel.conf";
    WriteFileBytes(real, "InstallPath=/opt/v\n");
    fs::create_directories(fs::path(home.SettingsFile()).parent_path());
    fs::create_symlink(real, home.SettingsFile());
    ASSERT_TRUE(WriteSetting(kSettingsKeyPath, kLatestPathSetting, "/a.pre"));
    EXPECT_TRUE(fs::is_symlink(home.SettingsFile()));
    EXPECT_EQ(ReadFileBytes(real), "InstallPath=/opt/v\nLatestPath=/a.pre\n");
}

TEST(SettingsStore, DamagedFilesNeverCrashAndReadAsNoValue)
{
    TempHome home;
    const std::string damaged[] = {
        std::string("\x00\x01\xff\xfe garbage\n", 14),
        "[unclosed section\n=no name\n",
        "=x\n",
        "LatestPath\n[",
        "\xC3\x28\xA0\xA1 not UTF-8\n",
        std::string(100000, '['),
    };
    for (const std::string& bytes : damaged) {
        WriteFileBytes(home.SettingsFile(), bytes);
        std::string text;
        EXPECT_FALSE(Read(kLatestPathSetting, text));
        EXPECT_EQ(text, "");
        // A later write still works and is read back.
        EXPECT_TRUE(WriteSetting(kSettingsKeyPath, kLatestPathSetting, "/a.pre"));
        EXPECT_TRUE(Read(kLatestPathSetting, text));
        EXPECT_EQ(text, "/a.pre");
    }
}

TEST(SettingsStore, AFolderWhereTheFileBelongsFailsCleanly)
{
    TempHome home;
    fs::create_directories(home.SettingsFile());
    std::string text;
    EXPECT_FALSE(Read(kLatestPathSetting, text));
    EXPECT_EQ(text, "");
    EXPECT_FALSE(WriteSetting(kSettingsKeyPath, kLatestPathSetting, "/a.pre"));
}

TEST(SettingsStore, TheInstallationsFilesComeAfterTheUsers)
{
    TempHome home;
    const std::string second = home.sandbox() + "/second/Tarsel/Vantrel.conf";
    setenv("XDG_CONFIG_DIRS",
           (home.sandbox() + "/etc/xdg:relative/ignored:" + home.sandbox() + "/second").c_str(), 1);
    const std::vector<std::string> files = SystemSettingsFilePaths(kSettingsKeyPath);
    ASSERT_EQ(files.size(), 3u);
    EXPECT_EQ(files[0], home.SystemSettingsFile());
    EXPECT_EQ(files[1], second);
    EXPECT_EQ(files[2].substr(files[2].size() - 28), "/etc/xdg/Tarsel/Vantrel.conf")
        << "the program's prefix";

    WriteFileBytes(second, "InstallPath=/opt/second\nLatestPath=/second.pre\n");
    WriteFileBytes(home.SystemSettingsFile(), "InstallPath=/usr/share/vantrel\n");
    std::string text;
    EXPECT_TRUE(Read(kInstallPathSetting, text));
    EXPECT_EQ(text, "/usr/share/vantrel");
    EXPECT_TRUE(Read(kLatestPathSetting, text));
    EXPECT_EQ(text, "/second.pre");
    ASSERT_TRUE(WriteSetting(kSettingsKeyPath, kInstallPathSetting, "/home/ann/vantrel"));
    EXPECT_TRUE(Read(kInstallPathSetting, text));
    EXPECT_EQ(text, "/home/ann/vantrel") << "the user's file first";
    EXPECT_EQ(ReadFileBytes(home.SystemSettingsFile()), "InstallPath=/usr/share/vantrel\n")
        << "never written";

    unsetenv("XDG_CONFIG_DIRS");
    EXPECT_EQ(SystemSettingsFilePaths(kSettingsKeyPath).front(), "/etc/xdg/Tarsel/Vantrel.conf");
}

TEST(SettingsStore, RelativeConfigHomeIsIgnored)
{
    TempHome home;
    setenv("XDG_CONFIG_HOME", "relative/ignored", 1);
    EXPECT_EQ(SettingsFilePath(kSettingsKeyPath), home.SettingsFile());
    unsetenv("XDG_CONFIG_HOME");
}

}  // namespace
