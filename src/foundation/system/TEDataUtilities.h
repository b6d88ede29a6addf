#pragma once

#include "platform/foundation/Error.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/ZipArchive.h"

#include <algorithm>
#include <cstdint>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace folio {

class URL;

// Digests, URL encoding, property-list loading and collection helpers of the
// utility set.
class TEDataUtilities {
public:
    TEDataUtilities() = delete;

    // The MD5 digest of the text's UTF-8 bytes, up to a first zero byte, as 32
    // upper-case hexadecimal digits.
    static std::string md5Checksum(std::string_view text);
    static std::vector<std::uint8_t> dataWithMD5Hash(std::span<const std::uint8_t> bytes);
    static std::vector<std::uint8_t> dataWithSHA1Hash(std::span<const std::uint8_t> bytes);
    // HMAC-SHA1 of the bytes with the key.
    static std::vector<std::uint8_t> encryptedDataUsingSHA1WithKey(std::span<const std::uint8_t> bytes,
                                                                   std::span<const std::uint8_t> key);

    // Percent-encodes everything but the URL delimiters "!*'();:@&=+$,/?%#[]".
    static std::string stringByURLEncoding(std::string_view text);

    // Property lists of any format whose top level must be a dictionary
    // (respectively an array); anything else is an error.
    static Result<PropertyList> dictionaryWithContentsOfData(std::span<const std::uint8_t> bytes);
    static Result<PropertyList> dictionaryWithContentsOfFile(const std::string& path);
    static Result<PropertyList> dictionaryWithContentsOfURL(const URL& url);
    static Result<PropertyList> arrayWithContentsOfData(std::span<const std::uint8_t> bytes);
    static Result<PropertyList> arrayWithContentsOfFile(const std::string& path);
    static Result<PropertyList> arrayWithContentsOfURL(const URL& url);

    // A folder becomes a folder of deep copies under the same names; anything
    // else a regular file with the same contents.
    static DKZipArchive::FileWrapper fileWrapperByDeepCopying(const DKZipArchive::FileWrapper& wrapper);
};

// Moves the items at `indexes` (kept in their order) so that they stand
// before the item that was at `index`. Indexes past the end are ignored.
template<typename T>
void moveObjectsAtIndexes(std::vector<T>& items, const std::set<std::size_t>& indexes, std::size_t index)
{
    std::vector<T> moved;
    std::size_t below = 0;
    for (std::size_t i : indexes) {
        if (i >= items.size())
            continue;
        moved.push_back(std::move(items[i]));
        if (i < index)
            ++below;
    }
    std::vector<T> rest;
    rest.reserve(items.size() - moved.size());
    for (std::size_t i = 0; i < items.size(); ++i)
        if (!indexes.contains(i))
            rest.push_back(std::move(items[i]));
    std::size_t insertion = std::min(index - std::min(index, below), rest.size());
    rest.insert(rest.begin() + std::ptrdiff_t(insertion), std::make_move_iterator(moved.begin()),
                std::make_move_iterator(moved.end()));
    items = std::move(rest);
}

} // namespace folio
