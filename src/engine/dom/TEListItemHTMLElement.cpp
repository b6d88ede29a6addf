#include "engine/dom/TEListItemHTMLElement.h"

#include "engine/dom/TETextHTMLElement.h"
#include "engine/html/HTMLListItemIndents.h"
#include "engine/model/TEAttributeKeys.h"
#include "engine/model/TEFormattingKey.h"
#include "engine/model/TEScriptAttributes.h"
#include "engine/html/reader/TEHTMLReaderStringExtensions.h"
#include "engine/attachments/TEImageTextAttachment.h"
#include "platform/foundation/Resources.h"
#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/Unicode.h"
#include "platform/graphics/Image.h"

#include <algorithm>
#include <iterator>
#include <unordered_map>
#include <vector>

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

// The declarations of an item's own "style", which the items of a list
// mostly share: read once per text, not once per item.
const CSSStyleDictionary& itemStyles(const std::u16string& style)
{
    constexpr std::size_t kMostKept = 64;
    thread_local std::unordered_map<std::u16string, CSSStyleDictionary> known;
    if (auto found = known.find(style); found != known.end())
        return found->second;
    if (known.size() >= kMostKept)
        known.clear();
    return known.emplace(style, dictionaryOfCSSStyles(style)).first->second;
}

} // namespace

void TEListItemHTMLElement::applyStyleDictionary(const CSSStyleDictionary& styles)
{
    TEHTMLElement::applyStyleDictionary(styles);
    const double headIndent = sumOfListIndents() + padding().left + margins().left;
    paragraphStyle().setHeadIndent(headIndent);
    paragraphStyle().setFirstLineHeadIndent(headIndent);
    // An item keeps the indents its file gave it while it stays where it
    // was: at the same depth, with no indent of its own from the page.
    if (const std::u16string* value = attributeForKey("data-indent")) {
        const std::optional<HTMLListItemIndents> own = HTMLListItemIndents::fromAttribute(*value);
        if (own && own->depth == paragraphStyle().textLists().size() && padding().left == 0 && margins().left == 0) {
            paragraphStyle().setHeadIndent(own->headIndent);
            paragraphStyle().setFirstLineHeadIndent(own->firstLineHeadIndent);
            m_keepsOwnIndents = true;
        }
    }
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
    if (m_indexInList)
        return *m_indexInList;
    const TEHTMLParserNode* parent = parentNode();
    if (!parent)
        return 0;
    // An item asks when it ends, as the last or nearly the last child: look
    // for it from the end, then back to the nearest item that knows its index.
    const auto& siblings = parent->childNodes();
    auto position = std::find_if(siblings.rbegin(), siblings.rend(),
                                 [this](const TEHTMLParserNodePtr& sibling) { return sibling.get() == this; });
    std::int64_t index = 0;
    if (position == siblings.rend()) {
        // Not among its parent's children (taken out): every item there counts.
        return std::count_if(siblings.begin(), siblings.end(), [](const TEHTMLParserNodePtr& sibling) {
            return dynamic_cast<const TEListItemHTMLElement*>(sibling.get()) != nullptr;
        });
    }
    for (auto earlier = std::next(position); earlier != siblings.rend(); ++earlier) {
        const auto* item = dynamic_cast<const TEListItemHTMLElement*>(earlier->get());
        if (!item)
            continue;
        if (item->m_indexInList) {
            index += *item->m_indexInList + 1;
            break;
        }
        ++index;
    }
    m_indexInList = index;
    return index;
}

std::int64_t TEListItemHTMLElement::itemNumber(const TECSSListStyle& list) const
{
    // A later part of a list that comes back is the earlier parts' list, and
    // numbers on from the start its element gives.
    std::int64_t start = list.startingItemNumber();
    if (const TEHTMLElement* parent = parentElement(); parent && parent->attributeForKey("data-list"))
        if (const std::u16string* own = parent->attributeForKey("start"); own && integerValue(*own) > 0)
            start = integerValue(*own);
    return TECSSListStyle::itemNumber(start, indexOfListItemInListRoot());
}

std::int64_t TEListItemHTMLElement::outerItemNumber(int level) const
{
    std::vector<const TEListItemHTMLElement*> items;
    for (const TEHTMLElement* element = parentElement(); element; element = element->parentElement())
        if (const auto* item = dynamic_cast<const TEListItemHTMLElement*>(element))
            items.insert(items.begin(), item);
    const auto& lists = paragraphStyle().textLists();
    const auto at = static_cast<std::size_t>(level);
    if (at >= items.size() || at >= lists.size())
        return 1;
    return items[at]->itemNumber(*lists[at]);
}

std::optional<MutableAttributedString> TEListItemHTMLElement::listPrefix() const
{
    if (paragraphStyle().textLists().empty())
        return std::nullopt;
    std::shared_ptr<TECSSListStyle> listStyle = paragraphStyle().textLists().back()->copy();

    // The marker is formatted as the item, in the colour of its list.
    const TEHTMLElement* list = parentElement();
    const std::optional<Color>& prefixColor = list ? list->textColor() : textColor();

    if (const std::u16string* style = attributeForKey("style"))
        listStyle->updateFromStyleDictionary(itemStyles(*style));

    const double headIndent = paragraphStyle().headIndent();
    TEParagraphStyle prefixStyle = paragraphStyle();
    // The marker starts the item's first line, wherever the file had it.
    if (!m_keepsOwnIndents)
        prefixStyle.setFirstLineHeadIndent(headIndent);
    prefixStyle.setDefaultTabInterval(kMarkerTabInterval);
    prefixStyle.setTabStops(TEParagraphStyle::TabStops());
    if (listStyle->type() != TECSSListStyleType::None) {
        if (margins().left <= 0)
            return std::nullopt;
        prefixStyle.addTabStopAtPosition(headIndent - kMarkerGap, TextAlignment::Right);
    }
    prefixStyle.addTabStopAtPosition(headIndent, TextAlignment::Left);

    auto makeAttributes = [&] {
        std::vector<AttributeDictionary::Entry> entries;
        if (prefixColor)
            entries.emplace_back(std::string(kCTForegroundColorAttributeName), ColorValue::make(*prefixColor));
        entries.emplace_back(std::string(kCTParagraphStyleAttributeName),
                             ParagraphStyleValue::make(prefixStyle.createCTParagraphStyle()));
        const auto& blocks = paragraphStyle().textBlocks();
        if (!blocks.empty())
            entries.emplace_back(std::string(TETextBlocksAttribute), ArrayValue::make({blocks.begin(), blocks.end()}));
        const auto& lists = paragraphStyle().textLists();
        if (!lists.empty())
            entries.emplace_back(std::string(TETextListsAttribute), ArrayValue::make({lists.begin(), lists.end()}));
        entries.emplace_back(std::string(TEFieldAttribute), StringValue::make(std::u16string(TEFieldAttributeValue)));
        // The marker starts the item's paragraph, whose style, shading and
        // lines a save takes from its first character.
        if (const std::optional<std::u16string>& name = paragraphStyleName(); name && !name->empty())
            entries.emplace_back(std::string(TEParagraphStyleNameAttribute), StringValue::make(*name));
        if (!paragraphShading().empty())
            entries.emplace_back(std::string(TEParagraphShadingAttribute), StringValue::make(paragraphShading()));
        if (!paragraphBorders().empty())
            entries.emplace_back(std::string(TEParagraphBordersAttribute), StringValue::make(paragraphBorders()));
        if (!paragraphFrame().empty())
            entries.emplace_back(std::string(TEParagraphFrameAttribute), StringValue::make(paragraphFrame()));
        return AttributeDictionary::make(std::move(entries));
    };
    // The markers of a list look alike: they share one dictionary. The
    // prefix style holds the element's lists and blocks, so the key has them.
    AttributeDictionaryPtr attributes;
    if (TEAttributeDictionaryPool* pool = dictionaryPool()) {
        TEFormattingKey key;
        key.add(prefixColor);
        key.add(paragraphStyleName());
        key.add(std::u16string_view(paragraphShading()));
        key.add(std::u16string_view(paragraphBorders()));
        key.add(std::u16string_view(paragraphFrame()));
        prefixStyle.addToFormattingKey(key);
        attributes = pool->sharedDictionary(key.bytes(), makeAttributes);
    } else {
        attributes = makeAttributes();
    }

    const std::int64_t counter = itemNumber(*listStyle);
    Image::Pointer image;
    if (listStyle->imageName()) {
        image = markerImageNamed(*listStyle->imageName());
        if (!image)
            listStyle->setImageName(std::nullopt);
    }
    // A marker with words of its own is laid out as one with a number.
    std::optional<std::u16string> text =
        listStyle->markerWithText(counter, [this](int level) { return outerItemNumber(level); });
    text = text ? u"\t" + *text + u"\t" : listStyle->prefixWithCounter(counter);
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
    // The page shows a marker with words of its own as the item's first
    // words, which are the marker's again, not the item's. Words the user
    // changed there are the item's and stay.
    const auto& lists = paragraphStyle().textLists();
    const std::optional<std::u16string> words =
        lists.empty() ? std::nullopt
                      : lists.back()->markerWithText(itemNumber(*lists.back()),
                                                     [this](int level) { return outerItemNumber(level); });
    if (words) {
        const std::u16string& text = itemText->string();
        if (text.size() > words->size() && text.starts_with(*words) &&
            (text[words->size()] == u' ' || text[words->size()] == u'\u00A0'))
            itemText->deleteCharactersInRange(Range{0, words->size() + 1});
    }
    std::optional<MutableAttributedString> prefix = listPrefix();
    MutableAttributedString text;
    if (prefix) {
        text.appendAttributedString(std::move(*prefix));
        // An item that opens with a nested list's marker starts that list on
        // a line of its own.
        if (itemText->length() > 0 && itemText->attributesAtIndex(0)->containsKey(TEFieldAttribute))
            appendEndOfParagraph(text, dictionaryPool());
    }
    // Without text, the item is at most its paragraph end.
    const bool empty = itemText->length() == 0 || itemText->string() == u"\n";
    text.appendAttributedString(std::move(*itemText));
    if (text.length() > 0 && text.string().back() != u'\n')
        appendEndOfParagraph(text, dictionaryPool());
    if (empty && text.length() > 0)
        keepLanguagesOfEmptyRun(text);
    return text;
}

void TEListItemHTMLElement::keepLanguagesOfEmptyRun(MutableAttributedString& text) const
{
    // An empty item still holds the run typing would go on in, which the
    // page hands back without its placeholder and so makes no text: the
    // languages its words are checked in stay on the item's paragraph end,
    // where a word processor keeps them too.
    for (const auto& child : childNodes()) {
        const TEHTMLElement* run = child->asElement();
        if (!child->asText() && (!run || run->displayStyle() != TEHTMLElementDisplayStyle::Inline))
            continue;
        // A run of text is formatted as the item.
        AttributeDictionaryPtr attributes =
            run ? run->attributesForAttributedStringRepresentation() : textAttributes();
        if (!attributes)
            return;
        const Range end{text.length() - 1, 1};
        for (std::string_view key : {kCTLanguageAttributeName, TEEastAsianLanguageAttribute,
                                     TEComplexScriptLanguageAttribute, TENoProofingAttribute}) {
            if (const AttributeValuePtr& value = attributes->valueForKey(key))
                text.addAttribute(key, value, end);
        }
        return;
    }
}

} // namespace folio
