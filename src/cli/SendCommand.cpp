#include "cli/SendCommand.h"

#include <cstdlib>
#include <ostream>

#include "core/files/SafeFileWriter.h"
#include "core/mail/MailMessage.h"
#include "core/mail/MailSettings.h"
#include "core/mail/ReleaseDelivery.h"
#include "core/release/PressReleaseComposer.h"

namespace {

constexpr std::size_t kMaxPasswordFileBytes = 4096;

int Problem(std::ostream& err, int status, const std::string& message)
{
    err << "vantrel-cli: " << message << '\n';
    return status;
}

// The first line of the file, or of VANTREL_SMTP_PASSWORD; never an
// argument, which every user of the machine can read.
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

void PrintOutcome(std::ostream& err, const ReceiverOutcome& outcome)
{
    switch (outcome.state) {
    case ReceiverState::Sent: err << "sent " << outcome.address; break;
    case ReceiverState::AlreadySent: err << "already sent " << outcome.address; break;
    case ReceiverState::Refused: err << "refused " << outcome.address << ": " << outcome.reply; break;
    case ReceiverState::Left:
        err << "not sent " << outcome.address << (outcome.reply.empty() ? "" : ": " + outcome.reply);
        break;
    }
    err << std::endl;
}

void PrintSummary(std::ostream& err, const DeliverySummary& summary, std::size_t skipped)
{
    err << "vantrel-cli: " << summary.sent << " sent, " << summary.alreadySent << " had it already, "
        << summary.refused << " refused, " << summary.left << " left to send";
    if (skipped > 0)
        err << ", " << skipped << " skipped (no address)";
    err << '\n';
    if (!summary.stopReason.empty())
        err << "vantrel-cli: stopped: " << summary.stopReason << '\n';
}

}  // namespace

int SendRelease(const CliRequest& request, const Document& document, std::ostream& out, std::ostream& err)
{
    const FormValues& form = document.form;
    MailSettings settings = ReadMailSettings();
    SmtpServer server;
    server.url = request.server.value_or(settings.server);
    server.user = request.user.value_or(settings.user);
    server.caFile = request.caFile.value_or("");
    const std::string senderText = request.from.value_or(settings.sender);

    DeliveryPlan plan;
    plan.sender = ReleaseSender(form, senderText);
    if (const std::string problem = AddressProblem(plan.sender.address); !problem.empty())
        return Problem(err, kCliUsage, "the sender \"" + plan.sender.address + "\" " + problem);
    plan.subject = ReleaseSubject(form);
    plan.body = ComposePressRelease(form);
    plan.perMinute = request.perMinute.value_or(settings.perMinute);

    const Result<ReceiverSelection> selection = SelectReceivers(form.receivers);
    if (!selection)
        return Problem(err, kCliFailed,
                       "the receiver list is too long: the addresses would take more than 16 MiB");
    for (const SkippedReceiver& skipped : selection->skipped)
        err << "skipped \"" << skipped.text << "\": " << skipped.reason << '\n';
    plan.receivers = selection->addresses;
    if (request.testTo) {
        if (const std::string problem = AddressProblem(*request.testTo); !problem.empty())
            return Problem(err, kCliUsage, "the test address \"" + *request.testTo + "\" " + problem);
        plan.receivers = {*request.testTo};
    }

    if (request.dryRun) {
        for (const std::string& receiver : plan.receivers)
            out << receiver << '\n';
        out << '\n'
            << ReleaseMessageFor(plan, plan.receivers.empty() ? plan.sender.address : plan.receivers.front(),
                                 std::time(nullptr), "preview.vantrel");
        return kCliDone;
    }
    if (server.url.empty())
        return Problem(err, kCliUsage, "no mail server: give --server=URL, or set it in the window");
    if (const ServerSecurity security = ServerUrlSecurity(server.url); !security.problem.empty())
        return Problem(err, kCliUsage, security.problem);
    if (!server.user.empty()) {
        const Result<std::string> password = ReadPassword(request);
        if (!password)
            return Problem(err, kCliUsage,
                           "the password file " + request.passwordFile.value_or("") + " cannot be read");
        server.password = *password;
    }

    // A test message is no delivery: it is neither looked up nor recorded.
    std::optional<SendLedger> ledger;
    if (!request.testTo) {
        const std::string path = LedgerPathFor(plan);
        Result<SendLedger> opened = SendLedger::Open(path);
        if (!opened)
            return Problem(err, kCliNotDelivered,
                           "the ledger " + path + " cannot be opened; nothing was sent");
        ledger.emplace(std::move(*opened));
    }
    plan.ignoreLedger = request.again;

    SmtpTransport transport(server);
    DeliveryEvents events;
    events.settled = [&err](const ReceiverOutcome& outcome) { PrintOutcome(err, outcome); };
    const DeliverySummary summary =
        DeliverRelease(plan, transport, ledger ? &*ledger : nullptr, SystemDeliveryClock(), events);
    PrintSummary(err, summary, selection->skipped.size());
    return summary.EveryoneHasIt() ? kCliDone : kCliNotDelivered;
}
