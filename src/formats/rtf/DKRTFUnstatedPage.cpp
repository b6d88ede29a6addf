#include "formats/rtf/DKRTFUnstatedPage.h"

#include <array>
#include <utility>

namespace folio {

namespace {

using Part = bool DKRTFUnstatedPage::*;

constexpr std::array<std::pair<std::string_view, Part>, 5> kWords{{
    {"paper", &DKRTFUnstatedPage::paper},
    {"left", &DKRTFUnstatedPage::leftMargin},
    {"right", &DKRTFUnstatedPage::rightMargin},
    {"top", &DKRTFUnstatedPage::topMargin},
    {"bottom", &DKRTFUnstatedPage::bottomMargin},
}};

} // namespace

std::string DKRTFUnstatedPage::text() const
{
    std::string words;
    for (const auto& [word, part] : kWords) {
        if (!(this->*part))
            continue;
        if (!words.empty())
            words += ' ';
        words += word;
    }
    return words;
}

DKRTFUnstatedPage DKRTFUnstatedPage::fromText(std::string_view text)
{
    DKRTFUnstatedPage unstated;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find(' ', start);
        if (end == std::string_view::npos)
            end = text.size();
        const std::string_view word = text.substr(start, end - start);
        for (const auto& [name, part] : kWords)
            if (word == name)
                unstated.*part = true;
        start = end + 1;
    }
    return unstated;
}

} // namespace folio
