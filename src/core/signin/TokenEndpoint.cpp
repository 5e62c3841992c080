#include "core/signin/TokenEndpoint.h"

#include <algorithm>
#include <cctype>

#include <nlohmann/json.hpp>

#include "core/checks/CurlLibrary.h"
#include "core/mail/SmtpTransport.h"
#include "core/signin/AuthorizationRequest.h"

namespace {

struct Body {
    std::string bytes;
    bool tooLarge = false;
};

std::size_t OnWrite(char* data, std::size_t size, std::size_t count, void* userData)
{
    auto& body = *static_cast<Body*>(userData);
    if (body.bytes.size() + size * count > kMaxTokenReplyBytes) {
        body.tooLarge = true;
        return 0;
    }
    body.bytes.append(data, size * count);
    return size * count;
}

// A text field, or nothing when it is absent; false when it has another type.
bool ReadText(const nlohmann::json& object, const char* name, std::string& text)
{
    const auto found = object.find(name);
    if (found == object.end() || found->is_null())
        return true;
    if (!found->is_string())
        return false;
    text = found->get<std::string>();
    return true;
}

// Some providers send the lifetime as a string of digits.
bool ReadSeconds(const nlohmann::json& object, const char* name, long long& seconds)
{
    const auto found = object.find(name);
    if (found == object.end() || found->is_null())
        return true;
    if (found->is_number_unsigned() || found->is_number_integer()) {
        seconds = found->get<long long>();
        return seconds >= 0;
    }
    if (!found->is_string())
        return false;
    const std::string text = found->get<std::string>();
    if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    seconds = std::stoll(text);
    return true;
}

TokenOutcome Post(const OAuthEndpoints& endpoints, std::string form)
{
    if (const std::string problem = TokenUrlProblem(endpoints.tokenUrl); !problem.empty())
        return {TokenResult::Failed, {}, problem};
    form += "&client_id=" + FormEncode(endpoints.clientId);
    if (!endpoints.clientSecret.empty())
        form += "&client_secret=" + FormEncode(endpoints.clientSecret);
    const CurlLibrary* api = Curl();
    if (!api)
        return {TokenResult::Failed, {}, "libcurl cannot be loaded"};
    CURL* curl = api->easyInit();
    if (!curl)
        return {TokenResult::Failed, {}, "libcurl cannot be started"};
    Body body;
    char error[CURL_ERROR_SIZE] = "";
    curl_slist* headers = api->slistAppend(nullptr, "Accept: application/json");
    api->easySetopt(curl, CURLOPT_URL, endpoints.tokenUrl.c_str());
    api->easySetopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    api->easySetopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
    api->easySetopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
    api->easySetopt(curl, CURLOPT_FOLLOWLOCATION, 0L);
    api->easySetopt(curl, CURLOPT_NOPROXY, "127.0.0.1,localhost,::1");
    api->easySetopt(curl, CURLOPT_HTTPHEADER, headers);
    api->easySetopt(curl, CURLOPT_POSTFIELDS, form.c_str());
    api->easySetopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(form.size()));
    api->easySetopt(curl, CURLOPT_WRITEFUNCTION, OnWrite);
    api->easySetopt(curl, CURLOPT_WRITEDATA, &body);
    api->easySetopt(curl, CURLOPT_ERRORBUFFER, error);
    api->easySetopt(curl, CURLOPT_NOSIGNAL, 1L);
    api->easySetopt(curl, CURLOPT_CONNECTTIMEOUT, 30L);
    api->easySetopt(curl, CURLOPT_TIMEOUT, 60L);
    const CURLcode code = api->easyPerform(curl);
    long status = 0;
    api->easyGetinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    api->easyCleanup(curl);
    api->slistFreeAll(headers);
    // The form held the code or the refresh token.
    std::fill(form.begin(), form.end(), '\0');
    if (body.tooLarge)
        return {TokenResult::Failed, {}, "the token endpoint's answer is too large"};
    if (code != CURLE_OK)
        return {TokenResult::Failed,
                {},
                std::string("the token endpoint cannot be reached: ") +
                    (error[0] ? error : api->easyStrerror(code))};
    const Result<TokenReply> reply = ReadTokenReply(body.bytes);
    if (!reply)
        return {TokenResult::Failed,
                {},
                "the token endpoint's answer (HTTP " + std::to_string(status) +
                    ") is not the JSON of tokens"};
    if (!reply->error.empty())
        return {status >= 400 && status < 500 ? TokenResult::Refused : TokenResult::Failed, *reply,
                "the provider refused: " + reply->error +
                    (reply->errorDescription.empty() ? "" : " (" + reply->errorDescription + ")")};
    if (status != 200 || reply->accessToken.empty())
        return {TokenResult::Failed, *reply,
                "the token endpoint gave no access token (HTTP " + std::to_string(status) + ")"};
    return {TokenResult::Granted, *reply, ""};
}

}  // namespace

Result<TokenReply> ReadTokenReply(const std::string& body)
{
    if (body.size() > kMaxTokenReplyBytes)
        return Failure::TooLarge;
    const nlohmann::json object = nlohmann::json::parse(body, nullptr, false);
    if (object.is_discarded() || !object.is_object())
        return Failure::Damaged;
    TokenReply reply;
    if (!ReadText(object, "access_token", reply.accessToken) ||
        !ReadText(object, "refresh_token", reply.refreshToken) || !ReadText(object, "error", reply.error) ||
        !ReadText(object, "error_description", reply.errorDescription) ||
        !ReadSeconds(object, "expires_in", reply.expiresIn))
        return Failure::Damaged;
    return reply;
}

std::string TokenUrlProblem(const std::string& url)
{
    std::string lower = url.substr(0, 8);
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (lower.compare(0, 8, "https://") == 0)
        return {};
    if (lower.compare(0, 7, "http://") != 0)
        return "the token URL begins with https://";
    const std::size_t begin = 7;
    const std::size_t end = std::min(url.find_first_of("/?#", begin), url.size());
    std::string host = url.substr(begin, end - begin);
    if (host.find('@') != std::string::npos)
        return "the token URL holds a user name";
    host = !host.empty() && host.front() == '[' ? host.substr(0, host.find(']') + 1)
                                                : host.substr(0, host.find(':'));
    return IsLoopbackHost(host) ? std::string()
                                : "the token URL begins with https:// (http only to this machine)";
}

TokenOutcome ExchangeCode(const OAuthEndpoints& endpoints, const std::string& code,
                          const std::string& redirectUri, const std::string& verifier)
{
    return Post(endpoints,
                "grant_type=authorization_code&code=" + FormEncode(code) +
                    "&redirect_uri=" + FormEncode(redirectUri) + "&code_verifier=" + FormEncode(verifier));
}

TokenOutcome RefreshAccessToken(const OAuthEndpoints& endpoints, const std::string& refreshToken)
{
    return Post(endpoints,
                "grant_type=refresh_token&refresh_token=" + FormEncode(refreshToken) +
                    "&scope=" + FormEncode(endpoints.scope));
}
