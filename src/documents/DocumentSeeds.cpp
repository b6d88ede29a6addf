#include "documents/DocumentSeeds.h"

#include "platform/foundation/DateFormatting.h"
#include "platform/foundation/Deflate.h"
#include "platform/foundation/HTMLTextEscaper.h"
#include "platform/foundation/ResourceTemplate.h"
#include "platform/foundation/Resources.h"

namespace folio {

std::string DocumentSeeds::outlineDateText(std::chrono::system_clock::time_point date, const std::string& locale)
{
    return stringFromDateWithTemplate(date, u"MMMdyyyy", u"MMM d, yyyy", locale);
}

Result<std::string> DocumentSeeds::outlineSeedPage(std::chrono::system_clock::time_point date,
                                                   const std::string& locale)
{
    Result<ResourceTemplate> page = ResourceTemplate::named("outline-page.html", "seeds");
    if (!page)
        return Error{kErrorDomain, MissingResource, page.error().message};
    return page->filled({{"date", HTMLTextEscaper::escape(outlineDateText(date, locale))}});
}

Result<Data> DocumentSeeds::compressedPage(std::string_view html)
{
    Result<Data> compressed =
        Deflate::compress(std::span(reinterpret_cast<const std::uint8_t*>(html.data()), html.size()));
    if (!compressed)
        return Error{kErrorDomain, CompressionFailed, compressed.error().message};
    return compressed;
}

Result<Data> DocumentSeeds::seedResource(const std::string& name, const std::string& type)
{
    std::optional<std::string> path = Resources::pathForResource(name, type, "seeds");
    if (!path)
        return Error{kErrorDomain, MissingResource, "The seed file " + name + "." + type + " is missing"};
    return Data::dataWithContentsOfFile(*path);
}

} // namespace folio
