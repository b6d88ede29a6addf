// The CSS half of TEHTMLElement: how a resolved style dictionary changes the
// element's text style. Kept apart from the tree and output half for size.

#include "engine/css/ColorHTML.h"
#include "engine/html/HTMLString.h"
#include "engine/dom/TEHTMLElement.h"
#include "engine/model/TETextBlock.h"
#include "platform/foundation/CharacterSet.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/Unicode.h"

#include <algorithm>
#include <unordered_map>

namespace folio {

namespace {

// The first-line indent is kept in centimetres, the unit the RTF reader and
// writer and the page's own "cm" use; other CSS lengths are converted.
double centimetresOfFirstLineIndent(std::u16string_view indent, double pointSize)
{
    const double value = floatValue(std::u16string(indent));
    auto endsWith = [indent](std::u16string_view unit) { return indent.size() >= unit.size() && indent.ends_with(unit); };
    if (endsWith(u"mm"))
        return value / 10;
    if (endsWith(u"in"))
        return value * 2.54;
    if (endsWith(u"pt"))
        return value * 2.54 / 72;
    if (endsWith(u"px"))
        return value * 2.54 / 96;
    if (endsWith(u"em"))
        return value * pointSize * 2.54 / 72;
    return value;
}

} // namespace

namespace {

std::u16string lowercased(const CSSStyleDictionary& styles, std::string_view name)
{
    return lowercaseString(styles.stringForKey(name).value_or(std::u16string()));
}

constexpr double kMinimumPointSize = 4;
constexpr double kFontSizeOffset = TEFontDescriptor::FONTSIZEOFFSET;
// "larger" and "smaller" step by 1.2 held in single precision, as sizes always were.
constexpr double kFontSizeStep = static_cast<double>(1.2f);
// The font class of script faces, in the top four bits of the symbolic traits.
constexpr std::uint32_t kScriptsStylisticClass = 0xA0000000u;

// The descriptor's setter rounds to whole points; CSS sizes keep their fraction.
void setExactPointSize(TEFontDescriptor& descriptor, double size)
{
    TEFontAttributes attributes;
    attributes.size = size - kFontSizeOffset;
    descriptor.setFontAttributes(attributes);
}

std::optional<double> fontSizeKeyword(std::u16string_view value)
{
    static const std::unordered_map<std::u16string_view, double> kSizes = {
        {u"xx-small", 9}, {u"x-small", 10}, {u"small", 13},    {u"medium", 16},
        {u"large", 18},   {u"x-large", 24}, {u"xx-large", 32}, {u"-webkit-xxx-large", 48},
    };
    auto found = kSizes.find(value);
    return found == kSizes.end() ? std::nullopt : std::optional<double>(found->second);
}

// The family names of a "font-family" value, in order.
std::vector<std::u16string> familyNames(const CSSValue& value)
{
    if (const auto* list = std::get_if<std::vector<std::u16string>>(&value))
        return *list;
    return {std::get<std::u16string>(value)};
}

bool containsName(const std::vector<std::u16string>& names, std::u16string_view name)
{
    return std::find(names.begin(), names.end(), name) != names.end();
}

// Edge insets from properties named with the prefix: the shorthand sets every
// side, longhands one side each. Answers whether any property matched.
bool parseEdgeInsets(const CSSStyleDictionary& styles, std::string_view prefix, WritingDirection direction,
                     double pointSize, double textScale, TEEdgeInsets& insets)
{
    const bool webkit = hasPrefix(prefix, "-webkit");
    const bool rightToLeft = direction == WritingDirection::RightToLeft;
    bool matched = false;
    for (const auto& [name, value] : styles) {
        if (!hasPrefix(std::string_view(name), prefix))
            continue;
        const std::u16string text = cssValueText(value);
        auto measure = [&] { return pixelSizeOfCSSMeasureRelativeToCurrentTextSize(text, pointSize, textScale); };
        if (name.find('-') == std::string::npos) {
            insets = TEEdgeInsetsRelativeToCurrentTextSize(text, pointSize, textScale);
            matched = true;
            continue;
        }
        const std::string_view leftSuffix = webkit ? (rightToLeft ? "-end" : "-start") : "-left";
        const std::string_view rightSuffix = webkit ? (rightToLeft ? "-start" : "-end") : "-right";
        const std::string_view topSuffix = webkit ? "-before" : "-top";
        const std::string_view bottomSuffix = webkit ? "-after" : "-bottom";
        if (hasSuffix(std::string_view(name), leftSuffix))
            insets.left = measure();
        else if (hasSuffix(std::string_view(name), bottomSuffix))
            insets.bottom = measure();
        else if (hasSuffix(std::string_view(name), rightSuffix))
            insets.right = measure();
        else if (hasSuffix(std::string_view(name), topSuffix))
            insets.top = measure();
        else
            continue;
        matched = true;
    }
    return matched;
}

bool anyNameContains(const CSSStyleDictionary& styles, std::string_view part)
{
    return std::any_of(styles.begin(), styles.end(),
                       [part](const auto& entry) { return entry.first.find(part) != std::string::npos; });
}

} // namespace

void TEHTMLElement::applyStyleDictionary(const CSSStyleDictionary& styles)
{
    if (styles.isEmpty())
        return;
    m_styles = styles;
    auto measure = [this](std::u16string_view text) {
        return pixelSizeOfCSSMeasureRelativeToCurrentTextSize(text, m_fontDescriptor.pointSize(), m_textScale);
    };

    if (auto direction = styles.stringForKey("direction")) {
        if (*direction == u"rtl")
            m_paragraphStyle.setBaseWritingDirection(WritingDirection::RightToLeft);
        else if (*direction == u"ltr")
            m_paragraphStyle.setBaseWritingDirection(WritingDirection::LeftToRight);
        else if (*direction == u"auto")
            m_paragraphStyle.setBaseWritingDirection(WritingDirection::Natural);
    }

    if (auto content = styles.stringForKey("before:content"))
        m_beforeContent = stringByDecodingCSSContentAttribute(*content);

    if (auto fontSize = styles.stringForKey("font-size")) {
        double size = m_fontDescriptor.pointSize();
        if (*fontSize == u"smaller") {
            size /= kFontSizeStep;
        } else if (*fontSize == u"larger") {
            size *= kFontSizeStep;
        } else if (auto keyword = fontSizeKeyword(*fontSize)) {
            size = m_textScale * *keyword;
        } else if (*fontSize == u"inherit") {
            if (const TEHTMLElement* parent = parentElement())
                size = parent->m_fontDescriptor.pointSize();
        } else if (isCSSLengthValue(*fontSize)) {
            size = pixelSizeOfCSSMeasureRelativeToCurrentTextSize(*fontSize, currentTextSize(), m_textScale);
        }
        m_fontSizeOffset = TEFontDescriptor::FONTSIZEOFFSET;
        size -= kFontSizeOffset;
        if (size < kMinimumPointSize)
            size += kMinimumPointSize;
        setExactPointSize(m_fontDescriptor, size);
    }

    if (auto color = styles.stringForKey("color"))
        setTextColor(colorWithHTMLName(std::u16string_view(*color)));

    if (auto background = styles.stringForKey("background-color")) {
        // The editor's own highlight colours (find, selection) are not content.
        static const std::vector<std::u16string> kIgnored = {u"transparent", u"#ffbd4b", u"rgb(255, 189, 75)",
                                                             u"rgb(202, 222, 238)", u"#cadeee"};
        if (!containsName(kIgnored, *background))
            m_backgroundColor = colorWithHTMLName(std::u16string_view(*background));
    }

    if (auto floatValueText = styles.stringForKey("float")) {
        if (*floatValueText == u"left")
            m_floatStyle = TEHTMLElementFloatStyle::Left;
        else if (*floatValueText == u"right")
            m_floatStyle = TEHTMLElementFloatStyle::Right;
        else if (*floatValueText == u"none")
            m_floatStyle = TEHTMLElementFloatStyle::None;
    }

    if (const CSSValue* family = styles.valueForKey("font-family"))
        applyFontFamily(familyNames(*family));

    if (styles.contains("font-style")) {
        const std::u16string style = lowercased(styles, "font-style");
        m_fontDescriptor.setFontName(std::nullopt);
        if (style == u"normal")
            m_fontDescriptor.setItalicTrait(false);
        else if (style == u"italic" || style == u"oblique")
            m_fontDescriptor.setItalicTrait(true);
    }

    if (styles.contains("font-weight")) {
        const std::u16string weight = lowercased(styles, "font-weight");
        m_fontDescriptor.setFontName(std::nullopt);
        if (weight == u"normal" || weight == u"lighter")
            m_fontDescriptor.setBoldTrait(false);
        else if (weight == u"bold" || weight == u"bolder")
            m_fontDescriptor.setBoldTrait(true);
        else
            m_fontDescriptor.setBoldTrait(intValue(weight) >= 601);
    }

    if (styles.contains("text-decoration")) {
        const std::u16string decoration = lowercased(styles, "text-decoration");
        if (decoration == u"underline") {
            m_underlineStyle = 1;
        } else if (decoration == u"line-through") {
            m_strikeOut = true;
        } else if (decoration == u"none") {
            m_underlineStyle = 0;
            m_strikeOut = false;
        } else if (decoration == u"overline") {
            TELog(TELogLevelInfo, "Note: 'overline' text decoration not supported");
        } else if (decoration == u"blink") {
            TELog(TELogLevelInfo, "Note: 'blink' text decoration not supported");
        }
    }

    if (styles.contains("text-align")) {
        const std::u16string align = lowercased(styles, "text-align");
        if (align == u"left")
            m_paragraphStyle.setAlignment(TextAlignment::Left);
        else if (align == u"right")
            m_paragraphStyle.setAlignment(TextAlignment::Right);
        else if (align == u"center")
            m_paragraphStyle.setAlignment(TextAlignment::Center);
        else if (align == u"justify")
            m_paragraphStyle.setAlignment(TextAlignment::Justified);
    }

    if (styles.contains("vertical-align")) {
        const std::u16string align = lowercased(styles, "vertical-align");
        if (align == u"sub")
            m_superscriptStyle = -1;
        else if (align == u"super")
            m_superscriptStyle = 1;
        else if (align == u"baseline")
            m_superscriptStyle = 0;
        else if (align == u"text-top")
            m_textAttachmentAlignment = TEVerticalAlignment::Top;
        else if (align == u"middle")
            m_textAttachmentAlignment = TEVerticalAlignment::Center;
        else if (align == u"text-bottom")
            m_textAttachmentAlignment = TEVerticalAlignment::Bottom;
    }

    if (styles.contains("letter-spacing")) {
        const std::u16string spacing = lowercased(styles, "letter-spacing");
        if (spacing == u"normal")
            m_letterSpacing = 0;
        else if (spacing != u"inherit")
            m_letterSpacing = measure(spacing);
    }

    if (m_textAttachment)
        m_textAttachment->setVerticalAlignment(m_textAttachmentAlignment);

    if (auto shadow = styles.stringForKey("text-shadow")) {
        auto shadows = arrayOfCSSShadowsWithCurrentTextSize(*shadow, m_fontDescriptor.pointSize(),
                                                            m_textColor.value_or(Color()));
        m_shadows = shadows.value_or(std::vector<CSSShadow>());
    }

    if (styles.contains("line-height")) {
        const std::u16string lineHeight = lowercased(styles, "line-height");
        if (lineHeight == u"normal") {
            m_paragraphStyle.setParagraphLineSpacing(1.0);
            m_paragraphStyle.setLineHeightMultiple(0);
            m_paragraphStyle.setMinimumLineHeight(0);
            m_paragraphStyle.setMaximumLineHeight(0);
        } else if (lineHeight != u"inherit") {
            m_paragraphStyle.setParagraphLineSpacing(floatValue(lineHeight));
        }
    }

    if (styles.contains("text-indent")) {
        const std::u16string indent = lowercased(styles, "text-indent");
        if (indent == u"normal")
            m_paragraphStyle.setFirstLineHeadIndent(0);
        else if (!indent.empty() && isNumeric(indent))
            m_paragraphStyle.setFirstLineHeadIndent(floatValue(indent));
        else if (indent != u"inherit")
            m_paragraphStyle.setFirstLineHeadIndent(centimetresOfFirstLineIndent(indent, m_fontDescriptor.pointSize()));
    }

    auto marginBottom = styles.stringForKey("margin-bottom");
    if (!marginBottom)
        marginBottom = styles.stringForKey("-webkit-margin-after");
    if (marginBottom)
        m_paragraphStyle.setParagraphSpacing(measure(*marginBottom));
    if (auto marginTop = styles.stringForKey("margin-top"))
        m_paragraphStyle.setParagraphSpacingBefore(measure(*marginTop));
    if (auto marginLeft = styles.stringForKey("margin-left"))
        m_paragraphStyle.setHeadIndent(measure(*marginLeft));

    if (styles.contains("font-variant")) {
        const std::u16string variant = lowercased(styles, "font-variant");
        m_fontVariant = variant == u"small-caps" ? TEHTMLElementFontVariant::SmallCaps
                        : variant == u"inherit"  ? TEHTMLElementFontVariant::Inherit
                                                 : TEHTMLElementFontVariant::Normal;
    }

    if (auto width = styles.stringForKey("width"); width && *width != u"auto")
        m_size.width = measure(*width);
    if (auto height = styles.stringForKey("height"); height && *height != u"auto")
        m_size.height = measure(*height);

    // Line feeds in text are never kept, whatever "white-space" says.
    if (styles.contains("white-space"))
        m_preserveNewlines = false;

    if (styles.contains("display")) {
        const std::u16string display = lowercased(styles, "display");
        if (display == u"none")
            m_displayStyle = TEHTMLElementDisplayStyle::None;
        else if (display == u"block")
            m_displayStyle = TEHTMLElementDisplayStyle::Block;
        else if (display == u"inline")
            m_displayStyle = TEHTMLElementDisplayStyle::Inline;
        else if (display == u"list-item")
            m_displayStyle = TEHTMLElementDisplayStyle::ListItem;
        else if (display == u"table")
            m_displayStyle = TEHTMLElementDisplayStyle::Table;
    }

    if (auto borderColor = styles.stringForKey("border-color"))
        m_backgroundStrokeColor = colorWithHTMLName(std::u16string_view(*borderColor));
    m_backgroundStrokeWidth = floatValue(styles.stringForKey("border-width").value_or(std::u16string()));
    m_backgroundCornerRadius = floatValue(styles.stringForKey("border-radius").value_or(std::u16string()));

    bool needsTextBlock = m_backgroundColor || m_backgroundStrokeColor || m_backgroundCornerRadius > 0 ||
                          m_backgroundStrokeWidth > 0;

    const WritingDirection direction = m_paragraphStyle.baseWritingDirection();
    const double pointSize = m_fontDescriptor.pointSize();
    if (anyNameContains(styles, "-webkit-margin"))
        parseEdgeInsets(styles, "-webkit-margin", direction, pointSize, m_textScale, m_margins);
    if (anyNameContains(styles, "margin"))
        parseEdgeInsets(styles, "margin", direction, pointSize, m_textScale, m_margins);

    bool foundPadding = false;
    if (anyNameContains(styles, "-webkit-padding"))
        foundPadding |= parseEdgeInsets(styles, "-webkit-padding", direction, pointSize, m_textScale, m_padding);
    if (anyNameContains(styles, "padding"))
        foundPadding |= parseEdgeInsets(styles, "padding", direction, pointSize, m_textScale, m_padding);
    if (foundPadding) {
        if (name() == "ul" || name() == "ol") {
            // A list's left padding is where its markers hang.
            m_listIndent = m_padding.left;
            m_padding.left = 0;
        } else if (m_padding.left > 0) {
            needsTextBlock = true;
        }
        if (m_padding.top > 0 || m_padding.right > 0 || m_padding.bottom > 0)
            needsTextBlock = true;
    }

    if (m_displayStyle == TEHTMLElementDisplayStyle::ListItem) {
        m_paragraphStyle.setParagraphSpacing(m_margins.bottom);
    } else if (m_displayStyle == TEHTMLElementDisplayStyle::Block && needsTextBlock) {
        TEParagraphStyle::TextBlocks blocks = m_paragraphStyle.textBlocks();
        blocks.push_back(TETextBlock::make(m_padding, m_backgroundColor));
        m_paragraphStyle.setTextBlocks(std::move(blocks));
        // The block paints the background.
        m_backgroundColor.reset();
    }

    if (auto fontName = styles.stringForKey("-coretext-fontname"))
        m_fontDescriptor.setFontName(toUtf8(*fontName));
}

void TEHTMLElement::applyFontFamily(const std::vector<std::u16string>& names)
{
    for (const std::u16string& name16 : names) {
        const std::string name = toUtf8(name16);
        m_fontDescriptor.setFontFamily(name);
        const std::optional<Font> font = m_fontDescriptor.newMatchingFont();
        if (!font)
            continue;
        if (font->familyName() == name)
            return;

        std::u16string compact;
        for (char16_t c : lowercaseString(name16)) {
            if (!CharacterSet::whitespaceAndNewlineCharacterSet().characterIsMember(c))
                compact += c;
        }
        const std::vector<std::u16string> generic = componentsSeparatedByString(compact, u",");
        if (containsName(generic, u"geneva")) {
            m_fontDescriptor.setFontFamily(std::string("Helvetica"));
        } else if (containsName(generic, u"cursive")) {
            m_fontDescriptor.setStylisticClass(kScriptsStylisticClass);
            m_fontDescriptor.setFontFamily(std::nullopt);
        } else if (containsName(generic, u"sans-serif")) {
            m_fontDescriptor.setFontFamily(std::string("Helvetica"));
        } else if (containsName(generic, u"serif")) {
            m_fontDescriptor.setFontFamily(std::string("Times New Roman"));
        } else if (containsName(generic, u"fantasy")) {
            m_fontDescriptor.setFontFamily(std::string("Papyrus"));
        } else if (containsName(generic, u"monospace")) {
            m_fontDescriptor.setMonospaceTrait(true);
            m_fontDescriptor.setFontFamily(std::string("Courier"));
        } else if (containsName(generic, u"times")) {
            m_fontDescriptor.setFontFamily(std::string("Times New Roman"));
        } else if (compact == u"inherit") {
            const TEHTMLElement* parent = parentElement();
            m_fontDescriptor.setFontFamily(parent ? parent->m_fontDescriptor.fontFamily() : std::nullopt);
        } else {
            continue;
        }
        return;
    }
    // No name settled it: the first name stays the family.
    if (!names.empty())
        m_fontDescriptor.setFontFamily(toUtf8(names.front()));
}

} // namespace folio
