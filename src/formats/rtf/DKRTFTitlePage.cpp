#include "formats/rtf/DKRTFTitlePage.h"

#include "formats/rtf/DKRTFHeaderFooterForms.h"
#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/Unicode.h"

#include <cstdint>
#include <utility>

namespace folio {

namespace {

constexpr int kTitleDefaultDistanceTwips = 720;
// Further from the edge than the tallest paper is no header's place.
constexpr std::int64_t kTitleLargestDistanceTwips = 31680;

// Where `word` ("\headery") stands among the section's words, and the
// end of its number; nothing when it is not there.
std::optional<std::pair<std::size_t, std::size_t>> wordWithNumber(std::string_view words, std::string_view word)
{
    for (std::size_t at = words.find(word); at != std::string_view::npos; at = words.find(word, at + 1)) {
        std::size_t end = at + word.size();
        if (end < words.size() && words[end] >= 'a' && words[end] <= 'z')
            continue;
        if (end < words.size() && words[end] == '-')
            ++end;
        while (end < words.size() && words[end] >= '0' && words[end] <= '9')
            ++end;
        return std::pair(at, end);
    }
    return std::nullopt;
}

int distanceOf(std::string_view words, std::string_view word)
{
    const auto found = wordWithNumber(words, word);
    if (!found)
        return kTitleDefaultDistanceTwips;
    const std::size_t number = found->first + word.size();
    const std::int64_t distance = integerValue(words.substr(number, found->second - number));
    return distance > 0 && distance < kTitleLargestDistanceTwips ? static_cast<int>(distance) : kTitleDefaultDistanceTwips;
}

} // namespace

DKRTFTitlePage::Heads DKRTFTitlePage::read(std::string_view otherForms)
{
    Heads heads;
    // The section's words stand before its groups.
    const std::string_view words = otherForms.substr(0, otherForms.find('{'));
    for (std::size_t at = words.find("\\titlepg"); at != std::string_view::npos; at = words.find("\\titlepg", at + 1)) {
        const std::size_t end = at + 8;
        if (end >= words.size() || words[end] < 'a' || words[end] > 'z')
            heads.firstSectionHasTitlePage = true;
    }
    const DKRTFHeaderFooterForms forms = DKRTFHeaderFooterForms::fromSerialized(otherForms);
    for (const DKRTFHeaderFooterForms::Group& group : forms.groups) {
        if (!DKRTFHeaderFooterForms::isFirstPage(group))
            continue;
        const bool header = DKRTFHeaderFooterForms::isHeader(group);
        std::optional<std::string> settings = forms.settingsOf(group, distanceOf(words, header ? "\\headery" : "\\footery"));
        if (group.section > 0) {
            // A later section's distance is its break's, which the pages take.
            if (settings)
                (header ? heads.laterHeaders : heads.laterFooters).emplace(static_cast<std::size_t>(group.section), *settings);
            continue;
        }
        std::optional<std::string>& first = header ? heads.header : heads.footer;
        if (!first)
            first = std::move(settings);
    }
    return heads;
}

int DKRTFTitlePage::distanceTwips(std::string_view otherForms, std::string_view word)
{
    return distanceOf(otherForms.substr(0, otherForms.find('{')), word);
}

std::string DKRTFTitlePage::withoutDistance(std::string_view otherForms, std::string_view word)
{
    std::string forms(otherForms);
    const std::string_view words = otherForms.substr(0, otherForms.find('{'));
    if (const auto found = wordWithNumber(words, word))
        forms.erase(found->first, found->second - found->first);
    return forms;
}

} // namespace folio
