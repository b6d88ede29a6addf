#include "platform/foundation/LocalizedCollator.h"

#include "platform/foundation/LocaleIdentifier.h"

#include <unicode/coll.h>
#include <unicode/locid.h>

namespace folio {

namespace {

int orderOf(UCollationResult result)
{
    return result == UCOL_LESS ? -1 : result == UCOL_GREATER ? 1 : 0;
}

} // namespace

struct LocalizedCollator::Rules {
    std::unique_ptr<icu::Collator> collator;
};

LocalizedCollator::LocalizedCollator()
    : m_rules(std::make_unique<Rules>())
{
    UErrorCode status = U_ZERO_ERROR;
    // The POSIX locale's collation orders capitals before all small letters,
    // which no case-insensitive comparison may do; English order stands in.
    std::string identifier = currentLocaleIdentifier();
    if (identifier == "en_US_POSIX")
        identifier = "en";
    std::unique_ptr<icu::Collator> collator(icu::Collator::createInstance(icu::Locale(identifier.c_str()), status));
    if (U_FAILURE(status) || !collator)
        return;
    // Secondary strength tells accents apart but not case.
    collator->setStrength(icu::Collator::SECONDARY);
    m_rules->collator = std::move(collator);
}

LocalizedCollator::~LocalizedCollator() = default;

int LocalizedCollator::compare(std::u16string_view a, std::u16string_view b) const
{
    if (m_rules->collator) {
        UErrorCode status = U_ZERO_ERROR;
        UCollationResult result = m_rules->collator->compare(a.data(), static_cast<int32_t>(a.size()), b.data(),
                                                             static_cast<int32_t>(b.size()), status);
        if (U_SUCCESS(status))
            return orderOf(result);
    }
    return a < b ? -1 : b < a ? 1 : 0;
}

int LocalizedCollator::compare(std::string_view utf8A, std::string_view utf8B) const
{
    if (m_rules->collator) {
        UErrorCode status = U_ZERO_ERROR;
        UCollationResult result = m_rules->collator->compareUTF8(
            icu::StringPiece(utf8A.data(), static_cast<int32_t>(utf8A.size())),
            icu::StringPiece(utf8B.data(), static_cast<int32_t>(utf8B.size())), status);
        if (U_SUCCESS(status))
            return orderOf(result);
    }
    return utf8A < utf8B ? -1 : utf8B < utf8A ? 1 : 0;
}

} // namespace folio
