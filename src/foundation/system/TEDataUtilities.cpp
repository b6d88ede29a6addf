#include "foundation/system/TEDataUtilities.h"

#include "platform/foundation/Data.h"
#include "platform/foundation/Digest.h"
#include "platform/foundation/URL.h"

#include <cstdio>

namespace folio {

namespace {

constexpr const char* kDataUtilitiesDomain = "TEDataUtilities";

std::span<const std::uint8_t> bytesOf(std::string_view text)
{
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

Result<PropertyList> propertyListOfType(Result<PropertyList> list, PropertyList::Type type, const char* what)
{
    if (!list)
        return list.error();
    if (list->type() != type)
        return Error{kDataUtilitiesDomain, 1, std::string("The property list is not ") + what};
    return list;
}

Result<PropertyList> readPropertyList(const std::string& path)
{
    Result<Data> data = Data::dataWithContentsOfFile(path);
    if (!data)
        return data.error();
    return PropertyList::fromData({data->bytes(), data->length()});
}

Result<PropertyList> readPropertyList(const URL& url)
{
    if (!url.isFileURL())
        return Error{kDataUtilitiesDomain, 2, "Only file URLs can be read: " + url.absoluteString()};
    return readPropertyList(url.fileSystemPath());
}

} // namespace

std::string TEDataUtilities::md5Checksum(std::string_view text)
{
    // The text is read as a C string would be: up to its first zero byte.
    text = text.substr(0, text.find('\0'));
    std::string hex;
    for (std::uint8_t byte : Digest::md5(bytesOf(text))) {
        char digits[3];
        std::snprintf(digits, sizeof digits, "%02X", byte);
        hex += digits;
    }
    return hex;
}

std::vector<std::uint8_t> TEDataUtilities::dataWithMD5Hash(std::span<const std::uint8_t> bytes)
{
    return Digest::md5(bytes);
}

std::vector<std::uint8_t> TEDataUtilities::dataWithSHA1Hash(std::span<const std::uint8_t> bytes)
{
    return Digest::sha1(bytes);
}

std::vector<std::uint8_t> TEDataUtilities::encryptedDataUsingSHA1WithKey(std::span<const std::uint8_t> bytes,
                                                                         std::span<const std::uint8_t> key)
{
    return Digest::hmacSHA1(bytes, key);
}

std::string TEDataUtilities::stringByURLEncoding(std::string_view text)
{
    // NOTE: the reserved delimiters are what gets encoded, so that the result
    // can stand as one query value; only RFC 3986's unreserved characters stay.
    return URL::percentEncode(text, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-._~");
}

Result<PropertyList> TEDataUtilities::dictionaryWithContentsOfData(std::span<const std::uint8_t> bytes)
{
    return propertyListOfType(PropertyList::fromData(bytes), PropertyList::Type::Dictionary, "a dictionary");
}

Result<PropertyList> TEDataUtilities::dictionaryWithContentsOfFile(const std::string& path)
{
    return propertyListOfType(readPropertyList(path), PropertyList::Type::Dictionary, "a dictionary");
}

Result<PropertyList> TEDataUtilities::dictionaryWithContentsOfURL(const URL& url)
{
    return propertyListOfType(readPropertyList(url), PropertyList::Type::Dictionary, "a dictionary");
}

Result<PropertyList> TEDataUtilities::arrayWithContentsOfData(std::span<const std::uint8_t> bytes)
{
    return propertyListOfType(PropertyList::fromData(bytes), PropertyList::Type::Array, "an array");
}

Result<PropertyList> TEDataUtilities::arrayWithContentsOfFile(const std::string& path)
{
    return propertyListOfType(readPropertyList(path), PropertyList::Type::Array, "an array");
}

Result<PropertyList> TEDataUtilities::arrayWithContentsOfURL(const URL& url)
{
    return propertyListOfType(readPropertyList(url), PropertyList::Type::Array, "an array");
}

DKZipArchive::FileWrapper TEDataUtilities::fileWrapperByDeepCopying(const DKZipArchive::FileWrapper& wrapper)
{
    if (!wrapper.isDirectory)
        return DKZipArchive::FileWrapper::regularFile(wrapper.name, wrapper.contents);
    std::vector<DKZipArchive::FileWrapper> children;
    children.reserve(wrapper.children.size());
    for (const DKZipArchive::FileWrapper& child : wrapper.children)
        children.push_back(fileWrapperByDeepCopying(child));
    return DKZipArchive::FileWrapper::directory(wrapper.name, std::move(children));
}

} // namespace folio
