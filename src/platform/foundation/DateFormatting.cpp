#include "platform/foundation/DateFormatting.h"

#include "platform/foundation/LocaleIdentifier.h"

#include <unicode/datefmt.h>
#include <unicode/dtptngen.h>
#include <unicode/locid.h>
#include <unicode/smpdtfmt.h>
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

std::string stringFromDateWithTemplate(std::chrono::system_clock::time_point date, std::u16string_view dateTemplate,
                                       std::u16string_view fallbackPattern, const std::string& locale)
{
    icu::Locale where = locale.empty() ? icu::Locale::getDefault() : icu::Locale(locale.c_str());
    const icu::UnicodeString fallback(fallbackPattern.data(), static_cast<int32_t>(fallbackPattern.size()));
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::DateTimePatternGenerator> generator(
        icu::DateTimePatternGenerator::createInstance(where, status));
    icu::UnicodeString pattern =
        U_SUCCESS(status)
            ? generator->getBestPattern(icu::UnicodeString(dateTemplate.data(), static_cast<int32_t>(dateTemplate.size())),
                                        status)
            : fallback;
    if (U_FAILURE(status)) {
        status = U_ZERO_ERROR;
        pattern = fallback;
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

} // namespace folio
