#include "cli/CommandLine.h"

#include <cctype>
#include <map>

#include <wx/cmdline.h>
#include <wx/msgout.h>

#include "core/mail/MailSettings.h"
#include "core/receivers/ReceiverList.h"

namespace {

const std::map<std::string, CliRequest::Command>& Commands()
{
    static const std::map<std::string, CliRequest::Command> commands = {
        {"check", CliRequest::Command::Check},         {"release", CliRequest::Command::Release},
        {"receivers", CliRequest::Command::Receivers}, {"mailto", CliRequest::Command::Mailto},
        {"send", CliRequest::Command::Send},           {"login", CliRequest::Command::Login},
        {"logout", CliRequest::Command::Logout},       {"dont-send", CliRequest::Command::DontSend},
        {"replies", CliRequest::Command::Replies},
    };
    return commands;
}

const std::map<std::string, int>& Delimiters()
{
    static const std::map<std::string, int> delimiters = {
        {"semicolon", kDelimiterSemicolon},
        {"comma", kDelimiterComma},
        {"space", kDelimiterSpace},
        {"newline", kDelimiterNewline},
    };
    return delimiters;
}

const wxCmdLineEntryDesc kOptions[] = {
    {wxCMD_LINE_SWITCH, "h", "help", "show this help and end", wxCMD_LINE_VAL_NONE, wxCMD_LINE_OPTION_HELP},
    {wxCMD_LINE_SWITCH, nullptr, "version", "show the version and end", wxCMD_LINE_VAL_NONE, 0},
    {wxCMD_LINE_SWITCH, nullptr, "no-network", "check, send: skip the downloads", wxCMD_LINE_VAL_NONE, 0},
    {wxCMD_LINE_SWITCH, nullptr, "verbose", "check: why a download failed", wxCMD_LINE_VAL_NONE, 0},
    {wxCMD_LINE_SWITCH, nullptr, "heading", "release: with the heading", wxCMD_LINE_VAL_NONE, 0},
    {wxCMD_LINE_OPTION, nullptr, "delimiter", "receivers: the separator", wxCMD_LINE_VAL_STRING, 0},
    {wxCMD_LINE_OPTION, nullptr, "server", "send, login, logout: the server URL", wxCMD_LINE_VAL_STRING, 0},
    {wxCMD_LINE_OPTION, nullptr, "user", "send, login, logout: the user name", wxCMD_LINE_VAL_STRING, 0},
    {wxCMD_LINE_OPTION, nullptr, "provider", "login: microsoft, google or other", wxCMD_LINE_VAL_STRING, 0},
    {wxCMD_LINE_OPTION, nullptr, "authorize-url", "login: the authorization URL", wxCMD_LINE_VAL_STRING, 0},
    {wxCMD_LINE_OPTION, nullptr, "token-url", "login: the token URL", wxCMD_LINE_VAL_STRING, 0},
    {wxCMD_LINE_OPTION, nullptr, "scope", "login: the scope", wxCMD_LINE_VAL_STRING, 0},
    {wxCMD_LINE_OPTION, nullptr, "client-id", "login: this program's client ID", wxCMD_LINE_VAL_STRING, 0},
    {wxCMD_LINE_SWITCH, nullptr, "no-browser", "login: only print the URL", wxCMD_LINE_VAL_NONE, 0},
    {wxCMD_LINE_OPTION, nullptr, "password-file", "send: the password's file", wxCMD_LINE_VAL_STRING, 0},
    {wxCMD_LINE_OPTION, nullptr, "from", "send: the sender", wxCMD_LINE_VAL_STRING, 0},
    {wxCMD_LINE_OPTION, nullptr, "cacert", "send: certificates to trust", wxCMD_LINE_VAL_STRING, 0},
    {wxCMD_LINE_OPTION, nullptr, "rate", "send: messages per minute", wxCMD_LINE_VAL_STRING, 0},
    {wxCMD_LINE_OPTION, nullptr, "test-to", "send: one test message", wxCMD_LINE_VAL_STRING, 0},
    {wxCMD_LINE_SWITCH, nullptr, "dry-run", "send: print, send nothing", wxCMD_LINE_VAL_NONE, 0},
    {wxCMD_LINE_SWITCH, nullptr, "again", "send: ignore the ledger", wxCMD_LINE_VAL_NONE, 0},
    {wxCMD_LINE_SWITCH, nullptr, "again-in-doubt", "send: to those in doubt too", wxCMD_LINE_VAL_NONE, 0},
    {wxCMD_LINE_OPTION, nullptr, "changed", "send: rest or all", wxCMD_LINE_VAL_STRING, 0},
    {wxCMD_LINE_OPTION, nullptr, "subject", "send: the subject", wxCMD_LINE_VAL_STRING, 0},
    {wxCMD_LINE_OPTION, nullptr, "note-file", "send: a note above the release", wxCMD_LINE_VAL_STRING, 0},
    {wxCMD_LINE_OPTION, nullptr, "report", "send: the CSV report's file", wxCMD_LINE_VAL_STRING, 0},
    {wxCMD_LINE_SWITCH, nullptr, "check-server", "send: only log in", wxCMD_LINE_VAL_NONE, 0},
    {wxCMD_LINE_OPTION, nullptr, "maildir", "replies: a local Maildir", wxCMD_LINE_VAL_STRING, 0},
    {wxCMD_LINE_OPTION, nullptr, "mbox", "replies: a local mbox file", wxCMD_LINE_VAL_STRING, 0},
    {wxCMD_LINE_SWITCH, nullptr, "apply", "replies: record the findings", wxCMD_LINE_VAL_NONE, 0},
    {wxCMD_LINE_PARAM, nullptr, nullptr, "command", wxCMD_LINE_VAL_STRING, wxCMD_LINE_PARAM_OPTIONAL},
    // dont-send takes an action and an address before its document.
    {wxCMD_LINE_PARAM, nullptr, nullptr, "document", wxCMD_LINE_VAL_STRING,
     wxCMD_LINE_PARAM_OPTIONAL | wxCMD_LINE_PARAM_MULTIPLE},
    {wxCMD_LINE_NONE, nullptr, nullptr, nullptr, wxCMD_LINE_VAL_NONE, 0},
};

// A file name need not be UTF-8; such an argument goes through the parser
// byte for byte.
wxString FromArgument(const std::string& argument)
{
    const wxString text = wxString::FromUTF8(argument.data(), argument.size());
    return text.empty() && !argument.empty() ? wxString::From8BitData(argument.data(), argument.size())
                                             : text;
}

// Keeps the parser's complaint instead of printing it, so that a usage
// error is one line of our own.
class KeptMessage : public wxMessageOutput {
public:
    std::string text;

    void Output(const wxString& message) override
    {
        if (text.empty())
            text = wxString(message).Trim().utf8_string();
    }
};

std::string Utf8(const wxString& text) { return text.utf8_string(); }

// Which options belong to which command.
std::string OptionMisplaced(const wxCmdLineParser& parser, CliRequest::Command command)
{
    if (parser.Found("no-network") && command != CliRequest::Command::Check &&
        command != CliRequest::Command::Send)
        return "--no-network belongs to check and send";
    const bool signIn = command == CliRequest::Command::Login || command == CliRequest::Command::Logout;
    const bool send = command == CliRequest::Command::Send;
    const bool replies = command == CliRequest::Command::Replies;
    for (const char* option : {"server", "user"})
        if (parser.Found(option) && !send && !signIn && !replies)
            return std::string("--") + option + " belongs to send, replies, login and logout";
    for (const char* option : {"password-file", "cacert"})
        if (parser.Found(option) && !send && !replies)
            return std::string("--") + option + " belongs to send and replies";
    if (parser.Found("from") && !send && command != CliRequest::Command::DontSend &&
        command != CliRequest::Command::Receivers && command != CliRequest::Command::Mailto)
        return "--from belongs to send, dont-send, receivers and mailto";
    if (!send)
        for (const char* option : {"rate", "test-to", "dry-run", "again", "again-in-doubt", "changed",
                                   "subject", "note-file", "report", "check-server"})
            if (parser.Found(option))
                return std::string("--") + option + " belongs to send";
    if (!replies)
        for (const char* option : {"maildir", "mbox", "apply"})
            if (parser.Found(option))
                return std::string("--") + option + " belongs to replies";
    if (command != CliRequest::Command::Login)
        for (const char* option :
             {"provider", "authorize-url", "token-url", "scope", "client-id", "no-browser"})
            if (parser.Found(option))
                return std::string("--") + option + " belongs to login";
    if (parser.Found("verbose") && command != CliRequest::Command::Check && !replies)
        return "--verbose belongs to check and replies";
    if (parser.Found("heading") && command != CliRequest::Command::Release)
        return "--heading belongs to release";
    if (parser.Found("delimiter") && command != CliRequest::Command::Receivers)
        return "--delimiter belongs to receivers";
    return {};
}

std::optional<std::string> FoundText(const wxCmdLineParser& parser, const char* option)
{
    if (wxString value; parser.Found(option, &value))
        return Utf8(value);
    return std::nullopt;
}

void ReadSendOptions(const wxCmdLineParser& parser, ParsedCommandLine& parsed)
{
    CliRequest& request = parsed.request;
    request.server = FoundText(parser, "server");
    request.user = FoundText(parser, "user");
    request.passwordFile = FoundText(parser, "password-file");
    request.from = FoundText(parser, "from");
    request.caFile = FoundText(parser, "cacert");
    request.testTo = FoundText(parser, "test-to");
    request.dryRun = parser.Found("dry-run");
    request.again = parser.Found("again");
    request.againInDoubt = parser.Found("again-in-doubt");
    request.checkServer = parser.Found("check-server");
    request.subject = FoundText(parser, "subject");
    request.noteFile = FoundText(parser, "note-file");
    request.reportFile = FoundText(parser, "report");
    request.changed = FoundText(parser, "changed");
    request.provider = FoundText(parser, "provider");
    request.authorizeUrl = FoundText(parser, "authorize-url");
    request.tokenUrl = FoundText(parser, "token-url");
    request.scope = FoundText(parser, "scope");
    request.clientId = FoundText(parser, "client-id");
    request.noBrowser = parser.Found("no-browser");
    request.maildir = FoundText(parser, "maildir");
    request.mbox = FoundText(parser, "mbox");
    request.apply = parser.Found("apply");
    const int sources = (request.server ? 1 : 0) + (request.maildir ? 1 : 0) + (request.mbox ? 1 : 0);
    if (sources > 1 && request.command == CliRequest::Command::Replies && parsed.usageError.empty())
        parsed.usageError = "replies reads one of --server, --maildir and --mbox";
    if (request.provider && *request.provider != "microsoft" && *request.provider != "google" &&
        *request.provider != "other" && parsed.usageError.empty())
        parsed.usageError = "--provider is microsoft, google or other";
    if (request.changed && *request.changed != "rest" && *request.changed != "all" &&
        parsed.usageError.empty())
        parsed.usageError = "--changed is rest or all";
    if (const std::optional<std::string> rate = FoundText(parser, "rate")) {
        int perMinute = 0;
        if (ParsePerMinute(*rate, perMinute))
            request.perMinute = perMinute;
        else if (parsed.usageError.empty())
            parsed.usageError = "the rate is a whole number of messages per minute from 0 to 6000";
    }
}

// "list", or "add"/"remove" and an address.
std::string ReadDontSendWords(const wxCmdLineParser& parser, CliRequest& request)
{
    if (parser.GetParamCount() < 2)
        return "dont-send needs list, add ADDRESS or remove ADDRESS";
    request.action = Utf8(parser.GetParam(1));
    if (request.action != "list" && request.action != "add" && request.action != "remove")
        return "dont-send needs list, add ADDRESS or remove ADDRESS, not \"" + request.action + "\"";
    if (request.action == "list")
        return {};
    if (parser.GetParamCount() < 3)
        return "dont-send " + request.action + " needs an address";
    request.address = Utf8(parser.GetParam(2));
    return {};
}

}  // namespace

ParsedCommandLine ParseCommandLine(const std::vector<std::string>& arguments)
{
    ParsedCommandLine parsed;
    std::vector<std::wstring> texts = {L"vantrel-cli"};
    for (const std::string& argument : arguments)
        texts.push_back(FromArgument(argument).ToStdWstring());
    std::vector<wxChar*> argv;
    for (std::wstring& text : texts)
        argv.push_back(text.data());

    wxCmdLineParser parser(kOptions, static_cast<int>(argv.size()), argv.data());
    KeptMessage messages;
    wxMessageOutput* const previous = wxMessageOutput::Set(&messages);
    const int result = parser.Parse(false);
    wxMessageOutput::Set(previous);
    std::string complaint = messages.text;
    if (!complaint.empty())
        complaint[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(complaint[0])));

    CliRequest& request = parsed.request;
    if (result == -1)
        return parsed;  // --help
    if (result != 0) {
        parsed.usageError = complaint.empty() ? "cannot read the command line" : complaint;
        return parsed;
    }
    if (parser.Found("version")) {
        request.command = CliRequest::Command::Version;
        return parsed;
    }
    if (parser.GetParamCount() == 0) {
        parsed.usageError = "a command and a document are needed";
        return parsed;
    }
    const auto command = Commands().find(Utf8(parser.GetParam(0)));
    if (command == Commands().end()) {
        parsed.usageError = "unknown command \"" + Utf8(parser.GetParam(0)) + "\"";
        return parsed;
    }
    request.command = command->second;
    if (request.command == CliRequest::Command::Login || request.command == CliRequest::Command::Logout) {
        parsed.usageError = OptionMisplaced(parser, request.command);
        ReadSendOptions(parser, parsed);
        if (parser.GetParamCount() > 1 && parsed.usageError.empty())
            parsed.usageError = Utf8(parser.GetParam(0)) + " takes no document";
        return parsed;
    }
    std::size_t documentAt = 1;
    if (request.command == CliRequest::Command::DontSend) {
        if (const std::string problem = ReadDontSendWords(parser, request); !problem.empty()) {
            parsed.usageError = problem;
            return parsed;
        }
        documentAt = request.action == "list" ? 2 : 3;
        if (parser.Found("from")) {
            parsed.usageError = parser.GetParamCount() > documentAt
                ? "dont-send takes a document or --from=SENDER, not both"
                : OptionMisplaced(parser, request.command);
            ReadSendOptions(parser, parsed);
            return parsed;
        }
    }
    if (parser.GetParamCount() <= documentAt) {
        parsed.usageError = request.command == CliRequest::Command::DontSend
            ? "dont-send needs a document or --from=SENDER"
            : "a document is needed (\"-\" reads standard input)";
        return parsed;
    }
    if (parser.GetParamCount() > documentAt + 1) {
        parsed.usageError = "unexpected \"" + Utf8(parser.GetParam(documentAt + 1)) + "\" after the document";
        return parsed;
    }
    // The document's own bytes, whatever they are.
    for (const std::string& argument : arguments)
        if (FromArgument(argument) == parser.GetParam(documentAt))
            request.document = argument;
    parsed.usageError = OptionMisplaced(parser, request.command);
    request.noNetwork = parser.Found("no-network");
    request.verbose = parser.Found("verbose");
    request.heading = parser.Found("heading");
    if (wxString delimiter; parser.Found("delimiter", &delimiter)) {
        const auto known = Delimiters().find(Utf8(delimiter));
        if (known == Delimiters().end())
            parsed.usageError = "the delimiter is semicolon, comma, space or newline";
        else
            request.delimiter = known->second;
    }
    ReadSendOptions(parser, parsed);
    return parsed;
}

std::string UsageText()
{
    return "Usage: vantrel-cli COMMAND DOCUMENT [OPTION]\n"
           "       vantrel-cli login|logout [OPTION]\n"
           "       vantrel-cli dont-send list|add ADDRESS|remove ADDRESS DOCUMENT|--from=SENDER\n"
           "Checks and composes the press release of a Vantrel document (.pre; \"-\" reads\n"
           "standard input). The document is only read.\n"
           "\n"
           "Commands:\n"
           "  check      run every check of the form, the web page and image downloads\n"
           "             included; print the report; exit 0 when everything passes, 1 when\n"
           "             something fails\n"
           "  release    print the press release as Generate, Email puts it on the clipboard\n"
           "  receivers  print the receivers' addresses, joined by the document's delimiter,\n"
           "             as Settings, Export Receivers writes them; entries that are not\n"
           "             one address and addresses on the do-not-send list are left out\n"
           "             and named on standard error\n"
           "  mailto     print the mailto: request that Generate, Email opens (its Bcc\n"
           "             leaves out the same)\n"
           "  send       check the form, then send the release through a mail server, one\n"
           "             message per receiver; a ledger keeps who has it, so a run that\n"
           "             stops resumes with those still waiting\n"
           "  login      sign in to the mail server with OAuth 2.0 in the browser; the\n"
           "             refresh token goes to the desktop's keyring, and send then\n"
           "             signs in with it (VANTREL_SMTP_TOKEN gives an access token instead)\n"
           "  logout     forget the sign-in of the server and user\n"
           "  dont-send  list the addresses the sender no longer sends to (unsubscribed,\n"
           "             bounced, complained, or by hand), add one or take one off; send\n"
           "             skips them\n"
           "  replies    read the sender's mailbox for bounces, complaints and unsubscribe\n"
           "             requests since the release was first sent; print one line per\n"
           "             receiver: address, what happened, date, evidence (tab-separated)\n"
           "\n"
           "Options:\n"
           "  --no-network            check, send: skip the two downloads\n"
           "  --verbose               check: say on standard error why each download that\n"
           "                          failed failed (HTTP status, refused, time-out, TLS...);\n"
           "                          replies: list the other replies (who, when, subject,\n"
           "                          first line) on standard error\n"
           "  --heading               release: print it as Generate, Text File writes it\n"
           "  --delimiter=SEPARATOR   receivers: semicolon, comma, space or newline\n"
           "  --server=URL            send: smtps://host[:port], or smtp://host[:port] with\n"
           "                          STARTTLS (plain text only to this machine)\n"
           "  --user=NAME             send: log in as NAME; the password comes from\n"
           "                          VANTREL_SMTP_PASSWORD or --password-file\n"
           "  --password-file=FILE    send: read the password from the first line of FILE\n"
           "  --from=ADDRESS          send, receivers, mailto: the sender, whose do-not-send\n"
           "                          list applies (default: the setting, else the form's\n"
           "                          contact)\n"
           "  --cacert=FILE           send: trust the certificates in FILE as well\n"
           "  --rate=PER-MINUTE       send: messages per minute (default 20, 0 no pause)\n"
           "  --dry-run               send: print the receivers and the message, send nothing\n"
           "  --test-to=ADDRESS       send: send one message to ADDRESS, record nothing\n"
           "  --again                 send: send to everyone, also to those who have it\n"
           "  --again-in-doubt        send: send again to those an earlier run left in doubt\n"
           "  --changed=rest|all      send: when some got an earlier text of this release,\n"
           "                          send the new one to the rest only, or to everyone\n"
           "  --subject=TEXT          send: the subject (default: the last run's, or\n"
           "                          \"Press release from\" and the company)\n"
           "  --note-file=FILE        send: a note to put above the release\n"
           "  --report=FILE           send: write who was not reached as CSV\n"
           "  --check-server          send: connect, start TLS and log in, send nothing\n"
           "  --server=URL            replies: imaps://host[:port][/MAILBOX] or imap:// with\n"
           "                          STARTTLS (default: the setting MailImapServer, else\n"
           "                          imaps:// beside the sending server); the user and\n"
           "                          login are those of send\n"
           "  --maildir=DIR           replies: read a local Maildir instead\n"
           "  --mbox=FILE             replies: read a local mbox file instead\n"
           "  --apply                 replies: put hard bounces, complaints and unsubscribe\n"
           "                          requests on the do-not-send list\n"
           "  --provider=NAME         login: microsoft (Microsoft 365), google, or other\n"
           "                          with --authorize-url=URL, --token-url=URL, --scope=TEXT\n"
           "  --client-id=ID          login: the client ID registered for Vantrel (default:\n"
           "                          the setting MicrosoftOAuthClientId, GoogleOAuthClientId\n"
           "                          or OtherOAuthClientId)\n"
           "  --no-browser            login: print the URL to open, do not open a browser\n"
           "  -h, --help              show this help\n"
           "  --version               show the version\n"
           "\n"
           "Exit status: 0 done (check: everything passes), 1 the check found problems,\n"
           "receivers, mailto: the receivers are cut at a zero byte or the do-not-send\n"
           "list cannot be read; 2 a wrong command line, 3 a document that is missing,\n"
           "unreadable or damaged; send: 1 the check\n"
           "found problems (nothing sent), 4 a receiver refused, left unsent or in doubt,\n"
           "another send of the release running, an earlier text already sent, or the\n"
           "server, TLS or the login failed, or the sign-in must be made again; login: 4\n"
           "the sign-in was refused, cancelled or cannot be kept; replies: 4 the mailbox\n"
           "could not be read to its end; dont-send: 1 the address is not on the list,\n"
           "4 the list cannot be written. Settings given with the\n"
           "window (server, user, sender, rate, time limit) are used when no option\n"
           "overrides them.\n";
}
