// The CSS half of TEHTMLElement: how a resolved style dictionary changes the
// element's text style. Kept apart from the tree and output half for size.

#include "engine/css/ColorHTML.h"
#include "engine/html/HTMLString.h"
#include "engine/dom/TEHTMLElement.h"
#include "engine/model/TEFormattingKey.h"
#include "engine/model/TETextBlock.h"
#include "platform/foundation/CharacterSet.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/Unicode.h"

#include <algorithm>
#include <cmath>
#include <array>
#include <cstring>
#include <span>
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

// The family names of a "font-family" value, in order, as they stand in it.
std::span<const std::u16string> familyNames(const CSSValue& value)
{
    if (const auto* list = std::get_if<std::vector<std::u16string>>(&value))
        return *list;
    return {&std::get<std::u16string>(value), 1};
}

// The colour a CSS value names. A page names the same few colours on
// thousands of elements: each text is read once.
std::optional<Color> knownColor(const std::u16string& value)
{
    constexpr std::size_t kMostKept = 256;
    thread_local std::unordered_map<std::u16string, std::optional<Color>> known;
    if (auto found = known.find(value); found != known.end())
        return found->second;
    if (known.size() >= kMostKept)
        known.clear();
    return known.emplace(value, colorWithHTMLName(std::u16string_view(value))).first->second;
}

bool containsName(std::span<const std::u16string> names, std::u16string_view name)
{
    return std::find(names.begin(), names.end(), name) != names.end();
}

// The sides that properties named with a prefix set, each to the value the
// last of them gave it: the shorthand sets every side, longhands one side each.
struct EdgeInsetsSet {
    bool matched = false;
    std::optional<double> top, left, bottom, right;

    void applyTo(TEEdgeInsets& insets) const
    {
        if (top)
            insets.top = *top;
        if (left)
            insets.left = *left;
        if (bottom)
            insets.bottom = *bottom;
        if (right)
            insets.right = *right;
    }
};

EdgeInsetsSet edgeInsetsSet(const CSSStyleDictionary& styles, std::string_view prefix, WritingDirection direction,
                            double pointSize, double textScale)
{
    const bool webkit = prefix.starts_with("-webkit");
    const bool rightToLeft = direction == WritingDirection::RightToLeft;
    EdgeInsetsSet set;
    for (const auto& [name, value] : styles) {
        if (!std::string_view(name).starts_with(prefix))
            continue;
        // A single value is read where it stands; only a list is joined.
        std::u16string joined;
        const auto* single = std::get_if<std::u16string>(&value);
        if (!single)
            joined = cssValueText(value);
        const std::u16string_view text = single ? std::u16string_view(*single) : std::u16string_view(joined);
        auto measure = [&] { return pixelSizeOfCSSMeasureRelativeToCurrentTextSize(text, pointSize, textScale); };
        if (name.find('-') == std::string::npos) {
            const TEEdgeInsets all = TEEdgeInsetsRelativeToCurrentTextSize(text, pointSize, textScale);
            set.top = all.top;
            set.left = all.left;
            set.bottom = all.bottom;
            set.right = all.right;
            set.matched = true;
            continue;
        }
        const std::string_view leftSuffix = webkit ? (rightToLeft ? "-end" : "-start") : "-left";
        const std::string_view rightSuffix = webkit ? (rightToLeft ? "-start" : "-end") : "-right";
        const std::string_view topSuffix = webkit ? "-before" : "-top";
        const std::string_view bottomSuffix = webkit ? "-after" : "-bottom";
        if (std::string_view(name).ends_with(leftSuffix))
            set.left = measure();
        else if (std::string_view(name).ends_with(bottomSuffix))
            set.bottom = measure();
        else if (std::string_view(name).ends_with(rightSuffix))
            set.right = measure();
        else if (std::string_view(name).ends_with(topSuffix))
            set.top = measure();
        else
            continue;
        set.matched = true;
    }
    return set;
}

} // namespace

// One function per CSS property, each given the property's value (lower-cased
// where the property's keywords are matched without regard to case).
struct TEHTMLElementStyleHandlers {
    static double measure(const TEHTMLElement& element, std::u16string_view text)
    {
        return pixelSizeOfCSSMeasureRelativeToCurrentTextSize(text, element.m_fontDescriptor.pointSize(),
                                                              element.m_textScale);
    }

    static void direction(TEHTMLElement& element, const CSSStyleDictionary&, const std::u16string& value)
    {
        if (value == u"rtl")
            element.m_paragraphStyle.setBaseWritingDirection(WritingDirection::RightToLeft);
        else if (value == u"ltr")
            element.m_paragraphStyle.setBaseWritingDirection(WritingDirection::LeftToRight);
        else if (value == u"auto")
            element.m_paragraphStyle.setBaseWritingDirection(WritingDirection::Natural);
    }

    static void beforeContent(TEHTMLElement& element, const CSSStyleDictionary&, const std::u16string& value)
    {
        element.m_beforeContent = stringByDecodingCSSContentAttribute(value);
    }

    static void fontSize(TEHTMLElement& element, const CSSStyleDictionary&, const std::u16string& value)
    {
        double size = element.m_fontDescriptor.pointSize();
        if (value == u"smaller") {
            size /= kFontSizeStep;
        } else if (value == u"larger") {
            size *= kFontSizeStep;
        } else if (auto keyword = fontSizeKeyword(value)) {
            size = element.m_textScale * *keyword;
        } else if (value == u"inherit") {
            if (const TEHTMLElement* parent = element.parentElement())
                size = parent->m_fontDescriptor.pointSize();
        } else if (isCSSLengthValue(value)) {
            size = pixelSizeOfCSSMeasureRelativeToCurrentTextSize(value, element.currentTextSize(), element.m_textScale);
        }
        element.m_fontSizeOffset = TEFontDescriptor::FONTSIZEOFFSET;
        size -= kFontSizeOffset;
        if (size < kMinimumPointSize)
            size += kMinimumPointSize;
        setExactPointSize(element.m_fontDescriptor, size);
    }

    static void color(TEHTMLElement& element, const CSSStyleDictionary&, const std::u16string& value)
    {
        element.setTextColor(knownColor(value));
    }

    static void backgroundColor(TEHTMLElement& element, const CSSStyleDictionary&, const std::u16string& value)
    {
        // The editor's own highlight colours (find, selection) are not content.
        static const std::vector<std::u16string> kIgnored = {u"transparent", u"#ffbd4b", u"rgb(255, 189, 75)",
                                                             u"rgb(202, 222, 238)", u"#cadeee"};
        if (!containsName(kIgnored, value))
            element.m_backgroundColor = knownColor(value);
    }

    static void floatStyle(TEHTMLElement& element, const CSSStyleDictionary&, const std::u16string& value)
    {
        if (value == u"left")
            element.m_floatStyle = TEHTMLElementFloatStyle::Left;
        else if (value == u"right")
            element.m_floatStyle = TEHTMLElementFloatStyle::Right;
        else if (value == u"none")
            element.m_floatStyle = TEHTMLElementFloatStyle::None;
    }

    // The family list is read from the dictionary: it may be a list of names.
    static void fontFamily(TEHTMLElement& element, const CSSStyleDictionary& styles, const std::u16string&)
    {
        if (const CSSValue* family = styles.valueForKey("font-family"))
            element.applyFontFamily(familyNames(*family));
    }

    static void fontStyle(TEHTMLElement& element, const CSSStyleDictionary&, const std::u16string& value)
    {
        element.m_fontDescriptor.setFontName(std::nullopt);
        if (value == u"normal")
            element.m_fontDescriptor.setItalicTrait(false);
        else if (value == u"italic" || value == u"oblique")
            element.m_fontDescriptor.setItalicTrait(true);
    }

    static void fontWeight(TEHTMLElement& element, const CSSStyleDictionary&, const std::u16string& value)
    {
        element.m_fontDescriptor.setFontName(std::nullopt);
        if (value == u"normal" || value == u"lighter")
            element.m_fontDescriptor.setBoldTrait(false);
        else if (value == u"bold" || value == u"bolder")
            element.m_fontDescriptor.setBoldTrait(true);
        else
            element.m_fontDescriptor.setBoldTrait(intValue(value) >= 601);
    }

    static void textDecoration(TEHTMLElement& element, const CSSStyleDictionary& style, const std::u16string& value)
    {
        // Text both underlined and struck names both lines.
        if (value.find(u' ') != std::u16string::npos) {
            for (const std::u16string& word : componentsSeparatedByString(std::u16string_view(value), u" ")) {
                if (!word.empty())
                    textDecoration(element, style, word);
            }
            return;
        }
        if (value == u"underline") {
            element.m_underlineStyle = 1;
        } else if (value == u"line-through") {
            element.m_strikeOut = true;
        } else if (value == u"none") {
            element.m_underlineStyle = 0;
            element.m_strikeOut = false;
        } else if (value == u"overline") {
            TELog(TELogLevelInfo, "Note: 'overline' text decoration not supported");
        } else if (value == u"blink") {
            TELog(TELogLevelInfo, "Note: 'blink' text decoration not supported");
        }
    }

    // The line of an underline, in the text system's underline styles:
    // double, or a dotted, dashed or wavy (0x500) single or thick line.
    static void textDecorationStyle(TEHTMLElement& element, const CSSStyleDictionary&, const std::u16string& value)
    {
        if ((element.m_underlineStyle & 0xFF) == 0)
            return;
        const int weight = (element.m_underlineStyle & 0xFF) == 2 ? 2 : 1;
        if (value == u"double")
            element.m_underlineStyle = 9;
        else if (value == u"dotted")
            element.m_underlineStyle = 0x100 | weight;
        else if (value == u"dashed")
            element.m_underlineStyle = 0x200 | weight;
        else if (value == u"wavy")
            element.m_underlineStyle = 0x500 | weight;
        else if (value == u"solid")
            element.m_underlineStyle = weight;
    }

    // A thick underline (the text system's 2) is drawn twice as heavy as
    // the font's own.
    static void textDecorationThickness(TEHTMLElement& element, const CSSStyleDictionary&, const std::u16string& value)
    {
        const int line = element.m_underlineStyle & 0xFF;
        if ((line != 1 && line != 2) || value == u"auto" || value == u"from-font" || value == u"inherit")
            return;
        element.m_underlineStyle = (element.m_underlineStyle & ~0xFF) | (measure(element, value) > 1 ? 2 : 1);
    }

    static void textAlign(TEHTMLElement& element, const CSSStyleDictionary&, const std::u16string& value)
    {
        if (value == u"left")
            element.m_paragraphStyle.setAlignment(TextAlignment::Left);
        else if (value == u"right")
            element.m_paragraphStyle.setAlignment(TextAlignment::Right);
        else if (value == u"center")
            element.m_paragraphStyle.setAlignment(TextAlignment::Center);
        else if (value == u"justify")
            element.m_paragraphStyle.setAlignment(TextAlignment::Justified);
    }

    static void verticalAlign(TEHTMLElement& element, const CSSStyleDictionary&, const std::u16string& value)
    {
        if (value == u"sub")
            element.m_superscriptStyle = -1;
        else if (value == u"super")
            element.m_superscriptStyle = 1;
        else if (value == u"baseline")
            element.m_superscriptStyle = 0;
        else if (value == u"text-top")
            element.m_textAttachmentAlignment = TEVerticalAlignment::Top;
        else if (value == u"middle")
            element.m_textAttachmentAlignment = TEVerticalAlignment::Center;
        else if (value == u"text-bottom")
            element.m_textAttachmentAlignment = TEVerticalAlignment::Bottom;
    }

    static void letterSpacing(TEHTMLElement& element, const CSSStyleDictionary&, const std::u16string& value)
    {
        if (value == u"normal")
            element.m_letterSpacing = 0;
        else if (value != u"inherit")
            element.m_letterSpacing = measure(element, value);
    }

    static void textShadow(TEHTMLElement& element, const CSSStyleDictionary&, const std::u16string& value)
    {
        auto shadows = arrayOfCSSShadowsWithCurrentTextSize(value, element.m_fontDescriptor.pointSize(),
                                                            element.m_textColor.value_or(Color()));
        element.m_shadows = shadows.value_or(std::vector<CSSShadow>());
    }

    // A letter stroke in a colour of its own.
    static void textStrokeColor(TEHTMLElement& element, const CSSStyleDictionary&, const std::u16string& value)
    {
        if (value != u"inherit")
            element.changedMarks().character.strokeColor = value == u"currentcolor" ? std::nullopt : knownColor(value);
    }

    // An underline in a colour of its own.
    static void textDecorationColor(TEHTMLElement& element, const CSSStyleDictionary&, const std::u16string& value)
    {
        if (value != u"inherit")
            element.changedMarks().character.underlineColor = value == u"currentcolor" ? std::nullopt : knownColor(value);
    }

    // Capitals shown over the letters as typed.
    static void textTransform(TEHTMLElement& element, const CSSStyleDictionary&, const std::u16string& value)
    {
        if (value != u"inherit")
            element.changedMarks().character.capitals = value == u"uppercase";
    }

    // Letters drawn as outlines.
    static void textStrokeWidth(TEHTMLElement& element, const CSSStyleDictionary&, const std::u16string& value)
    {
        if (value != u"inherit")
            element.changedMarks().character.outline = measure(element, value) > 0;
    }

    static void lineHeight(TEHTMLElement& element, const CSSStyleDictionary&, const std::u16string& value)
    {
        if (value == u"normal") {
            element.m_paragraphStyle.setParagraphLineSpacing(1.0);
            element.m_paragraphStyle.setLineHeightMultiple(0);
            element.m_paragraphStyle.setMinimumLineHeight(0);
            element.m_paragraphStyle.setMaximumLineHeight(0);
        } else if (value.ends_with(u"px") || value.ends_with(u"pt")) {
            // A length is the height of every line: exact, unless the page
            // marked it as a least height that taller letters go past. The
            // page keeps the height in points beside the one it shows.
            const std::u16string* points = element.attributeForKey("data-line-height");
            double height = points && floatValue(*points) > 0 ? floatValue(*points) : measure(element, value);
            if (!(height > 0) || !std::isfinite(height))
                return;
            // No line is taller than the largest paper word processors offer.
            constexpr double kTallestLine = 22 * 72;
            height = std::min(height, kTallestLine);
            element.m_paragraphStyle.setParagraphLineSpacing(1.0);
            element.m_paragraphStyle.setLineHeightMultiple(0);
            element.m_paragraphStyle.setMinimumLineHeight(height);
            element.m_paragraphStyle.setMaximumLineHeight(element.attributeForKey("data-least-line-height") ? 0 : height);
        } else if (value != u"inherit") {
            const double lines = floatValue(value);
            element.m_paragraphStyle.setParagraphLineSpacing(value.ends_with(u'%') ? lines / 100 : lines);
            element.m_paragraphStyle.setMinimumLineHeight(0);
            element.m_paragraphStyle.setMaximumLineHeight(0);
        }
    }

    static void textIndent(TEHTMLElement& element, const CSSStyleDictionary&, const std::u16string& value)
    {
        if (value == u"normal")
            element.m_paragraphStyle.setFirstLineHeadIndent(0);
        else if (!value.empty() && isNumeric(value))
            element.m_paragraphStyle.setFirstLineHeadIndent(floatValue(value));
        else if (value != u"inherit")
            element.m_paragraphStyle.setFirstLineHeadIndent(
                centimetresOfFirstLineIndent(value, element.m_fontDescriptor.pointSize()));
    }

    static void marginBottom(TEHTMLElement& element, const CSSStyleDictionary&, const std::u16string& value)
    {
        element.m_paragraphStyle.setParagraphSpacing(measure(element, value));
    }

    static void marginTop(TEHTMLElement& element, const CSSStyleDictionary&, const std::u16string& value)
    {
        element.m_paragraphStyle.setParagraphSpacingBefore(measure(element, value));
    }

    static void marginLeft(TEHTMLElement& element, const CSSStyleDictionary&, const std::u16string& value)
    {
        element.m_paragraphStyle.setHeadIndent(measure(element, value));
    }

    // The page's right margin is the paragraph's right indent, kept as a
    // tail indent back from the right edge (negative).
    static void marginRight(TEHTMLElement& element, const CSSStyleDictionary&, const std::u16string& value)
    {
        element.m_paragraphStyle.setTailIndent(-measure(element, value));
    }

    // "avoid" and its page and column forms keep; anything else does not.
    static void breakAfter(TEHTMLElement& element, const CSSStyleDictionary&, const std::u16string& value)
    {
        element.m_paragraphStyle.setKeepWithNext(value.starts_with(u"avoid"));
    }

    static void breakInside(TEHTMLElement& element, const CSSStyleDictionary&, const std::u16string& value)
    {
        element.m_paragraphStyle.setKeepTogether(value.starts_with(u"avoid"));
    }

    // Fewer than two lines alone at a page's foot or head is no widow control.
    static void widows(TEHTMLElement& element, const CSSStyleDictionary&, const std::u16string& value)
    {
        if (value != u"inherit")
            element.m_paragraphStyle.setWidowControl(intValue(value) >= 2);
    }

    // Only where the paragraph breaks words at hyphens of its own, or not at
    // all, does it refuse the document's hyphenation.
    static void hyphens(TEHTMLElement& element, const CSSStyleDictionary&, const std::u16string& value)
    {
        if (value != u"inherit")
            element.m_paragraphStyle.setNoHyphenation(value == u"manual" || value == u"none");
    }

    static void fontVariant(TEHTMLElement& element, const CSSStyleDictionary&, const std::u16string& value)
    {
        element.m_fontVariant = value == u"small-caps" ? TEHTMLElementFontVariant::SmallCaps
                                : value == u"inherit"  ? TEHTMLElementFontVariant::Inherit
                                                       : TEHTMLElementFontVariant::Normal;
    }

    static void width(TEHTMLElement& element, const CSSStyleDictionary&, const std::u16string& value)
    {
        if (value != u"auto")
            element.m_size.width = measure(element, value);
    }

    static void height(TEHTMLElement& element, const CSSStyleDictionary&, const std::u16string& value)
    {
        if (value != u"auto")
            element.m_size.height = measure(element, value);
    }

    // Line feeds in text are never kept, whatever "white-space" says.
    static void whiteSpace(TEHTMLElement& element, const CSSStyleDictionary&, const std::u16string&)
    {
        element.m_preserveNewlines = false;
    }

    static void display(TEHTMLElement& element, const CSSStyleDictionary&, const std::u16string& value)
    {
        if (value == u"none")
            element.m_displayStyle = TEHTMLElementDisplayStyle::None;
        else if (value == u"block")
            element.m_displayStyle = TEHTMLElementDisplayStyle::Block;
        else if (value == u"inline")
            element.m_displayStyle = TEHTMLElementDisplayStyle::Inline;
        else if (value == u"list-item")
            element.m_displayStyle = TEHTMLElementDisplayStyle::ListItem;
        else if (value == u"table")
            element.m_displayStyle = TEHTMLElementDisplayStyle::Table;
    }

    static void borderColor(TEHTMLElement& element, const CSSStyleDictionary&, const std::u16string& value)
    {
        element.m_backgroundStrokeColor = colorWithHTMLName(std::u16string_view(value));
    }
};

namespace {

using StyleHandler = void (*)(TEHTMLElement&, const CSSStyleDictionary&, const std::u16string& value);

// How the handler gets the value: as written (a list of values joined with
// ", "), lower-cased, or not at all (the handler reads the dictionary itself).
enum class KeywordCase { AsWritten, Lowered, Unread };

struct StyleProperty {
    // The property, and one that stands in for it when it is absent.
    std::string_view name;
    std::string_view fallbackName;
    KeywordCase keywordCase;
    StyleHandler apply;
};

// In the order they apply: a font size comes before the measures relative
// to it, the text colour before the shadows that default to it.
constexpr StyleProperty kStyleProperties[] = {
    {"direction", {}, KeywordCase::AsWritten, &TEHTMLElementStyleHandlers::direction},
    {"before:content", {}, KeywordCase::AsWritten, &TEHTMLElementStyleHandlers::beforeContent},
    {"font-size", {}, KeywordCase::AsWritten, &TEHTMLElementStyleHandlers::fontSize},
    {"color", {}, KeywordCase::AsWritten, &TEHTMLElementStyleHandlers::color},
    {"background-color", {}, KeywordCase::AsWritten, &TEHTMLElementStyleHandlers::backgroundColor},
    {"float", {}, KeywordCase::AsWritten, &TEHTMLElementStyleHandlers::floatStyle},
    {"font-family", {}, KeywordCase::Unread, &TEHTMLElementStyleHandlers::fontFamily},
    {"font-style", {}, KeywordCase::Lowered, &TEHTMLElementStyleHandlers::fontStyle},
    {"font-weight", {}, KeywordCase::Lowered, &TEHTMLElementStyleHandlers::fontWeight},
    {"text-decoration", {}, KeywordCase::Lowered, &TEHTMLElementStyleHandlers::textDecoration},
    {"text-decoration-style", {}, KeywordCase::Lowered, &TEHTMLElementStyleHandlers::textDecorationStyle},
    {"text-decoration-thickness", {}, KeywordCase::Lowered, &TEHTMLElementStyleHandlers::textDecorationThickness},
    {"text-decoration-color", {}, KeywordCase::Lowered, &TEHTMLElementStyleHandlers::textDecorationColor},
    {"text-align", {}, KeywordCase::Lowered, &TEHTMLElementStyleHandlers::textAlign},
    {"vertical-align", {}, KeywordCase::Lowered, &TEHTMLElementStyleHandlers::verticalAlign},
    {"letter-spacing", {}, KeywordCase::Lowered, &TEHTMLElementStyleHandlers::letterSpacing},
    {"text-shadow", {}, KeywordCase::AsWritten, &TEHTMLElementStyleHandlers::textShadow},
    {"text-transform", {}, KeywordCase::Lowered, &TEHTMLElementStyleHandlers::textTransform},
    {"-webkit-text-stroke-width", {}, KeywordCase::Lowered, &TEHTMLElementStyleHandlers::textStrokeWidth},
    {"-webkit-text-stroke-color", {}, KeywordCase::Lowered, &TEHTMLElementStyleHandlers::textStrokeColor},
    {"line-height", {}, KeywordCase::Lowered, &TEHTMLElementStyleHandlers::lineHeight},
    {"text-indent", {}, KeywordCase::Lowered, &TEHTMLElementStyleHandlers::textIndent},
    {"margin-bottom", "-webkit-margin-after", KeywordCase::AsWritten, &TEHTMLElementStyleHandlers::marginBottom},
    {"margin-top", {}, KeywordCase::AsWritten, &TEHTMLElementStyleHandlers::marginTop},
    {"margin-left", {}, KeywordCase::AsWritten, &TEHTMLElementStyleHandlers::marginLeft},
    {"margin-right", {}, KeywordCase::AsWritten, &TEHTMLElementStyleHandlers::marginRight},
    {"break-after", "page-break-after", KeywordCase::Lowered, &TEHTMLElementStyleHandlers::breakAfter},
    {"break-inside", "page-break-inside", KeywordCase::Lowered, &TEHTMLElementStyleHandlers::breakInside},
    {"widows", {}, KeywordCase::Lowered, &TEHTMLElementStyleHandlers::widows},
    {"hyphens", "-webkit-hyphens", KeywordCase::Lowered, &TEHTMLElementStyleHandlers::hyphens},
    {"font-variant", {}, KeywordCase::Lowered, &TEHTMLElementStyleHandlers::fontVariant},
    {"width", {}, KeywordCase::AsWritten, &TEHTMLElementStyleHandlers::width},
    {"height", {}, KeywordCase::AsWritten, &TEHTMLElementStyleHandlers::height},
    {"white-space", {}, KeywordCase::AsWritten, &TEHTMLElementStyleHandlers::whiteSpace},
    {"display", {}, KeywordCase::Lowered, &TEHTMLElementStyleHandlers::display},
    {"border-color", {}, KeywordCase::AsWritten, &TEHTMLElementStyleHandlers::borderColor},
};
constexpr std::size_t kStylePropertyCount = std::size(kStyleProperties);

// Properties read apart from the table, after its handlers have run.
enum class ExtraProperty : std::size_t { BorderWidth, BorderRadius, CoreTextFontName, Count };

// Where a property name's value goes while an element's styles are read: a
// table property (as itself or as its stand-in) or one of the extras.
struct PropertySlot {
    enum class Kind { Property, Fallback, Extra } kind;
    std::size_t index;
};

const std::unordered_map<std::string_view, PropertySlot>& propertySlots()
{
    static const std::unordered_map<std::string_view, PropertySlot> slots = [] {
        std::unordered_map<std::string_view, PropertySlot> map;
        for (std::size_t index = 0; index < kStylePropertyCount; ++index) {
            map.emplace(kStyleProperties[index].name, PropertySlot{PropertySlot::Kind::Property, index});
            if (!kStyleProperties[index].fallbackName.empty())
                map.emplace(kStyleProperties[index].fallbackName, PropertySlot{PropertySlot::Kind::Fallback, index});
        }
        map.emplace("border-width", PropertySlot{PropertySlot::Kind::Extra, std::size_t(ExtraProperty::BorderWidth)});
        map.emplace("border-radius", PropertySlot{PropertySlot::Kind::Extra, std::size_t(ExtraProperty::BorderRadius)});
        map.emplace("-coretext-fontname",
                    PropertySlot{PropertySlot::Kind::Extra, std::size_t(ExtraProperty::CoreTextFontName)});
        return map;
    }();
    return slots;
}

// The values an element's styles give the table's properties, found in one
// pass over the styles (an element names few of the properties the table
// knows). Where a name occurs twice the first occurrence counts.
struct FoundStyleValues {
    std::array<const CSSValue*, kStylePropertyCount> values{};
    std::array<const CSSValue*, kStylePropertyCount> fallbacks{};
    std::array<const CSSValue*, std::size_t(ExtraProperty::Count)> extras{};

    explicit FoundStyleValues(const CSSStyleDictionary& styles)
    {
        const auto& slots = propertySlots();
        for (const auto& [name, value] : styles) {
            auto found = slots.find(name);
            if (found == slots.end())
                continue;
            const PropertySlot& slot = found->second;
            const CSSValue*& target = slot.kind == PropertySlot::Kind::Property   ? values[slot.index]
                                      : slot.kind == PropertySlot::Kind::Fallback ? fallbacks[slot.index]
                                                                                  : extras[slot.index];
            if (!target)
                target = &value;
        }
    }

    std::optional<std::u16string> extraText(ExtraProperty property) const
    {
        const CSSValue* value = extras[std::size_t(property)];
        return value ? std::optional<std::u16string>(cssValueText(*value)) : std::nullopt;
    }
};

} // namespace

// What the margin and padding properties of one dictionary come to, for each
// writing direction and text size they were read at: a page gives thousands
// of elements the same few margins.
struct TEEdgeInsetsCache {
    struct Entry {
        std::string_view prefix;
        WritingDirection direction;
        double pointSize;
        double textScale;
        EdgeInsetsSet set;
    };
    std::vector<Entry> entries;

    const EdgeInsetsSet& find(const CSSStyleDictionary& styles, std::string_view prefix, WritingDirection direction,
                              double pointSize, double textScale)
    {
        // Sizes are compared as bits, as the key of any other cache here.
        auto same = [](double a, double b) { return std::memcmp(&a, &b, sizeof(double)) == 0; };
        for (const Entry& entry : entries) {
            if (entry.prefix == prefix && entry.direction == direction && same(entry.pointSize, pointSize) &&
                same(entry.textScale, textScale))
                return entry.set;
        }
        // A dictionary met at ever new sizes starts over rather than grow.
        constexpr std::size_t kMostKept = 32;
        if (entries.size() >= kMostKept)
            entries.clear();
        entries.push_back({prefix, direction, pointSize, textScale,
                           edgeInsetsSet(styles, prefix, direction, pointSize, textScale)});
        return entries.back().set;
    }
};

namespace {

// What a style dictionary gives each table property, with the text its
// handler takes, and the extras: a page styles thousands of elements with a
// few hundred shared dictionaries, and each is read once.
struct PreparedStyles {
    std::vector<std::pair<std::size_t, std::u16string>> properties;
    std::u16string borderWidth;
    std::u16string borderRadius;
    std::optional<std::u16string> coreTextFontName;
    // Held so that no other dictionary takes its address while it is known.
    std::shared_ptr<const CSSStyleDictionary> styles;
    // The margins and padding the dictionary gives, by text size.
    mutable TEEdgeInsetsCache edgeInsets;

    explicit PreparedStyles(const CSSStyleDictionary& dictionary)
    {
        const FoundStyleValues found(dictionary);
        for (std::size_t index = 0; index < kStylePropertyCount; ++index) {
            const CSSValue* value = found.values[index] ? found.values[index] : found.fallbacks[index];
            if (!value)
                continue;
            switch (kStyleProperties[index].keywordCase) {
            case KeywordCase::AsWritten:
                properties.emplace_back(index, cssValueText(*value));
                break;
            case KeywordCase::Lowered:
                properties.emplace_back(index, lowercaseString(cssValueText(*value)));
                break;
            case KeywordCase::Unread:
                properties.emplace_back(index, std::u16string());
                break;
            }
        }
        borderWidth = found.extraText(ExtraProperty::BorderWidth).value_or(std::u16string());
        borderRadius = found.extraText(ExtraProperty::BorderRadius).value_or(std::u16string());
        coreTextFontName = found.extraText(ExtraProperty::CoreTextFontName);
    }
};

std::shared_ptr<const PreparedStyles> preparedStyles(const std::shared_ptr<const CSSStyleDictionary>& styles)
{
    constexpr std::size_t kMostKept = 1024;
    thread_local std::unordered_map<const CSSStyleDictionary*, std::shared_ptr<const PreparedStyles>> known;
    if (auto found = known.find(styles.get()); found != known.end())
        return found->second;
    if (known.size() >= kMostKept)
        known.clear();
    auto prepared = std::make_shared<PreparedStyles>(*styles);
    prepared->styles = styles;
    known.emplace(styles.get(), prepared);
    return prepared;
}

} // namespace

void TEHTMLElement::applyStyles(std::shared_ptr<const CSSStyleDictionary> styles)
{
    if (!styles || styles->isEmpty())
        return;
    m_styles = std::move(styles);
    applyStyleDictionary(*m_styles);
}

void TEHTMLElement::applyStyleDictionary(const CSSStyleDictionary& styles)
{
    if (styles.isEmpty())
        return;
    // Shared dictionaries (the style sheet's merged ones) are read once for
    // all the elements they style; any other is read for this element only.
    std::shared_ptr<const PreparedStyles> prepared;
    if (&styles == m_styles.get()) {
        prepared = preparedStyles(m_styles);
    } else {
        m_styles = std::make_shared<const CSSStyleDictionary>(styles);
        prepared = std::make_shared<const PreparedStyles>(styles);
    }
    for (const auto& [index, text] : prepared->properties)
        kStyleProperties[index].apply(*this, styles, text);
    if (m_textAttachment)
        m_textAttachment->setVerticalAlignment(m_textAttachmentAlignment);
    applyBoxStyles(styles, prepared->borderWidth, prepared->borderRadius,
                   &styles == m_styles.get() ? &prepared->edgeInsets : nullptr);
    if (prepared->coreTextFontName)
        m_fontDescriptor.setFontName(toUtf8(*prepared->coreTextFontName));
}

void TEHTMLElement::applyBoxStyles(const CSSStyleDictionary& styles, std::u16string_view borderWidth,
                                   std::u16string_view borderRadius, TEEdgeInsetsCache* edgeInsets)
{
    // Absent widths and radii are zero: a styled element draws no border of its parent's.
    m_backgroundStrokeWidth = borderWidth.empty() ? 0.0 : floatValue(borderWidth);
    m_backgroundCornerRadius = borderRadius.empty() ? 0.0 : floatValue(borderRadius);

    bool needsTextBlock = m_backgroundColor || m_backgroundStrokeColor || m_backgroundCornerRadius > 0 ||
                          m_backgroundStrokeWidth > 0;

    bool hasWebkitMargin = false, hasMargin = false, hasWebkitPadding = false, hasPadding = false;
    for (const auto& entry : styles) {
        const std::string_view name = entry.first;
        hasWebkitMargin |= name.starts_with("-webkit-margin");
        hasMargin |= name.starts_with("margin");
        hasWebkitPadding |= name.starts_with("-webkit-padding");
        hasPadding |= name.starts_with("padding");
    }

    const WritingDirection direction = m_paragraphStyle.baseWritingDirection();
    const double pointSize = m_fontDescriptor.pointSize();
    // Sets the sides the properties of the prefix give; whether any did.
    auto parseEdgeInsets = [&](std::string_view prefix, TEEdgeInsets& insets) {
        if (edgeInsets) {
            const EdgeInsetsSet& set = edgeInsets->find(styles, prefix, direction, pointSize, m_textScale);
            set.applyTo(insets);
            return set.matched;
        }
        const EdgeInsetsSet set = edgeInsetsSet(styles, prefix, direction, pointSize, m_textScale);
        set.applyTo(insets);
        return set.matched;
    };
    if (hasWebkitMargin)
        parseEdgeInsets("-webkit-margin", m_margins);
    if (hasMargin)
        parseEdgeInsets("margin", m_margins);

    bool foundPadding = false;
    if (hasWebkitPadding)
        foundPadding |= parseEdgeInsets("-webkit-padding", m_padding);
    if (hasPadding)
        foundPadding |= parseEdgeInsets("padding", m_padding);
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
}

void TEHTMLElement::applyFontFamily(std::span<const std::u16string> names)
{
    if (!m_fontFamilyCache) {
        resolveFontFamily(names);
        return;
    }
    // The list and every part of the font asked for so far: matching reads
    // nothing else, unless a name says "inherit" (not kept, below).
    TEFormattingKey key;
    key.add(static_cast<std::uint64_t>(names.size()));
    for (const std::u16string& name : names)
        key.add(std::u16string_view(name));
    key.add(m_fontDescriptor.fontName());
    key.add(m_fontDescriptor.fontFamily());
    key.add(m_fontDescriptor.pointSize());
    key.add(m_fontDescriptor.stylisticTraits());
    key.add(m_fontDescriptor.stylisticClass());
    key.add(m_fontDescriptor.smallCapsFeature());
    if (const TEFontDescriptor* known = m_fontFamilyCache->resolved(key.bytes())) {
        m_fontDescriptor = *known;
        return;
    }
    if (resolveFontFamily(names))
        m_fontFamilyCache->remember(std::string(key.bytes()), m_fontDescriptor);
}

bool TEHTMLElement::resolveFontFamily(std::span<const std::u16string> names)
{
    for (const std::u16string& name16 : names) {
        const std::string name = toUtf8(name16);
        m_fontDescriptor.setFontFamily(name);
        const std::optional<Font> font = m_fontDescriptor.newMatchingFont();
        if (!font)
            continue;
        if (font->familyName() == name)
            return true;

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
            return false;
        } else {
            continue;
        }
        return true;
    }
    // No name settled it: the first name stays the family.
    if (!names.empty())
        m_fontDescriptor.setFontFamily(toUtf8(names.front()));
    return true;
}

} // namespace folio
