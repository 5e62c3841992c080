#include "core/signin/Crypto.h"

#include <cerrno>
#include <dlfcn.h>
#include <sys/random.h>

namespace {

// OpenSSL's libcrypto, loaded on the first sign-in like libcurl: most
// starts of the program never need it.
struct Libcrypto {
    int (*digest)(const void* data, std::size_t count, unsigned char* md, unsigned int* size,
                  const void* type, void* engine) = nullptr;
    const void* (*sha256)() = nullptr;
};

const Libcrypto* LoadLibcrypto()
{
    static Libcrypto crypto;
    void* library = dlopen("libcrypto.so.3", RTLD_NOW | RTLD_LOCAL);
    if (!library)
        return nullptr;
    crypto.digest = reinterpret_cast<decltype(crypto.digest)>(dlsym(library, "EVP_Digest"));
    crypto.sha256 = reinterpret_cast<decltype(crypto.sha256)>(dlsym(library, "EVP_sha256"));
    return crypto.digest && crypto.sha256 ? &crypto : nullptr;
}

}  // namespace

Result<std::string> SecureRandomBytes(std::size_t count)
{
    std::string bytes(count, '\0');
    std::size_t filled = 0;
    while (filled < count) {
        const ssize_t got = getrandom(bytes.data() + filled, count - filled, 0);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return Failure::CannotOpen;
        filled += static_cast<std::size_t>(got);
    }
    return bytes;
}

Result<std::string> Sha256(const std::string& bytes)
{
    static const Libcrypto* const crypto = LoadLibcrypto();
    if (!crypto)
        return Failure::CannotOpen;
    unsigned char digest[32];
    unsigned int size = 0;
    if (crypto->digest(bytes.data(), bytes.size(), digest, &size, crypto->sha256(), nullptr) != 1 ||
        size != sizeof digest)
        return Failure::CannotOpen;
    return std::string(reinterpret_cast<const char*>(digest), size);
}
