#include "platform/foundation/UnicodeProperties.h"

#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>
#include <unicode/utf16.h>

namespace folio {

bool isLowercaseLetter(char32_t codePoint)
{
    return u_islower(static_cast<UChar32>(codePoint));
}

std::u16string stringByFoldingCaseAndDiacritics(std::u16string_view text)
{
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* decomposer = icu::Normalizer2::getNFDInstance(status);
    const icu::UnicodeString original(text.data(), static_cast<int32_t>(text.size()));
    icu::UnicodeString decomposed;
    if (U_SUCCESS(status))
        decomposed = decomposer->normalize(original, status);
    if (U_FAILURE(status))
        decomposed = original;
    icu::UnicodeString folded;
    for (int32_t i = 0; i < decomposed.length();) {
        UChar32 c = decomposed.char32At(i);
        if (u_charType(c) != U_NON_SPACING_MARK)
            folded.append(c);
        i += U16_LENGTH(c);
    }
    folded.foldCase();
    return std::u16string(folded.getBuffer(), static_cast<std::size_t>(folded.length()));
}

} // namespace folio
