#include "engine/html/writer/HTMLParagraphWriter.h"

#include "engine/html/HTMLListItemIndents.h"
#include "engine/html/HTMLTabStops.h"
#include "engine/html/writer/HTMLListTagWriter.h"
#include "engine/html/writer/HTMLMarkup.h"
#include "engine/html/writer/HTMLRunWriter.h"
#include "engine/html/writer/HTMLShadingCSS.h"
#include "engine/fonts/TEFontDescriptor.h"
#include "engine/model/TEAttributeKeys.h"
#include "engine/model/TECSSListStyle.h"
#include "engine/model/TEAttributeQueries.h"
#include "engine/model/TEAttributedStringQueries.h"
#include "engine/model/TEParagraphStyle.h"
#include "engine/model/TEScriptAttributes.h"
#include "engine/model/TESectionBreak.h"
#include "engine/model/TEParagraphBorders.h"
#include "engine/model/TEShading.h"
#include "engine/css/ColorHTML.h"
#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/UnitSearch.h"
#include "platform/foundation/Unicode.h"

#include <algorithm>
#include <cmath>
#include <unordered_set>

namespace folio {

namespace {

std::optional<std::vector<AttributeValuePtr>> listStackInAttributes(const AttributeDictionary& attributes)
{
    const auto* array = attributes.valueForKeyAs<ArrayValue>(TETextIsListAttribute);
    if (!array)
        return std::nullopt;
    return array->elements();
}

void scaleParagraphStyle(TEParagraphStyle& style, double scale)
{
    // Rounded halves away from zero, as the page's pixel lengths have always been.
    auto scaled = [scale](double value) { return std::round(value / scale); };
    style.setMinimumLineHeight(scaled(style.minimumLineHeight()));
    style.setMaximumLineHeight(scaled(style.maximumLineHeight()));
    style.setParagraphSpacing(scaled(style.paragraphSpacing()));
    style.setParagraphSpacingBefore(scaled(style.paragraphSpacingBefore()));
    style.setFirstLineHeadIndent(scaled(style.firstLineHeadIndent()));
    style.setHeadIndent(scaled(style.headIndent()));
    style.setTailIndent(scaled(style.tailIndent()));
}

// A printed page sets text at four thirds of its point size in CSS pixels
// (see the font CSS of print): the space around paragraphs, in points in the
// document, goes the same way so that it keeps its size beside the text.
// Indents go from ruler units to pixels of paper.
void scaleParagraphSpacingForPrint(TEParagraphStyle& style)
{
    style.setHeadIndent(HTMLListTagWriter::printPixels(style.headIndent()));
    style.setTailIndent(HTMLListTagWriter::printPixels(style.tailIndent()));
    constexpr double kPixelsPerPoint = 4.0 / 3.0;
    auto scaled = [](double value) { return std::round(value * kPixelsPerPoint); };
    style.setParagraphSpacing(scaled(style.paragraphSpacing()));
    style.setParagraphSpacingBefore(scaled(style.paragraphSpacingBefore()));
    // A line height is kept to a hundredth of a pixel: a whole pixel more
    // or less on every line moves a page's last lines by a line or two.
    auto fine = [](double value) { return std::round(value * kPixelsPerPoint * 100) / 100; };
    style.setMinimumLineHeight(fine(style.minimumLineHeight()));
    style.setMaximumLineHeight(fine(style.maximumLineHeight()));
    HTMLListTagWriter::printLineMultiple(style);
}

// The editing page shows text of N points at N + 6 pixels: a line height of
// the paragraph's own stands as far above its text as in print when it
// grows alike. The page keeps the height in points ("data-line-height") for
// the save.
void scaleLineHeightForPage(TEParagraphStyle& style, const Font* font)
{
    const double size = font && font->pointSize() > 0 ? font->pointSize() : 12;
    const double scale = (size + TEFontDescriptor::FONTSIZEOFFSET) / size;
    auto scaled = [scale](double value) { return std::round(value * scale * 100) / 100; };
    style.setMinimumLineHeight(scaled(style.minimumLineHeight()));
    style.setMaximumLineHeight(scaled(style.maximumLineHeight()));
}

// A first line that starts left of the others (a hanging indent, as
// converters set a list marker before its item's text) is shown so; it goes
// no further left than the text column, which the page clips at.
std::string hangingIndentCSS(const TEParagraphStyle& style)
{
    constexpr double kPixelsPerCentimetre = 96 / 2.54;
    const double indent = style.firstLineHeadIndent();
    if (!(indent < 0) || !std::isfinite(indent))
        return {};
    const double hanging = std::max(indent, -std::max(0.0, style.headIndent()) / kPixelsPerCentimetre);
    if (hanging > -0.0005)
        return {};
    return TEParagraphStyle::firstLineIndentCSS(hanging);
}

// A line height of the paragraph's own, in points, which the page keeps for
// the save. The page sets it as an exact one; a least one lets the taller
// letters of its text stand higher.
void addLineHeightAttributes(const TEParagraphStyle* style, HTMLAttributeMap& attributes)
{
    const std::optional<double> height = style ? style->ownLineHeight() : std::nullopt;
    if (!height)
        return;
    attributes["data-line-height"] = toUtf16(formatShortest(*height));
    if (style->hasLeastLineHeight())
        attributes["data-least-line-height"] = u"";
}

// The name of the paragraph's style in the document's style sheet, which
// the page keeps on the paragraph's element for the save.
const std::u16string* styleName(const AttributeDictionary& attributes)
{
    const auto* name = attributes.valueForKeyAs<StringValue>(TEParagraphStyleNameAttribute);
    return name ? &name->value() : nullptr;
}

// The section break that ends the paragraph, which the page keeps on the
// paragraph's element for the save: deleting the paragraph deletes it.
const TESectionBreak* sectionBreak(const AttributeDictionary& attributes)
{
    return attributes.valueForKeyAs<TESectionBreak>(TESectionBreakAttribute);
}

// A word processor's shading of the paragraph, which the page keeps on the
// paragraph's element for the save.
const std::u16string* shadingText(const AttributeDictionary& attributes)
{
    const auto* shading = attributes.valueForKeyAs<StringValue>(TEParagraphShadingAttribute);
    return shading && !shading->value().empty() ? &shading->value() : nullptr;
}

// The shading's lines, or the colour it gives, drawn as the paragraph's
// background picture: a background colour would be taken back as each
// run's own.
std::string shadingCSS(const AttributeDictionary& attributes)
{
    const std::u16string* text = shadingText(attributes);
    const std::optional<TEShading> shading = text ? TEShading::fromText(toUtf8(*text)) : std::nullopt;
    const std::optional<Color> look = shading ? shading->look() : std::nullopt;
    if (!look)
        return {};
    if (std::string lines = HTMLShadingCSS::patternImage(*shading); !lines.empty())
        return "background-image:" + lines + ";";
    const std::string hex = htmlHexString(*look);
    return "background-image:linear-gradient(#" + hex + ",#" + hex + ");";
}

// A word processor's lines around the paragraph, which the page keeps on
// the paragraph's element for the save and draws.
const std::u16string* bordersText(const AttributeDictionary& attributes)
{
    const auto* borders = attributes.valueForKeyAs<StringValue>(TEParagraphBordersAttribute);
    return borders && !borders->value().empty() ? &borders->value() : nullptr;
}

// A word processor's frame that places the paragraph, which the page keeps
// on the paragraph's element for the save.
const std::u16string* frameText(const AttributeDictionary& attributes)
{
    const auto* frame = attributes.valueForKeyAs<StringValue>(TEParagraphFrameAttribute);
    return frame && !frame->value().empty() ? &frame->value() : nullptr;
}

// `next` is the next paragraph's, where one follows: with the same borders
// the line between the two is drawn. On paper a thick line ("\brdrth") is
// left out, as word processors print the RTF that names one.
std::string bordersCSS(const AttributeDictionary& attributes, const AttributeDictionary* next, bool forPrint)
{
    const std::u16string* text = bordersText(attributes);
    std::optional<TEParagraphBorders> borders = text ? TEParagraphBorders::fromText(toUtf8(*text)) : std::nullopt;
    if (!borders)
        return {};
    if (forPrint) {
        for (std::optional<TEParagraphBorders::Border>& side : borders->sides)
            if (side && side->style == TEParagraphBorders::styleNumber("th"))
                side.reset();
    }
    const std::u16string* nextText = next ? bordersText(*next) : nullptr;
    return borders->css(nextText && *nextText == *text);
}

// Whether the paragraph's look depends on the next one's, as a line drawn
// between the two does.
bool hasLineBetween(const AttributeDictionary& attributes)
{
    const std::u16string* text = bordersText(attributes);
    const std::optional<TEParagraphBorders> borders = text ? TEParagraphBorders::fromText(toUtf8(*text)) : std::nullopt;
    return borders && borders->sides[static_cast<std::size_t>(TEParagraphBorders::Side::Between)].has_value();
}

// What the editing page keeps on a paragraph's element for the save.
void addEditingData(HTMLAttributeMap& elementAttributes, const AttributeDictionary& attributes,
                    const TEParagraphStyle* style, bool isItem, const std::optional<std::vector<TextTab>>& itemStops,
                    const std::optional<HTMLListItemIndents>& itemIndents)
{
    if (const std::u16string* name = styleName(attributes))
        elementAttributes["data-style"] = *name;
    if (const TESectionBreak* section = sectionBreak(attributes))
        elementAttributes["data-section"] = section->attributeText();
    if (const std::u16string* shading = shadingText(attributes))
        elementAttributes["data-paragraph-shading"] = *shading;
    if (const std::u16string* borders = bordersText(attributes))
        elementAttributes["data-paragraph-borders"] = *borders;
    if (const std::u16string* frame = frameText(attributes))
        elementAttributes["data-paragraph-frame"] = *frame;
    // An item's stops are those of its text: its marker may be laid out on
    // stops of its own.
    std::optional<std::vector<TextTab>> ownStops = itemStops;
    if (!isItem && style)
        ownStops = style->tabStops();
    if (ownStops)
        if (std::u16string stops = HTMLTabStops::attributeText(*ownStops); !stops.empty())
            elementAttributes["data-tabs"] = stops;
    if (itemIndents)
        elementAttributes["data-indent"] = itemIndents->attributeText();
    // A paragraph split with Return keeps its outline level in both halves.
    if (style && style->outlineLevel() != 0)
        elementAttributes["data-outline-level"] = toUtf16(std::to_string(style->outlineLevel()));
    // The page leaves the space out between neighbours of one style that
    // both carry it.
    if (style && style->contextualSpacing())
        elementAttributes["data-contextual-space"] = u"";
    addLineHeightAttributes(style, elementAttributes);
}

std::string emptyLine(const HTMLWriterContext& context, const std::string& css, const AttributeDictionary& paragraph,
                      const TEParagraphStyle* style = nullptr)
{
    const int outlineLevel = style ? style->outlineLevel() : 0;
    HTMLAttributeMap attributes{{"style", toUtf16(css)}};
    if (const std::u16string* style = styleName(paragraph))
        attributes["data-style"] = *style;
    if (outlineLevel != 0)
        attributes["data-outline-level"] = toUtf16(std::to_string(outlineLevel));
    if (style && style->contextualSpacing())
        attributes["data-contextual-space"] = u"";
    addLineHeightAttributes(style, attributes);
    if (const TESectionBreak* section = sectionBreak(paragraph))
        attributes["data-section"] = section->attributeText();
    if (const std::u16string* shading = shadingText(paragraph))
        attributes["data-paragraph-shading"] = *shading;
    if (const std::u16string* borders = bordersText(paragraph))
        attributes["data-paragraph-borders"] = *borders;
    if (const std::u16string* frame = frameText(paragraph))
        attributes["data-paragraph-frame"] = *frame;
    // Its stops, as a paragraph with words keeps them, so that words typed
    // there line up and a line left empty saves them.
    if (style && style->tabStops())
        if (std::u16string stops = HTMLTabStops::attributeText(*style->tabStops()); !stops.empty())
            attributes["data-tabs"] = stops;
    // The line still holds the run typing would go on in: the languages its
    // words are checked in stay on the line itself, as a word processor
    // keeps them on the paragraph's end.
    context.settings.inheritedLanguages.addOwnAttributes(
        paragraph.valueForKeyAs<StringValue>(kCTLanguageAttributeName),
        paragraph.valueForKeyAs<StringValue>(TEEastAsianLanguageAttribute),
        paragraph.valueForKeyAs<StringValue>(TEComplexScriptLanguageAttribute), true, attributes);
    if (const auto* unchecked = paragraph.valueForKeyAs<BoolValue>(TENoProofingAttribute); unchecked && unchecked->value())
        attributes["spellcheck"] = u"false";
    std::string html = "<div";
    context.appendAttributes(html, "div", attributes);
    html += "><br/></div>";
    return html;
}

// Where the paragraph's settings are, after the rules drawn in its text that
// it starts with: at its text, or, for rules alone, at its end; the
// paragraph's start where it starts with no such rule.
std::size_t settingsAfterLeadingRules(const AttributedString& string, Range paragraph)
{
    const std::u16string& text = string.string();
    std::size_t index = paragraph.location;
    while (index < paragraph.end() && text[index] == u'\f') {
        AttributeDictionaryPtr attributes = string.attributesAtIndex(index);
        if (!attributes || !attributes->containsKey(TEHorizontalRuleStyleAttribute))
            break;
        ++index;
    }
    if (index == paragraph.location || (index < paragraph.end() && text[index] == u'\f'))
        return paragraph.location;
    if (index == paragraph.end() && index >= text.size())
        return paragraph.location;
    return index;
}

// Whether every character of the paragraph but its page breaks and rules,
// which show no letters, is of the font given. Text typed beside a rule
// takes the paragraph's font, which the paragraph's element carries only
// where its text is of one font.
bool isOfOneFontAroundBreaksAndRules(const AttributedString& string, Range paragraph, const AttributeValuePtr& font)
{
    // Asked of every paragraph of several fonts: the quick search.
    if (findFirstOf<u'\f'>(string.string().data(), paragraph.location, paragraph.end()) == paragraph.end())
        return false;
    bool oneFont = true;
    string.forEachRun(paragraph, [&](const AttributeDictionaryPtr& attributes, Range run) {
        if (!oneFont)
            return;
        const std::u16string_view runText = std::u16string_view(string.string()).substr(run.location, run.length);
        const bool showsNoLetters = attributes && runText.find_first_not_of(u'\f') == std::u16string_view::npos &&
            (attributes->containsKey(TEPageBreakAttribute) || attributes->containsKey(TEHorizontalRuleStyleAttribute));
        if (!showsNoLetters)
            oneFont = attributes && attributeValuesEqual(attributes->valueForKey(kCTFontAttributeName), font);
    });
    return oneFont;
}

// A paragraph inside one run has the font of that run throughout; only one
// of several runs needs their fonts compared.
bool isOfOneFont(const AttributedString& string, Range paragraph, Range firstRun, const AttributeDictionary& attributes)
{
    if (paragraph.length == 0)
        return false;
    if (firstRun.end() >= paragraph.end())
        return attributes.valueForKey(kCTFontAttributeName) != nullptr;
    Range fontRange;
    AttributeValuePtr fontValue =
        string.attributeAtIndexLongestEffectiveRange(kCTFontAttributeName, paragraph.location, &fontRange, paragraph);
    if (fontValue && fontRange == paragraph)
        return true;
    return fontValue && isOfOneFontAroundBreaksAndRules(string, paragraph, fontValue);
}

// Whether the paragraph end at `index` is a rule, as a rule element inside
// a paragraph's element is read.
bool isRuleParagraphEnd(const AttributedString& string, std::size_t index, AttributedString::RunCursor& cursor)
{
    if (string.string()[index] != u'\n')
        return false;
    AttributeDictionaryPtr attributes = string.attributesAtIndex(index, nullptr, cursor);
    return attributes && attributes->containsKey(TEHorizontalRuleStyleAttribute);
}

// Whether the paragraph's last character is a page break or a rule drawn
// in its text.
bool endsWithBreakOrRule(const AttributedString& string, Range paragraph)
{
    if (string.string()[paragraph.end() - 1] != u'\f')
        return false;
    AttributeDictionaryPtr attributes = string.attributesAtIndex(paragraph.end() - 1);
    return attributes &&
        (attributes->containsKey(TEPageBreakAttribute) || attributes->containsKey(TEHorizontalRuleStyleAttribute));
}

} // namespace

HTMLParagraphWriter::HTMLParagraphWriter(const HTMLWriterContext& context, std::string paragraphTagName)
    : m_context(context)
    , m_paragraphTagName(std::move(paragraphTagName))
{
}

std::string HTMLParagraphWriter::endMarkFontCSS(Range paragraph) const
{
    // A paragraph's end keeps a font of its own, which may be none of its
    // text's (a code line that ends in the font of the words around it). The
    // page lays it out as word processors do, by its text alone, and keeps
    // it for the save; the page's print and other exports have no save.
    const AttributedString& string = m_context.string;
    if (paragraph.length == 0 || paragraph.end() >= string.length() || m_context.settings.forPrint ||
        m_context.settings.forEPub || m_context.settings.exported)
        return {};
    AttributeDictionaryPtr end = string.attributesAtIndex(paragraph.end());
    AttributeDictionaryPtr last = string.attributesAtIndex(paragraph.end() - 1);
    const Font* endFont = end ? fontInAttributes(*end) : nullptr;
    const Font* lastFont = last ? fontInAttributes(*last) : nullptr;
    // Only another face or size changes the height of a line; an end that
    // is merely not bold, as after bold words, is left to the text's.
    std::string css;
    if (endFont && lastFont &&
        (endFont->familyName() != lastFont->familyName() || endFont->pointSize() != lastFont->pointSize()))
        css = m_context.fontCSS(endFont);
    // Its colour goes with it: word processors give it to the next words
    // typed there.
    const auto* endColor = end ? end->valueForKeyAs<ColorValue>(kCTForegroundColorAttributeName) : nullptr;
    const auto* lastColor = last ? last->valueForKeyAs<ColorValue>(kCTForegroundColorAttributeName) : nullptr;
    if (endColor && (!lastColor || htmlHexString(endColor->color()) != htmlHexString(lastColor->color())))
        css += "color:#" + htmlHexString(endColor->color()) + ";";
    return css;
}

// A page break or a rule the paragraph starts with, then the rest of the
// paragraph after it.
void HTMLParagraphWriter::writeBreakOrRule(std::string& html, const HTMLParagraphForm& form, Range paragraph,
                                           bool isLastParagraph)
{
    const AttributedString& string = m_context.string;
    const bool pageBreak = form.pageBreak;
    if (pageBreak && m_context.settings.forPrint)
        html += "<div style=\"page-break-before:always;\"></div>";
    else if (pageBreak)
        html += form.pageBreakBeforeParagraph && !m_context.settings.exported
            ? "<hr class=\"marquent-pagebreak\" data-break=\"before\" style='page-break-before:always;'/>"
            : "<hr class=\"marquent-pagebreak\" style='page-break-before:always;'/>";
    else
        html += m_context.settings.forEPub ? "<hr/>"
                                           : "<hr id=\"horizontalLine\" noshade color=\"#000000\" size=\"0.5\">";
    // Other word processors put the break in front of the next
    // paragraph's text, which follows it here. A break alone before its
    // paragraph's end is an empty paragraph on the new page (a blank
    // line at its top): the page's break is no paragraph, so that one
    // follows it.
    if (paragraph.length > 1)
        writeParagraph(html, Range{paragraph.location + 1, paragraph.length - 1}, isLastParagraph);
    else if (pageBreak && paragraph.length == 1 && paragraph.end() < string.length() && string.string()[paragraph.location] == u'\f')
        writeParagraph(html, Range{paragraph.location + 1, 0}, isLastParagraph);
}

// What the writing of one paragraph works from: its attributes and the form
// found for them, read once, and what the start of its list item decides.
struct HTMLParagraphWriter::ParagraphFacts {
    ParagraphFacts(const AttributedString& string, Range paragraph, Range firstRun,
                   const AttributeDictionary& attributes, HTMLParagraphForm& form)
        : paragraph(paragraph)
        , firstRun(firstRun)
        , attributes(attributes)
        , form(form)
        , next(paragraph.end() + 1)
        , nextIsInText(next < string.length())
    {
    }

    // The paragraph style, read only where it is needed: most paragraphs
    // start as one written before. Opening a list's element clears the
    // indents of the style read here.
    std::optional<TEParagraphStyle>& style()
    {
        if (!readStyle)
            readStyle = TEAttributeQueries::paragraphStyle(attributes);
        return *readStyle;
    }
    TEParagraphStyle* stylePointer() { return style() ? &*style() : nullptr; }

    Range paragraph;
    Range firstRun;
    const AttributeDictionary& attributes;
    HTMLParagraphForm& form;
    std::size_t next;
    bool nextIsInText;
    bool fontIsUniform = false;
    std::optional<ListStack> lists;
    const AttributeValue* currentList = nullptr;
    // Where a printed item's sign and first line stand, when not as the
    // page's list markers set them.
    std::optional<HTMLPrintedItemStart> printedStart;
    bool printsLabel = false;
    // The item's own indents, taken before its list's tag clears them. An
    // item whose first line starts at its head indent is as the page lays
    // it out, and needs none.
    std::optional<HTMLListItemIndents> itemIndents;
    std::optional<std::vector<TextTab>> itemStops;
    // How far the item's first line hangs left of its text, on the page and
    // in print, for marker words to stand there.
    double itemHang = 0;

private:
    std::optional<std::optional<TEParagraphStyle>> readStyle;
};

void HTMLParagraphWriter::writeParagraph(std::string& html, Range paragraph, bool isLastParagraph)
{
    const AttributedString& string = m_context.string;
    if (isLastParagraph && paragraph.length == 0)
        return;

    Range firstRun;
    AttributeDictionaryPtr attributesPointer = string.attributesAtIndex(paragraph.location, &firstRun, m_cursor);
    // Rules a paragraph's text starts with (word processors' lines drawn in
    // front of its words, or alone in their paragraph) stay in the
    // paragraph, whose settings the rules do not carry.
    if (const std::size_t settings = settingsAfterLeadingRules(string, paragraph); settings != paragraph.location)
        attributesPointer = string.attributesAtIndex(settings, &firstRun);
    const AttributeDictionary& attributes = attributesPointer ? *attributesPointer : *AttributeDictionary::empty();

    HTMLParagraphForm& form = m_context.styleCache.paragraphForm(attributes);
    ParagraphFacts facts(string, paragraph, firstRun, attributes, form);
    facts.fontIsUniform = isOfOneFont(string, paragraph, firstRun, attributes);
    if (form.pageBreak || form.rule) {
        writeBreakOrRule(html, form, paragraph, isLastParagraph);
        return;
    }

    facts.lists = form.hasLists ? listStackInAttributes(attributes) : std::nullopt;
    facts.currentList = facts.lists && !facts.lists->empty() ? facts.lists->back().get() : nullptr;
    const std::size_t listCount = facts.lists ? facts.lists->size() : 0;
    // A paragraph in no list ends every list open before it: one ended
    // level at a time left the outer list of a nested item open, and the
    // heading or text after it (and the next list) inside that list.
    if ((m_openLists && m_openLists->size() > listCount) || form.isEndOfList ||
        (facts.currentList && !form.isField && paragraph.length > 0))
        closeLists(html, facts.currentList, form.closesAllLists || !facts.currentList);

    std::string element;
    if (facts.currentList && form.isField) {
        openItemLists(html, facts);
        element = "li";
    } else if (paragraph.length > 0) {
        element = m_paragraphTagName;
    } else {
        writeEmptyParagraph(html, facts);
        return;
    }
    if (std::optional<double> level = form.headerLevel) {
        // Only the six heading elements HTML has; other numbers are no heading.
        if (*level >= 1 && *level <= 6)
            element = "h" + std::to_string(static_cast<int>(*level));
    }

    HTMLAttributeMap ownAttributes;
    const HTMLAttributeMap& elementAttributes = writeStartTag(html, facts, element, ownAttributes);
    if (element == "li")
        writeItemLabel(html, facts.currentList, facts.itemHang, facts.printsLabel, facts.printedStart);
    const std::optional<TEParagraphStyle>& style = facts.style();
    HTMLRunWriter runs(m_context, paragraph, elementAttributes, facts.fontIsUniform,
                       style ? style->lineHeightMultiple() : 0);
    runs.writeRuns(html);
    writeParagraphEnd(html, facts, runs, element);
    m_openLists = std::move(facts.lists);
}

std::string HTMLParagraphWriter::elementCSS(ParagraphFacts& facts) const
{
    const AttributeDictionary& attributes = facts.attributes;
    std::optional<TEParagraphStyle>& paragraphStyle = facts.style();
    std::string css;
    if (paragraphStyle && !facts.currentList) {
        TEParagraphStyle style = *paragraphStyle;
        if (m_context.textScale != 1.0 && m_context.textScale != 0.0)
            scaleParagraphStyle(style, m_context.textScale);
        if (m_context.settings.forPrint) {
            scaleParagraphSpacingForPrint(style);
            const double raise =
                m_context.printedLeadingAbove(fontInAttributes(attributes), paragraphStyle->lineHeightMultiple());
            style.setParagraphSpacingBefore(style.paragraphSpacingBefore() - raise);
            style.setParagraphSpacing(style.paragraphSpacing() + raise);
        } else {
            scaleLineHeightForPage(style, fontInAttributes(attributes));
        }
        // The editing page shows a hanging first line as print does,
        // and hands it back to the save.
        css = style.cssStyleRepresentation().value_or(std::string());
        css += hangingIndentCSS(style);
    }
    css += shadingCSS(attributes);
    if (bordersText(attributes)) {
        const AttributeDictionaryPtr nextAttributes =
            facts.nextIsInText ? m_context.string.attributesAtIndex(facts.next) : nullptr;
        css += bordersCSS(attributes, nextAttributes.get(), m_context.settings.forPrint && !m_context.settings.forEPub);
    }
    if (paragraphStyle && facts.currentList) {
        // An item's own spacing, which its list does not carry; on paper
        // in points, as a paragraph's.
        const double scale = m_context.textScale != 0.0 ? m_context.textScale : 1.0;
        const double print = m_context.settings.forPrint ? 4.0 / 3.0 : 1.0;
        const double raise = m_context.printedLeadingAbove(fontInAttributes(attributes), paragraphStyle->lineHeightMultiple());
        const double after = std::round(paragraphStyle->paragraphSpacing() / scale * print) + raise;
        const double before = std::round(paragraphStyle->paragraphSpacingBefore() / scale * print) - raise;
        if (after != 0)
            css += "margin-bottom:" + formatShortest(after) + "px;";
        if (before != 0)
            css += "margin-top:" + formatShortest(before) + "px;";
        // A list nested in the item stands that far below its words on
        // paper, where the print page's rule reads it.
        if (m_context.settings.forPrint && !m_context.settings.forEPub)
            css += "--after:" + formatShortest(after) + "px;";
        if (facts.printedStart)
            css += "list-style-type:none;text-indent:" + formatFixed(facts.printedStart->textIndent, 2) + "px;";
        else if (facts.printsLabel)
            css += "list-style-type:none;";
        if (paragraphStyle->ownLineHeight()) {
            TEParagraphStyle style = *paragraphStyle;
            if (m_context.settings.forPrint)
                scaleParagraphSpacingForPrint(style);
            else
                scaleLineHeightForPage(style, fontInAttributes(attributes));
            if (const std::optional<double> height = style.ownLineHeight())
                css += "line-height:" + formatShortest(*height) + "px;";
        }
        css += paragraphStyle->paginationCSS();
    }
    if (facts.fontIsUniform) {
        const Font* font = fontInAttributes(attributes);
        css += m_context.fontCSS(font);
        if (paragraphStyle)
            css += m_context.printedLineHeightCSS(font, paragraphStyle->lineHeightMultiple());
    }
    return css;
}

void HTMLParagraphWriter::openItemLists(std::string& html, ParagraphFacts& facts)
{
    const AttributedString& string = m_context.string;
    const TEHTMLWriterSettings& settings = m_context.settings;
    const ListStack& lists = *facts.lists;
    std::optional<TEParagraphStyle>& paragraphStyle = facts.style();
    const bool ownFirstLine = paragraphStyle && paragraphStyle->firstLineHeadIndent() != paragraphStyle->headIndent();
    if (ownFirstLine && !settings.forPrint && !settings.forEPub)
        facts.itemIndents =
            HTMLListItemIndents{0, paragraphStyle->headIndent(), paragraphStyle->firstLineHeadIndent()};
    if (ownFirstLine && !settings.forEPub)
        facts.itemHang = HTMLListTagWriter::hangingWidth(paragraphStyle->firstLineHeadIndent(), m_context.textScale);
    if (settings.forPrint)
        facts.itemHang = HTMLListTagWriter::printPixels(facts.itemHang);
    if (facts.firstRun.end() < facts.paragraph.end()) {
        AttributeDictionaryPtr text = string.attributesAtIndex(facts.firstRun.end());
        if (std::optional<TEParagraphStyle> style = text ? TEAttributeQueries::paragraphStyle(*text) : std::nullopt)
            if (style->tabStops())
                facts.itemStops = *style->tabStops();
    }
    // Only the look of the page: text read for its words keeps its
    // list's own markers.
    if (settings.forPrint && !settings.forEPub && settings.stylesRuns && paragraphStyle && lists.size() == 1)
        facts.printedStart = HTMLListTagWriter::printedItemStart(facts.currentList, *paragraphStyle, facts.itemStops);
    // A word processor's plain number or bullet stands in print where its
    // own words would, at the first-line indent, the text at the left indent.
    facts.printsLabel = settings.forPrint && !settings.forEPub && settings.stylesRuns && !settings.exported
        && facts.itemHang >= 1 && !facts.printedStart && HTMLListTagWriter::printedLabel(facts.currentList, 1);
    bool openedAny = false;
    std::int64_t continuedStart = 0;
    for (const AttributeValuePtr& list : lists) {
        // A list starts where its own range starts; items further down
        // only continue it. A list still open around the item is not
        // opened again, though the item before's paragraph end does
        // not name it (as lists read from RTF name theirs).
        const bool isOpen = m_openLists && std::any_of(m_openLists->begin(), m_openLists->end(),
                                                       [&](const AttributeValuePtr& open) { return open == list; });
        bool opens = !isOpen && (!m_openLists ||
                     rangeOfTextList(string, list.get(), facts.paragraph.location).location == facts.paragraph.location);
        if (!opens)
            continue;
        // The first list opened here takes the paragraph's indent; writing
        // its tag clears the indent for the lists inside it.
        const double enclosing = m_openIndents.empty() ? 0 : m_openIndents.back();
        const double indent = paragraphStyle ? std::max(paragraphStyle->headIndent(), enclosing) : enclosing;
        const HTMLListContinuation continuation =
            list == lists.front() ? continuationOf(list.get()) : HTMLListContinuation{};
        html += HTMLListTagWriter::openingTag(list.get(), facts.stylePointer(), m_context, enclosing, continuation);
        m_openElements.push_back(HTMLListTagWriter::elementForList(list.get()));
        m_openIndents.push_back(indent);
        openedAny = true;
        if (continuation.start > 0)
            continuedStart = continuation.start;
    }
    if (openedAny) {
        ++m_openedLevels;
        const auto* style = lists.back()->as<TECSSListStyle>();
        const std::int64_t start = style && style->startingItemNumber() > 0 ? style->startingItemNumber() : 1;
        m_itemNumbers.push_back(lists.size() == 1 && continuedStart > 0 ? continuedStart : start);
    }
    // An outermost item of a list that comes back counts for its later parts.
    if (lists.size() == 1 && m_returningLists)
        if (auto returning = m_returningLists->find(lists.front().get()); returning != m_returningLists->end())
            returning->second.nextNumber = TECSSListStyle::itemNumber(returning->second.nextNumber, 1);
    // The depth is that of the page's lists, which a list carried on
    // from an item before nests deeper than the item's own lists say.
    if (facts.itemIndents)
        facts.itemIndents->depth = m_openElements.size();
}

void HTMLParagraphWriter::writeEmptyParagraph(std::string& html, ParagraphFacts& facts)
{
    // An empty paragraph keeps its own spacing and alignment, which a
    // blank line of other word processors carries, and the font and
    // colour of its paragraph end: the line is as tall as they make it
    // there, and words typed on it take them, as in those programs.
    // Text that gave its empty line no font takes the next text's.
    const AttributeDictionary& attributes = facts.attributes;
    std::string css = elementCSS(facts);
    const Font* ownFont = fontInAttributes(attributes);
    css += ownFont ? m_context.fontCSS(ownFont)
                   : facts.nextIsInText ? m_context.fontCSSAtIndex(facts.next) : std::string();
    if (const std::optional<TEParagraphStyle>& style = facts.style(); style && ownFont)
        css += m_context.printedLineHeightCSS(ownFont, style->lineHeightMultiple());
    if (m_context.settings.stylesRuns)
        if (const auto* color = attributes.valueForKeyAs<ColorValue>(kCTForegroundColorAttributeName))
            css += "color:#" + htmlHexString(color->color()) + ";";
    html += emptyLine(m_context, css, attributes, facts.stylePointer());
}

const HTMLAttributeMap& HTMLParagraphWriter::writeStartTag(std::string& html, ParagraphFacts& facts,
                                                           const std::string& element, HTMLAttributeMap& ownAttributes)
{
    const AttributeDictionary& attributes = facts.attributes;
    // Direction and style follow the element's own attributes, as a
    // document's generated class goes in front of the classes it has.
    auto addStartAttributes = [&](HTMLAttributeMap& elementAttributes) {
        if (std::optional<TEParagraphStyle>& style = facts.style()) {
            if (style->baseWritingDirection() == WritingDirection::Natural)
                elementAttributes["dir"] = u"auto";
            else if (style->baseWritingDirection() == WritingDirection::RightToLeft)
                elementAttributes["dir"] = u"rtl";
        }
        // The editing page's data for the save, which an export leaves out
        // of what it writes: it is not worked out there at all.
        if (!m_context.settings.exported)
            addEditingData(elementAttributes, attributes, facts.stylePointer(), element == "li", facts.itemStops,
                           facts.itemIndents);
        m_context.applyStyle(elementAttributes, element, elementCSS(facts));
    };
    auto appendStartTag = [&](std::string& tag, const HTMLAttributeMap& elementAttributes) {
        tag += '<';
        tag += element;
        m_context.appendAttributes(tag, element, elementAttributes);
        tag += '>';
    };
    const std::string endFont = endMarkFontCSS(facts.paragraph);
    // An item's depth, indents and stops are no attributes of its text, nor
    // is a line between paragraphs: its start is made anew. An export
    // leaves the item's indents and stops out, unless they place the sign
    // of a printed item.
    const bool itemStartIsOwn =
        (facts.itemIndents || facts.itemStops) && (!m_context.settings.exported || facts.printedStart);
    if (facts.form.hasCustomAttributes || itemStartIsOwn || hasLineBetween(attributes) || !endFont.empty()) {
        if (const auto* custom = attributes.valueForKeyAs<StringMapValue>(TECustomAttributesAttribute)) {
            for (const auto& [name, value] : custom->map()) {
                Range own = rangeOfCustomHTMLAttribute(m_context.string, name, facts.paragraph.location);
                if (intersectionRange(own, facts.paragraph).length == facts.paragraph.length)
                    ownAttributes[name] = value;
            }
        }
        addStartAttributes(ownAttributes);
        if (!endFont.empty())
            ownAttributes["data-end-font"] = toUtf16(endFont);
        appendStartTag(html, ownAttributes);
        return ownAttributes;
    }
    // Everything the start says follows from the attributes alone.
    std::optional<HTMLParagraphStart>& start = facts.form.starts[facts.fontIsUniform ? 1 : 0];
    if (!start) {
        start.emplace();
        start->element = element;
        addStartAttributes(start->attributes);
        appendStartTag(start->tag, start->attributes);
    }
    html += start->tag;
    return start->attributes;
}

void HTMLParagraphWriter::writeParagraphEnd(std::string& html, ParagraphFacts& facts, HTMLRunWriter& runs,
                                            const std::string& element)
{
    const AttributedString& string = m_context.string;
    const Range paragraph = facts.paragraph;
    // A rule a page put inside a paragraph's element ends the text before it
    // as a paragraph end: it is drawn there, at the end of that paragraph.
    const bool endsWithRule =
        paragraph.length > 0 && paragraph.end() < string.length() && isRuleParagraphEnd(string, paragraph.end(), m_cursor);
    if (endsWithRule)
        runs.writeRules(html, 1);
    // A browser draws no line for a break that ends its block: the empty
    // line after a paragraph's last line break needs one more.
    if (paragraph.length > 0 && string.string()[paragraph.end() - 1] == u'\u2028')
        html += "<br/>";
    // Nor has the page a place for the caret after a page break or a rule
    // that ends the paragraph, which is not typed into: the break gives the
    // line after it one, where Ctrl+End and a click put the caret to type
    // on in the paragraph.
    else if (paragraph.length > 0 && !m_context.settings.forPrint && !m_context.settings.forEPub &&
             (endsWithRule || endsWithBreakOrRule(string, paragraph)))
        html += "<br/>";
    // Bookmarks and fields that hold no text show nothing: a paragraph of
    // them alone is an empty line, which needs a break to be drawn at all.
    const std::u16string_view paragraphText = std::u16string_view(string.string()).substr(paragraph.location, paragraph.length);
    if (paragraph.length > 0 &&
        std::all_of(paragraphText.begin(), paragraphText.end(), [](char16_t unit) { return unit == TEMarkCarrierCharacter; }))
        html += "<br/>";

    if (element == "li") {
        // An item followed by more list text stays open, so that a nested
        // list or the next item follows inside it.
        AttributeDictionaryPtr nextAttributes =
            facts.nextIsInText ? string.attributesAtIndex(facts.next, nullptr, m_cursor) : nullptr;
        if (!nextAttributes || !nextAttributes->containsKey(TETextIsListAttribute))
            html += "</li>";
    } else {
        html += "</";
        html += element;
        html += '>';
    }
    if (paragraph.length == 0)
        html += facts.nextIsInText ? emptyLine(m_context, m_context.fontCSSAtIndex(facts.next), *AttributeDictionary::empty())
                                   : std::string("<br/>");
}

void HTMLParagraphWriter::writeItemLabel(std::string& html, const AttributeValue* currentList, double itemHang,
                                         bool printsLabel, const std::optional<HTMLPrintedItemStart>& printedStart)
{
    // A word processor's own words around the number ("CH I") are written
    // before the item's text; the list draws no marker of its own.
    const auto* style = currentList ? currentList->as<TECSSListStyle>() : nullptr;
    std::int64_t number = m_itemNumbers.empty() ? 1 : m_itemNumbers.back();
    // An outer level's item was counted on when it was written.
    const auto outerNumber = [this](int level) -> std::int64_t {
        const auto at = static_cast<std::size_t>(level);
        return at + 1 < m_itemNumbers.size() ? std::max<std::int64_t>(m_itemNumbers[at] - 1, 1) : 1;
    };
    std::optional<std::u16string> marker = style ? style->markerWithText(number, outerNumber) : std::nullopt;
    if (!marker && printsLabel)
        marker = HTMLListTagWriter::printedLabel(currentList, number);
    if (marker) {
        // Where the file hangs the item's first line, the words stand in a
        // box of the hanging width that the page draws out at the first-line
        // indent, so that the text starts at the left indent as it does in
        // word processors. The blank after them goes in the box, which keeps
        // it, so that longer words stand apart from the text, and the item
        // reads as it always did. The box is the page's: an exported file
        // has no rule that draws it.
        // A label the file follows with a blank or nothing has no box: the
        // text goes on right after it.
        const auto& words = style->markerText();
        const TEListLabelFollow follow = words ? words->follow : TEListLabelFollow::Tab;
        const bool boxed = itemHang >= 1 && !m_context.settings.exported && follow == TEListLabelFollow::Tab;
        const std::u16string gap = follow == TEListLabelFollow::Nothing ? u"" : u" ";
        // On paper the item's direction is its text's: Hebrew letters in the
        // label of an English item do not set the item right to left.
        const std::string_view direction = m_context.settings.forPrint ? " dir=\"auto\"" : "";
        if (boxed)
            HTMLMarkup::appendBodyMarkup(html,
                                         "<span data-marker-words=\"\"" + std::string(direction) + " style=\"--hang:"
                                             + formatFixed(itemHang, 0) + "px\">",
                                         m_context.bodyFinish);
        // A bullet sign of the file's own is set in its font.
        const std::u16string font = words ? words->font : std::u16string();
        if (!font.empty()) {
            std::u16string family;
            std::copy_if(font.begin(), font.end(), std::back_inserter(family),
                         [](char16_t unit) { return std::u16string_view(u"'\"\\<>&;").find(unit) == std::u16string_view::npos; });
            HTMLMarkup::appendBodyMarkup(html, "<span style=\"font-family:'" + toUtf8(family) + "'\">",
                                         m_context.bodyFinish);
            HTMLMarkup::appendBodyText(html, *marker, false, m_context.bodyFinish);
            HTMLMarkup::appendBodyMarkup(html, "</span>", m_context.bodyFinish);
            HTMLMarkup::appendBodyText(html, gap, false, m_context.bodyFinish);
        } else {
            HTMLMarkup::appendBodyText(html, *marker + gap, false, m_context.bodyFinish);
        }
        if (boxed)
            HTMLMarkup::appendBodyMarkup(html, "</span>", m_context.bodyFinish);
    }
    // A sign set at the edge stands in the same box as marker words, as wide
    // as the room before the first line's text.
    if (printedStart) {
        HTMLMarkup::appendBodyMarkup(html, "<span data-marker-words=\"\" style=\"--hang:" +
                                               formatFixed(printedStart->signRoom, 2) + "px\">",
                                     m_context.bodyFinish);
        HTMLMarkup::appendBodyText(html, printedStart->sign, false, m_context.bodyFinish);
        HTMLMarkup::appendBodyMarkup(html, "</span>", m_context.bodyFinish);
    }
    if (!m_itemNumbers.empty())
        m_itemNumbers.back() = TECSSListStyle::itemNumber(number, 1);
}

void HTMLParagraphWriter::closeLists(std::string& html, const AttributeValue* currentList, bool closeAll)
{
    ListStack remaining = m_openLists.value_or(ListStack());
    while (true) {
        const AttributeValue* last = remaining.empty() ? nullptr : remaining.back().get();
        if (last == currentList)
            break;
        // Nothing in the stack and nothing counted open: a closing tag now
        // would close an element that was never opened.
        if (!last && m_openedLevels <= 0)
            break;
        html += closingTag(last);
        if (!remaining.empty())
            remaining.pop_back();
        m_openLists = remaining;
        m_openedLevels = std::max(0, m_openedLevels - 1);
        if (!m_itemNumbers.empty())
            m_itemNumbers.pop_back();
        if (!closeAll || (remaining.empty() && m_openedLevels <= 0))
            break;
    }
}

void HTMLParagraphWriter::closeOpenLists(std::string& html)
{
    ListStack remaining = m_openLists.value_or(ListStack());
    std::size_t pending = std::max(remaining.size(), static_cast<std::size_t>(std::max(0, m_openedLevels)));
    while (pending > 0) {
        const AttributeValue* list = remaining.empty() ? nullptr : remaining.back().get();
        html += closingTag(list);
        html += '\n';
        if (!remaining.empty())
            remaining.pop_back();
        --pending;
        // The list just closed sat inside an item of the list around it.
        if (pending > 0)
            html += "</li>";
    }
    m_openLists.reset();
    m_openedLevels = 0;
    m_itemNumbers.clear();
    m_openElements.clear();
    m_openIndents.clear();
}

void HTMLParagraphWriter::findReturningLists()
{
    // A list comes back when its items follow text outside it, or another
    // list: the paragraphs between part it in two on the page.
    m_returningLists.emplace();
    const AttributedString& string = m_context.string;
    const std::u16string& text = string.string();
    std::unordered_set<const AttributeValue*> seen;
    const AttributeValue* previous = nullptr;
    std::int64_t identities = 0;
    AttributedString::RunCursor cursor;
    for (std::size_t start = 0; start < text.size();) {
        AttributeDictionaryPtr attributes = string.attributesAtIndex(start, nullptr, cursor);
        const auto* lists = attributes ? attributes->valueForKeyAs<ArrayValue>(TETextIsListAttribute) : nullptr;
        const AttributeValue* list = lists && !lists->isEmpty() ? lists->elements().front().get() : nullptr;
        if (list && list != previous && !seen.insert(list).second && !m_returningLists->contains(list))
            m_returningLists->emplace(list, ReturningList{++identities, 0});
        previous = list;
        const std::size_t end = findFirstOf<u'\n'>(text.data(), start, text.size());
        start = end == text.size() ? end : end + 1;
    }
}

HTMLListContinuation HTMLParagraphWriter::continuationOf(const AttributeValue* list)
{
    if (!m_returningLists)
        findReturningLists();
    auto returning = m_returningLists->find(list);
    if (returning == m_returningLists->end())
        return {};
    // The first part numbers from the list's own start; it carries the
    // identity all the same, for the later parts to be told as its own.
    ReturningList& parts = returning->second;
    if (parts.nextNumber == 0) {
        const auto* style = list->as<TECSSListStyle>();
        parts.nextNumber = style && style->startingItemNumber() > 0 ? style->startingItemNumber() : 1;
        return HTMLListContinuation{parts.identity, 0};
    }
    return HTMLListContinuation{parts.identity, parts.nextNumber};
}

std::string HTMLParagraphWriter::closingTag(const AttributeValue* list)
{
    // An item may carry a list of another kind than the one its list element
    // was opened for (a list that goes on under another number): the element
    // closed is the one that was opened.
    if (m_openElements.empty())
        return HTMLListTagWriter::closingTag(list);
    std::string tag = "</" + std::string(m_openElements.back()) + ">";
    m_openElements.pop_back();
    if (!m_openIndents.empty())
        m_openIndents.pop_back();
    return tag;
}

} // namespace folio
