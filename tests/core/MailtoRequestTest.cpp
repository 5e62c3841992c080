#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <tuple>

#include "TempHome.h"

#include "core/release/MailtoRequest.h"
#include "core/files/LineEnds.h"
#include "core/release/ReleaseFile.h"

namespace {

using namespace std::string_literals;

TEST(EscapeUri, EachClassOfBytes)
{
    const std::pair<std::string, std::string> cases[] = {
        {"AZaz09", "AZaz09"},
        {"-_.!~*()'", "-_.!~*()'"},
        {";/?:@&=+$,", ";/?:@&=+$,"},
        {"a b  c", "a%20b%20%20c"},
        {"\n\t\r", "%0A%09%0D"},
        {"\"%<>#", "%22%25%3C%3E%23"},
        {"[]{}|\\^`", "%5B%5D%7B%7D%7C%5C%5E%60"},
        {"\0\x1f\x7f"s, "%00%1F%7F"},
        {"\x80\xff", "%80%FF"},
        {"J\xc3\xbcrgen \xe2\x82\xac", "J%C3%BCrgen%20%E2%82%AC"},
        {"", ""},
    };
    for (const auto& [text, escaped] : cases) {
        SCOPED_TRACE(testing::PrintToString(text));
        EXPECT_EQ(EscapeUri(text), escaped);
    }
    // Only the reserved characters given stay.
    EXPECT_EQ(EscapeUri(";/?:@&=+$,", ";@"), ";%2F%3F%3A@%26%3D%2B%24%2C");
}

TEST(MailtoRequest, FillsTheFormatAndEscapesEachValueAsAWhole)
{
    struct Case {
        const char* name;
        std::string contact, bcc, company, request;
    };
    const std::string body = "&body=Click%20here.%20Then%20press%20control-a%20followed%20by%20control-v.";
    const Case cases[] = {
        {"plain values keep every byte of the format", "ada@example.org", "r1@x.org; r2@y.org", "Acme",
         "mailto:ada@example.org?bcc=r1@x.org;%20r2@y.org&subject=Press%20release%20from%20Acme" + body},
        {"an ampersand stays inside the subject", "ada@example.org", "", "Smith & Sons",
         "mailto:ada@example.org?bcc=&subject=Press%20release%20from%20Smith%20%26%20Sons" + body},
        {"question mark and equals sign stay inside their values", "a?b=c@x.org", "d=e@y.org,%20f?@z.org",
         "Q=A?",
         "mailto:a%3Fb%3Dc@x.org?bcc=d%3De@y.org,%2520f%3F@z.org&subject=Press%20release%20from%20Q%3DA%3F" +
             body},
        {"line feeds between receivers", "ada@example.org", "r1@x.org\nr2@y.org", "Acme",
         "mailto:ada@example.org?bcc=r1@x.org%0Ar2@y.org&subject=Press%20release%20from%20Acme" + body},
        {"quotes, $( ) and backticks are only characters", "\"$(rm -rf ~)\"@x.org", "`id`@y.org", "'; ls",
         "mailto:%22$(rm%20-rf%20~)%22@x.org?bcc=%60id%60@y.org&subject=Press%20release%20from%20';%20ls" +
             body},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(MailtoRequest(c.contact, c.bcc, c.company), c.request);
    }
}

TEST(EmailDraftNote, WarnsOfTheBccListOnlyForBlanksAndLineBreaks)
{
    const std::string paste =
        "The press release is on the clipboard: click into the message and paste it (Ctrl+V).";
    const std::string warning =
        " Many mail programs drop a Bcc list separated by blanks or line breaks: choose Delimiter: ; for e-mail.";
    const std::string unanswered = "No e-mail program answered. The press release is on the clipboard.";
    const std::tuple<int, bool, std::string> cases[] = {
        {0, true, paste}, {1, true, paste},       {2, true, paste + warning}, {3, true, paste + warning},
        {7, true, paste}, {0, false, unanswered}, {2, false, unanswered}};
    for (const auto& [delimiter, answered, note] : cases)
        EXPECT_EQ(EmailDraftNote(delimiter, answered), note) << delimiter << (answered ? "" : " unanswered");
}

TEST(ReleaseFile, HeadingEmptyLineReleaseAndOneMoreLineFeed)
{
    const std::string release = "For Immediate Release\n###\nPress image: http://x.org/i.png\n";
    EXPECT_EQ(ReleaseFileText("Acme", release),
              "Press release from Acme\n\nFor Immediate Release\n###\nPress image: http://x.org/i.png\n\n");
}

TEST(ReleaseFile, LineEndsAsTextModeWritesThem)
{
    const std::pair<LineEnds, std::string> cases[] = {
        {LineEnds::LineFeed, "a\n\nb\r\n\n"},
        {LineEnds::CarriageReturnLineFeed, "a\r\n\r\nb\r\r\n\r\n"},
    };
    for (const auto& [ends, expected] : cases)
        EXPECT_EQ(WithLineEnds("a\n\nb\r\n\n", ends), expected);
}

TEST(ReleaseFile, InTheInstallationFolderWhereWritableElseInTheCache)
{
    TempHome home;
    const std::string installed = home.sandbox() + "/share/vantrel";
    std::filesystem::create_directories(installed);
    const std::string cache = home.home() + "/.cache/vantrel/temp.txt";
    const std::pair<std::string, std::string> paths[] = {
        {installed, installed + "/temp.txt"},
        {installed + "/", installed + "//temp.txt"},
        {home.sandbox() + "/missing", cache},
        {"", cache},
    };
    for (const auto& [folder, path] : paths)
        EXPECT_EQ(ReleaseFilePath(folder), path) << folder;
    EXPECT_TRUE(std::filesystem::is_directory(home.home() + "/.cache/vantrel"));

    // Where another user could plant a file or a link, the cache is used instead.
    const std::string shared = home.sandbox() + "/shared";
    const std::string sticky = home.sandbox() + "/sticky";
    const std::string linked = home.sandbox() + "/linked";
    for (const std::string& folder : {shared, sticky, linked})
        std::filesystem::create_directories(folder);
    chmod(shared.c_str(), 0777);
    chmod(sticky.c_str(), 01777);
    std::filesystem::create_symlink(home.sandbox() + "/victim", linked + "/temp.txt");
    const std::pair<std::string, std::string> unsafe[] = {
        {shared, cache}, {sticky, sticky + "/temp.txt"}, {linked, cache}};
    for (const auto& [folder, path] : unsafe)
        EXPECT_EQ(ReleaseFilePath(folder), path) << folder;

    setenv("XDG_CACHE_HOME", (home.sandbox() + "/cache").c_str(), 1);
    EXPECT_EQ(ReleaseFilePath(""), home.sandbox() + "/cache/vantrel/temp.txt");
    unsetenv("XDG_CACHE_HOME");
}

}  // namespace
