#include "core/checks/UrlDownload.h"

#include "core/checks/CurlLibrary.h"
#include "core/files/SafeFileWriter.h"

#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <memory>

namespace {

// Protocols a probe may use, also after a redirect: no file://, no scp://,
// nothing that copies local files or talks to arbitrary services.
constexpr const char* kAllowedProtocols = "http,https,ftp";

// A scratch file of our own in the system's temporary folder. It is
// unlinked at once, so it disappears with the descriptor whatever happens,
// even if the program is killed during the download.
class ScratchFile {
public:
    ScratchFile()
    {
        std::error_code error;
        std::filesystem::path folder = std::filesystem::temp_directory_path(error);
        if (error)
            folder = "/tmp";
        std::string pattern = (folder / "vantrel-probe-XXXXXX").string();
        fd_ = mkstemp(pattern.data());
        if (fd_ >= 0)
            unlink(pattern.c_str());
    }
    ~ScratchFile()
    {
        if (fd_ >= 0)
            close(fd_);
    }
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    bool IsOpen() const { return fd_ >= 0; }
    int fd() const { return fd_; }

private:
    int fd_ = -1;
};

struct Transfer {
    int fd = -1;
    std::int64_t maxBytes = 0;
    std::int64_t written = 0;
    bool reachedLimit = false;
    bool writeFailed = false;
    const DownloadProgress* progress = nullptr;
};

std::size_t OnData(char* data, std::size_t size, std::size_t count, void* userData)
{
    auto& transfer = *static_cast<Transfer*>(userData);
    const std::size_t length = size * count;
    const std::int64_t room = transfer.maxBytes - transfer.written;
    const std::size_t accepted =
        static_cast<std::int64_t>(length) > room ? static_cast<std::size_t>(room) : length;
    if (!WriteAll(transfer.fd, std::string_view(data, accepted))) {
        transfer.writeFailed = true;
        return 0;
    }
    transfer.written += static_cast<std::int64_t>(accepted);
    if (accepted < length) {
        // Enough is enough: a short count makes curl stop the transfer.
        transfer.reachedLimit = true;
        return 0;
    }
    return length;
}

int OnProgress(void* userData, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    auto& transfer = *static_cast<Transfer*>(userData);
    if (*transfer.progress && !(*transfer.progress)())
        return 1;
    return 0;
}

// The user sees the URL as typed; a blank around it is a typing mistake,
// and a probe must not quietly succeed with a URL other than the one shown.
bool HasBlankAround(const std::string& url)
{
    if (url.empty())
        return false;
    auto blank = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
    return blank(url.front()) || blank(url.back());
}

struct CurlDeleter {
    void operator()(CURL* handle) const { Curl()->easyCleanup(handle); }
};

void SetOptions(const CurlLibrary& api, CURL* curl, const std::string& url, const DownloadLimits& limits,
                Transfer& transfer, const std::string& userAgent)
{
    api.easySetopt(curl, CURLOPT_URL, url.c_str());
    api.easySetopt(curl, CURLOPT_PROTOCOLS_STR, kAllowedProtocols);
    api.easySetopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, kAllowedProtocols);
    api.easySetopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    api.easySetopt(curl, CURLOPT_MAXREDIRS, limits.maxRedirects);
    api.easySetopt(curl, CURLOPT_FAILONERROR, 1L);
    api.easySetopt(curl, CURLOPT_CONNECTTIMEOUT, limits.connectTimeoutSeconds);
    api.easySetopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    api.easySetopt(curl, CURLOPT_LOW_SPEED_TIME, limits.lowSpeedTimeSeconds);
    api.easySetopt(curl, CURLOPT_TIMEOUT, limits.totalTimeoutSeconds);
    api.easySetopt(curl, CURLOPT_USERAGENT, userAgent.c_str());
    api.easySetopt(curl, CURLOPT_NOSIGNAL, 1L);
    api.easySetopt(curl, CURLOPT_WRITEFUNCTION, OnData);
    api.easySetopt(curl, CURLOPT_WRITEDATA, &transfer);
    api.easySetopt(curl, CURLOPT_NOPROGRESS, 0L);
    api.easySetopt(curl, CURLOPT_XFERINFOFUNCTION, OnProgress);
    api.easySetopt(curl, CURLOPT_XFERINFODATA, &transfer);
}

}  // namespace

std::string DownloadUserAgent() { return std::string("Vantrel/") + VANTREL_VERSION; }

DownloadResult DownloadUrl(const std::string& url, const DownloadLimits& limits,
                           const DownloadProgress& progress)
{
    DownloadResult result;
    if (HasBlankAround(url)) {
        result.curlCode = CURLE_URL_MALFORMAT;
        return result;
    }
    const CurlLibrary* api = Curl();
    ScratchFile scratch;
    std::unique_ptr<CURL, CurlDeleter> curl(api ? api->easyInit() : nullptr);
    if (!scratch.IsOpen() || !curl) {
        result.curlCode = CURLE_FAILED_INIT;
        return result;
    }

    Transfer transfer;
    transfer.fd = scratch.fd();
    transfer.maxBytes = limits.maxBytes;
    transfer.progress = &progress;
    const std::string userAgent = DownloadUserAgent();
    SetOptions(*api, curl.get(), url, limits, transfer, userAgent);

    const CURLcode code = api->easyPerform(curl.get());
    result.curlCode = code;
    api->easyGetinfo(curl.get(), CURLINFO_RESPONSE_CODE, &result.httpStatus);
    result.cancelled = code == CURLE_ABORTED_BY_CALLBACK;
    result.responds = code == CURLE_OK || (transfer.reachedLimit && !transfer.writeFailed);
    result.size = transfer.written;
    return result;
}

ProbeOutcome ProbeByDownload(const std::string& url, ProbeUse use, const DownloadProgress& progress)
{
    const DownloadResult result = DownloadUrl(url, DownloadLimits{}, progress);
    ProbeOutcome outcome;
    outcome.responds = result.responds;
    outcome.cancelled = result.cancelled;
    if (use == ProbeUse::Image && result.responds)
        outcome.size = result.size;
    if (!result.responds)
        outcome.whyNot = DownloadFailureReason(result);
    return outcome;
}

std::string DownloadFailureReason(const DownloadResult& result)
{
    if (result.responds)
        return {};
    if (result.curlCode == CURLE_HTTP_RETURNED_ERROR && result.httpStatus > 0)
        return "the server answered HTTP " + std::to_string(result.httpStatus);
    switch (result.curlCode) {
    case CURLE_COULDNT_CONNECT: return "the connection was refused";
    case CURLE_OPERATION_TIMEDOUT: return "time-out: no answer in time";
    case CURLE_COULDNT_RESOLVE_HOST: return "the host name is not known";
    case CURLE_COULDNT_RESOLVE_PROXY: return "the proxy's name is not known";
    case CURLE_UNSUPPORTED_PROTOCOL: return "not an http, https or ftp URL";
    case CURLE_URL_MALFORMAT: return "not a URL (blanks around it?)";
    case CURLE_TOO_MANY_REDIRECTS: return "too many redirects";
    case CURLE_FILESIZE_EXCEEDED: return "too large";
    case CURLE_ABORTED_BY_CALLBACK: return "cancelled";
    case CURLE_WRITE_ERROR: return "the download could not be stored";
    case CURLE_GOT_NOTHING: return "the server closed the connection without an answer";
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
    case CURLE_SSL_INVALIDCERTSTATUS: return "TLS failed (certificate or handshake)";
    default: return "download failed (curl error " + std::to_string(result.curlCode) + ")";
    }
}
