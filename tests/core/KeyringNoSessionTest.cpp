// A keyring that cannot be used: CTest runs each case in a process of its
// own (tests/CMakeLists.txt), since libsecret keeps the service it found.
#include <gtest/gtest.h>

#include <cstdlib>

#include "ResultTesting.h"
#include "core/signin/Keyring.h"

namespace {

TEST(NoKeyringTest, EveryOperationSaysNoKeyringAnswers)
{
    // Run bare, this would reach the user's own keyring.
    if (!std::getenv("VANTREL_EXPECT_NO_KEYRING"))
        GTEST_SKIP() << "runs from CTest, without a keyring";
    const std::string server = "smtps://smtp.gmail.com:465";
    for (const SecretKind kind : {SecretKind::Password, SecretKind::RefreshToken}) {
        EXPECT_EQ(FailureOf(StoreSecret(kind, server, "ann@x.org", "pw")), Failure::CannotOpen);
        EXPECT_EQ(FailureOf(ReadSecret(kind, server, "ann@x.org")), Failure::CannotOpen);
        EXPECT_EQ(FailureOf(ForgetSecret(kind, server, "ann@x.org")), Failure::CannotOpen);
    }
}

// A locked keyring that cannot ask to be unlocked (no display for its
// prompt): what it holds is neither taken for nothing stored nor reported
// as forgotten.
TEST(LockedKeyringTest, IsNeitherEmptyNorForgotten)
{
    if (!std::getenv("VANTREL_KEYRING_HOME"))
        GTEST_SKIP() << "runs through tests/support/private-keyring.sh";
    const std::string server = "smtps://smtp.gmail.com:465";
    ASSERT_TRUE(StoreSecret(SecretKind::RefreshToken, server, "ann@x.org", "token"));
    ASSERT_EQ(std::system("dbus-send --session --print-reply --dest=org.freedesktop.secrets "
                          "/org/freedesktop/secrets org.freedesktop.Secret.Service.Lock "
                          "array:objpath:/org/freedesktop/secrets/collection/login >/dev/null"),
              0);
    EXPECT_EQ(FailureOf(ReadSecret(SecretKind::RefreshToken, server, "ann@x.org")), Failure::CannotOpen);
    EXPECT_EQ(FailureOf(ForgetSecret(SecretKind::RefreshToken, server, "ann@x.org")), Failure::CannotWrite);
    EXPECT_EQ(FailureOf(StoreSecret(SecretKind::RefreshToken, server, "bob@x.org", "token")),
              Failure::CannotWrite);
}

}  // namespace
