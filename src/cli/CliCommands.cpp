#include "cli/CliCommands.h"

#include <algorithm>
#include <ostream>

#include <unistd.h>

#include "cli/RepliesCommand.h"
#include "cli/SendCommand.h"
#include "core/checks/CheckReport.h"
#include "core/checks/UrlDownload.h"
#include "core/files/FileMessages.h"
#include "core/form/FormFields.h"
#include "core/mail/MailMessage.h"
#include "core/mail/MailSettings.h"
#include "core/receivers/ReceiverList.h"
#include "core/release/MailtoRequest.h"
#include "core/release/PressReleaseComposer.h"
#include "core/release/ReleaseFile.h"
#include "core/replies/DoNotSendList.h"

namespace {

// Downloads the two URLs as the window does, with a one-line note on a
// terminal instead of the progress windows, and without their pauses.
class TerminalProber : public UrlProber {
public:
    TerminalProber(std::ostream& err, bool verbose)
        : err_(err), onTerminal_(isatty(STDERR_FILENO) == 1), verbose_(verbose)
    {
    }

    ProbeOutcome Probe(const std::string& url, ProbeUse use) override
    {
        if (onTerminal_)
            err_ << (use == ProbeUse::Image ? "Checking the image URL..." : "Checking the product URL...")
                 << std::endl;
        ProbeOutcome outcome = ProbeByDownload(url, use, {});
        // "doesn't respond" alone leaves a script's log without a clue.
        if (verbose_ && !outcome.responds)
            err_ << "vantrel-cli: " << url << ": " << outcome.whyNot << '\n';
        return outcome;
    }

private:
    std::ostream& err_;
    bool onTerminal_;
    bool verbose_;
};

// Without the network every URL counts as responding and nothing is measured.
class NoNetworkProber : public UrlProber {
public:
    ProbeOutcome Probe(const std::string&, ProbeUse) override { return {true, std::nullopt, {}}; }
};

CheckErrors RunChecks(const CliRequest& request, const FormValues& form, CheckValues& values,
                      std::ostream& err)
{
    TerminalProber terminal(err, request.verbose);
    NoNetworkProber offline;
    UrlProber& prober = request.noNetwork ? static_cast<UrlProber&>(offline) : terminal;
    // Without a progress callback no probe here can be cancelled, so the
    // check always comes to its end.
    const std::optional<CheckErrors> errors = CheckSettings(form, values, prober);
    if (request.noNetwork)
        err << "vantrel-cli: the web page and the image were not downloaded (--no-network)\n";
    return *errors;
}

bool IsCut(const Document& document, const char* label)
{
    return std::find(document.cutAtNul.begin(), document.cutAtNul.end(), label) != document.cutAtNul.end();
}

// The entries a send would leave out, so that a script's log shows them
// before anything is sent.
void PrintSkippedEntries(const Document& document, std::ostream& err)
{
    for (const SkippedReceiver& skipped : SelectReceivers(document.form.receivers).skipped)
        err << "vantrel-cli: send would skip \"" << skipped.text << "\": " << skipped.reason << '\n';
}

int Check(const CliRequest& request, const Document& document, std::ostream& out, std::ostream& err)
{
    const FormValues& form = document.form;
    CheckValues values;
    const CheckErrors errors = RunChecks(request, form, values, err);
    if (request.verbose)
        PrintSkippedEntries(document, err);
    if (errors == 0) {
        out << kCheckOkText << '\n';
        return kCliDone;
    }
    out << CheckErrorsText(errors, values);
    return kCliFailed;
}

void PrintLeftOut(const JoinedReceivers& joined, std::ostream& err)
{
    for (const SkippedReceiver& skipped : joined.skipped)
        err << "vantrel-cli: left out \"" << skipped.text << "\": " << skipped.reason << '\n';
    for (const SkippedReceiver& listed : joined.listed)
        err << "vantrel-cli: left out " << listed.text << ": on the do-not-send list, " << listed.reason
            << '\n';
    if (const std::string text = LeftOutText(joined); !text.empty())
        err << "vantrel-cli: " << text << '\n';
}

// receivers and mailto: the list Email and Export hand out, without the
// addresses on the sender's do-not-send list, with what was left out on
// standard error.
int HandOutReceivers(const CliRequest& request, const Document& document, std::ostream& out,
                     std::ostream& err)
{
    const FormValues& form = document.form;
    const std::string sender = ReleaseSender(form, request.from.value_or(ReadMailSettings().sender)).address;
    const Result<DoNotSendList> list = DoNotSendListOf(sender);
    if (!list) {
        err << "vantrel-cli: the do-not-send list " << DoNotSendPath(sender)
            << " cannot be read, so no list of receivers is given\n";
        return kCliFailed;
    }
    const bool mailto = request.command == CliRequest::Command::Mailto;
    const JoinedReceivers joined = CollectReceivers(
        form.receivers,
        mailto ? document.receiverDelimiter : request.delimiter.value_or(document.receiverDelimiter),
        LeaveOutListed(*list));
    if (mailto)
        out << MailtoRequest(form.contactEmail, joined.joined, form.companyName) << '\n';
    else
        out << joined.joined << '\n';
    PrintLeftOut(joined, err);
    // The list printed is not all of it: a script must not mail a part of
    // its list as if it were the whole.
    if (IsCut(document, kReceiversLabel)) {
        err << "vantrel-cli: " << CutAtZeroByteText(kReceiversLabel) << '\n';
        return kCliFailed;
    }
    return kCliDone;
}

}  // namespace

int RunCommand(const CliRequest& request, const Document& document, std::ostream& out, std::ostream& err)
{
    const FormValues& form = document.form;
    switch (request.command) {
    case CliRequest::Command::Check: return Check(request, document, out, err);
    case CliRequest::Command::Release: {
        const std::string release = ComposePressRelease(form);
        out << (request.heading ? ReleaseFileText(form.companyName, release) : release);
        return kCliDone;
    }
    case CliRequest::Command::Receivers:
    case CliRequest::Command::Mailto: return HandOutReceivers(request, document, out, err);
    case CliRequest::Command::Send: {
        if (request.checkServer)
            return CheckServer(request, err);
        // A message must carry exactly what the document holds.
        if (!document.cutAtNul.empty()) {
            for (const std::string& label : document.cutAtNul)
                err << "vantrel-cli: " << CutAtZeroByteText(label) << '\n';
            err << "vantrel-cli: " << kNotSentForZeroByteText << '\n';
            return kCliFailed;
        }
        // Nothing goes out while the form fails its check, as in the window.
        CheckValues values;
        if (const CheckErrors errors = RunChecks(request, form, values, err); errors != 0) {
            out << CheckErrorsText(errors, values);
            err << "vantrel-cli: nothing was sent: the form fails its check\n";
            return kCliFailed;
        }
        return SendRelease(request, document, out, err);
    }
    case CliRequest::Command::DontSend: return DontSend(request, &document, out, err);
    case CliRequest::Command::Replies: return Replies(request, document, out, err);
    case CliRequest::Command::Login:
    case CliRequest::Command::Logout:
    case CliRequest::Command::Help:
    case CliRequest::Command::Version: break;
    }
    return kCliUsage;
}
