#include "platform/text/PlatformParagraphStyle.h"

#include "platform/text/AttributeValue.h"

#include <functional>

namespace folio {

namespace {

std::size_t paragraphHashDouble(double value)
{
    return std::hash<double>{}(value == 0 ? 0.0 : value);
}

} // namespace

std::size_t PlatformParagraphStyle::hash() const
{
    const Settings& s = m_settings;
    std::size_t seed = static_cast<std::size_t>(s.alignment);
    for (double value : {s.firstLineHeadIndent, s.headIndent, s.tailIndent, s.defaultTabInterval, s.lineHeightMultiple,
                         s.maximumLineHeight, s.minimumLineHeight, s.minimumLineSpacing, s.paragraphSpacing,
                         s.paragraphSpacingBefore})
        seed = hashCombine(seed, paragraphHashDouble(value));
    seed = hashCombine(seed, static_cast<std::size_t>(static_cast<int>(s.baseWritingDirection) + 1));
    seed = hashCombine(seed, static_cast<std::size_t>(s.keepWithNext) | static_cast<std::size_t>(s.keepTogether) << 1 |
                                 static_cast<std::size_t>(s.widowControl) << 2);
    seed = hashCombine(seed, static_cast<std::size_t>(s.outlineLevel) << 1 | static_cast<std::size_t>(s.noHyphenation) |
                                 static_cast<std::size_t>(s.contextualSpacing) << 8);
    seed = hashCombine(seed, s.tabStops ? s.tabStops->size() + 1 : 0);
    if (s.tabStops) {
        for (const TextTab& tab : *s.tabStops)
            seed = hashCombine(hashCombine(seed, paragraphHashDouble(tab.location)), static_cast<std::size_t>(tab.alignment));
    }
    return seed;
}

} // namespace folio
