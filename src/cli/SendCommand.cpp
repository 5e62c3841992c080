#include "cli/SendCommand.h"

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <ostream>

#include "cli/SignInCommand.h"
#include "core/files/SafeFileWriter.h"
#include "core/mail/MailMessage.h"
#include "core/mail/MailSettings.h"
#include "core/mail/ReleaseDelivery.h"
#include "core/release/PressReleaseComposer.h"
#include "core/replies/DoNotSendList.h"
#include "core/signin/TokenSource.h"

namespace {

constexpr std::size_t kMaxPasswordFileBytes = 4096;
constexpr std::size_t kMaxNoteBytes = 64 * 1024;

int Problem(std::ostream& err, int status, const std::string& message)
{
    err << "vantrel-cli: " << message << '\n';
    return status;
}

}  // namespace

Result<std::string> ReadPassword(const CliRequest& request)
{
    std::string password;
    if (request.passwordFile) {
        const Result<std::string> bytes = ReadWholeFile(*request.passwordFile, kMaxPasswordFileBytes);
        if (!bytes)
            return bytes.failure();
        password = bytes->substr(0, bytes->find_first_of("\r\n"));
    } else if (const char* variable = std::getenv("VANTREL_SMTP_PASSWORD")) {
        password = variable;
    }
    return password;
}

namespace {

void PrintOutcome(std::ostream& err, const ReceiverOutcome& outcome)
{
    const std::string words = outcome.reply.empty() ? "" : ": " + outcome.reply;
    switch (outcome.state) {
    case ReceiverState::Sent: err << "sent " << outcome.address; break;
    case ReceiverState::AlreadySent: err << "already sent " << outcome.address; break;
    case ReceiverState::EarlierText: err << "got an earlier text " << outcome.address; break;
    case ReceiverState::Refused: err << "refused " << outcome.address << words; break;
    case ReceiverState::Left: err << "not sent " << outcome.address << words; break;
    case ReceiverState::InDoubt: err << "in doubt " << outcome.address << words; break;
    }
    err << std::endl;
}

void PrintSummary(std::ostream& err, const DeliverySummary& summary, std::size_t skipped, std::size_t listed)
{
    err << "vantrel-cli: " << summary.sent << " sent, " << summary.alreadySent << " had it already, ";
    if (summary.earlierText > 0)
        err << summary.earlierText << " got an earlier text, ";
    err << summary.refused << " refused, ";
    if (summary.inDoubt > 0)
        err << summary.inDoubt << " in doubt, ";
    err << summary.left << " left to send";
    if (skipped > 0)
        err << ", " << skipped << " skipped (no address)";
    if (listed > 0)
        err << ", " << listed << " on the do-not-send list";
    err << '\n';
    if (!summary.stopReason.empty())
        err << "vantrel-cli: stopped: " << summary.stopReason << '\n';
    if (summary.inDoubt > 0)
        err << "vantrel-cli: the server may or may not have taken the messages in doubt; "
               "--again-in-doubt sends them again\n";
}

// The server and login as the options and the settings give them.
Result<SmtpServer> ServerOf(const CliRequest& request, const MailSettings& settings, std::string& problem,
                            int& status)
{
    status = kCliUsage;
    SmtpServer server;
    server.url = request.server.value_or(settings.server);
    server.user = request.user.value_or(settings.user);
    server.caFile = request.caFile.value_or("");
    server.timeLimit = std::chrono::seconds(settings.timeLimit);
    if (server.url.empty()) {
        problem = "no mail server: give --server=URL, or set it in the window";
        return Failure::Missing;
    }
    if (const ServerSecurity security = ServerUrlSecurity(server.url); !security.problem.empty()) {
        problem = security.problem;
        return Failure::Damaged;
    }
    if (!server.user.empty()) {
        SignInTokens tokens = TokensFor(server.url, server.user);
        if (!tokens.problem.empty()) {
            problem = tokens.problem;
            status = tokens.status;
            return Failure::Missing;
        }
        if (tokens.source) {
            server.tokens = std::move(tokens.source);
            return server;
        }
        const Result<std::string> password = ReadPassword(request);
        if (!password) {
            problem = "the password file " + request.passwordFile.value_or("") + " cannot be read";
            return password.failure();
        }
        server.password = *password;
    }
    return server;
}

int WriteReport(const CliRequest& request, const DeliverySummary& summary,
                const std::vector<SkippedReceiver>& skipped, std::ostream& err, int status)
{
    if (!request.reportFile)
        return status;
    if (!WriteFileAtomically(*request.reportFile, ReportCsv(NotReached(summary, skipped))))
        return Problem(err, kCliNotDelivered, "the report " + *request.reportFile + " cannot be written");
    return status;
}

// The subject and note: the options', else those the release was last
// sent with, so that a resumed run sends the same text.
Result<> ChooseText(const CliRequest& request, const SendLedger* ledger, DeliveryPlan& plan)
{
    const std::optional<LedgerText> last = ledger ? ledger->LatestText() : std::nullopt;
    if (request.subject)
        plan.subject = *request.subject;
    else if (last)
        plan.subject = last->subject;
    if (request.noteFile) {
        const Result<std::string> note = ReadWholeFile(*request.noteFile, kMaxNoteBytes);
        if (!note)
            return note.failure();
        plan.note = *note;
    } else if (last) {
        plan.note = last->note;
    }
    return Done();
}

// A dead address refused now is refused again by the next release: it
// goes on the list.
bool ListTheDead(DoNotSendList& list, const DeliverySummary& summary, std::ostream& err)
{
    const std::vector<DoNotSendEntry> dead = RefusedAsDead(summary, std::time(nullptr));
    if (dead.empty())
        return true;
    if (!list.AddAll(dead)) {
        err << "vantrel-cli: the do-not-send list " << list.Path()
            << " cannot be written, so the addresses refused as unknown stay off it\n";
        return false;
    }
    for (const DoNotSendEntry& entry : dead)
        err << "vantrel-cli: put on the do-not-send list: " << entry.address << ": " << entry.evidence
            << '\n';
    return true;
}

}  // namespace

int CheckServer(const CliRequest& request, std::ostream& err)
{
    std::string problem;
    int status = kCliUsage;
    const Result<SmtpServer> server = ServerOf(request, ReadMailSettings(), problem, status);
    if (!server)
        return Problem(err, status, problem);
    const SendReply reply = CheckMailServer(*server);
    err << "vantrel-cli: " << server->url << ": "
        << (reply.outcome == SendOutcome::Sent ? "connected and logged in; the server said: " : "")
        << reply.reply << '\n';
    return reply.outcome == SendOutcome::Sent ? kCliDone : kCliNotDelivered;
}

int SendRelease(const CliRequest& request, const Document& document, std::ostream& out, std::ostream& err)
{
    const FormValues& form = document.form;
    const MailSettings settings = ReadMailSettings();
    DeliveryPlan plan;
    plan.sender = ReleaseSender(form, request.from.value_or(settings.sender));
    if (const std::string problem = AddressProblem(plan.sender.address); !problem.empty())
        return Problem(err, kCliUsage, "the sender \"" + plan.sender.address + "\" " + problem);
    plan.product = form.productName;
    plan.version = form.productVersion;
    plan.subject = ReleaseSubject(form);
    plan.release = ComposePressRelease(form);
    plan.perMinute = request.perMinute.value_or(settings.perMinute);
    plan.ignoreLedger = request.again;
    plan.againInDoubt = request.againInDoubt;
    plan.changed =
        request.changed == std::optional<std::string>("all") ? ChangedText::All : ChangedText::Rest;

    plan.unsubscribeUrl = settings.unsubscribeUrl;
    plan.unsubscribeFooter = settings.unsubscribeFooter;

    ReceiverSelection selection = SelectReceivers(form.receivers);
    plan.receivers = selection.receivers;
    Result<DoNotSendList> doNotSend = DoNotSendListOf(plan.sender.address);
    if (!doNotSend)
        return Problem(err, kCliNotDelivered,
                       "the do-not-send list " + DoNotSendPath(plan.sender.address) +
                           " cannot be read; nothing was sent");
    const std::size_t noAddress = selection.skipped.size();
    for (SkippedReceiver& skipped : LeaveOutDoNotSend(plan.receivers, *doNotSend))
        selection.skipped.push_back(std::move(skipped));
    for (const SkippedReceiver& skipped : selection.skipped)
        err << "skipped \"" << skipped.text << "\": " << skipped.reason << '\n';
    if (request.testTo) {
        if (const std::string problem = AddressProblem(*request.testTo); !problem.empty())
            return Problem(err, kCliUsage, "the test address \"" + *request.testTo + "\" " + problem);
        plan.receivers = {{"", *request.testTo}};
    }

    if (request.dryRun) {
        // The text the real run would send: the ledger's, read as it stands.
        std::optional<ReleaseLedger> peeked;
        if (!request.testTo) {
            peeked.emplace(PeekReleaseLedger(plan, ReleaseSubject(form)));
            if (!peeked->ledger)
                return Problem(err, kCliNotDelivered,
                               "the ledger " + peeked->path + " cannot be opened; nothing was sent");
        }
        if (!ChooseText(request, peeked ? &*peeked->ledger : nullptr, plan))
            return Problem(err, kCliUsage,
                           "the note file " + request.noteFile.value_or("") + " cannot be read");
        for (const Mailbox& receiver : plan.receivers)
            out << receiver.address << '\n';
        out << '\n'
            << ReleaseMessageFor(plan, plan.receivers.empty() ? plan.sender : plan.receivers.front(),
                                 std::time(nullptr), "preview.vantrel");
        return kCliDone;
    }
    // Every entry skipped is a list to mend, not a release everyone has.
    if (plan.receivers.empty() && !selection.skipped.empty())
        return WriteReport(request, {}, selection.skipped, err,
                           Problem(err, kCliFailed, "no entry of the list can be sent to; nothing was sent"));
    std::string problem;
    int status = kCliUsage;
    const Result<SmtpServer> server = ServerOf(request, settings, problem, status);
    if (!server)
        return Problem(err, status, status == kCliNotDelivered ? "nothing was sent: " + problem : problem);

    // A test message is no delivery: it is neither looked up nor recorded.
    std::optional<SendLedger> ledger;
    if (!request.testTo) {
        ReleaseLedger opened = OpenReleaseLedger(plan, ReleaseSubject(form));
        if (!opened.ledger && opened.ledger.failure() == Failure::Busy)
            return Problem(err, kCliNotDelivered,
                           "a send of this release is already running; nothing was sent");
        if (!opened.ledger)
            return Problem(err, kCliNotDelivered,
                           "the ledger " + opened.path + " cannot be opened; nothing was sent");
        ledger.emplace(std::move(*opened.ledger));
    }
    if (!ChooseText(request, ledger ? &*ledger : nullptr, plan))
        return Problem(err, kCliUsage, "the note file " + request.noteFile.value_or("") + " cannot be read");
    if (ledger && !request.again && !request.changed) {
        const ReleaseStanding standing = StandingOf(plan, *ledger);
        if (standing.earlierText > 0)
            return Problem(
                err, kCliNotDelivered,
                EarlierTextNote(standing) +
                    "; nothing was sent: give --changed=rest to send this text to the others only, "
                    "or --changed=all to send it to everyone");
    }

    SmtpTransport transport(*server);
    DeliveryEvents events;
    events.settled = [&err](const ReceiverOutcome& outcome) { PrintOutcome(err, outcome); };
    const DeliverySummary summary =
        DeliverRelease(plan, transport, ledger ? &*ledger : nullptr, SystemDeliveryClock(), events);
    PrintSummary(err, summary, noAddress, selection.skipped.size() - noAddress);
    // A test message is no delivery: nothing of it is recorded.
    if (!request.testTo && !ListTheDead(*doNotSend, summary, err))
        return WriteReport(request, summary, selection.skipped, err, kCliNotDelivered);
    if (const auto* tokens = dynamic_cast<const RefreshingTokenSource*>(server->tokens.get());
        tokens && tokens->Refused())
        err << "vantrel-cli: " << SignInAgainAdvice(server->url, server->user) << '\n';
    return WriteReport(request, summary, selection.skipped, err,
                       summary.EveryoneHasIt() ? kCliDone : kCliNotDelivered);
}
