#pragma once

#include <iosfwd>
#include <memory>
#include <string>

#include "cli/CommandLine.h"
#include "core/mail/SmtpTransport.h"

// login: the OAuth 2.0 sign-in through the browser, its refresh token
// kept in the keyring and its provider in the user's settings.
int Login(const CliRequest& request, std::ostream& out, std::ostream& err);
// logout: the keyring's token and the remembered sign-in forgotten.
int Logout(const CliRequest& request, std::ostream& err);

// The access tokens send logs in with for server and user: those of
// VANTREL_SMTP_TOKEN, or of the sign-in login made. Null with problem
// empty when they log in with a password; null with a problem (and the
// exit status) when signed in but no token can be had, so nothing may be
// sent.
struct SignInTokens {
    std::shared_ptr<AccessTokenSource> source;
    std::string problem;
    int status = 0;
};
SignInTokens TokensFor(const std::string& server, const std::string& user);

// What send says after a run the provider stopped.
std::string SignInAgainAdvice(const std::string& server, const std::string& user);
