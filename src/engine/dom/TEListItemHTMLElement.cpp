#include "engine/dom/TEListItemHTMLElement.h"

#include "engine/model/TEAttributeKeys.h"
#include "engine/html/reader/TEHTMLReaderStringExtensions.h"
#include "engine/attachments/TEImageTextAttachment.h"
#include "platform/foundation/Resources.h"
#include "platform/foundation/Unicode.h"
#include "platform/graphics/Image.h"

namespace folio {

namespace {

// Tab stops of a marker: it hangs right-aligned just before the text.
constexpr double kMarkerGap = 5;
constexpr double kMarkerTabInterval = 100;

bool isList(const TEHTMLElement& element)
{
    return element.name() == "ul" || element.name() == "ol";
}

// The picture of a marker image named in a list style, from the resources.
Image::Pointer markerImageNamed(const std::u16string& name)
{
    const std::optional<std::string> path = Resources::pathForResource(toUtf8(name), "");
    if (!path)
        return nullptr;
    Result<Image::Pointer> image = Image::imageWithContentsOfFile(*path);
    return image.ok() ? image.value() : nullptr;
}

} // namespace

void TEListItemHTMLElement::applyStyleDictionary(const CSSStyleDictionary& styles)
{
    TEHTMLElement::applyStyleDictionary(styles);
    const double headIndent = sumOfListIndents() + padding().left + margins().left;
    paragraphStyle().setHeadIndent(headIndent);
    paragraphStyle().setFirstLineHeadIndent(headIndent);
    if (const TEHTMLElement* parent = parentElement())
        mutableMargins().left += parent->listIndent();
}

double TEListItemHTMLElement::sumOfListIndents() const
{
    double sum = 0;
    for (const TEHTMLElement* ancestor = parentElement(); ancestor; ancestor = ancestor->parentElement()) {
        if (isList(*ancestor))
            sum += ancestor->listIndent();
        else if (dynamic_cast<const TEListItemHTMLElement*>(ancestor))
            sum += ancestor->padding().left;
        else
            break;
    }
    return sum;
}

std::int64_t TEListItemHTMLElement::indexOfListItemInListRoot() const
{
    const TEHTMLParserNode* parent = parentNode();
    if (!parent)
        return 0;
    std::int64_t index = 0;
    for (const auto& sibling : parent->childNodes()) {
        if (sibling.get() == this)
            break;
        if (dynamic_cast<const TEListItemHTMLElement*>(sibling.get()))
            ++index;
    }
    return index;
}

std::optional<MutableAttributedString> TEListItemHTMLElement::listPrefix() const
{
    if (paragraphStyle().textLists().empty())
        return std::nullopt;
    std::shared_ptr<TECSSListStyle> listStyle = paragraphStyle().textLists().back()->copy();

    TEListItemHTMLElement prefixElement(name(), {});
    prefixElement.inheritAttributesFromElement(*this);
    if (const TEHTMLElement* list = parentElement())
        prefixElement.setTextColor(list->textColor());

    if (const std::u16string* style = attributeForKey("style"))
        listStyle->updateFromStyleDictionary(dictionaryOfCSSStyles(*style));

    const double headIndent = paragraphStyle().headIndent();
    TEParagraphStyle prefixStyle = prefixElement.paragraphStyle();
    prefixStyle.setFirstLineHeadIndent(headIndent);
    prefixStyle.setDefaultTabInterval(kMarkerTabInterval);
    prefixStyle.setTabStops(TEParagraphStyle::TabStops());
    if (listStyle->type() != TECSSListStyleType::None) {
        if (margins().left <= 0)
            return std::nullopt;
        prefixStyle.addTabStopAtPosition(headIndent - kMarkerGap, TextAlignment::Right);
    }
    prefixStyle.addTabStopAtPosition(headIndent, TextAlignment::Left);

    std::vector<AttributeDictionary::Entry> entries;
    if (prefixElement.textColor())
        entries.emplace_back(std::string(kCTForegroundColorAttributeName), ColorValue::make(*prefixElement.textColor()));
    entries.emplace_back(std::string(kCTParagraphStyleAttributeName),
                         ParagraphStyleValue::make(prefixStyle.createCTParagraphStyle()));
    const auto& blocks = prefixElement.paragraphStyle().textBlocks();
    if (!blocks.empty())
        entries.emplace_back(std::string(TETextBlocksAttribute), ArrayValue::make({blocks.begin(), blocks.end()}));
    const auto& lists = prefixElement.paragraphStyle().textLists();
    if (!lists.empty())
        entries.emplace_back(std::string(TETextListsAttribute), ArrayValue::make({lists.begin(), lists.end()}));
    entries.emplace_back(std::string(TEFieldAttribute), StringValue::make(std::u16string(TEFieldAttributeValue)));
    const AttributeDictionaryPtr attributes = AttributeDictionary::make(std::move(entries));

    const std::int64_t counter = TECSSListStyle::itemNumber(listStyle->startingItemNumber(), indexOfListItemInListRoot());
    Image::Pointer image;
    if (listStyle->imageName()) {
        image = markerImageNamed(*listStyle->imageName());
        if (!image)
            listStyle->setImageName(std::nullopt);
    }
    const std::optional<std::u16string> text = listStyle->prefixWithCounter(counter);
    if (!text || text->empty())
        return std::nullopt;

    MutableAttributedString prefix(*text, attributes);
    if (image) {
        const std::size_t index = listStyle->position() == TECSSListStylePosition::Inside ? 2 : 1;
        if (index < prefix.length()) {
            auto attachment = TEImageTextAttachment::attachmentWithImage(image);
            attachment->setDisplaySize(image->size());
            prefix.addAttribute(NSAttachmentAttributeName, attachment, Range{index, 1});
        }
    }
    return prefix;
}

std::optional<MutableAttributedString> TEListItemHTMLElement::attributedString()
{
    std::optional<MutableAttributedString> itemText = TEHTMLElement::attributedString();
    if (!itemText)
        return std::nullopt;
    std::optional<MutableAttributedString> prefix = listPrefix();
    MutableAttributedString text;
    if (prefix) {
        text.appendAttributedString(*prefix);
        // An item that opens with a nested list's marker starts that list on
        // a line of its own.
        if (itemText->length() > 0 && itemText->attributesAtIndex(0)->containsKey(TEFieldAttribute))
            appendEndOfParagraph(text);
    }
    text.appendAttributedString(*itemText);
    if (text.length() > 0 && text.string().back() != u'\n')
        appendEndOfParagraph(text);
    return text;
}

} // namespace folio
