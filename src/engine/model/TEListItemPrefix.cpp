#include "engine/model/TEListItemPrefix.h"

#include "engine/model/TEAttributeKeys.h"
#include "engine/model/TEAttributeQueries.h"
#include "engine/model/TECSSListStyle.h"
#include "engine/attachments/TEImageTextAttachment.h"
#include "platform/foundation/Resources.h"
#include "platform/foundation/Unicode.h"
#include "platform/graphics/Image.h"
#include "platform/text/FontAttributeValue.h"
#include "platform/text/MutableAttributedString.h"

namespace folio {

namespace {

Image::Pointer markerImage(const std::u16string& name)
{
    std::string file = toUtf8(name);
    std::optional<std::string> path = Resources::pathForResource(file, "");
    if (!path)
        path = Resources::pathForResource(file, "png");
    if (!path)
        return nullptr;
    Result<Image::Pointer> image = Image::imageWithContentsOfFile(*path);
    return image ? *image : nullptr;
}

} // namespace

std::optional<AttributedString> TEListItemPrefix::prefixForListItemWithCounter(
    std::int64_t counter, const TECSSListStyle& listStyle, double listIndent, const AttributeDictionary& attributes,
    std::shared_ptr<const FontCatalog> catalog)
{
    std::vector<AttributeDictionary::Entry> entries;

    if (std::optional<TEParagraphStyle> style = TEAttributeQueries::paragraphStyle(attributes)) {
        style->setTabStops(std::nullopt);
        style->setHeadIndent(listIndent);
        if (listStyle.type() != TECSSListStyleType::None)
            style->addTabStopAtPosition(style->headIndent() - 5, TextAlignment::Right);
        style->addTabStopAtPosition(style->headIndent(), TextAlignment::Left);
        entries.emplace_back(std::string(kCTParagraphStyleAttributeName),
                             ParagraphStyleValue::make(style->createCTParagraphStyle()));
    }

    if (const auto* fontValue = attributes.valueForKeyAs<FontAttributeValue>(kCTFontAttributeName)) {
        if (std::optional<TEFontDescriptor> descriptor = TEAttributeQueries::fontDescriptor(attributes)) {
            // A face name would win over the traits and keep the marker bold
            // or italic; the family with the traits cleared finds the plain face.
            descriptor->setFontName(std::nullopt);
            descriptor->setFontFamily(fontValue->font().familyName());
            descriptor->setBoldTrait(false);
            descriptor->setItalicTrait(false);
            // The descriptor carries the CSS size, 6 points above the text's;
            // the marker is drawn at the size of the item's own text.
            descriptor->setPointSize(fontValue->font().pointSize());
            if (std::optional<Font> font = descriptor->newMatchingFont(catalog))
                entries.emplace_back(std::string(kCTFontAttributeName), FontAttributeValue::make(*font));
        }
    }
    for (std::string_view key : {kCTForegroundColorAttributeName, TETextBlocksAttribute, TETextListsAttribute}) {
        if (const AttributeValuePtr& value = attributes.valueForKey(key))
            entries.emplace_back(std::string(key), value);
    }
    entries.emplace_back(std::string(TEFieldAttribute), StringValue::make(std::u16string(TEFieldAttributeValue)));

    TECSSListStyle style = listStyle;
    Image::Pointer image;
    if (style.imageName()) {
        image = markerImage(*style.imageName());
        if (!image)
            style.setImageName(std::nullopt);
    }
    std::optional<std::u16string> text = style.prefixWithCounter(counter);
    if (!text)
        return std::nullopt;

    AttributeDictionaryPtr prefixAttributes = AttributeDictionary::make(std::move(entries));
    MutableAttributedString prefix(*text, prefixAttributes);
    if (image) {
        std::size_t index = style.position() == TECSSListStylePosition::Inside ? 2 : 1;
        auto attachment = TEImageTextAttachment::attachmentWithImage(image);
        attachment->setDisplaySize(image->size());
        if (index < prefix.length())
            prefix.addAttribute(NSAttachmentAttributeName, attachment, Range{index, 1});
    }
    return AttributedString(prefix);
}

} // namespace folio
