#include "documents/DocumentSeeds.h"

#include "platform/foundation/Deflate.h"
#include "platform/foundation/HTMLTextEscaper.h"
#include "platform/foundation/ResourceTemplate.h"
#include "platform/foundation/Resources.h"

#include <unicode/dtptngen.h>
#include <unicode/locid.h>
#include <unicode/smpdtfmt.h>

#include <memory>

namespace folio {

std::string DocumentSeeds::outlineDateText(std::chrono::system_clock::time_point date, const std::string& locale)
{
    icu::Locale where = locale.empty() ? icu::Locale::getDefault() : icu::Locale(locale.c_str());
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::DateTimePatternGenerator> generator(
        icu::DateTimePatternGenerator::createInstance(where, status));
    icu::UnicodeString pattern = U_SUCCESS(status) ? generator->getBestPattern(u"MMMdyyyy", status)
                                                   : icu::UnicodeString(u"MMM d, yyyy");
    if (U_FAILURE(status)) {
        status = U_ZERO_ERROR;
        pattern = u"MMM d, yyyy";
    }
    icu::SimpleDateFormat formatter(pattern, where, status);
    if (U_FAILURE(status))
        return {};
    double milliseconds = double(std::chrono::duration_cast<std::chrono::milliseconds>(date.time_since_epoch()).count());
    icu::UnicodeString text;
    formatter.format(milliseconds, text);
    std::string utf8;
    text.toUTF8String(utf8);
    return utf8;
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
