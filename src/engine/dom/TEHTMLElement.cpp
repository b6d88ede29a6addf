#include "engine/dom/TEHTMLElement.h"

#include "engine/css/ColorHTML.h"
#include "engine/css/CSSString.h"
#include "engine/dom/TEAnchorHTMLElement.h"
#include "engine/html/HTMLListMarker.h"
#include "engine/model/TEAttributeKeys.h"
#include "engine/model/TEParagraphFrame.h"
#include "engine/dom/TEBreakHTMLElement.h"
#include "engine/dom/TEDivHTMLElement.h"
#include "engine/dom/TEFormFeedSpanHTMLElement.h"
#include "engine/model/TEEmbeddedObjectRunDelegate.h"
#include "engine/model/TEFormattingKey.h"
#include "engine/model/TESectionBreak.h"
#include "engine/model/TEParagraphBorders.h"
#include "engine/model/TEShading.h"
#include "engine/dom/TEHorizontalRuleHTMLElement.h"
#include "engine/html/HTMLTabStops.h"
#include "engine/html/reader/TEHTMLReaderStringExtensions.h"
#include "engine/dom/TEListItemHTMLElement.h"
#include "engine/dom/TEStylesheetHTMLElement.h"
#include "engine/dom/TETextAttachmentHTMLElement.h"
#include "engine/dom/TETextHTMLElement.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/UUID.h"
#include "platform/foundation/Unicode.h"
#include "platform/text/FontAttributeValue.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <string_view>

namespace folio {

namespace {

using ElementMaker = TEHTMLElementPtr (*)(const std::string&, TEHTMLAttributes, const TEHTMLReaderOptions&);

template <typename Element>
TEHTMLElementPtr makeElement(const std::string& name, TEHTMLAttributes attributes, const TEHTMLReaderOptions&)
{
    return std::make_shared<Element>(name, std::move(attributes));
}

TEHTMLElementPtr makeAttachmentElement(const std::string& name, TEHTMLAttributes attributes,
                                       const TEHTMLReaderOptions& options)
{
    return std::make_shared<TETextAttachmentHTMLElement>(name, std::move(attributes), options);
}

struct RegisteredElement {
    std::string_view name;
    ElementMaker make;
};

// Asked for every element of a page: a short table, searched by length and
// first letter before a name is compared in full, is far cheaper than hashing.
constexpr RegisteredElement kElementRegistry[] = {
    {"a", makeElement<TEAnchorHTMLElement>},
    {"br", makeElement<TEBreakHTMLElement>},
    {"div", makeElement<TEDivHTMLElement>},
    {"hr", makeElement<TEHorizontalRuleHTMLElement>},
    {"li", makeElement<TEListItemHTMLElement>},
    {"style", makeElement<TEStylesheetHTMLElement>},
    {"img", makeAttachmentElement},
    {"object", makeAttachmentElement},
    {"video", makeAttachmentElement},
    {"iframe", makeAttachmentElement},
};

ElementMaker registeredMaker(std::string_view name)
{
    if (name.empty())
        return nullptr;
    for (const RegisteredElement& element : kElementRegistry) {
        if (element.name.size() == name.size() && element.name.front() == name.front() && element.name == name)
            return element.make;
    }
    return nullptr;
}

} // namespace

TEHTMLElementPtr TEHTMLElement::elementWithName(const std::string& name, TEHTMLAttributes attributes,
                                               const TEHTMLReaderOptions& options)
{
    if (ElementMaker make = registeredMaker(name))
        return make(name, std::move(attributes), options);
    if (std::optional<std::string_view> mark = TEFormFeedSpanHTMLElement::markOfSpan(name, attributes))
        return std::make_shared<TEFormFeedSpanHTMLElement>(name, std::move(attributes), *mark);
    if (TETextAttachment::registeredClassForTagName(name))
        return makeAttachmentElement(name, std::move(attributes), options);
    return std::make_shared<TEHTMLElement>(name, std::move(attributes));
}

TEHTMLElement::TEHTMLElement(std::string name, TEHTMLAttributes attributes)
    : TEHTMLParserNode(std::move(name), {})
{
    TEHTMLElement::setAttributes(std::move(attributes));
}

void TEHTMLElement::setAttributes(TEHTMLAttributes attributes)
{
    TEHTMLParserNode::setAttributes(std::move(attributes));
    const std::u16string* width = attributeForKey("width");
    const std::u16string* height = attributeForKey("height");
    m_size = Size{width ? floatValue(*width) : 0.0, height ? floatValue(*height) : 0.0};
}

TEHTMLElement* TEHTMLElement::parentElement() const
{
    TEHTMLParserNode* parent = parentNode();
    return parent ? parent->asElement() : nullptr;
}

const std::vector<std::string>& TEHTMLElement::attributesToIgnoreForCustomAttributesAttribute()
{
    // The language and spelling marks are the text's own attributes.
    static const std::vector<std::string> kNames = [] {
        std::vector<std::string> names = {"style", "dir",  "align", "src",    "href", "color",
                                          "face",  "size", "name",  "height", "width",
                                          "lang",  "spellcheck", "data-east-asian-lang", "data-lang",
                                          "data-underline", "data-stroke-width", "data-kerning",
                                          "data-field", "data-bookmark", "data-comment", "data-shading", "data-hidden",
                                          "data-strike", "data-baseline-shift", "data-superscript-shift", "data-break",
                                          "data-paragraph-shading", "data-paragraph-frame", "clear"};
        for (const TEScriptAttribute& mark : kTEScriptAttributes)
            names.emplace_back(mark.pageName);
        return names;
    }();
    return kNames;
}

void TEHTMLElement::inheritAttributesFromElement(const TEHTMLElement& parent)
{
    m_fontDescriptor = parent.m_fontDescriptor;
    m_paragraphStyle = parent.m_paragraphStyle;
    m_dictionaryPool = parent.m_dictionaryPool;
    m_fontFamilyCache = parent.m_fontFamilyCache;
    m_headerLevel = parent.m_headerLevel;
    m_marks = parent.m_marks;
    m_fontVariant = parent.m_fontVariant;
    m_underlineStyle = parent.m_underlineStyle;
    m_strikeOut = parent.m_strikeOut;
    m_superscriptStyle = parent.m_superscriptStyle;
    m_letterSpacing = parent.m_letterSpacing;
    m_shadows = parent.m_shadows;
    m_link = parent.m_link;
    m_textColor = parent.m_textColor;
    m_isColorInherited = true;
    m_preserveNewlines = parent.m_preserveNewlines;
    m_currentTextSize = parent.m_currentTextSize;
    m_textScale = parent.m_textScale;
    m_backgroundColor = parent.m_backgroundColor;
    m_backgroundStrokeColor = parent.m_backgroundStrokeColor;
    m_backgroundStrokeWidth = parent.m_backgroundStrokeWidth;
    m_backgroundCornerRadius = parent.m_backgroundCornerRadius;
    m_containsAppleConvertedSpace = parent.m_containsAppleConvertedSpace;
    if (m_textAttachment)
        m_textAttachment->setHyperLinkURL(parent.m_link ? parent.m_link->url : std::nullopt);
}

void TEHTMLElement::interpretAttributes()
{
    // Nearly every element of a page carries only its style, and a link its
    // address, neither of which is read here: the two dozen names below are
    // looked for only when some other attribute is there.
    const bool onlyStyleAndAddress = std::ranges::all_of(attributes(), [](const auto& attribute) {
        return attribute.first == "style" || attribute.first == "href";
    });
    if (onlyStyleAndAddress)
        return;
    if (const std::u16string* className = attributeForKey("class"); className && *className == u"Apple-converted-space")
        m_containsAppleConvertedSpace = true;
    // An empty name is the page's way of putting a paragraph back in the
    // document's default style.
    if (const std::u16string* style = attributeForKey("data-style"))
        changedMarks().paragraphStyleName = *style;
    if (const std::u16string* section = attributeForKey("data-section"))
        changedMarks().sectionBreak = *section;
    if (const std::u16string* stops = attributeForKey("data-tabs"))
        if (std::optional<std::vector<TextTab>> tabStops = HTMLTabStops::stopsFromAttribute(*stops))
            m_paragraphStyle.setTabStops(std::move(tabStops));
    if (attributeForKey("data-contextual-space"))
        m_paragraphStyle.setContextualSpacing(true);
    if (const std::u16string* level = attributeForKey("data-outline-level"))
        m_paragraphStyle.setOutlineLevel(intValue(*level));
    if (const std::u16string* style = attributeForKey("data-character-style"))
        changedMarks().characterStyleName = *style;
    if (const std::u16string* language = attributeForKey("lang"))
        changedMarks().character.language = *language;
    if (const std::u16string* language = attributeForKey("data-lang"))
        changedMarks().character.language = *language;
    for (std::size_t index = 0; index < std::size(kTEScriptAttributes); ++index)
        if (const std::u16string* value = attributeForKey(kTEScriptAttributes[index].pageName))
            changedMarks().scriptMarks[index] = *value;
    if (const std::u16string* language = attributeForKey("data-east-asian-lang"))
        changedMarks().character.eastAsianLanguage = *language;
    if (const std::u16string* spelling = attributeForKey("spellcheck"))
        changedMarks().character.noProofing = *spelling == u"false";
    if (const std::u16string* underline = attributeForKey("data-underline")) {
        changedMarks().character.doubleWave = *underline == u"double-wave";
        changedMarks().character.wordsOnly = *underline == u"words";
    }
    if (const std::u16string* width = attributeForKey("data-stroke-width")) {
        // Anything but a number reads as 0, no width of its own.
        const double number = doubleValue(*width);
        changedMarks().character.strokeWidth = std::isfinite(number) && number != 0 ? std::optional<double>(std::clamp(number, -200.0, 200.0)) : std::nullopt;
    }
    if (const std::u16string* shading = attributeForKey("data-paragraph-shading"))
        changedMarks().paragraphShading = TEShading::fromText(toUtf8(*shading)) ? *shading : std::u16string();
    if (const std::u16string* borders = attributeForKey("data-paragraph-borders"))
        changedMarks().paragraphBorders = TEParagraphBorders::fromText(toUtf8(*borders)) ? *borders : std::u16string();
    if (const std::u16string* frame = attributeForKey("data-paragraph-frame"))
        changedMarks().paragraphFrame = TEParagraphFrame::isWellFormed(*frame) ? *frame : std::u16string();
    if (const std::u16string* shading = attributeForKey("data-shading"))
        changedMarks().character.shading = TEShading::fromText(toUtf8(*shading)) ? *shading : std::u16string();
    if (const std::u16string* hidden = attributeForKey("data-hidden"))
        changedMarks().character.hidden = *hidden != u"0";
    if (const std::u16string* strike = attributeForKey("data-strike"))
        changedMarks().character.doubleStrike = *strike == u"double";
    // Anything but a number, or a shift past a page's height, is none.
    const auto shiftOf = [](const std::u16string& text) {
        const double number = doubleValue(text);
        return std::isfinite(number) && std::abs(number) <= TELargestBaselineShift ? static_cast<int>(number) : 0;
    };
    if (const std::u16string* shift = attributeForKey("data-baseline-shift"))
        changedMarks().character.baselineShift = shiftOf(*shift);
    if (const std::u16string* shift = attributeForKey("data-superscript-shift"))
        changedMarks().character.superscriptShift = shiftOf(*shift);
    if (const std::u16string* field = attributeForKey("data-field"))
        changedMarks().character.fieldInstruction = *field;
    if (const std::u16string* bookmark = attributeForKey("data-bookmark"))
        changedMarks().character.bookmark = *bookmark;
    if (const std::u16string* ranges = attributeForKey("data-comment"))
        changedMarks().character.commentRanges = *ranges;
    if (const std::u16string* kerning = attributeForKey("data-kerning")) {
        // "0" is a kerning of its own, ending the kerning of the text around.
        const double number = doubleValue(*kerning);
        const bool isNumber = !kerning->empty() && (*kerning)[0] >= u'0' && (*kerning)[0] <= u'9';
        changedMarks().character.kerning = isNumber && number <= 0xFFFF ? std::optional<int>(static_cast<int>(number)) : std::nullopt;
    }
    if (const std::u16string* direction = attributeForKey("dir"); direction && name() == "span") {
        changedMarks().rightToLeftRun = *direction == u"rtl";
    } else if (direction) {
        if (*direction == u"rtl")
            m_paragraphStyle.setBaseWritingDirection(WritingDirection::RightToLeft);
        else if (*direction == u"ltr")
            m_paragraphStyle.setBaseWritingDirection(WritingDirection::LeftToRight);
        else if (*direction == u"auto")
            m_paragraphStyle.setBaseWritingDirection(WritingDirection::Natural);
    }
    if (const std::u16string* align = attributeForKey("align")) {
        if (*align == u"justify")
            m_paragraphStyle.setAlignment(TextAlignment::Justified);
        else if (*align == u"left")
            m_paragraphStyle.setAlignment(TextAlignment::Left);
        else if (*align == u"center")
            m_paragraphStyle.setAlignment(TextAlignment::Center);
        else if (*align == u"right")
            m_paragraphStyle.setAlignment(TextAlignment::Right);
    }
}

const TEHTMLElement::Marks& TEHTMLElement::marks() const
{
    static const Marks kNone;
    return m_marks ? *m_marks : kNone;
}

TEHTMLElement::Marks& TEHTMLElement::changedMarks()
{
    // The parent's marks, or those the children took, stay as they were.
    if (!m_marks || m_marks.use_count() > 1)
        m_marks = std::make_shared<Marks>(marks());
    return *m_marks;
}

void TEHTMLElement::setTextColor(std::optional<Color> color)
{
    if (color != m_textColor)
        m_isColorInherited = false;
    m_textColor = std::move(color);
}

void TEHTMLElement::setLink(std::optional<URL> link, std::optional<std::string> address)
{
    auto mark = std::make_shared<LinkMark>();
    mark->guid = makeSequentialUUIDString();
    if (link) {
        mark->target = address ? std::move(*address) : link->absoluteString();
        mark->url = std::move(*link);
    }
    m_link = std::move(mark);
    if (m_textAttachment)
        m_textAttachment->setHyperLinkGUID(m_link->guid);
}

const std::string& TEHTMLElement::linkGUID() const
{
    static const std::string kNone;
    return m_link ? m_link->guid : kNone;
}

void TEHTMLElement::setTextAttachment(TETextAttachmentPtr attachment)
{
    m_textAttachment = std::move(attachment);
    if (!m_textAttachment)
        return;
    m_textAttachment->setVerticalAlignment(m_textAttachmentAlignment);
    m_textAttachment->setHyperLinkGUID(linkGUID());
    m_textAttachment->setDisplaySize(m_size);
}

const CSSStyleDictionary& TEHTMLElement::styles() const
{
    static const CSSStyleDictionary kNone;
    return m_styles ? *m_styles : kNone;
}

TEHTMLElementDisplayStyle TEHTMLElement::displayStyle() const
{
    return m_displayStyle;
}

TEHTMLElementFontVariant TEHTMLElement::fontVariant() const
{
    if (m_fontVariant != TEHTMLElementFontVariant::Inherit)
        return m_fontVariant;
    const TEHTMLElement* parent = parentElement();
    return parent ? parent->fontVariant() : TEHTMLElementFontVariant::Normal;
}

double TEHTMLElement::currentTextSize() const
{
    // Inheritance copies the size, so one step up is enough.
    if (m_currentTextSize != 0)
        return m_currentTextSize;
    const TEHTMLElement* parent = parentElement();
    return parent ? parent->m_currentTextSize : 0;
}

std::shared_ptr<TECSSListStyle> TEHTMLElement::listStyle() const
{
    auto style = std::make_shared<TECSSListStyle>(styles());
    if (const std::u16string* start = attributeForKey("start"))
        style->setStartingItemNumber(integerValue(*start));
    HTMLListMarker::applyAttributes(*style, [this](std::string_view name) { return attributeForKey(name); });
    return style;
}

bool TEHTMLElement::needsOutput() const
{
    if (childNodes().empty())
        return true;
    for (const auto& child : childNodes()) {
        if (child->asText())
            return true;
        const TEHTMLElement* element = child->asElement();
        if (element && element->displayStyle() != TEHTMLElementDisplayStyle::None && !element->didOutput())
            return true;
    }
    return false;
}

AttributeDictionaryPtr TEHTMLElement::attributesForAttributedStringRepresentation() const
{
    return formattingAttributes(m_textAttachment != nullptr);
}

AttributeDictionaryPtr TEHTMLElement::textAttributes() const
{
    if (!m_readingChildrenText)
        return formattingAttributes(false);
    if (!m_childrenTextAttributes)
        m_childrenTextAttributes = formattingAttributes(false);
    return m_childrenTextAttributes;
}

AttributeDictionaryPtr TEHTMLElement::formattingAttributes(bool withAttachment) const
{
    if (!m_dictionaryPool)
        return makeAttributes(withAttachment);
    // An attachment is its own object (and is told its font as the dictionary
    // is made), and shadows are made anew per element: neither is looked up.
    if (withAttachment || !m_shadows.empty())
        return m_dictionaryPool->sharedDictionary(makeAttributes(withAttachment));
    // Most elements of a page carry formatting seen before: find it by what
    // the dictionary is made from, which is far cheaper than making it.
    TEFormattingKey key;
    addFormattingKey(key);
    return m_dictionaryPool->sharedDictionary(key.bytes(), [this] { return makeAttributes(false); });
}

void TEHTMLElement::addFormattingKey(TEFormattingKey& key) const
{
    const Marks& runMarks = marks();
    // Everything makeAttributes() reads, for elements without attachment or
    // shadows.
    key.add(m_fontDescriptor.fontName());
    key.add(m_fontDescriptor.fontFamily());
    key.add(m_fontDescriptor.pointSize());
    key.add(m_fontDescriptor.symbolicTraits());
    key.add(m_fontDescriptor.smallCapsFeature());
    key.add(link() != nullptr);
    if (link()) {
        key.add(m_link->target);
        key.add(m_link->guid);
    }
    key.add(runMarks.anchorName);
    key.add(m_strikeOut);
    key.add(m_underlineStyle);
    key.add(m_textColor);
    key.add(m_backgroundColor);
    key.add(m_superscriptStyle);
    m_paragraphStyle.addToFormattingKey(key);
    key.add(m_letterSpacing);
    key.add(runMarks.character.language);
    key.add(runMarks.character.eastAsianLanguage);
    key.add(runMarks.character.noProofing);
    key.add(runMarks.character.capitals);
    key.add(runMarks.character.outline);
    key.add(runMarks.rightToLeftRun);
    for (const std::u16string& mark : runMarks.scriptMarks)
        key.add(mark);
    key.add(runMarks.character.doubleWave);
    key.add(runMarks.character.wordsOnly);
    key.add(runMarks.character.strokeWidth.value_or(0));
    key.add(runMarks.character.kerning.value_or(-1));
    key.add(runMarks.character.shading);
    key.add(runMarks.character.hidden);
    key.add(runMarks.character.doubleStrike);
    key.add(runMarks.character.baselineShift);
    key.add(runMarks.character.superscriptShift);
    key.add(runMarks.character.fieldInstruction);
    key.add(runMarks.character.bookmark);
    key.add(runMarks.character.commentRanges);
    key.add(runMarks.character.strokeColor.has_value());
    if (runMarks.character.strokeColor)
        key.add(*runMarks.character.strokeColor);
    key.add(runMarks.character.underlineColor.has_value());
    if (runMarks.character.underlineColor)
        key.add(*runMarks.character.underlineColor);
    key.add(static_cast<int>(fontVariant()));
    key.add(m_headerLevel);
    key.add(runMarks.paragraphStyleName);
    key.add(runMarks.sectionBreak);
    key.add(runMarks.paragraphShading);
    key.add(runMarks.paragraphBorders);
    key.add(runMarks.paragraphFrame);
    key.add(runMarks.characterStyleName);
    key.add(m_backgroundStrokeColor);
    key.add(m_backgroundStrokeWidth);
    key.add(m_backgroundCornerRadius);
}

namespace {

// The entries makeAttributes() can add, all together.
constexpr std::size_t kMostAttributes = 4 + 27 + 1 + std::size(kTEScriptAttributes);

// The key of a fixed name, looked up in the program's key registry the first
// time only: a long page makes thousands of dictionaries of the same dozen
// keys.
template <const std::string_view& name>
const AttributeKey& fixedKey()
{
    static const AttributeKey key(name);
    return key;
}

} // namespace

void TEHTMLElement::addScriptMarks(std::vector<AttributeDictionary::Entry>& entries) const
{
    const Marks& runMarks = marks();
    if (runMarks.rightToLeftRun) {
        static const AttributeValuePtr kRightToLeftEmbedding = ArrayValue::make({IntegerValue::make(1)});
        entries.emplace_back(fixedKey<NSWritingDirectionAttributeName>(), kRightToLeftEmbedding);
    }
    for (std::size_t index = 0; index < runMarks.scriptMarks.size(); ++index) {
        const std::u16string& text = runMarks.scriptMarks[index];
        const TEScriptAttribute& mark = kTEScriptAttributes[index];
        if (text.empty())
            continue;
        AttributeValuePtr value;
        if (mark.kind == TEScriptValueKind::Text) {
            value = StringValue::make(text);
        } else if (mark.kind == TEScriptValueKind::Flag) {
            if (text == u"1")
                value = BoolValue::make(true);
        } else if (const double number = floatValue(text); std::isfinite(number) && number > 0) {
            value = DoubleValue::make(number);
        }
        if (value)
            entries.emplace_back(AttributeKey(mark.key), std::move(value));
    }
}

AttributeDictionaryPtr TEHTMLElement::makeAttributes(bool withAttachment) const
{
    const Marks& runMarks = marks();
    std::vector<AttributeDictionary::Entry> entries;
    // Room for every entry below at once: moving entries of string keys as
    // the vector grows costs more than the few unused places.
    entries.reserve(kMostAttributes);
    auto add = [&entries](const AttributeKey& key, AttributeValuePtr value) {
        entries.emplace_back(key, std::move(value));
    };

    const TETextAttachmentPtr& attachment = withAttachment ? m_textAttachment : nullptr;
    if (attachment) {
        add(fixedKey<kCTRunDelegateAttributeName>(), createEmbeddedObjectRunDelegate(attachment));
        add(fixedKey<NSAttachmentAttributeName>(), attachment);
        add(fixedKey<TEAttachmentParagraphSpacingAttribute>(), DoubleValue::make(m_paragraphStyle.paragraphSpacing()));
    }
    // Values of the reading's other dictionaries are shared where they are the same.
    auto shared = [this](std::string_view key, const std::function<AttributeValuePtr()>& make) {
        return m_dictionaryPool ? m_dictionaryPool->sharedValue(key, make) : make();
    };
    if (attachment) {
        if (std::optional<Font> font = m_fontDescriptor.newMatchingFont()) {
            attachment->adjustVerticalAlignmentForFont(*font);
            add(fixedKey<kCTFontAttributeName>(), FontAttributeValue::make(std::move(*font)));
        }
    } else {
        TEFormattingKey fontKey;
        fontKey.add(std::string_view("font"));
        fontKey.add(m_fontDescriptor.fontName());
        fontKey.add(m_fontDescriptor.fontFamily());
        fontKey.add(m_fontDescriptor.pointSize());
        fontKey.add(m_fontDescriptor.symbolicTraits());
        fontKey.add(m_fontDescriptor.smallCapsFeature());
        if (AttributeValuePtr font = shared(fontKey.bytes(), [this]() -> AttributeValuePtr {
                std::optional<Font> matched = m_fontDescriptor.newMatchingFont();
                return matched ? FontAttributeValue::make(std::move(*matched)) : nullptr;
            }))
            add(fixedKey<kCTFontAttributeName>(), std::move(font));
    }
    if (link()) {
        add(fixedKey<TELinkAttribute>(), URLValue::make(m_link->target));
        add(fixedKey<TEGUIDAttribute>(), StringValue::make(toUtf16(m_link->guid)));
    }
    if (runMarks.anchorName)
        add(fixedKey<TEAnchorAttribute>(), StringValue::make(*runMarks.anchorName));
    if (m_strikeOut)
        add(fixedKey<TEStrikeOutAttribute>(), BoolValue::make(true));
    if (m_strikeOut && runMarks.character.doubleStrike)
        add(fixedKey<TEDoubleStrikeOutAttribute>(), BoolValue::make(true));
    // A superscript or subscript made on the page takes the place of the
    // shift it was made over; one read from a file keeps its own distance
    // while it stays raised or lowered the same way.
    if (m_superscriptStyle == 0 && runMarks.character.baselineShift != 0)
        add(fixedKey<TEBaselineShiftAttribute>(), IntegerValue::make(runMarks.character.baselineShift));
    const int superscriptShift = runMarks.character.superscriptShift;
    if (m_superscriptStyle != 0 && superscriptShift != 0 && (m_superscriptStyle > 0) == (superscriptShift > 0))
        add(fixedKey<TEBaselineShiftAttribute>(), IntegerValue::make(superscriptShift));
    if (m_underlineStyle != 0) {
        const bool doubleWave = runMarks.character.doubleWave && (m_underlineStyle & 0xF00) == 0x500;
        // Only a plain line stays under the words alone: another line style
        // chosen on the page replaces it.
        const bool wordsOnly = runMarks.character.wordsOnly && m_underlineStyle == 1;
        add(fixedKey<kCTUnderlineStyleAttributeName>(),
            IntegerValue::make(doubleWave ? 0x509 : wordsOnly ? 0x8001 : m_underlineStyle));
    }
    if (m_underlineStyle != 0 && runMarks.character.underlineColor)
        add(fixedKey<NSUnderlineColorAttributeName>(), ColorValue::make(*runMarks.character.underlineColor));
    auto sharedColor = [&shared](const Color& color) {
        TEFormattingKey key;
        key.add(std::string_view("colour"));
        key.add(color);
        return shared(key.bytes(), [&color] { return ColorValue::make(color); });
    };
    if (m_textColor)
        add(fixedKey<kCTForegroundColorAttributeName>(), sharedColor(*m_textColor));
    if (m_backgroundColor)
        add(fixedKey<NSBackgroundColorAttributeName>(), sharedColor(*m_backgroundColor));
    if (m_superscriptStyle != 0)
        add(fixedKey<kCTSuperscriptAttributeName>(), IntegerValue::make(m_superscriptStyle));
    {
        // The platform style holds the settings, not the lists and blocks.
        TEFormattingKey key;
        key.add(std::string_view("paragraph"));
        m_paragraphStyle.addSettingsToFormattingKey(key);
        add(fixedKey<kCTParagraphStyleAttributeName>(), shared(key.bytes(), [this] {
                TEParagraphStyle settings = m_paragraphStyle;
                settings.setTextLists({});
                settings.setTextBlocks({});
                return ParagraphStyleValue::make(settings.createCTParagraphStyle());
            }));
    }
    if (!m_shadows.empty()) {
        std::vector<AttributeValuePtr> shadows;
        for (const CSSShadow& shadow : m_shadows)
            shadows.push_back(ShadowValue::make(shadow.offset, shadow.blur, shadow.color));
        add(fixedKey<TEShadowsAttribute>(), ArrayValue::make(std::move(shadows)));
    }
    if (m_letterSpacing != 0)
        add(fixedKey<kCTKernAttributeName>(), DoubleValue::make(m_letterSpacing));
    if (!runMarks.character.language.empty())
        add(fixedKey<kCTLanguageAttributeName>(), StringValue::make(runMarks.character.language));
    if (!runMarks.character.eastAsianLanguage.empty())
        add(fixedKey<TEEastAsianLanguageAttribute>(), StringValue::make(runMarks.character.eastAsianLanguage));
    if (runMarks.character.noProofing)
        add(fixedKey<TENoProofingAttribute>(), BoolValue::make(true));
    if (runMarks.character.capitals)
        add(fixedKey<TECapitalsAttribute>(), BoolValue::make(true));
    if (fontVariant() == TEHTMLElementFontVariant::SmallCaps)
        add(fixedKey<TESmallCapitalsAttribute>(), BoolValue::make(true));
    if (runMarks.character.outline || runMarks.character.strokeWidth) {
        // The width of an outline as word processors draw it, in hundredths
        // of the font size; positive leaves the letters unfilled.
        constexpr double kOutlineWidth = 3;
        add(fixedKey<NSStrokeWidthAttributeName>(), DoubleValue::make(runMarks.character.strokeWidth.value_or(kOutlineWidth)));
        if (runMarks.character.strokeColor)
            add(fixedKey<NSStrokeColorAttributeName>(), ColorValue::make(*runMarks.character.strokeColor));
    }
    addScriptMarks(entries);
    if (runMarks.character.kerning)
        add(fixedKey<TEKerningAttribute>(), IntegerValue::make(*runMarks.character.kerning));
    if (!runMarks.character.shading.empty())
        add(fixedKey<TEShadingAttribute>(), StringValue::make(runMarks.character.shading));
    if (runMarks.character.hidden)
        add(fixedKey<TEHiddenAttribute>(), BoolValue::make(true));
    if (!runMarks.character.fieldInstruction.empty())
        add(fixedKey<TEFieldInstructionAttribute>(), StringValue::make(runMarks.character.fieldInstruction));
    if (!runMarks.character.bookmark.empty())
        add(fixedKey<TEBookmarkAttribute>(), StringValue::make(runMarks.character.bookmark));
    if (!runMarks.character.commentRanges.empty())
        add(fixedKey<TECommentRangeAttribute>(), StringValue::make(runMarks.character.commentRanges));
    if (m_headerLevel != 0)
        add(fixedKey<TEHeaderLevelAttribute>(), IntegerValue::make(m_headerLevel));
    if (runMarks.paragraphStyleName && !runMarks.paragraphStyleName->empty())
        add(fixedKey<TEParagraphStyleNameAttribute>(), StringValue::make(*runMarks.paragraphStyleName));
    if (runMarks.sectionBreak)
        add(fixedKey<TESectionBreakAttribute>(),
            TESectionBreak::make(TESectionBreak::settingsFromAttributeText(*runMarks.sectionBreak)));
    if (!runMarks.paragraphShading.empty())
        add(fixedKey<TEParagraphShadingAttribute>(), StringValue::make(runMarks.paragraphShading));
    if (!runMarks.paragraphBorders.empty())
        add(fixedKey<TEParagraphBordersAttribute>(), StringValue::make(runMarks.paragraphBorders));
    if (!runMarks.paragraphFrame.empty())
        add(fixedKey<TEParagraphFrameAttribute>(), StringValue::make(runMarks.paragraphFrame));
    if (runMarks.characterStyleName && !runMarks.characterStyleName->empty())
        add(fixedKey<TECharacterStyleNameAttribute>(), StringValue::make(*runMarks.characterStyleName));
    if (!m_paragraphStyle.textLists().empty())
        add(fixedKey<TETextListsAttribute>(), ArrayValue::make({m_paragraphStyle.textLists().begin(),
                                                    m_paragraphStyle.textLists().end()}));
    if (!m_paragraphStyle.textBlocks().empty())
        add(fixedKey<TETextBlocksAttribute>(), ArrayValue::make({m_paragraphStyle.textBlocks().begin(),
                                                     m_paragraphStyle.textBlocks().end()}));
    if (m_backgroundStrokeColor)
        add(fixedKey<TEBackgroundStrokeColorAttribute>(), ColorValue::make(*m_backgroundStrokeColor));
    if (m_backgroundStrokeWidth != 0)
        add(fixedKey<TEBackgroundStrokeWidthAttribute>(), DoubleValue::make(m_backgroundStrokeWidth));
    if (m_backgroundCornerRadius != 0)
        add(fixedKey<TEBackgroundCornerRadiusAttribute>(), DoubleValue::make(m_backgroundCornerRadius));
    return AttributeDictionary::make(std::move(entries));
}

namespace {

// Smaller texts are grown as they are appended: the copies they hold on the
// way are small, and taking the first child's text over saves copying it.
constexpr std::size_t kLeastLengthReservedAtOnce = 65536;
// The line feed before a list inside a list item and the paragraph end.
constexpr std::size_t kMostCharactersAddedAroundChildren = 2;

bool endsWithLineBreak(const AttributedString& text)
{
    return text.length() > 0 && text.string().back() == u'\u2028';
}

// A break just before a block ends the line the block starts on anyway:
// it is the end of the paragraph before the block, or nothing when the
// block starts with a line end of its own (a list nested in an item).
void endLineBreakBeforeBlock(MutableAttributedString& text, const AttributedString& block)
{
    if (!endsWithLineBreak(text))
        return;
    const Range lineBreak{text.length() - 1, 1};
    if (block.length() > 0 && block.string().front() == u'\n')
        text.deleteCharactersInRange(lineBreak);
    else
        text.replaceCharactersInRange(lineBreak, u"\n");
}

} // namespace

std::optional<MutableAttributedString> TEHTMLElement::attributedString()
{
    // NOTE: output recurses over the children. The builder never nests the
    // tree deeper than TEHTMLAttributedStringBuilder::kMaximumTreeDepth, which
    // bounds the recursion whatever the input.
    if (displayStyle() == TEHTMLElementDisplayStyle::None || m_didOutput)
        return std::nullopt;

    std::optional<MutableAttributedString> leaf = leafOutput();
    MutableAttributedString text;
    if (leaf) {
        text = std::move(*leaf);
    } else {
        // A large element (a page's outermost blocks) takes the room for its
        // whole text at once: grown piece by piece, it would hold its old and
        // new copies together at each step, and keep up to twice the room it
        // needs while the document is written out. The text of the only
        // child that is shown (a page's body beside its hidden title) is
        // taken over as it stands.
        const std::size_t knownLength = childNodes().size() > 1 ? knownLengthOfChildrenOutput() : 0;
        const bool reserved = knownLength >= kLeastLengthReservedAtOnce && countOfShownChildren() > 1;
        if (reserved) {
            std::u16string room;
            room.reserve(knownLength + kMostCharactersAddedAroundChildren);
            text = MutableAttributedString(std::move(room));
        }
        const TEHTMLElement* parent = parentElement();
        if ((hasName("ol") || hasName("ul")) && parent && parent->hasName("li"))
            text.appendString(u"\n", nullptr);
        // The text children between the inline ones are all formatted as
        // this element, which no longer changes: their dictionary is looked
        // up once for all of them. An element with shadows makes new shadow
        // values, and so a dictionary of its own, each time it is asked.
        m_readingChildrenText = m_dictionaryPool && m_shadows.empty();
        bool afterCell = false;
        for (const auto& child : childNodes()) {
            if (const TETextHTMLElement* run = child->asText()) {
                afterCell = false;
                text.appendString(run->characters(), textAttributes());
                continue;
            }
            TEHTMLElement* element = child->asElement();
            if (!element || element->displayStyle() == TEHTMLElementDisplayStyle::None)
                continue;
            const bool cell = element->hasName("td") || element->hasName("th");
            // The cells of a row run on its line, parted as tabs part them;
            // a cell that ended its paragraph is parted already.
            if (cell && afterCell && text.length() > 0 && text.string().back() != u'\n')
                text.appendString(u"\t", element->attributesForAttributedStringRepresentation());
            afterCell = cell;
            if (element->appendOutputTo(text))
                continue;
            std::optional<MutableAttributedString> childText = element->takeOutput();
            if (!childText)
                continue;
            if (element->displayStyle() != TEHTMLElementDisplayStyle::Inline && !element->hasName("br"))
                endLineBreakBeforeBlock(text, *childText);
            // A list nested in an item starts a line of its own, which the
            // item's text may have ended already: with a paragraph, or with
            // the line feed editors write before the nested list's tag.
            if (childText->length() > 0 && childText->string().front() == u'\n' && text.length() > 0 &&
                text.string().back() == u'\n' && (element->hasName("ul") || element->hasName("ol")))
                childText->deleteCharactersInRange(Range{0, 1});
            // Taking the first child's text over would let go of the room.
            if (reserved)
                text.appendAttributedString(std::move(*childText));
            else
                appendTakingOver(text, std::move(*childText));
        }
        m_readingChildrenText = false;
        m_childrenTextAttributes.reset();
    }
    finishBlockOutput(text);
    return text;
}

std::size_t TEHTMLElement::countOfShownChildren() const
{
    return std::ranges::count_if(childNodes(), [](const auto& child) {
        const TEHTMLElement* element = child->asElement();
        return child->asText() || (element && element->displayStyle() != TEHTMLElementDisplayStyle::None);
    });
}

std::size_t TEHTMLElement::knownLengthOfChildrenOutput() const
{
    std::size_t length = 0;
    for (const auto& child : childNodes()) {
        if (const TETextHTMLElement* run = child->asText()) {
            length += run->characters().size();
            continue;
        }
        const TEHTMLElement* element = child->asElement();
        if (element && element->m_settledOutput)
            length += element->m_settledOutput->length();
    }
    return length;
}

void TEHTMLElement::settleOutput()
{
    if (m_settled)
        return;
    std::optional<MutableAttributedString> text = attributedString();
    removeAllChildNodes();
    m_settledOutput = std::move(text);
    m_settled = true;
}

std::optional<MutableAttributedString> TEHTMLElement::takeOutput()
{
    if (!m_settled)
        return attributedString();
    if (displayStyle() == TEHTMLElementDisplayStyle::None || m_didOutput)
        return std::nullopt;
    std::optional<MutableAttributedString> text = std::move(m_settledOutput);
    m_settledOutput.reset();
    return text;
}

bool TEHTMLElement::isInsideList() const
{
    const TEHTMLElement* parent = parentElement();
    if (!parent)
        return false;
    if (parent->displayStyle() == TEHTMLElementDisplayStyle::ListItem)
        return true;
    return parent->displayStyle() == TEHTMLElementDisplayStyle::Block &&
           (parent->hasName("ol") || parent->hasName("ul"));
}

void TEHTMLElement::giveParagraphEndItsOwnFont(MutableAttributedString& text) const
{
    const std::u16string* css = attributeForKey("data-end-font");
    if (!css)
        return;
    // The end's font is styled as a run of the paragraph would be.
    TEHTMLElement end("span", {});
    end.inheritAttributesFromElement(*this);
    end.applyStyleDictionary(dictionaryOfCSSStyles(*css));
    AttributeDictionaryPtr attributes = end.attributesForAttributedStringRepresentation();
    // Each of the font and the colour where the end has its own.
    if (const AttributeValuePtr& font = attributes ? attributes->valueForKey(kCTFontAttributeName) : nullptr;
        font && css->find(u"font") != std::u16string::npos)
        text.addAttribute(kCTFontAttributeName, font, Range{text.length() - 1, 1});
    if (css->find(u"color:") == std::u16string::npos)
        return;
    if (const AttributeValuePtr& color = attributes ? attributes->valueForKey(kCTForegroundColorAttributeName) : nullptr)
        text.addAttribute(kCTForegroundColorAttributeName, color, Range{text.length() - 1, 1});
}

void TEHTMLElement::finishBlockOutput(MutableAttributedString& text) const
{
    const TEHTMLElementDisplayStyle display = displayStyle();
    if (display != TEHTMLElementDisplayStyle::Inline && !hasName("html") && !hasName("body")) {
        // A break that ends its block draws no line of its own in a browser
        // ("<div>a<br></div>" is one line, "<div><br></div>" an empty one):
        // it is the paragraph's end, which after text looks as every other
        // paragraph end does, and alone keeps the break's look for the
        // empty line.
        bool endsAfterText = false;
        if (!hasName("br") && endsWithLineBreak(text)) {
            const Range lineBreak{text.length() - 1, 1};
            if (text.length() >= 2 && text.string()[text.length() - 2] != u'\n') {
                text.deleteCharactersInRange(lineBreak);
                appendEndOfParagraph(text, m_dictionaryPool.get());
                endsAfterText = true;
            } else {
                text.replaceCharactersInRange(lineBreak, u"\n");
            }
        }
        const bool endsWithLineFeed = text.length() > 0 && text.string().back() == u'\n';
        if (endsWithLineFeed || hasName("br")) {
            // Already ends its paragraph.
        } else if (text.length() == 0) {
            text.appendString(u"\n", attributesForAttributedStringRepresentation());
        } else {
            // NOTE: blocks end their paragraph inside every parent, not only
            // inside div and span as pages from the editor need: without it two
            // paragraphs in a blockquote, list item or table cell run together.
            appendEndOfParagraph(text, m_dictionaryPool.get());
            endsAfterText = true;
        }
        if (endsAfterText)
            giveParagraphEndItsOwnFont(text);
    }

    if (display != TEHTMLElementDisplayStyle::Block || text.length() == 0)
        return;
    const bool isList = hasName("ol") || hasName("ul");
    const std::u16string& characters = text.string();
    // The last paragraph: after the last line feed that is not the final character.
    const std::size_t previousBreak =
        characters.size() >= 2 ? characters.find_last_of(u'\n', characters.size() - 2) : std::u16string::npos;
    const std::size_t start = previousBreak == std::u16string::npos ? 0 : previousBreak + 1;
    const Range lastParagraph{start, characters.size() - start};

    if (isInsideList()) {
        if (isList)
            text.addAttribute(TEListSublevelEndMarker, StringValue::make(std::u16string(TEListEndMarkerValue)),
                              lastParagraph);
        return;
    }
    const double spacing = m_paragraphStyle.paragraphSpacing();
    std::vector<std::pair<Range, PlatformParagraphStyle>> raised;
    // Without a call through a std::function per run: every block of a page
    // ends here.
    text.forEachRun(lastParagraph, [&](const AttributeDictionaryPtr& attributes, Range range) {
        const auto* style = attributes ? attributes->valueForKeyAs<ParagraphStyleValue>(kCTParagraphStyleAttributeName)
                                       : nullptr;
        if (!style || style->style().paragraphSpacing() >= spacing)
            return;
        PlatformParagraphStyle::Settings settings = style->style().settings();
        settings.paragraphSpacing = spacing;
        raised.emplace_back(range, PlatformParagraphStyle(settings));
    });
    for (auto& [range, style] : raised)
        text.addAttribute(kCTParagraphStyleAttributeName, ParagraphStyleValue::make(std::move(style)), range);
    if (isList)
        text.addAttribute(TEListEndMarker, StringValue::make(std::u16string(TEListEndMarkerValue)), lastParagraph);
}

} // namespace folio
