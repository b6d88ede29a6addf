#include "engine/model/TEParagraphFrame.h"

namespace folio {

bool TEParagraphFrame::isWellFormed(std::u16string_view text)
{
    constexpr std::size_t kLongest = 1024;
    if (text.empty() || text.size() > kLongest)
        return false;
    const auto isLetter = [](char16_t unit) { return unit >= u'a' && unit <= u'z'; };
    const auto isDigit = [](char16_t unit) { return unit >= u'0' && unit <= u'9'; };
    std::size_t at = 0;
    while (at < text.size()) {
        if (text[at++] != u'\\' || at == text.size() || !isLetter(text[at]))
            return false;
        while (at < text.size() && isLetter(text[at]))
            ++at;
        if (at < text.size() && text[at] == u'-')
            ++at;
        const std::size_t digits = at;
        while (at < text.size() && isDigit(text[at]))
            ++at;
        if (text[digits - 1] == u'-' && at == digits)
            return false;
    }
    return true;
}

} // namespace folio
