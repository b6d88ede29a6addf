#include "engine/fonts/TEFontCollection.h"

#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/Unicode.h"
#include "platform/foundation/UnicodeProperties.h"

#include <algorithm>

namespace folio {

namespace {

// Family names compared without case and diacritics.
std::u16string foldedForMatching(std::string_view utf8)
{
    return stringByFoldingCaseAndDiacritics(toUtf16(utf8));
}

} // namespace

TEFontCollection::TEFontCollection(std::shared_ptr<const FontCatalog> catalog)
    : m_catalog(catalog ? std::move(catalog) : std::shared_ptr<const FontCatalog>(FontCatalog::shared()))
{
}

TEFontCollection& TEFontCollection::availableFontsCollection()
{
    static TEFontCollection collection;
    return collection;
}

const std::vector<TEFontDescriptor>& TEFontCollection::loadedDescriptors() const
{
    if (!m_fontDescriptors) {
        std::vector<TEFontDescriptor> descriptors;
        for (const FontFace& face : m_catalog->faces())
            descriptors.push_back(TEFontDescriptor::fontDescriptorWithCTFontDescriptor(face));
        m_fontDescriptors = std::move(descriptors);
    }
    return *m_fontDescriptors;
}

std::vector<TEFontDescriptor> TEFontCollection::fontDescriptors() const
{
    std::lock_guard lock(m_mutex);
    return loadedDescriptors();
}

std::vector<std::string> TEFontCollection::fontFamilyNames() const
{
    std::vector<std::string> names;
    for (const TEFontDescriptor& descriptor : fontDescriptors()) {
        if (descriptor.fontFamily())
            names.push_back(*descriptor.fontFamily());
    }
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    return names;
}

std::optional<TEFontDescriptor> TEFontCollection::matchingFontDescriptorForFontDescriptor(
    const TEFontDescriptor& descriptor) const
{
    if (!descriptor.fontFamily())
        return std::nullopt;
    const bool bold = descriptor.boldTrait();
    const bool italic = descriptor.italicTrait();
    std::string key = "fontFamily BEGINSWITH[cd] " + *descriptor.fontFamily() + " and boldTrait == "
        + (bold ? "1" : "0") + " and italicTrait == " + (italic ? "1" : "0");

    std::optional<TEFontDescriptor> match;
    {
        std::lock_guard lock(m_mutex);
        auto cached = m_fontMatchCache.find(key);
        if (cached != m_fontMatchCache.end()) {
            match = cached->second;
        } else {
            std::u16string prefix = foldedForMatching(*descriptor.fontFamily());
            for (const TEFontDescriptor& candidate : loadedDescriptors()) {
                if (!candidate.fontFamily() || candidate.boldTrait() != bold || candidate.italicTrait() != italic)
                    continue;
                if (hasPrefix(foldedForMatching(*candidate.fontFamily()), prefix)) {
                    match = candidate;
                    break;
                }
            }
            m_fontMatchCache.emplace(key, match);
        }
    }
    if (!match)
        return std::nullopt;
    match->setPointSize(descriptor.pointSize());
    return match;
}

} // namespace folio
