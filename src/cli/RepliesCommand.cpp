#include "cli/RepliesCommand.h"

#include <ostream>
#include <unordered_set>

#include "cli/SendCommand.h"
#include "cli/SignInCommand.h"
#include "core/mail/MailMessage.h"
#include "core/mail/MailSettings.h"
#include "core/mail/ReleaseDelivery.h"
#include "core/release/PressReleaseComposer.h"
#include "core/replies/ReplyCheck.h"

namespace {

int Problem(std::ostream& err, int status, const std::string& message)
{
    err << "vantrel-cli: " << message << '\n';
    return status;
}

std::string SenderOf(const CliRequest& request, const Document* document)
{
    const std::string configured = request.from.value_or(ReadMailSettings().sender);
    return document ? ReleaseSender(document->form, configured).address : SplitMailbox(configured).address;
}

std::string ListProblem(Failure failure, const std::string& path)
{
    switch (failure) {
    case Failure::Busy: return "the do-not-send list " + path + " is being changed by another program";
    case Failure::Damaged: return "the do-not-send list " + path + " is damaged";
    case Failure::TooLarge: return "the do-not-send list " + path + " is too large";
    case Failure::CannotWrite: return "the do-not-send list " + path + " cannot be written";
    default: return "the do-not-send list " + path + " cannot be read";
    }
}

void PrintList(const DoNotSendList& list, std::ostream& out)
{
    for (const DoNotSendEntry& entry : list.Entries())
        out << entry.address << '\t' << DoNotSendText(entry) << '\n';
}

// The mailbox the options or the settings name, with the login of send.
Result<ReplySource> SourceOf(const CliRequest& request, std::string& problem)
{
    ReplySource source;
    if (request.maildir || request.mbox) {
        source.kind = request.maildir ? ReplySource::Kind::Maildir : ReplySource::Kind::Mbox;
        source.path = request.maildir ? *request.maildir : *request.mbox;
        return source;
    }
    const MailSettings settings = ReadMailSettings();
    ImapMailbox& server = source.server;
    server.url = request.server.value_or(ImapServerOf(settings));
    server.user = request.user.value_or(settings.user);
    server.caFile = request.caFile.value_or("");
    if (server.url.empty()) {
        problem = "no mailbox to read: give --server=URL, --maildir=DIR or --mbox=FILE, "
                  "or set the replies server in the window";
        return Failure::Missing;
    }
    if (server.user.empty())
        return source;
    // A sign-in made for sending serves the mailbox of the same user.
    SignInTokens tokens = TokensFor(settings.server, server.user);
    if (tokens.source) {
        server.tokens = std::move(tokens.source);
        return source;
    }
    const Result<std::string> password = ReadPassword(request);
    if (!password) {
        problem = "the password file " + request.passwordFile.value_or("") + " cannot be read";
        return password.failure();
    }
    server.password = *password;
    return source;
}

// The release's receivers, and those a report names that are not among
// them but answer one of our messages.
std::vector<ReplyFinding> AboutTheList(const std::vector<ReplyFinding>& findings, const Document& document)
{
    std::unordered_set<std::string> receivers;
    for (const Mailbox& receiver : SelectReceivers(document.form.receivers).receivers)
        receivers.insert(AddressKey(receiver.address));
    std::vector<ReplyFinding> kept;
    for (const ReplyFinding& finding : findings)
        if (finding.ours == OurMessage::Yes || receivers.count(AddressKey(finding.address)) > 0)
            kept.push_back(finding);
    return kept;
}

void PrintReading(const ReplyCheck& check, std::size_t findings, std::ostream& err)
{
    err << "vantrel-cli: " << ReadingCountsText(check) << "; " << findings << " about the receivers";
    if (check.reading.tooLarge > 0)
        err << ", " << check.reading.tooLarge << " too large to read";
    if (check.reading.vanished > 0)
        err << ", " << check.reading.vanished << " gone while read";
    err << '\n';
}

// Who was sent the release, under which subjects and when: its ledger says,
// read without waiting for a send that holds it.
SentRelease SentOf(const Document& document, const std::string& sender)
{
    DeliveryPlan plan;
    plan.sender = {"", sender};
    plan.product = document.form.productName;
    plan.version = document.form.productVersion;
    plan.release = ComposePressRelease(document.form);
    const ReleaseLedger ledger = PeekReleaseLedger(plan, ReleaseSubject(document.form));
    return ledger.ledger ? SentReleaseOf(*ledger.ledger) : SentRelease();
}

// Who wrote, when, about what and how it begins: one line each.
void PrintOtherReplies(const ReplySummary& summary, std::ostream& err)
{
    for (const OtherReply& reply : summary.others)
        err << "vantrel-cli: reply from " << reply.from << " (" << DayText(reply.when) << "): \""
            << reply.subject << "\": " << reply.firstLine << '\n';
}

int Record(const std::vector<ReplyFinding>& findings, const std::string& sender, std::ostream& err)
{
    Result<DoNotSendList> list = DoNotSendListOf(sender);
    if (!list)
        return Problem(err, kCliNotDelivered, ListProblem(list.failure(), DoNotSendPath(sender)));
    std::vector<DoNotSendEntry> entries;
    for (const ReplyFinding& finding : findings)
        if (BelongsOnList(finding))
            entries.push_back(EntryFor(finding));
    if (const Result<> done = list->AddAll(entries); !done)
        return Problem(err, kCliNotDelivered, ListProblem(done.failure(), DoNotSendPath(sender)));
    const std::size_t added = entries.size();
    err << "vantrel-cli: " << added << (added == 1 ? " address" : " addresses")
        << " on the do-not-send list\n";
    return kCliDone;
}

}  // namespace

int DontSend(const CliRequest& request, const Document* document, std::ostream& out, std::ostream& err)
{
    const std::string sender = SenderOf(request, document);
    if (const std::string problem = AddressProblem(sender); !problem.empty())
        return Problem(err, kCliUsage, "the sender \"" + sender + "\" " + problem);
    const std::string path = DoNotSendPath(sender);
    Result<DoNotSendList> list = DoNotSendList::Open(path);
    if (!list)
        return Problem(err, kCliNotDelivered, ListProblem(list.failure(), path));
    if (request.action == "list") {
        PrintList(*list, out);
        return kCliDone;
    }
    if (request.action == "add") {
        if (const std::string problem = AddressProblem(request.address); !problem.empty())
            return Problem(err, kCliUsage, "\"" + request.address + "\" " + problem);
        DoNotSendEntry entry;
        entry.address = request.address;
        entry.when = std::time(nullptr);
        const Result<> added = list->Add(entry);
        return added ? kCliDone : Problem(err, kCliNotDelivered, ListProblem(added.failure(), path));
    }
    const Result<> removed = list->Remove(request.address);
    if (!removed && removed.failure() == Failure::Missing)
        return Problem(err, kCliFailed, request.address + " is not on the do-not-send list");
    return removed ? kCliDone : Problem(err, kCliNotDelivered, ListProblem(removed.failure(), path));
}

int Replies(const CliRequest& request, const Document& document, std::ostream& out, std::ostream& err)
{
    const std::string sender = SenderOf(request, &document);
    if (const std::string problem = AddressProblem(sender); !problem.empty())
        return Problem(err, kCliUsage, "the sender \"" + sender + "\" " + problem);
    std::string problem;
    const Result<ReplySource> source = SourceOf(request, problem);
    if (!source)
        return Problem(err, source.failure() == Failure::Missing ? kCliUsage : kCliFailed, problem);
    const ReplyCheck check = CheckReplies(*source, sender, SentOf(document, sender), nullptr);
    const std::vector<ReplyFinding> findings = AboutTheList(check.summary.findings, document);
    for (const ReplyFinding& finding : findings)
        out << FindingLine(finding) << '\n';
    PrintReading(check, findings.size(), err);
    if (request.verbose)
        PrintOtherReplies(check.summary, err);
    // Findings of a reading cut short are sound; they are kept as far as they go.
    const int recorded = request.apply ? Record(findings, sender, err) : kCliDone;
    if (!check.reading.problem.empty())
        return Problem(err, kCliNotDelivered,
                       "the mailbox was not read to its end: " + check.reading.problem);
    return recorded;
}
