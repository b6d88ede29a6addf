#include "foundation/files/TEWebArchive.h"

#include "platform/foundation/Data.h"
#include "platform/foundation/Log.h"
#include "platform/ui/Pasteboard.h"

namespace folio {

namespace {

constexpr const char* kMainResourceKey = "WebMainResource";
constexpr const char* kSubresourcesKey = "WebSubresources";
constexpr const char* kSubframeArchivesKey = "WebSubframeArchives";
constexpr const char* kDataKey = "WebResourceData";
constexpr const char* kURLKey = "WebResourceURL";
constexpr const char* kMIMETypeKey = "WebResourceMIMEType";
constexpr const char* kTextEncodingNameKey = "WebResourceTextEncodingName";
constexpr const char* kFrameNameKey = "WebResourceFrameName";

Error damaged(const std::string& what)
{
    return Error{TEWebArchive::kErrorDomain, 1, "The web archive is damaged: " + what};
}

Status readString(const PropertyList& dictionary, const char* key, std::optional<std::string>& into)
{
    const PropertyList* value = dictionary.objectForKey(key);
    if (!value)
        return Status::success();
    if (!value->stringValue())
        return damaged(std::string(key) + " is not text");
    into = *value->stringValue();
    return Status::success();
}

void writeString(PropertyList& dictionary, const char* key, const std::optional<std::string>& value)
{
    if (value)
        dictionary.setObjectForKey(key, *value);
}

} // namespace

Result<TEWebResource> TEWebResource::resourceWithDictionary(const PropertyList& dictionary)
{
    if (!dictionary.dictionaryValue())
        return damaged("a resource is not a dictionary");
    TEWebResource resource;
    if (const PropertyList* data = dictionary.objectForKey(kDataKey)) {
        if (const Data* bytes = data->dataValue())
            resource.data.emplace(bytes->bytes(), bytes->bytes() + bytes->length());
        else if (const std::string* text = data->stringValue())
            resource.data.emplace(text->begin(), text->end());
        else
            return damaged(std::string(kDataKey) + " holds no bytes");
    }
    for (auto [key, field] : {std::pair{kURLKey, &resource.URL}, std::pair{kMIMETypeKey, &resource.MIMEType},
                              std::pair{kTextEncodingNameKey, &resource.textEncodingName},
                              std::pair{kFrameNameKey, &resource.frameName}})
        if (Status read = readString(dictionary, key, *field); !read)
            return read.error();
    return resource;
}

PropertyList TEWebResource::dictionaryRepresentation() const
{
    PropertyList dictionary;
    if (data)
        dictionary.setObjectForKey(kDataKey, PropertyList(Data(*data)));
    writeString(dictionary, kURLKey, URL);
    writeString(dictionary, kMIMETypeKey, MIMEType);
    writeString(dictionary, kTextEncodingNameKey, textEncodingName);
    writeString(dictionary, kFrameNameKey, frameName);
    return dictionary;
}

TEWebArchive::TEWebArchive(TEWebResource mainResource, std::optional<std::vector<TEWebResource>> subresources,
                           std::optional<std::vector<TEWebArchive>> subframeArchives)
    : m_mainResource(std::move(mainResource))
    , m_subresources(std::move(subresources))
    , m_subframeArchives(std::move(subframeArchives))
{
}

Result<TEWebArchive> TEWebArchive::archiveWithData(std::span<const std::uint8_t> bytes)
{
    Result<PropertyList> list = PropertyList::fromData(bytes);
    if (!list) {
        TELog(TELogLevelError, list.error().message);
        return list.error();
    }
    return archiveWithDictionary(*list);
}

Result<TEWebArchive> TEWebArchive::archiveWithDictionary(const PropertyList& dictionary)
{
    TEWebArchive archive;
    if (Status read = archive.updateFromDictionary(dictionary, 0); !read)
        return read.error();
    return archive;
}

Status TEWebArchive::updateFromDictionary(const PropertyList& dictionary, int depth)
{
    // The property-list reader refuses values that list themselves, so
    // nesting is the only way an archive can grow without end.
    if (depth > kMaximumFrameDepth)
        return damaged("frames nest deeper than " + std::to_string(kMaximumFrameDepth));
    if (!dictionary.dictionaryValue())
        return damaged("an archive is not a dictionary");
    // Everything is read into a fresh archive first, so a failure part-way
    // leaves this one as it was.
    TEWebArchive read;
    if (const PropertyList* main = dictionary.objectForKey(kMainResourceKey)) {
        Result<TEWebResource> resource = TEWebResource::resourceWithDictionary(*main);
        if (!resource)
            return resource.error();
        read.m_mainResource = std::move(*resource);
    }
    if (const PropertyList* list = dictionary.objectForKey(kSubresourcesKey)) {
        if (!list->arrayValue())
            return damaged(std::string(kSubresourcesKey) + " is not a list");
        read.m_subresources.emplace();
        for (const PropertyList& item : *list->arrayValue()) {
            Result<TEWebResource> resource = TEWebResource::resourceWithDictionary(item);
            if (!resource)
                return resource.error();
            read.m_subresources->push_back(std::move(*resource));
        }
    }
    if (const PropertyList* list = dictionary.objectForKey(kSubframeArchivesKey)) {
        if (!list->arrayValue())
            return damaged(std::string(kSubframeArchivesKey) + " is not a list");
        read.m_subframeArchives.emplace();
        for (const PropertyList& item : *list->arrayValue()) {
            TEWebArchive frame;
            if (Status framed = frame.updateFromDictionary(item, depth + 1); !framed)
                return framed;
            read.m_subframeArchives->push_back(std::move(frame));
        }
    }
    *this = std::move(read);
    return Status::success();
}

PropertyList TEWebArchive::dictionaryRepresentation() const
{
    PropertyList dictionary;
    if (m_mainResource)
        dictionary.setObjectForKey(kMainResourceKey, m_mainResource->dictionaryRepresentation());
    if (m_subresources) {
        PropertyList::Array list;
        for (const TEWebResource& resource : *m_subresources)
            list.push_back(resource.dictionaryRepresentation());
        dictionary.setObjectForKey(kSubresourcesKey, PropertyList(std::move(list)));
    }
    if (m_subframeArchives) {
        PropertyList::Array list;
        for (const TEWebArchive& frame : *m_subframeArchives)
            list.push_back(frame.dictionaryRepresentation());
        dictionary.setObjectForKey(kSubframeArchivesKey, PropertyList(std::move(list)));
    }
    return dictionary;
}

Result<std::vector<std::uint8_t>> TEWebArchive::data(PropertyList::Format format) const
{
    Result<Data> written = dictionaryRepresentation().toData(format);
    if (!written) {
        TELog(TELogLevelError, written.error().message);
        return written.error();
    }
    return std::vector<std::uint8_t>(written->bytes(), written->bytes() + written->length());
}

std::optional<TEWebArchive> TEWebArchive::webArchiveFromPasteboard(const Pasteboard& pasteboard)
{
    std::optional<std::vector<std::uint8_t>> bytes = pasteboard.dataForPasteboardType(kPasteboardType);
    if (!bytes)
        return std::nullopt;
    Result<TEWebArchive> archive = archiveWithData(*bytes);
    if (!archive)
        return std::nullopt;
    return std::move(*archive);
}

Status TEWebArchive::setWebArchiveOnPasteboard(const TEWebArchive& archive, Pasteboard& pasteboard)
{
    Result<std::vector<std::uint8_t>> bytes = archive.data();
    if (!bytes)
        return bytes.error();
    pasteboard.setData(std::move(*bytes), kPasteboardType);
    return Status::success();
}

} // namespace folio
