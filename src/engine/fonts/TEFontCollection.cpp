#include "engine/fonts/TEFontCollection.h"

#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/Unicode.h"

#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>

#include <algorithm>

namespace folio {

namespace {

// Text folded for comparison without case and diacritics: decomposed, the
// combining marks dropped, then case-folded.
std::u16string foldedForMatching(std::string_view utf8)
{
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* decomposer = icu::Normalizer2::getNFDInstance(status);
    std::u16string text = toUtf16(utf8);
    icu::UnicodeString decomposed;
    if (U_SUCCESS(status))
        decomposed = decomposer->normalize(icu::UnicodeString(text.data(), static_cast<int32_t>(text.size())), status);
    if (U_FAILURE(status))
        decomposed = icu::UnicodeString(text.data(), static_cast<int32_t>(text.size()));
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
