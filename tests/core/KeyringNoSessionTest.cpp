// A machine where no keyring answers: CTest runs this once with the session
// bus pointing nowhere and once on a bus that has no Secret Service
// (tests/CMakeLists.txt), each in a process of its own, since libsecret
// keeps the service it once found.
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

}  // namespace
