// vantrel-cli: the checks and the composer of Vantrel for scripts, with no
// window and no display.
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include <wx/init.h>

#include "cli/CliCommands.h"
#include "cli/CommandLine.h"
#include "core/documents/DocumentFormat.h"
#include "core/files/FileMessages.h"
#include "core/files/SafeFileWriter.h"

namespace {

int Problem(int status, const std::string& message)
{
    std::cerr << "vantrel-cli: " << message << '\n';
    return status;
}

Result<std::string> ReadStandardInput()
{
    std::string bytes(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>{});
    if (bytes.size() > kMaxDocumentBytes)
        return Failure::TooLarge;
    return bytes;
}

// Reads the document, or says why not.
int Load(const std::string& path, LoadedDocument& document)
{
    const std::string name = path == "-" ? "standard input" : path;
    const Result<std::string> bytes =
        path == "-" ? ReadStandardInput() : ReadWholeFile(path, kMaxDocumentBytes);
    if (!bytes)
        return Problem(kCliBadDocument,
                       name + ": the document " + ReadFailureReason(bytes.failure(), kMaxDocumentBytes));
    const DocumentReadOutcome outcome = ReadDocumentBytes(*bytes, document.form);
    if (outcome.damaged)
        return Problem(kCliBadDocument, name + ": the document is damaged");
    document.receiverDelimiter = outcome.receiverDelimiter.value_or(0);
    return kCliDone;
}

}  // namespace

int main(int argc, char** argv)
{
    wxInitializer wx;
    if (!wx.IsOk())
        return Problem(kCliFailed, "cannot start");
    const ParsedCommandLine parsed = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.usageError.empty())
        return Problem(kCliUsage, parsed.usageError + " (see vantrel-cli --help)");
    const CliRequest& request = parsed.request;
    if (request.command == CliRequest::Command::Help) {
        std::cout << UsageText();
        return kCliDone;
    }
    if (request.command == CliRequest::Command::Version) {
        std::cout << "vantrel-cli " << VANTREL_VERSION << '\n';
        return kCliDone;
    }
    LoadedDocument document;
    if (const int status = Load(request.document, document); status != kCliDone)
        return status;
    return RunCommand(request, document, std::cout, std::cerr);
}
