// vantrel-cli: the checks and the composer of Vantrel for scripts, with no
// window and no display.
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include <wx/init.h>

#include "cli/CliCommands.h"
#include "cli/CommandLine.h"
#include "cli/RepliesCommand.h"
#include "cli/SignInCommand.h"
#include "cli/StandardInput.h"
#include "core/documents/DocumentFormat.h"
#include "core/files/FileMessages.h"
#include "core/files/SafeFileWriter.h"
#include "core/form/FormFields.h"

namespace {

int Problem(int status, const std::string& message)
{
    std::cerr << "vantrel-cli: " << message << '\n';
    return status;
}

// Standard input may be endless (/dev/zero): reading stops one byte past
// the limit.
Result<std::string> ReadStandardInput() { return ReadAll(StandardInputBytes(), kMaxDocumentBytes); }

std::string DocumentName(const std::string& path) { return path == "-" ? "standard input" : path; }

// Reads the document in pieces that are never held together.
Result<> ReadInPieces(const std::string& path, const TakePiece& take)
{
    return path == "-" ? ReadAllInPieces(StandardInputBytes(), kMaxDocumentBytes, take)
                       : ReadWholeFileInPieces(path, kMaxDocumentBytes, take);
}

int CannotRead(const std::string& path, Failure failure)
{
    return Problem(kCliBadDocument,
                   DocumentName(path) + ": the document " + ReadFailureReason(failure, kMaxDocumentBytes));
}

// Reads the whole document, or says why not. Without the receivers, which
// are most of a large document, it is read in pieces and never held whole.
int Load(const std::string& path, ReceiversText receivers, Document& document)
{
    const std::string name = DocumentName(path);
    Result<Document> read = Failure::Damaged;
    if (receivers == ReceiversText::Skip) {
        DocumentWithoutReceivers reader;
        const auto take = [&reader](std::string_view piece) { reader.Take(piece); };
        if (const Result<> bytes = ReadInPieces(path, take); !bytes)
            return CannotRead(path, bytes.failure());
        read = reader.Finish();
    } else {
        Result<std::string> bytes =
            path == "-" ? ReadStandardInput() : ReadWholeFile(path, kMaxDocumentBytes);
        if (!bytes)
            return CannotRead(path, bytes.failure());
        read = ReadDocumentTakingBytes(*std::move(bytes));
    }
    if (!read)
        return Problem(kCliBadDocument, name + ": the document is damaged");
    document = *std::move(read);
    return kCliDone;
}

// A script must not go on with an empty or half-written file: output that
// did not reach its place (a full disk, a closed pipe) fails the command.
int Finish(int status)
{
    std::cout.flush();
    if (!std::cout)
        return Problem(kCliFailed, "cannot write the output");
    return status;
}

int Run(const CliRequest& request)
{
    if (request.command == CliRequest::Command::Help) {
        std::cout << UsageText();
        return kCliDone;
    }
    if (request.command == CliRequest::Command::Version) {
        std::cout << "vantrel-cli " << VANTREL_VERSION << '\n';
        return kCliDone;
    }
    if (request.command == CliRequest::Command::Login)
        return Login(request, std::cout, std::cerr);
    if (request.command == CliRequest::Command::Logout)
        return Logout(request, std::cerr);
    if (request.command == CliRequest::Command::DontSend && request.document.empty())
        return DontSend(request, nullptr, std::cout, std::cerr);
    // The check and the release never use the receivers, which are most of
    // a large document.
    const bool usesReceivers = (request.command != CliRequest::Command::Check || request.verbose) &&
        request.command != CliRequest::Command::Release;
    Document document;
    if (const int status =
            Load(request.document, usesReceivers ? ReceiversText::Read : ReceiversText::Skip, document);
        status != kCliDone)
        return status;
    return RunCommand(request, document, std::cout, std::cerr);
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
    return Finish(Run(parsed.request));
}
