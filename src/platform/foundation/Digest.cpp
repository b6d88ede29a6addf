#include "platform/foundation/Digest.h"

#include <openssl/evp.h>
#include <openssl/hmac.h>

namespace folio {

namespace {

std::vector<std::uint8_t> digest(const EVP_MD* type, std::span<const std::uint8_t> bytes)
{
    std::vector<std::uint8_t> result(EVP_MAX_MD_SIZE);
    unsigned length = 0;
    if (EVP_Digest(bytes.data(), bytes.size(), result.data(), &length, type, nullptr) != 1)
        length = 0;
    result.resize(length);
    return result;
}

} // namespace

std::vector<std::uint8_t> Digest::md5(std::span<const std::uint8_t> bytes)
{
    return digest(EVP_md5(), bytes);
}

std::vector<std::uint8_t> Digest::sha1(std::span<const std::uint8_t> bytes)
{
    return digest(EVP_sha1(), bytes);
}

std::vector<std::uint8_t> Digest::hmacSHA1(std::span<const std::uint8_t> bytes, std::span<const std::uint8_t> key)
{
    std::vector<std::uint8_t> result(EVP_MAX_MD_SIZE);
    unsigned length = 0;
    // OpenSSL refuses a null key, which is what an empty span holds.
    static const std::uint8_t noKey = 0;
    if (!HMAC(EVP_sha1(), key.empty() ? &noKey : key.data(), int(key.size()), bytes.data(), bytes.size(), result.data(),
              &length))
        length = 0;
    result.resize(length);
    return result;
}

} // namespace folio
