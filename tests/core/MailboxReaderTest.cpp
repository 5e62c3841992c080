#include "core/replies/MailboxReader.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <thread>

#include <unistd.h>
#include <utime.h>

#include "LocalSmtpServer.h"
#include "LocalSockets.h"
#include "TempHome.h"
#include "core/mail/SmtpTransport.h"
#include "core/replies/MboxSplitter.h"

namespace fs = std::filesystem;

namespace {

constexpr std::time_t kDecember1 = 1796083200;  // 2026-12-01 00:00:00 UTC

void WriteFile(const std::string& path, const std::string& bytes, std::time_t mtime)
{
    fs::create_directories(fs::path(path).parent_path());
    WriteFileBytes(path, bytes);
    const utimbuf times{mtime, mtime};
    utime(path.c_str(), &times);
}

// Every file below folder with its bytes and time: what reading must leave as it was.
std::map<std::string, std::string> Snapshot(const std::string& folder)
{
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        if (entry.is_regular_file())
            files[entry.path().string()] = ReadFileBytes(entry.path().string()) + "@" +
                std::to_string(fs::last_write_time(entry).time_since_epoch().count());
    return files;
}

struct Collected {
    std::vector<std::string> messages;
    MailboxReading reading;
};

// What the visitor does at a message besides keeping it.
enum class AtFirst { Nothing, Delete, Rename, Grow, Cancel };

struct MaildirFile {
    std::string path;  // below the Maildir; "->" in bytes makes a link to that file
    std::string bytes;
    std::time_t mtime;
};

struct MaildirRow {
    const char* name;
    std::vector<MaildirFile> files;
    std::time_t since;
    std::size_t largest;
    AtFirst atFirst;
    std::vector<std::string> expected;
    std::size_t tooLarge;
    std::size_t vanished;
    const char* problem;
};

const std::vector<MaildirFile> kThree = {
    {"cur/1.a:2,S", "A", 2000}, {"new/2.b", "B", 2000}, {"cur/3.c:2,", "C", 2000}};

const MaildirRow kMaildirRows[] = {
    {"cur and new by name, not tmp, dot files, links or folders",
     {{"new/200.b", "B", 2000},
      {"cur/100.a:2,S", "A", 2000},
      {"tmp/050.t", "T", 2000},
      {"cur/.050.h", "H", 2000},
      {"new/.dot", "D", 2000},
      {"cur/150.link", "->../../outside", 2000},
      {"cur/160.folder/x", "F", 2000}},
     0,
     1000,
     AtFirst::Nothing,
     {"A", "B"},
     0,
     0,
     ""},
    {"since by the file's time",
     {{"cur/1.a:2,", "old", 1999}, {"cur/2.b:2,", "edge", 2000}, {"new/3.c", "new", 2001}},
     2000,
     1000,
     AtFirst::Nothing,
     {"edge", "new"},
     0,
     0,
     ""},
    {"the bound",
     {{"cur/1.a:2,", "0123456789", 2000}, {"cur/2.b:2,", "0123456789A", 2000}},
     0,
     10,
     AtFirst::Nothing,
     {"0123456789"},
     1,
     0,
     ""},
    {"deleted while read", kThree, 0, 1000, AtFirst::Delete, {"A", "C"}, 0, 1, ""},
    {"marked read by another client while read", kThree, 0, 1000, AtFirst::Rename, {"A", "B", "C"}, 0, 0, ""},
    {"grown past the bound after the listing", kThree, 0, 10, AtFirst::Grow, {"A", "C"}, 1, 0, ""},
    {"cancelled", kThree, 0, 1000, AtFirst::Cancel, {"A"}, 0, 0, ""},
    {"a folder without cur or new",
     {{"other/1.a", "A", 2000}},
     0,
     1000,
     AtFirst::Nothing,
     {},
     0,
     0,
     "is not a Maildir"},
};

TEST(MailboxReaderTest, MaildirRows)
{
    for (const MaildirRow& row : kMaildirRows) {
        SCOPED_TRACE(row.name);
        TempHome home;
        const std::string folder = home.sandbox() + "/Maildir";
        fs::create_directories(folder);
        WriteFileBytes(home.sandbox() + "/outside", "O");
        for (const MaildirFile& file : row.files) {
            if (file.bytes.compare(0, 2, "->") == 0)
                fs::create_symlink(file.bytes.substr(2), folder + "/" + file.path);
            else
                WriteFile(folder + "/" + file.path, file.bytes, file.mtime);
        }
        const auto before = Snapshot(home.sandbox());
        Collected got;
        got.reading = ReadMaildir(
            folder, row.since,
            [&](std::string_view message, std::size_t, std::size_t) {
                got.messages.emplace_back(message);
                if (got.messages.size() > 1)
                    return true;
                if (row.atFirst == AtFirst::Delete)
                    fs::remove(folder + "/new/2.b");
                if (row.atFirst == AtFirst::Rename)
                    fs::rename(folder + "/new/2.b", folder + "/cur/2.b:2,S");
                if (row.atFirst == AtFirst::Grow)
                    WriteFileBytes(folder + "/new/2.b", "BBBBBBBBBBB");
                return row.atFirst != AtFirst::Cancel;
            },
            row.largest);
        EXPECT_EQ(got.messages, row.expected);
        EXPECT_EQ(got.reading.read, row.expected.size());
        EXPECT_EQ(got.reading.tooLarge, row.tooLarge);
        EXPECT_EQ(got.reading.vanished, row.vanished);
        EXPECT_EQ(got.reading.cancelled, row.atFirst == AtFirst::Cancel);
        EXPECT_NE(got.reading.problem.find(row.problem), std::string::npos) << got.reading.problem;
        EXPECT_EQ(got.reading.problem.empty(), row.problem[0] == '\0');
        if (row.atFirst == AtFirst::Nothing) {
            EXPECT_EQ(Snapshot(home.sandbox()), before);
        }
    }
}

TEST(MailboxReaderTest, MissingMaildirAndMboxAreProblems)
{
    TempHome home;
    const auto visit = [](std::string_view, std::size_t, std::size_t) { return true; };
    EXPECT_NE(ReadMaildir(home.sandbox() + "/none", 0, visit).problem.find("cannot be read"),
              std::string::npos);
    EXPECT_NE(ReadMbox(home.sandbox() + "/none", 0, visit).problem.find("cannot be read"), std::string::npos);
    EXPECT_NE(ReadMbox(home.sandbox(), 0, visit).problem.find("cannot be read"), std::string::npos);
}

struct MboxRow {
    const char* name;
    std::string bytes;
    std::time_t since;
    std::size_t largest;
    bool cancelAtFirst;
    std::vector<std::string> expected;
    std::size_t tooLarge;
    const char* problem;
};

std::vector<MboxRow> MboxRows()
{
    const std::string large(300000, 'x');
    return {
        {"split after a blank line only",
         "From a@x.org Tue Dec  1 10:00:00 2026\nSubject: one\n\nbody\nFrom here on\n\n"
         "From b@x.org Wed Dec  2 10:00:00 2026\nSubject: two\n\n>From quoted\n",
         0,
         1000,
         false,
         {"Subject: one\n\nbody\nFrom here on\n", "Subject: two\n\n>From quoted\n"},
         0,
         ""},
        {"CR LF lines, no line end at the end",
         "From a@x.org Tue Dec  1 10:00:00 2026\r\nA: 1\r\n\r\nx\r\n\r\nFrom b@x.org Tue Dec  1 10:00:00 2026\r\nB: 2",
         0,
         1000,
         false,
         {"A: 1\r\n\r\nx\r\n", "B: 2"},
         0,
         ""},
        {"since by the From line's date; an unreadable date is read",
         "From a@x.org Mon Nov 30 23:59:59 2026\nold\n\nFrom b@x.org Tue Dec  1 00:00:00 2026\nedge\n\n"
         "From c@x.org someday\nundated\n\nFrom d@x.org Tue Dec  1 00:00:00 UTC 2026\nzoned\n",
         kDecember1,
         1000,
         false,
         {"edge\n", "undated\n", "zoned\n"},
         0,
         ""},
        {"the bound",
         "From a@x.org Tue Dec  1 10:00:00 2026\n123456789\n\nFrom b@x.org Tue Dec  1 10:00:00 2026\n1234567890\n\n"
         "From c@x.org Tue Dec  1 10:00:00 2026\nsmall\n",
         0,
         10,
         false,
         {"123456789\n", "small\n"},
         1,
         ""},
        {"a message longer than a piece read",
         "From a@x.org Tue Dec  1 10:00:00 2026\n" + large + "\n\nFrom b@x.org Tue Dec  1 10:00:00 2026\nB\n",
         0,
         400000,
         false,
         {large + "\n", "B\n"},
         0,
         ""},
        {"cancelled",
         "From a@x.org Tue Dec  1 10:00:00 2026\nA\n\nFrom b@x.org Tue Dec  1 10:00:00 2026\nB\n",
         0,
         1000,
         true,
         {"A\n"},
         0,
         ""},
        {"empty", "", 0, 1000, false, {}, 0, ""},
        {"not an mbox",
         "Subject: x\n\nFrom a@x.org Tue Dec  1 10:00:00 2026\nA\n",
         0,
         1000,
         false,
         {},
         0,
         "not an mbox file"},
    };
}

TEST(MailboxReaderTest, MboxRows)
{
    for (const MboxRow& row : MboxRows()) {
        SCOPED_TRACE(row.name);
        TempHome home;
        const std::string path = home.sandbox() + "/mbox";
        WriteFileBytes(path, row.bytes);
        Collected got;
        got.reading = ReadMbox(
            path, row.since,
            [&](std::string_view message, std::size_t index, std::size_t) {
                EXPECT_EQ(index, got.messages.size());
                got.messages.emplace_back(message);
                return !row.cancelAtFirst;
            },
            row.largest);
        EXPECT_EQ(got.messages, row.expected);
        EXPECT_EQ(got.reading.tooLarge, row.tooLarge);
        EXPECT_EQ(got.reading.cancelled, row.cancelAtFirst);
        EXPECT_NE(got.reading.problem.find(row.problem), std::string::npos) << got.reading.problem;
        EXPECT_EQ(got.reading.problem.empty(), row.problem[0] == '\0');
        EXPECT_EQ(ReadFileBytes(path), row.bytes);
        // However the file falls into pieces, the same messages.
        for (const std::size_t pieceBytes : {1, 2, 5, 7}) {
            std::vector<std::string> split;
            MboxSplitter splitter(row.since, row.largest, [&](std::string_view message, std::size_t) {
                split.emplace_back(message);
                return !row.cancelAtFirst;
            });
            for (std::size_t at = 0; at < row.bytes.size() && !splitter.Stopped(); at += pieceBytes)
                splitter.Take(std::string_view(row.bytes).substr(at, pieceBytes));
            splitter.Finish();
            EXPECT_EQ(split, row.expected) << pieceBytes;
        }
    }
}

TEST(MailboxReaderTest, FromLineTimes)
{
    const std::pair<const char*, std::time_t> rows[] = {
        {"From a@x.org Tue Dec  1 00:00:00 2026", kDecember1},
        {"From a@x.org Mon Nov 30 23:59:59 2026\r\n", kDecember1 - 1},
        {"From a@x.org Tue Dec  1 00:00 2026", kDecember1},
        {"From a@x.org Tue Dec  1 00:00:00 +0000 2026", kDecember1},
        {"From MAILER-DAEMON Thu Jan  1 00:00:00 1970", 0},
        {"From a@x.org Tue Dez  1 00:00:00 2026", -1},
        {"From a@x.org Tue Dec 32 00:00:00 2026", -1},
        {"From a@x.org Tue Dec  1 24:00:00 2026", -1},
        {"From a@x.org", -1},
    };
    for (const auto& [line, expected] : rows)
        EXPECT_EQ(FromLineTime(line), expected) << line;
}

ImapMailbox LocalMailbox(const std::string& url)
{
    ImapMailbox mailbox;
    mailbox.url = url;
    mailbox.user = "reader";
    mailbox.password = "secret";
    return mailbox;
}

// dovecot on 127.0.0.1 with its own configuration, serving one Maildir.
class ImapReaderTest : public ::testing::Test {
protected:
    static constexpr int kMessages = 240;  // more than one batch of UIDs

    static void SetUpTestSuite()
    {
        if (access("/usr/sbin/dovecot", X_OK) != 0)
            return;
        home_ = new TempHome;
        folder_ = home_->sandbox() + "/imap";
        for (int i = 0; i < kMessages; ++i) {
            const std::size_t size = i == 5 ? 1000 : i == 6 ? 1001 : 300 + (i * 37) % 500;
            std::string message = "Subject: message " + std::to_string(i) + "\r\n\r\n";
            while (message.size() + 72 <= size)
                message += std::string(68, static_cast<char>('a' + i % 26)) + "\r\n";
            message += std::string(size - message.size() - 2, 'z') + "\r\n";
            messages_.push_back(message);
            const char* flags[] = {"S", "", "FS"};
            WriteFile(folder_ + "/Maildir/cur/17960" + std::to_string(10000 + i) + ".M" + std::to_string(i) +
                          "P1.vantrel:2," + flags[i % 3],
                      message, i % 2 ? 1796472000 : 1794744000);
        }
        server_ = new LocalSmtpServer(folder_, {}, VANTREL_TEST_SUPPORT_DIR "/imap_server.py");
        tlsPort_ = std::atoi(server_->WaitForLine("tlsport ").substr(8).c_str());
        caFile_ = server_->WaitForLine("ca ").substr(3);
        flagsBefore_ = Flags();
    }

    static void TearDownTestSuite()
    {
        delete server_;
        delete home_;
    }

    void SetUp() override
    {
        if (!server_)
            GTEST_SKIP() << "dovecot is not installed (dovecot-imapd)";
    }

    static std::string Flags()
    {
        const std::string command = "/usr/bin/python3 " VANTREL_TEST_SUPPORT_DIR "/imap_server.py --flags " +
            std::to_string(server_->port()) + " reader secret";
        std::string text;
        if (FILE* pipe = popen(command.c_str(), "r")) {
            char buffer[4096];
            for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
                text.append(buffer, n);
            pclose(pipe);
        }
        return text;
    }

    static std::vector<std::string> MaildirNames()
    {
        std::vector<std::string> names;
        for (const char* subfolder : {"/Maildir/cur", "/Maildir/new"})
            for (const auto& entry : fs::directory_iterator(folder_ + subfolder))
                names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    static inline TempHome* home_ = nullptr;
    static inline std::string folder_;
    static inline LocalSmtpServer* server_ = nullptr;
    static inline int tlsPort_ = 0;
    static inline std::string caFile_;
    static inline std::string flagsBefore_;
    static inline std::vector<std::string> messages_;
};

struct ImapRow {
    const char* name;
    const char* url;  // PORT: the plain one, TLSPORT: imaps
    bool withAuthority;  // the test's certificate as caFile
    const char* password;
    std::time_t since;
    std::size_t largest;
    bool (*expected)(int message);
    std::size_t tooLarge;
    const char* problem;
};

bool Every(int) { return true; }
bool None(int) { return false; }
bool Recent(int message) { return message % 2 == 1; }
bool WithinBound(int message) { return message != 6; }

const ImapRow kImapRows[] = {
    {"plain on loopback, everything", "imap://127.0.0.1:PORT", false, "secret", 0, 16777216, Every, 0, ""},
    {"TLS, since December", "imaps://127.0.0.1:TLSPORT", true, "secret", kDecember1, 16777216, Recent, 0, ""},
    {"STARTTLS away from loopback", "imap://mail.vantrel.test:PORT/", true, "secret", 0, 16777216, Every, 0,
     ""},
    {"STARTTLS with a certificate not trusted", "imap://mail.vantrel.test:PORT", false, "secret", 0, 16777216,
     None, 0, "TLS failed"},
    {"the bound", "imap://127.0.0.1:PORT/INBOX", false, "secret", 0, 1000, WithinBound, 1, ""},
    {"a mailbox not there", "imap://127.0.0.1:PORT/Elsewhere", false, "secret", 0, 16777216, None, 0,
     "refused EXAMINE"},
    {"a mailbox name that would end the command", "imap://127.0.0.1:PORT/INBOX%0D%0Aa9%20LOGOUT", false,
     "secret", 0, 16777216, None, 0, "plain ASCII"},
    {"a wrong password", "imaps://127.0.0.1:TLSPORT", true, "wrong", 0, 16777216, None, 0,
     "refused the login"},
};

TEST_F(ImapReaderTest, Rows)
{
    const std::vector<std::string> namesBefore = MaildirNames();
    for (const ImapRow& row : kImapRows) {
        SCOPED_TRACE(row.name);
        std::string url = row.url;
        const std::size_t port = url.find("PORT");
        const bool tls = url.compare(port - 3, 3, "TLS") == 0;
        url.replace(tls ? port - 3 : port, tls ? 7 : 4, std::to_string(tls ? tlsPort_ : server_->port()));
        ImapMailbox mailbox = LocalMailbox(url);
        mailbox.resolve = {"mail.vantrel.test:" + std::to_string(server_->port()) + ":127.0.0.1"};
        mailbox.caFile = row.withAuthority ? caFile_ : "";
        mailbox.password = row.password;
        std::map<std::string, int> seen;
        const MailboxReading reading = ReadImap(
            mailbox, row.since,
            [&](std::string_view message, std::size_t index, std::size_t total) {
                EXPECT_LT(index, total);
                ++seen[std::string(message)];
                return true;
            },
            row.largest);
        std::map<std::string, int> expected;
        for (int i = 0; i < kMessages; ++i)
            if (row.expected(i))
                expected[messages_[i]] = 1;
        EXPECT_TRUE(seen == expected) << seen.size() << " of " << expected.size();
        EXPECT_EQ(reading.read, expected.size());
        EXPECT_EQ(reading.tooLarge, row.tooLarge);
        EXPECT_NE(reading.problem.find(row.problem), std::string::npos) << reading.problem;
        EXPECT_EQ(reading.problem.empty(), row.problem[0] == '\0') << reading.problem;
        EXPECT_EQ(MaildirNames(), namesBefore);
        EXPECT_EQ(Flags(), flagsBefore_);
    }
}

TEST_F(ImapReaderTest, CancelStopsAtOnce)
{
    const ImapMailbox mailbox = LocalMailbox("imap://127.0.0.1:" + std::to_string(server_->port()));
    std::size_t visits = 0;
    const MailboxReading reading =
        ReadImap(mailbox, 0, [&](std::string_view, std::size_t, std::size_t) { return ++visits < 3; });
    EXPECT_EQ(visits, 3u);
    EXPECT_EQ(reading.read, 3u);
    EXPECT_TRUE(reading.cancelled);
    EXPECT_EQ(reading.problem, "");
}

// A server of our own on 127.0.0.1: it greets, gives each command the
// first answer whose key the command holds ("T" standing for its tag), and
// says nothing to the rest.
struct ScriptedRow {
    const char* name;
    std::vector<std::pair<std::string, std::string>> answers;
    std::size_t tooLarge;
    const char* problem;
};

const std::vector<std::pair<std::string, std::string>> kLogin = {
    {" CAPABILITY", "* CAPABILITY IMAP4rev1\r\nT OK\r\n"}, {" LOGIN ", "T OK logged in\r\n"}};

std::vector<std::pair<std::string, std::string>>
LoginAnd(std::vector<std::pair<std::string, std::string>> more)
{
    more.insert(more.begin(), kLogin.begin(), kLogin.end());
    return more;
}

const ScriptedRow kScriptedRows[] = {
    {"silent after the greeting", {}, 0, "the server stopped answering"},
    {"silent after the login", kLogin, 0, "the server stopped answering"},
    {"a literal longer than its size said",
     LoginAnd({{" EXAMINE ", "T OK\r\n"},
               {" SEARCH ", "* SEARCH 7\r\nT OK\r\n"},
               {"RFC822.SIZE", "* 1 FETCH (UID 7 RFC822.SIZE 10)\r\nT OK\r\n"},
               {"BODY.PEEK", "* 1 FETCH (UID 7 BODY[] {2000}\r\n" + std::string(2000, 'x') + ")\r\nT OK\r\n"},
               {" LOGOUT", "* BYE\r\nT OK\r\n"}}),
     1, ""},
    {"a farewell and the connection closed", LoginAnd({{" EXAMINE ", "* BYE shutting down\r\n"}}), 0,
     "the server closed the connection: shutting down"},
};

TEST(ImapScriptedServerTest, Rows)
{
    for (const ScriptedRow& row : kScriptedRows) {
        SCOPED_TRACE(row.name);
        const LocalSocket listener = BindLoopback(0);
        ASSERT_TRUE(StartListening(listener));
        std::atomic<bool> done{false};
        std::thread server([&] {
            LocalSocket connection = AcceptConnection(listener);
            std::string said = "* OK ready\r\n";
            SendAll(connection, said.data(), said.size());
            std::string heard;
            char buffer[512];
            while (!done && connection != kNoSocket) {
                if (!WaitReadable(connection, 50))
                    continue;
                const long n = ReceiveSome(connection, buffer, sizeof buffer);
                if (n <= 0)
                    break;
                heard.append(buffer, static_cast<std::size_t>(n));
                for (std::size_t end; (end = heard.find("\r\n")) != std::string::npos;
                     heard.erase(0, end + 2)) {
                    const std::string line = heard.substr(0, end);
                    for (const auto& [key, answer] : row.answers) {
                        if (line.find(key) == std::string::npos)
                            continue;
                        said = answer;
                        for (std::size_t at; (at = said.find("T ")) != std::string::npos;)
                            said.replace(at, 1, line.substr(0, line.find(' ')));
                        SendAll(connection, said.data(), said.size());
                        if (said.compare(0, 5, "* BYE") == 0 && said.find(" OK") == std::string::npos) {
                            CloseSocket(connection);
                            connection = kNoSocket;
                        }
                        break;
                    }
                }
            }
            if (connection != kNoSocket)
                CloseSocket(connection);
        });
        ImapMailbox mailbox = LocalMailbox("imap://127.0.0.1:" + std::to_string(PortOf(listener)));
        mailbox.deadline = std::chrono::seconds(1);
        std::size_t visits = 0;
        const MailboxReading reading = ReadImap(
            mailbox, 0,
            [&](std::string_view, std::size_t, std::size_t) {
                ++visits;
                return true;
            },
            1000);
        done = true;
        server.join();
        CloseSocket(listener);
        EXPECT_EQ(reading.problem, row.problem);
        EXPECT_EQ(reading.tooLarge, row.tooLarge);
        EXPECT_EQ(visits, 0u);
    }
}

}  // namespace

namespace {

// Hands out a token the server refuses, then a renewed one.
class RenewingTokens : public AccessTokenSource {
public:
    BearerToken Token(bool renew) override
    {
        renewals += renew ? 1 : 0;
        return {renew ? "fresh" : "stale", "", false};
    }
    int renewals = 0;
};

// A signed-in mailbox whose token the server takes as expired before we
// do: the login is made once more with a renewed token, and only once.
TEST(ImapScriptedServerTest, ARefusedTokenIsRenewedOnce)
{
    const LocalSocket listener = BindLoopback(0);
    ASSERT_TRUE(StartListening(listener));
    std::vector<std::string> logins;
    std::thread server([&] {
        for (int connection = 0; connection < 2; ++connection) {
            // A reader that never comes back must fail the test, not hang it.
            if (!WaitReadable(listener, 5000))
                break;
            LocalSocket client = AcceptConnection(listener);
            const std::string greeting = "* OK ready\r\n";
            SendAll(client, greeting.data(), greeting.size());
            std::string heard;
            char buffer[512];
            for (long n; (n = ReceiveSome(client, buffer, sizeof buffer)) > 0;) {
                heard.append(buffer, static_cast<std::size_t>(n));
                for (std::size_t end; (end = heard.find("\r\n")) != std::string::npos; heard.erase(0, end + 2)) {
                    const std::string line = heard.substr(0, end), tag = line.substr(0, line.find(' '));
                    std::string answer = tag + " OK done\r\n";
                    if (line.find(" CAPABILITY") != std::string::npos)
                        answer = "* CAPABILITY IMAP4rev1 SASL-IR AUTH=XOAUTH2\r\n" + answer;
                    else if (line.find(" AUTHENTICATE ") != std::string::npos)
                        logins.push_back(line.substr(line.find("AUTHENTICATE")));
                    if (line.find(" AUTHENTICATE ") != std::string::npos && connection == 0)
                        answer = tag + " NO [AUTHENTICATIONFAILED] token expired\r\n";
                    else if (line.find(" EXAMINE ") != std::string::npos)
                        answer = "* 0 EXISTS\r\n" + tag + " OK [READ-ONLY] done\r\n";
                    else if (line.find(" SEARCH ") != std::string::npos)
                        answer = "* SEARCH\r\n" + answer;
                    else if (line.find(" LOGOUT") != std::string::npos)
                        answer = "* BYE bye\r\n" + answer;
                    SendAll(client, answer.data(), answer.size());
                }
            }
            CloseSocket(client);
        }
    });
    ImapMailbox mailbox = LocalMailbox("imap://127.0.0.1:" + std::to_string(PortOf(listener)));
    auto tokens = std::make_shared<RenewingTokens>();
    mailbox.tokens = tokens;
    mailbox.deadline = std::chrono::seconds(2);
    const MailboxReading reading = ReadImap(mailbox, 0, [](std::string_view, std::size_t, std::size_t) { return true; });
    server.join();
    CloseSocket(listener);
    EXPECT_EQ(reading.problem, "");
    EXPECT_EQ(tokens->renewals, 1);
    ASSERT_EQ(logins.size(), 2u);
    EXPECT_EQ(logins[0].rfind("AUTHENTICATE XOAUTH2 ", 0), 0u) << logins[0];
    EXPECT_NE(logins[0], logins[1]) << "the second login carries the renewed token";

    // A server that cannot be reached is no refused token.
    const MailboxReading unreached = ReadImap(mailbox, 0, [](std::string_view, std::size_t, std::size_t) { return true; });
    EXPECT_EQ(unreached.problem.rfind("the server cannot be reached: ", 0), 0u) << unreached.problem;
    EXPECT_EQ(tokens->renewals, 1);
}

}  // namespace
