// Secrets in the desktop's keyring, against a real one: GNOME Keyring in a
// D-Bus session of the test's own (tests/support/private-keyring.sh) on
// Linux, Wine's Credential Manager in the test's prefix on Windows.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <vector>

#include "ResultTesting.h"
#include "TempHome.h"
#include "core/signin/Keyring.h"

namespace {

constexpr auto P = SecretKind::Password;
constexpr auto R = SecretKind::RefreshToken;
const std::string kGmail = "smtps://smtp.gmail.com:465";
const std::string kOffice = "smtp://smtp.office365.com:587";

enum class Do { Store, Read, Forget };

struct Step {
    Do what;
    SecretKind kind;
    std::string server;
    std::string user;
    std::string secret;  // stored, or the one read back
    std::optional<Failure> failure;
};

// Secrets that must never stand in a file in plain text.
const std::string kPassword = "pw-3a7f-Vantrel-test";
const std::string kToken = "1//0tok-9c41-Vantrel-test";
const std::string kNewPassword = "pw-replaced-51e2-Vantrel-test";

std::string LongSecret()
{
    std::string bytes(2560, 'x');
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(i % 251);
    return bytes;
}

bool AnyFileHolds(const std::string& folder, const std::string& bytes)
{
    std::error_code walk;
    for (std::filesystem::recursive_directory_iterator entry(folder, walk), end; !walk && entry != end;
         entry.increment(walk))
        if (entry->is_regular_file() &&
            ReadFileBytes(entry->path().string()).find(bytes) != std::string::npos)
            return true;
    return false;
}

TEST(KeyringTest, EachSecretUnderItsKindServerAndUser)
{
#ifndef _WIN32
    // The user's own keyring is never touched.
    const char* keyringHome = std::getenv("VANTREL_KEYRING_HOME");
    if (!keyringHome)
        GTEST_SKIP() << "runs through tests/support/private-keyring.sh";
#endif
    const std::string zoe = "zo\xc3\xab.m\xc3\xbcller@b\xc3\xbcro.de";
    // A store is read back, a forgotten secret is Missing after.
    const std::vector<Step> steps = {
        {Do::Read, P, kGmail, "ann@x.org", "", Failure::Missing},
        {Do::Forget, P, kGmail, "ann@x.org", "", std::nullopt},
        {Do::Store, P, kGmail, "ann@x.org", kPassword, std::nullopt},
        // another kind, server or user finds nothing, and stores its own
        {Do::Read, R, kGmail, "ann@x.org", "", Failure::Missing},
        {Do::Read, P, kOffice, "ann@x.org", "", Failure::Missing},
        {Do::Read, P, kGmail, "ann@x.org.", "", Failure::Missing},
        {Do::Store, R, kGmail, "ann@x.org", kToken, std::nullopt},
        {Do::Store, P, kOffice, "ann@x.org", "office", std::nullopt},
        {Do::Store, P, kGmail, "bob@x.org", "bob's", std::nullopt},
        {Do::Read, P, kGmail, "ann@x.org", kPassword, std::nullopt},
        // a replaced secret leaves no old one behind
        {Do::Store, P, kGmail, "ann@x.org", kNewPassword, std::nullopt},
        {Do::Read, R, kGmail, "ann@x.org", kToken, std::nullopt},
        // colons in server and user cannot make two keys one
        {Do::Store, P, "smtp://a:1", "b:c", "first", std::nullopt},
        {Do::Store, P, "smtp://a:1:b", "c", "second", std::nullopt},
        {Do::Store, P, "smtp://a:1:b%3Ac", "", "third", std::nullopt},
        {Do::Read, P, "smtp://a:1", "b:c", "first", std::nullopt},
        {Do::Read, P, "smtp://a:1:b", "c", "second", std::nullopt},
        // text beyond ASCII, bytes beyond text
        {Do::Store, P, kGmail, zoe, "p\xc3\xa4sswort \xe2\x82\xac", std::nullopt},
        {Do::Store, R, kOffice, zoe, std::string("a\0b\0", 4), std::nullopt},
        {Do::Store, R, kGmail, zoe, LongSecret(), std::nullopt},
        {Do::Store, P, kOffice, "empty@x.org", "", std::nullopt},
        // keys that are not text are refused, not cut or mixed up
        {Do::Store, P, kGmail, "ann\xff@x.org", "never", Failure::Damaged},
        {Do::Read, P, kGmail, "ann\xff@x.org", "", Failure::Damaged},
        {Do::Store, P, kGmail, std::string("ann@x.org\0evil", 14), "never", Failure::Damaged},
        {Do::Forget, P, std::string("smtp\0", 5), "ann@x.org", "", Failure::Damaged},
        {Do::Read, P, kGmail, "ann@x.org", kNewPassword, std::nullopt},
        // forgetting one leaves the others; forgetting nothing is done
        {Do::Forget, P, kGmail, "ann@x.org", "", std::nullopt},
        {Do::Read, R, kGmail, "ann@x.org", kToken, std::nullopt},
        {Do::Read, P, kGmail, "bob@x.org", "bob's", std::nullopt},
        {Do::Forget, P, kGmail, "ann@x.org", "", std::nullopt},
    };
    // A Wine prefix keeps what an earlier run stored.
    for (const Step& step : steps)
        static_cast<void>(ForgetSecret(step.kind, step.server, step.user));
    for (std::size_t i = 0; i < steps.size(); ++i) {
        const Step& step = steps[i];
        SCOPED_TRACE("step " + std::to_string(i) + ": " + step.server + " " + step.user);
        if (step.what != Do::Read) {
            const std::optional<Failure> failure = step.what == Do::Store
                ? FailureOf(StoreSecret(step.kind, step.server, step.user, step.secret))
                : FailureOf(ForgetSecret(step.kind, step.server, step.user));
            EXPECT_EQ(failure, step.failure);
            if (failure)
                continue;
        }
        const Result<std::string> read = ReadSecret(step.kind, step.server, step.user);
        EXPECT_EQ(FailureOf(read), step.what == Do::Forget ? Failure::Missing : step.failure);
        EXPECT_EQ(ValueOf(read).value_or(""), step.secret);
    }

    std::vector<std::string> folders = {std::getenv("HOME")};
#ifndef _WIN32
    // The keyring's own file is there, encrypted.
    folders.push_back(keyringHome);
    EXPECT_FALSE(ReadFileBytes(std::string(keyringHome) + "/.local/share/keyrings/login.keyring").empty());
#endif
    for (const std::string& folder : folders)
        for (const std::string& secret : {kPassword, kToken, kNewPassword})
            EXPECT_FALSE(AnyFileHolds(folder, secret)) << secret << " in a file below " << folder;
}

#ifdef _WIN32
TEST(KeyringTest, TheCredentialManagerHoldsUpTo2560Bytes)
{
    EXPECT_EQ(FailureOf(StoreSecret(R, kOffice, "long@x.org", std::string(2561, 't'))), Failure::TooLarge);
    EXPECT_EQ(FailureOf(ReadSecret(R, kOffice, "long@x.org")), Failure::Missing);
}
#endif

}  // namespace
