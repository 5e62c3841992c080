#pragma once

#include <chrono>
#include <functional>
#include <string>

#include "core/Result.h"
#include "core/signin/AuthorizationRequest.h"
#include "core/signin/LoopbackSockets.h"

// The longest a sign-in waits for the browser.
inline constexpr std::chrono::seconds kSignInWait{300};

// Where the browser is sent back to after the sign-in: a port of its own
// on 127.0.0.1, answering the one request that ends the sign-in and then
// closed, so that a second request finds no one.
class RedirectListener {
public:
    RedirectListener() = default;
    ~RedirectListener();
    RedirectListener(const RedirectListener&) = delete;
    RedirectListener& operator=(const RedirectListener&) = delete;

    // CannotOpen when no port can be had.
    Result<> Open();
    // http://127.0.0.1:PORT/
    std::string RedirectUri() const;

    // Answers requests until one comes to "/", reads the code from it
    // (ReadRedirect) and closes. keepWaiting is asked several times a
    // second; false cancels.
    RedirectOutcome Wait(const std::string& expectedState, std::chrono::milliseconds limit,
                         const std::function<bool()>& keepWaiting = {});

private:
    loopback::LoopbackSocket listener_ = loopback::kNoSocket;
    int port_ = 0;
};

// The request target of an HTTP request's head ("/?code=..."), or empty
// when the head is not a GET request line.
std::string RequestTarget(const std::string& head);
