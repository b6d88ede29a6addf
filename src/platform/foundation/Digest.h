#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace folio {

// Message digests and keyed hashes over bytes.
class Digest {
public:
    Digest() = delete;

    static std::vector<std::uint8_t> md5(std::span<const std::uint8_t> bytes);
    static std::vector<std::uint8_t> sha1(std::span<const std::uint8_t> bytes);
    static std::vector<std::uint8_t> hmacSHA1(std::span<const std::uint8_t> bytes, std::span<const std::uint8_t> key);
};

} // namespace folio
