#pragma once

#include "platform/foundation/Error.h"
#include "platform/foundation/PropertyList.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace folio {

class Pasteboard;

// One resource of a saved web page: its bytes and what they are. A property
// that is not set differs from an empty one: only set ones are written, and
// the editors' copies write an empty frame name that readers expect to find.
struct TEWebResource {
    std::optional<std::vector<std::uint8_t>> data;
    std::optional<std::string> URL;
    std::optional<std::string> MIMEType;
    std::optional<std::string> textEncodingName;
    std::optional<std::string> frameName;

    // Missing keys leave their property empty; a key of the wrong type is an error.
    static Result<TEWebResource> resourceWithDictionary(const PropertyList& dictionary);
    // Only the properties that are set.
    PropertyList dictionaryRepresentation() const;
    friend bool operator==(const TEWebResource&, const TEWebResource&) = default;
};

// A saved web page in the property-list form browsers put on the pasteboard:
// the main resource, the resources it uses and the pages of its frames.
class TEWebArchive {
public:
    static constexpr const char* kPasteboardType = "Apple Web Archive pasteboard type";
    static constexpr const char* kErrorDomain = "TEWebArchive";
    // Frames nest no deeper than this; a deeper archive is refused.
    static constexpr int kMaximumFrameDepth = 16;

    TEWebArchive() = default;
    TEWebArchive(TEWebResource mainResource, std::optional<std::vector<TEWebResource>> subresources,
                 std::optional<std::vector<TEWebArchive>> subframeArchives);

    // A damaged archive is refused whole, never half read.
    static Result<TEWebArchive> archiveWithData(std::span<const std::uint8_t> bytes);
    static Result<TEWebArchive> archiveWithDictionary(const PropertyList& dictionary);

    const std::optional<TEWebResource>& mainResource() const { return m_mainResource; }
    // None differs from empty: none means the archive had no such list.
    const std::optional<std::vector<TEWebResource>>& subresources() const { return m_subresources; }
    const std::optional<std::vector<TEWebArchive>>& subframeArchives() const { return m_subframeArchives; }

    PropertyList dictionaryRepresentation() const;
    // The archive as a property list: binary, as pasteboards of other
    // programs hold it, unless asked otherwise.
    Result<std::vector<std::uint8_t>> data(PropertyList::Format format = PropertyList::Format::Binary) const;

    // The general pasteboard's web archive, when it holds one.
    static std::optional<TEWebArchive> webArchiveFromPasteboard(const Pasteboard& pasteboard);
    static Status setWebArchiveOnPasteboard(const TEWebArchive& archive, Pasteboard& pasteboard);

private:
    Status updateFromDictionary(const PropertyList& dictionary, int depth);

    std::optional<TEWebResource> m_mainResource;
    std::optional<std::vector<TEWebResource>> m_subresources;
    std::optional<std::vector<TEWebArchive>> m_subframeArchives;
};

} // namespace folio
