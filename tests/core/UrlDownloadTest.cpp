#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "LocalHttpServer.h"
#include "TempHome.h"
#include "core/checks/UrlDownload.h"
#include "core/settings/SettingsStore.h"

namespace fs = std::filesystem;

namespace {

constexpr std::int64_t kMiB = 1024 * 1024;

std::vector<std::string> FolderListing(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    return names;
}

// Every download runs with a private temporary folder and a release file
// in the installation folder, so a test sees what a probe leaves behind.
class UrlDownloadTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(server.IsRunning());
        const char* oldTmp = std::getenv("TMPDIR");
        hadTmpDir = oldTmp != nullptr;
        if (oldTmp)
            oldTmpDir = oldTmp;
        tmpDir = home.sandbox() + "/tmp";
        fs::create_directories(tmpDir);
        setenv("TMPDIR", tmpDir.c_str(), 1);
        // Whatever the machine's proxy settings, 127.0.0.1 is reached directly.
        setenv("no_proxy", "127.0.0.1", 1);

        installDir = home.sandbox() + "/install";
        WriteFileBytes(installDir + "/temp.txt", releaseText);
        ASSERT_TRUE(WriteSetting(kSettingsKeyPath, kInstallPathSetting, installDir));
    }

    void TearDown() override
    {
        EXPECT_EQ(ReadFileBytes(installDir + "/temp.txt"), releaseText);
        EXPECT_EQ(FolderListing(installDir), std::vector<std::string>{"temp.txt"});
        if (hadTmpDir)
            setenv("TMPDIR", oldTmpDir.c_str(), 1);
        else
            unsetenv("TMPDIR");
    }

    DownloadResult Download(const std::string& url, const DownloadLimits& limits = {},
                            const DownloadProgress& progress = {})
    {
        const DownloadResult result = DownloadUrl(url, limits, progress);
        EXPECT_TRUE(FolderListing(tmpDir).empty()) << "scratch file left behind";
        return result;
    }

    TempHome home;
    LocalHttpServer server;
    std::string tmpDir;
    std::string installDir;
    bool hadTmpDir = false;
    std::string oldTmpDir;
    const std::string releaseText = "Last release\r\n";
};

struct ProbeCase {
    const char* name;
    std::string url;
    bool responds;
    std::int64_t size;  // checked when it responds
    int curlCode;  // checked when not zero
};

void ExpectOutcome(const ProbeCase& c, const DownloadResult& result)
{
    EXPECT_EQ(result.responds, c.responds);
    EXPECT_FALSE(result.cancelled);
    if (c.responds) {
        EXPECT_EQ(result.size, c.size);
    }
    if (c.curlCode != 0) {
        EXPECT_EQ(result.curlCode, c.curlCode);
    }
}

TEST_F(UrlDownloadTest, ResponsesOfTheLocalServer)
{
    const std::string hostPort = "127.0.0.1:" + std::to_string(server.port());
    server.ServeBody("/1200.png", 1200);
    server.ServeBody("/4999.png", 4999);
    server.ServeBody("/5000.png", 5000);
    server.ServeBody("/empty", 0);
    server.ServeStatus("/missing", 404);
    server.ServeStatus("/broken", 500);
    server.ServeRedirect("/moved", "/1200.png");
    server.ServeRedirect("/moved-twice", server.Url("/moved"));
    server.ServeRedirect("/loop", "/loop");
    server.ServeRedirect("/to-file", "file:///etc/hostname");
    server.ServeRedirect("/to-gopher", "gopher://" + hostPort + "/1200.png");
    server.ServeRedirect("/to-missing", "/missing");

    const ProbeCase cases[] = {
        {"1200 bytes", server.Url("/1200.png"), true, 1200, 0},
        {"4999 bytes", server.Url("/4999.png"), true, 4999, 0},
        {"5000 bytes", server.Url("/5000.png"), true, 5000, 0},
        {"empty body", server.Url("/empty"), true, 0, 0},
        {"unknown path", server.Url("/nothing-here"), false, 0, 22},
        {"404", server.Url("/missing"), false, 0, 22},
        {"500", server.Url("/broken"), false, 0, 22},
        {"redirect to a file", server.Url("/moved"), true, 1200, 0},
        {"two redirects", server.Url("/moved-twice"), true, 1200, 0},
        {"redirect to a 404", server.Url("/to-missing"), false, 0, 22},
        {"endless redirects", server.Url("/loop"), false, 0, 47},
        {"redirect to file://", server.Url("/to-file"), false, 0, 1},
        {"redirect to gopher://", server.Url("/to-gopher"), false, 0, 1},
        {"file:// itself", "file:///etc/hostname", false, 0, 1},
        {"gopher:// itself", "gopher://" + hostPort + "/1200.png", false, 0, 1},
        {"refused port", "http://127.0.0.1:" + std::to_string(RefusedPort()) + "/", false, 0, 7},
        {"left at http://", "http://", false, 0, 0},
        {"empty URL", "", false, 0, 0},
        {"blank before", " " + server.Url("/1200.png"), false, 0, 0},
        {"blank after", server.Url("/1200.png") + " ", false, 0, 0},
        {"tab after", server.Url("/1200.png") + "\t", false, 0, 0},
        {"line feed after", server.Url("/1200.png") + "\n", false, 0, 0},
        {"blank inside", "http://127.0.0.1:" + std::to_string(server.port()) + " /1200.png", false, 0, 0},
    };
    for (const ProbeCase& c : cases) {
        SCOPED_TRACE(c.name);
        ExpectOutcome(c, Download(c.url));
    }
}

TEST_F(UrlDownloadTest, SendsTheProgramAsUserAgent)
{
    server.ServeBody("/page", 10);
    ASSERT_TRUE(Download(server.Url("/page")).responds);
    EXPECT_EQ(server.LastUserAgent(), DownloadUserAgent());
    EXPECT_EQ(DownloadUserAgent().rfind("Vantrel/", 0), 0u);
    EXPECT_GT(DownloadUserAgent().size(), std::string("Vantrel/").size());
}

TEST_F(UrlDownloadTest, OversizedBodyIsCutAndResponds)
{
    server.ServeBody("/huge", 64 * kMiB + 4096);
    const DownloadResult full = Download(server.Url("/huge"));
    EXPECT_TRUE(full.responds);
    EXPECT_EQ(full.size, 64 * kMiB);

    DownloadLimits small;
    small.maxBytes = 1000;
    server.ServeBody("/5000.png", 5000);
    server.ServeBody("/1000.png", 1000);
    const DownloadResult cut = Download(server.Url("/5000.png"), small);
    EXPECT_TRUE(cut.responds);
    EXPECT_EQ(cut.size, 1000);
    const DownloadResult exact = Download(server.Url("/1000.png"), small);
    EXPECT_TRUE(exact.responds);
    EXPECT_EQ(exact.size, 1000);
}

TEST_F(UrlDownloadTest, AFailedDownloadSaysWhy)
{
    server.ServeStatus("/missing", 404);
    server.ServeStatus("/broken", 503);
    const std::pair<std::string, std::string> downloads[] = {
        {server.Url("/missing"), "the server answered HTTP 404"},
        {server.Url("/broken"), "the server answered HTTP 503"},
        {"http://127.0.0.1:" + std::to_string(RefusedPort()) + "/", "the connection was refused"},
        {"gopher://127.0.0.1/", "not an http, https or ftp URL"},
        {" " + server.Url("/missing"), "not a URL (blanks around it?)"},
        {server.Url("/1200.png"), "the server answered HTTP 404"},
    };
    for (const auto& [url, why] : downloads)
        EXPECT_EQ(DownloadFailureReason(Download(url)), why) << url;
    // What the local server cannot easily bring about, by the result's code.
    const std::pair<int, std::string> codes[] = {{28, "time-out: no answer in time"},
                                                 {35, "TLS failed (certificate or handshake)"},
                                                 {60, "TLS failed (certificate or handshake)"},
                                                 {63, "too large"},
                                                 {6, "the host name is not known"},
                                                 {47, "too many redirects"},
                                                 {56, "download failed (curl error 56)"}};
    for (const auto& [code, why] : codes) {
        DownloadResult result;
        result.curlCode = code;
        EXPECT_EQ(DownloadFailureReason(result), why) << code;
    }
    DownloadResult responded;
    responded.responds = true;
    EXPECT_EQ(DownloadFailureReason(responded), "");
}

TEST_F(UrlDownloadTest, StalledAndTricklingServersAreGivenUp)
{
    server.ServeStall("/stall");
    server.ServeTrickle("/trickle", 1000, 500);  // 2 bytes a second, above the speed floor
    DownloadLimits stallLimit;
    stallLimit.lowSpeedTimeSeconds = 1;
    DownloadLimits totalLimit;
    totalLimit.totalTimeoutSeconds = 2;
    const std::pair<std::string, DownloadLimits> cases[] = {{"/stall", stallLimit}, {"/trickle", totalLimit}};
    for (const auto& [path, limits] : cases) {
        SCOPED_TRACE(path);
        int calls = 0;
        const DownloadResult result = Download(server.Url(path), limits, [&calls] {
            ++calls;
            return true;
        });
        EXPECT_FALSE(result.responds);
        EXPECT_FALSE(result.cancelled);
        EXPECT_EQ(result.curlCode, 28);
        EXPECT_EQ(DownloadFailureReason(result), "time-out: no answer in time");
        EXPECT_GT(calls, 0) << "progress must be reported while waiting";
    }
}

TEST_F(UrlDownloadTest, CancelFromProgressStopsTheDownload)
{
    server.ServeStall("/stall");
    server.ServeBody("/page", 70000);
    for (const std::string path : {"/stall", "/page"}) {
        SCOPED_TRACE(path);
        const DownloadResult result = Download(server.Url(path), {}, [] { return false; });
        EXPECT_FALSE(result.responds);
        EXPECT_TRUE(result.cancelled);
        EXPECT_EQ(result.curlCode, 42);
    }
}

// No server may hang or flood a probe: the bounds every probe runs with.
TEST(DownloadLimits, DefaultsBoundEveryProbe)
{
    const DownloadLimits limits;
    EXPECT_EQ(limits.connectTimeoutSeconds, 30);
    EXPECT_EQ(limits.lowSpeedTimeSeconds, 30);
    EXPECT_EQ(limits.totalTimeoutSeconds, 60);
    EXPECT_EQ(limits.maxBytes, 67108864);
    EXPECT_EQ(limits.maxRedirects, 10);
}

}  // namespace
