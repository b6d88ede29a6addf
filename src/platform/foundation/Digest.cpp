#include "platform/foundation/Digest.h"

#include <glib.h>

namespace folio {

namespace {

// GLib's checksums, which every command has loaded already; a digest library
// of its own would cost each start-up its loading for the few commands that
// hash anything.
std::vector<std::uint8_t> digest(GChecksumType type, std::span<const std::uint8_t> bytes)
{
    GChecksum* checksum = g_checksum_new(type);
    if (!checksum)
        return {};
    if (!bytes.empty())
        g_checksum_update(checksum, bytes.data(), static_cast<gssize>(bytes.size()));
    std::vector<std::uint8_t> result(static_cast<std::size_t>(g_checksum_type_get_length(type)));
    gsize length = result.size();
    g_checksum_get_digest(checksum, result.data(), &length);
    g_checksum_free(checksum);
    result.resize(length);
    return result;
}

} // namespace

std::vector<std::uint8_t> Digest::md5(std::span<const std::uint8_t> bytes)
{
    return digest(G_CHECKSUM_MD5, bytes);
}

std::vector<std::uint8_t> Digest::sha1(std::span<const std::uint8_t> bytes)
{
    return digest(G_CHECKSUM_SHA1, bytes);
}

std::vector<std::uint8_t> Digest::hmacSHA1(std::span<const std::uint8_t> bytes, std::span<const std::uint8_t> key)
{
    // An empty span may hold no pointer at all; the HMAC of an empty key is
    // still defined.
    static const std::uint8_t noKey = 0;
    GHmac* hmac = g_hmac_new(G_CHECKSUM_SHA1, key.empty() ? &noKey : key.data(), key.size());
    if (!hmac)
        return {};
    if (!bytes.empty())
        g_hmac_update(hmac, bytes.data(), static_cast<gssize>(bytes.size()));
    std::vector<std::uint8_t> result(static_cast<std::size_t>(g_checksum_type_get_length(G_CHECKSUM_SHA1)));
    gsize length = result.size();
    g_hmac_get_digest(hmac, result.data(), &length);
    g_hmac_unref(hmac);
    result.resize(length);
    return result;
}

} // namespace folio
