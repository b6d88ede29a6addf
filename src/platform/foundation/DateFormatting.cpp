#include "platform/foundation/DateFormatting.h"

#include "platform/foundation/LocaleIdentifier.h"

#include <unicode/datefmt.h>
#include <unicode/locid.h>
#include <unicode/unistr.h>

#include <memory>

namespace folio {

namespace {

icu::DateFormat::EStyle icuStyle(DateFormatterStyle style)
{
    switch (style) {
    case DateFormatterStyle::None: return icu::DateFormat::kNone;
    case DateFormatterStyle::Short: return icu::DateFormat::kShort;
    case DateFormatterStyle::Medium: return icu::DateFormat::kMedium;
    case DateFormatterStyle::Long: return icu::DateFormat::kLong;
    case DateFormatterStyle::Full: return icu::DateFormat::kFull;
    }
    return icu::DateFormat::kNone;
}

} // namespace

std::u16string localizedStringFromDate(std::chrono::system_clock::time_point date, DateFormatterStyle dateStyle,
                                       DateFormatterStyle timeStyle)
{
    icu::Locale locale(currentLocaleIdentifier().c_str());
    std::unique_ptr<icu::DateFormat> format(icu::DateFormat::createDateTimeInstance(icuStyle(dateStyle), icuStyle(timeStyle), locale));
    if (!format)
        return {};
    auto milliseconds = std::chrono::duration_cast<std::chrono::milliseconds>(date.time_since_epoch()).count();
    icu::UnicodeString text;
    format->format(static_cast<UDate>(milliseconds), text);
    return std::u16string(text.getBuffer(), static_cast<std::size_t>(text.length()));
}

} // namespace folio
