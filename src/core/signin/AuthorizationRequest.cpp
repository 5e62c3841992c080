#include "core/signin/AuthorizationRequest.h"

#include <cctype>
#include <map>

#include "core/signin/Crypto.h"

namespace {

constexpr std::size_t kVerifierBytes = 32;

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

std::map<std::string, std::string> QueryValues(const std::string& query)
{
    std::map<std::string, std::string> values;
    std::size_t begin = 0;
    while (begin < query.size()) {
        const std::size_t end = std::min(query.find('&', begin), query.size());
        const std::string pair = query.substr(begin, end - begin);
        const std::size_t equals = pair.find('=');
        const std::string name = FormDecode(pair.substr(0, equals));
        // A name given twice is a request made up to confuse: the first counts.
        if (!name.empty() && !values.count(name))
            values[name] = equals == std::string::npos ? "" : FormDecode(pair.substr(equals + 1));
        begin = end + 1;
    }
    return values;
}

// Compared in full whatever differs, so that the time taken tells nothing.
bool SameText(const std::string& a, const std::string& b)
{
    unsigned char differs = a.size() == b.size() ? 0 : 1;
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i)
        differs |= static_cast<unsigned char>(a[i] ^ b[i]);
    return differs == 0;
}

}  // namespace

std::string Base64Url(const std::string& bytes)
{
    static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";
    std::string text;
    std::size_t i = 0;
    for (; i + 2 < bytes.size(); i += 3) {
        const unsigned value = static_cast<unsigned char>(bytes[i]) << 16 |
            static_cast<unsigned char>(bytes[i + 1]) << 8 | static_cast<unsigned char>(bytes[i + 2]);
        for (int shift = 18; shift >= 0; shift -= 6)
            text += kAlphabet[(value >> shift) & 63];
    }
    if (i < bytes.size()) {
        const bool two = i + 1 < bytes.size();
        const unsigned value = static_cast<unsigned char>(bytes[i]) << 16 |
            (two ? static_cast<unsigned char>(bytes[i + 1]) << 8 : 0);
        text += kAlphabet[(value >> 18) & 63];
        text += kAlphabet[(value >> 12) & 63];
        if (two)
            text += kAlphabet[(value >> 6) & 63];
    }
    return text;
}

std::string FormEncode(const std::string& text)
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (std::isalnum(byte) || c == '-' || c == '.' || c == '_' || c == '~')
            encoded += c;
        else {
            encoded += '%';
            encoded += kHex[byte >> 4];
            encoded += kHex[byte & 15];
        }
    }
    return encoded;
}

std::string FormDecode(const std::string& text)
{
    std::string decoded;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '+')
            decoded += ' ';
        else if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 &&
                 HexValue(text[i + 2]) >= 0) {
            decoded += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
            i += 2;
        } else
            decoded += text[i];
    }
    return decoded;
}

Result<std::string> ChallengeOf(const std::string& verifier)
{
    const Result<std::string> digest = Sha256(verifier);
    if (!digest)
        return digest.failure();
    return Base64Url(*digest);
}

Result<Pkce> MakePkce()
{
    const Result<std::string> bytes = SecureRandomBytes(kVerifierBytes);
    if (!bytes)
        return bytes.failure();
    Pkce pkce{Base64Url(*bytes), {}};
    const Result<std::string> challenge = ChallengeOf(pkce.verifier);
    if (!challenge)
        return challenge.failure();
    pkce.challenge = *challenge;
    return pkce;
}

Result<std::string> RandomState()
{
    const Result<std::string> bytes = SecureRandomBytes(kVerifierBytes);
    if (!bytes)
        return bytes.failure();
    return Base64Url(*bytes);
}

std::string AuthorizationUrl(const OAuthEndpoints& endpoints, const std::string& redirectUri,
                             const std::string& state, const std::string& challenge)
{
    const char separator = endpoints.authorizeUrl.find('?') == std::string::npos ? '?' : '&';
    return endpoints.authorizeUrl + separator +
        "response_type=code&client_id=" + FormEncode(endpoints.clientId) +
        "&redirect_uri=" + FormEncode(redirectUri) + "&scope=" + FormEncode(endpoints.scope) +
        "&state=" + FormEncode(state) + "&code_challenge=" + FormEncode(challenge) +
        "&code_challenge_method=S256";
}

RedirectOutcome ReadRedirect(const std::string& target, const std::string& expectedState)
{
    const std::size_t question = target.find('?');
    const auto values =
        QueryValues(question == std::string::npos ? std::string() : target.substr(question + 1));
    const auto value = [&values](const char* name) {
        const auto found = values.find(name);
        return found == values.end() ? std::string() : found->second;
    };
    if (!SameText(value("state"), expectedState) || expectedState.empty())
        return {"", "the answer to the sign-in is not the one this sign-in asked for (its state differs)",
                true};
    if (values.count("error")) {
        const std::string description = value("error_description");
        return {"",
                "the provider refused the sign-in: " + value("error") +
                    (description.empty() ? "" : " (" + description + ")"),
                true};
    }
    if (value("code").empty())
        return {"", "the provider's answer holds no authorization code", true};
    return {value("code"), "", false};
}
