#include "qvoutline/QVOutlineSpeechText.h"

#include "platform/foundation/StringUtilities.h"

namespace folio {

namespace {

std::u16string replaced(std::u16string_view text, std::u16string_view target, std::u16string_view replacement)
{
    return stringByReplacingOccurrencesOfString(text, target, replacement);
}

// Markers and carriage returns, as every reading cleans them.
std::u16string withoutMarkers(std::u16string_view text)
{
    std::u16string result = replaced(text, u"\uFEFF[\U0001F4AC]", u" ");
    result = replaced(result, u"\uFEFF", u" ");
    return replaced(result, u"\r", u".");
}

} // namespace

std::u16string QVOutlineSpeechText::textFromCursor(std::u16string_view text)
{
    return replaced(withoutMarkers(text), u"\"", u" ");
}

std::u16string QVOutlineSpeechText::selectedText(std::u16string_view text)
{
    std::u16string result = replaced(withoutMarkers(text), u". ", u"\n");
    return replaced(result, u"\"", u" ");
}

} // namespace folio
