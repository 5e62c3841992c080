#include "core/checks/CurlLibrary.h"

#include <cstdlib>

namespace {

template <typename Function> bool Resolve(void* library, const char* name, Function& function)
{
    function = reinterpret_cast<Function>(CurlFunction(library, name));
    return function != nullptr;
}

const CurlLibrary* Load()
{
    static CurlLibrary curl;
    void* library = OpenCurlLibrary();
    if (!library)
        return nullptr;
    const bool complete = Resolve(library, "curl_global_init", curl.globalInit) &&
        Resolve(library, "curl_global_cleanup", curl.globalCleanup) &&
        Resolve(library, "curl_easy_init", curl.easyInit) &&
        Resolve(library, "curl_easy_setopt", curl.easySetopt) &&
        Resolve(library, "curl_easy_perform", curl.easyPerform) &&
        Resolve(library, "curl_easy_cleanup", curl.easyCleanup) &&
        Resolve(library, "curl_easy_reset", curl.easyReset) &&
        Resolve(library, "curl_easy_getinfo", curl.easyGetinfo) &&
        Resolve(library, "curl_easy_send", curl.easySend) &&
        Resolve(library, "curl_easy_recv", curl.easyRecv) &&
        Resolve(library, "curl_slist_append", curl.slistAppend) &&
        Resolve(library, "curl_slist_free_all", curl.slistFreeAll) &&
        Resolve(library, "curl_easy_strerror", curl.easyStrerror);
    if (!complete || curl.globalInit(CURL_GLOBAL_DEFAULT) != CURLE_OK)
        return nullptr;
    std::atexit([] { curl.globalCleanup(); });
    return &curl;
}

}  // namespace

const CurlLibrary* Curl()
{
    static const CurlLibrary* const curl = Load();
    return curl;
}
