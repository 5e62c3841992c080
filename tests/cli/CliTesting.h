#pragma once

// The built vantrel-cli run as a script would run it: no display, a real
// document file (or standard input), standard output, standard error and
// exit status compared. The same table runs the Windows vantrel-cli.exe
// (tests/WindowsTests.cmake), whose line ends are CR LF.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "FormSamples.h"
#include "LocalHttpServer.h"
#include "ProcessRunner.h"
#include "TempHome.h"
#include "core/documents/DocumentFormat.h"

struct CliRun {
    int status = -1;
    std::string out;
    std::string err;
};

// The vantrel-cli the tests run: the one built beside them, or another
// that stands in for it (VANTREL_CLI_UNDER_TEST, support/wine-cli.sh for
// the Windows program, whose line ends are CR LF: VANTREL_CLI_CRLF=1).
inline const char* CliUnderTest()
{
    const char* other = std::getenv("VANTREL_CLI_UNDER_TEST");
    return other && *other ? other : VANTREL_CLI;
}

// The Windows program keeps its settings in the registry, not in the
// settings file of the test's home.
inline bool CliKeepsSettingsInTheRegistry() { return std::getenv("VANTREL_WINDOWS_CLI") != nullptr; }

inline std::string WithoutCarriageReturns(std::string text)
{
    if (!std::getenv("VANTREL_CLI_CRLF"))
        return text;
    std::string lines;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (text[i] != '\r' || i + 1 == text.size() || text[i + 1] != '\n')
            lines += text[i];
    return lines;
}

// Starts vantrel-cli (or another program) with arguments, standard input
// from a file, standard output into out (a file of the sandbox when empty).
inline ChildProcess StartCli(const TempHome& home, const std::vector<std::string>& arguments,
                             const std::string& input = "", const char* program = nullptr,
                             std::string out = "")
{
    if (!program)
        program = CliUnderTest();
    const std::string in = home.sandbox() + "/stdin";
    if (out.empty())
        out = home.sandbox() + "/stdout";
    WriteFileBytes(in, input);
    return StartProcess(program, arguments, in, out, home.sandbox() + "/stderr");
}

// A device given as output is not read back.
inline CliRun FinishCli(const TempHome& home, ChildProcess child, bool ownOut = true)
{
    const int status = WaitForProcess(child);
    return {status, ownOut ? WithoutCarriageReturns(ReadFileBytes(home.sandbox() + "/stdout")) : "",
            WithoutCarriageReturns(ReadFileBytes(home.sandbox() + "/stderr"))};
}

inline CliRun RunCli(const TempHome& home, const std::vector<std::string>& arguments,
                     const std::string& input = "", const char* program = nullptr,
                     const std::string& out = "")
{
    return FinishCli(home, StartCli(home, arguments, input, program, out), out.empty());
}

class CliTest : public testing::Test {
protected:
    void SetUp() override
    {
        setenv("no_proxy", "127.0.0.1", 1);
        server.ServeBody("/page.html", 3000);
        server.ServeBody("/press.png", 8000);
        complete = SampleForm();
        complete.productUrl = server.Url("/page.html");
        complete.imageUrl = server.Url("/press.png");
        complete.companyName = "Smith & Sons";
        complete.featuresText = "Takes notes fast and keeps them in sync everywhere.";
        WriteFileBytes(Path("complete.pre"), WriteDocumentBytes(complete, 3));
        FormValues failing = complete;
        failing.productName.clear();
        WriteFileBytes(Path("failing.pre"), WriteDocumentBytes(failing, 0));
        WriteFileBytes(Path("damaged.pre"), "7 Vantrel3 2.");
        FormValues deadImage = complete;
        deadImage.imageUrl = server.Url("/gone.png");
        WriteFileBytes(Path("dead-image.pre"), WriteDocumentBytes(deadImage, 0));
        FormValues cut = complete;
        cut.receivers = std::string("a@x.org\0b@y.org", 15);
        WriteFileBytes(Path("cut.pre"), WriteDocumentBytes(cut, 0));
        FormValues entries = complete;
        entries.receivers = "a@x.org; john doe@x.org";
        WriteFileBytes(Path("entries.pre"), WriteDocumentBytes(entries, 0));
        FormValues windows1252 = complete;
        windows1252.receivers = "j\xFCrgen@x.org\nb@y.org";  // as an older program stored it
        WriteFileBytes(Path("windows-1252.pre"), WriteDocumentBytes(windows1252, 0));
    }

    std::string Path(const std::string& name) const { return home.sandbox() + "/" + name; }

    TempHome home;
    LocalHttpServer server;
    FormValues complete;
};
