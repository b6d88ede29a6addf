#include "engine/html/writer/HTMLRunWriter.h"

#include "engine/html/HTMLSanitizer.h"

#include "engine/css/ColorHTML.h"
#include "engine/html/writer/HTMLAttachmentWriter.h"
#include "engine/html/writer/HTMLMarkup.h"
#include "engine/html/writer/HTMLShadingCSS.h"
#include "engine/model/TEAttributeKeys.h"
#include "engine/model/TEAttributedStringQueries.h"
#include "engine/model/TEScriptAttributes.h"
#include "engine/model/TEShading.h"
#include "platform/foundation/HTMLTextEscaper.h"
#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/Unicode.h"
#include "platform/graphics/Font.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>

namespace folio {

namespace {

// What a span start tag without attributes of a page's own is made of, as
// the addresses of the keys and values of the run's attributes (an address
// names one value for the whole write) and whether the run writes its font.
// A list paragraph's lists and a link are left out: each paragraph has them
// as objects of its own, and the tag never reads them.
std::vector<const void*> spanTagSource(const AttributeDictionary& attributes, bool writesFont)
{
    static const std::array<AttributeKey, 6> kNotInTag{
        AttributeKey(TETextListsAttribute),      AttributeKey(TETextIsListAttribute),
        AttributeKey(TETextEndOfListAttribute),  AttributeKey(TETextEndOfAllOpenedLists),
        AttributeKey(TEFieldAttribute),          AttributeKey(TELinkAttribute)};
    std::vector<const void*> addresses;
    addresses.reserve(2 * attributes.count() + 1);
    addresses.push_back(writesFont ? &kNotInTag : nullptr);
    for (const auto& [key, value] : attributes) {
        if (std::find(kNotInTag.begin(), kNotInTag.end(), key) != kNotInTag.end())
            continue;
        addresses.push_back(key.data());
        addresses.push_back(value.get());
    }
    return addresses;
}

// A right-to-left run is an embedding on the page too; the fonts and
// languages of its complex-script and East Asian letters ride along as data
// attributes, for the save.
// `keptForTheSave`: the fonts and languages of other scripts, which only the
// editing page keeps (for the save), are written too.
void writeScriptMarks(const AttributeDictionary& attributes, HTMLAttributeMap& spanAttributes, bool keptForTheSave)
{
    if (const auto* direction = attributes.valueForKeyAs<ArrayValue>(NSWritingDirectionAttributeName)) {
        const auto& levels = direction->elements();
        const auto* innermost = levels.empty() || !levels.back() ? nullptr : levels.back()->as<IntegerValue>();
        if (innermost && (innermost->value() & 1) != 0)
            spanAttributes["dir"] = u"rtl";
    }
    if (!keptForTheSave)
        return;
    // Every run of a page passes here: its keys are gone through once and
    // matched as keys, by address, rather than each mark looked up by name.
    static const auto markKeys = [] {
        std::array<AttributeKey, std::size(kTEScriptAttributes)> keys;
        for (std::size_t index = 0; index < keys.size(); ++index)
            keys[index] = AttributeKey(kTEScriptAttributes[index].key);
        return keys;
    }();
    for (const auto& [key, value] : attributes) {
        if (!value || key.empty() || key.front() != 'T')
            continue;
        const auto found = std::find(markKeys.begin(), markKeys.end(), key);
        // The complex-script language goes with the run's other languages.
        if (found == markKeys.end() || found->str() == TEComplexScriptLanguageAttribute)
            continue;
        const TEScriptAttribute& mark = kTEScriptAttributes[static_cast<std::size_t>(found - markKeys.begin())];
        std::u16string text;
        if (const auto* string = value->as<StringValue>(); string && mark.kind == TEScriptValueKind::Text)
            text = string->value();
        else if (const auto* number = value->as<DoubleValue>(); number && mark.kind == TEScriptValueKind::Number)
            text = toUtf16(formatShortest(number->value()));
        else if (const auto* flag = value->as<BoolValue>(); flag && flag->value() && mark.kind == TEScriptValueKind::Flag)
            text = u"1";
        if (!text.empty())
            spanAttributes[std::string(mark.pageName)] = std::move(text);
    }
}

bool isWhiteSpace(char16_t c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f' || c == u'\u2028';
}

bool hasWord(std::u16string_view words, std::u16string_view word)
{
    std::size_t start = 0;
    while (start < words.size()) {
        while (start < words.size() && isWhiteSpace(words[start]))
            ++start;
        std::size_t end = start;
        while (end < words.size() && !isWhiteSpace(words[end]))
            ++end;
        if (end > start && words.substr(start, end - start) == word)
            return true;
        start = end;
    }
    return false;
}

} // namespace

HTMLRunWriter::HTMLRunWriter(const HTMLWriterContext& context, Range paragraph,
                             const HTMLAttributeMap& paragraphAttributes, bool paragraphFontIsUniform,
                             double lineMultiple)
    : m_context(context)
    , m_paragraph(paragraph)
    , m_paragraphAttributes(paragraphAttributes)
    , m_paragraphFontIsUniform(paragraphFontIsUniform)
    , m_lineMultiple(lineMultiple)
{
}

void HTMLRunWriter::writeRuns(std::string& html)
{
    m_context.string.forEachRun(m_paragraph, [&](const AttributeDictionaryPtr& attributes, Range run) {
        writeRun(html, *attributes, run);
    });
    // A link whose end could not be found inside the paragraph still closes
    // with it.
    if (m_linkElementOpen)
        html += "</a>";
    m_linkElementOpen = false;
    m_linkRange = NotFoundRange;
}

void HTMLRunWriter::writePageBreaks(std::string& html, std::size_t count) const
{
    // A block inside the paragraph's element breaks the page there; the
    // element stays one paragraph, with its section break once, at its end.
    // Print takes the block every page break is printed as (where text is
    // taken from print, it ends the line). The editing page keeps the
    // paragraph one element for editing: a span drawn as its other page
    // breaks, which is not typed into.
    const std::string_view markup = m_context.settings.forPrint
        ? "<div style=\"page-break-before:always;\"></div>"
        : "<span class=\"marquent-pagebreak\" contenteditable=\"false\" "
          "style=\"display:block;page-break-before:always;\"></span>";
    for (std::size_t written = 0; written < count; ++written)
        HTMLMarkup::appendBodyMarkup(html, std::string(markup), m_context.bodyFinish);
}

void HTMLRunWriter::writeRules(std::string& html, std::size_t count) const
{
    // A line drawn across the column inside the paragraph's element, which
    // stays one paragraph: a rule element there would end it before the
    // rule and start another after. The editing page keeps it as it keeps
    // a page break, not typed into, and gives it its room above and below.
    const std::string_view markup = m_context.settings.forPrint || m_context.settings.forEPub
        ? "<span style=\"display:block;height:0;border-top:1px solid #000000;margin:0.5em 0;\"></span>"
        : "<span class=\"horizontal-rule\" contenteditable=\"false\" "
          "style=\"display:block;height:0;border-top:1px solid #000000;\"></span>";
    for (std::size_t written = 0; written < count; ++written)
        HTMLMarkup::appendBodyMarkup(html, std::string(markup), m_context.bodyFinish);
}

bool HTMLRunWriter::openLink(const HTMLRunForm& form, Range run)
{
    const URLValue* link = form.link;
    const StringValue* anchor = form.anchor;
    if ((!link && !anchor) || !m_linkRange.isNotFound())
        return false;

    Range range;
    if (link) {
        range = linkRangeInParagraph(*link, run);
    } else {
        // The stretch of this anchor itself: looking the name up from the
        // start of the text would find an earlier anchor of the same name and
        // never close this one.
        m_context.string.attributeAtIndexLongestEffectiveRange(TEAnchorAttribute, run.location, &range, m_paragraph);
    }
    range = intersectionRange(range, m_paragraph);
    if (range.length == 0)
        range = run;
    m_linkRange = range;

    m_linkAttributes.clear();
    if (link) {
        m_linkAttributes["href"] = toUtf16(link->urlString());
        // A link looks as its text says: the colour and underline of a
        // browser's links are none of the document's, and the page's text
        // read back must not take them for the link's own. HTML read only
        // for its text needs no look.
        if (m_context.settings.forPrint || m_context.settings.stylesRuns)
            m_linkAttributes["style"] = u"color:inherit;text-decoration:none;";
    }
    if (anchor)
        m_linkAttributes["name"] = anchor->value();
    const std::map<std::string, std::u16string>* custom =
        range.location == run.location ? (form.customAttributes ? &form.customAttributes->map() : nullptr)
                                       : customHTMLAttributesAtIndex(m_context.string, range.location);
    if (custom) {
        for (const auto& [name, value] : *custom) {
            Range own = rangeOfCustomHTMLAttribute(m_context.string, name, range.location);
            own = intersectionRange(own, m_paragraph);
            if (own == range)
                m_linkAttributes[name] = value;
        }
    }
    return true;
}

Range HTMLRunWriter::linkRangeInParagraph(const URLValue& link, Range run) const
{
    // Runs of one target side by side are one link. Those before this run
    // were written already and their stretch is known; those after it are
    // looked at until the target changes.
    const std::string& target = link.urlString();
    std::size_t end = run.end();
    while (end < m_paragraph.end()) {
        Range next;
        AttributeDictionaryPtr attributes = m_context.string.attributesAtIndex(end, &next);
        const URLValue* nextLink = attributes ? m_context.styleCache.runForm(*attributes).link : nullptr;
        if (!nextLink || nextLink->urlString() != target)
            break;
        end = next.end();
    }
    const std::size_t start = m_sameTargetStart;
    return Range{start, std::min(end, m_paragraph.end()) - start};
}

void HTMLRunWriter::followLinkTarget(const HTMLRunForm& form, Range run)
{
    const bool sameTarget =
        form.link && m_previousLink && form.link->urlString() == m_previousLink->urlString();
    if (!sameTarget)
        m_sameTargetStart = run.location;
    m_previousLink = form.link;
}

void HTMLRunWriter::closeLinkIfEnded(std::string& html, Range run)
{
    if (m_linkRange.isNotFound() || run.end() < m_linkRange.end())
        return;
    if (m_linkElementOpen)
        html += "</a>";
    m_linkElementOpen = false;
    m_linkRange = NotFoundRange;
}

namespace {

// A colour that may be see-through, as CSS writes it.
std::string cssColor(const Color& color)
{
    const double alpha = std::clamp(color.alpha(), 0.0, 1.0);
    if (alpha >= 1)
        return "#" + htmlHexString(color);
    const std::string hex = htmlHexString(color);
    auto component = [&hex](std::size_t at) { return std::to_string(std::stoi(hex.substr(at, 2), nullptr, 16)); };
    return "rgba(" + component(0) + "," + component(2) + "," + component(4) + "," + formatShortest(std::round(alpha * 1000) / 1000) + ")";
}

} // namespace

std::string HTMLRunWriter::runStyle(const HTMLRunLook& look) const
{
    std::string style;
    const Font* font = fontOfValue(look.font);
    if (look.writesFont)
        style += m_context.fontCSS(font);

    double kerning = numberOfValue(look.kern).value_or(0);
    if (m_context.textScale != 1.0 && m_context.textScale != 0.0)
        kerning /= m_context.textScale;
    // To the hundredth: half a point (Word's "condensed by 0.5 pt") is no
    // whole pixel.
    kerning = std::round(kerning * 100) / 100;
    if (kerning != 0 && std::isfinite(kerning)) {
        style += "letter-spacing:";
        style += formatShortest(kerning);
        style += "px;";
    }

    if (const auto* color = look.foreground ? look.foreground->as<ColorValue>() : nullptr) {
        style += "color:#";
        style += htmlHexString(color->color());
        style += ';';
    }
    if (const auto* color = look.background ? look.background->as<ColorValue>() : nullptr) {
        std::string hex = htmlHexString(color->color());
        if (hex != "ffffff") {
            style += "background-color:#";
            style += hex;
            style += ';';
        }
        // A line pattern is drawn over the colour it mixes to. A run whose
        // background was taken off has no shading left to draw.
        const auto* shading = look.shading ? look.shading->as<StringValue>() : nullptr;
        if (std::optional<TEShading> parsed = shading ? TEShading::fromText(toUtf8(shading->value())) : std::nullopt)
            if (std::string lines = HTMLShadingCSS::patternImage(*parsed); !lines.empty())
                style += "background-image:" + lines + ";";
    }

    const auto underline = static_cast<std::int64_t>(numberOfValue(look.underline).value_or(look.underline ? 1 : 0));
    const bool struck = flagOfValue(look.strikeOut);
    if (look.underline && struck)
        style += "text-decoration:underline line-through;";
    else if (look.underline)
        style += "text-decoration:underline;";
    else if (struck)
        style += "text-decoration:line-through;";
    // A double, dotted, dashed, wavy or thick underline keeps its line on
    // the page. The page has no double wave: it shows a wave.
    if (look.underline && (underline & 0xF00) == 0x500)
        style += "text-decoration-style:wavy;";
    else if (look.underline && (underline & 0xFF) == 9)
        style += "text-decoration-style:double;";
    else if (look.underline && (underline & 0xF00) == 0x100)
        style += "text-decoration-style:dotted;";
    else if (look.underline && (underline & 0xF00) >= 0x200 && (underline & 0xF00) <= 0x400)
        style += "text-decoration-style:dashed;";
    // CSS gives all the lines of a text one style: a double strike-through
    // shows double where the text is not underlined as well.
    else if (struck && flagOfValue(look.doubleStrikeOut))
        style += "text-decoration-style:double;";
    if (look.underline && (underline & 0xFF) == 2)
        style += "text-decoration-thickness:2px;";
    if (const auto* color = look.underline && look.underlineColor ? look.underlineColor->as<ColorValue>() : nullptr) {
        style += "text-decoration-color:#";
        style += htmlHexString(color->color());
        style += ';';
    }

    // Capitals over the letters as typed, so that editing and saving keep
    // the letters.
    if (flagOfValue(look.capitals))
        style += "text-transform:uppercase;";
    if (flagOfValue(look.smallCapitals))
        style += "font-variant:small-caps;";
    if (const auto* shadows = look.shadows ? look.shadows->as<ArrayValue>() : nullptr) {
        std::string list;
        for (const AttributeValuePtr& element : shadows->elements()) {
            const auto* shadow = element ? element->as<ShadowValue>() : nullptr;
            if (!shadow)
                continue;
            if (!list.empty())
                list += ", ";
            list += formatShortest(shadow->offset().width) + "px " + formatShortest(shadow->offset().height) + "px "
                + formatShortest(shadow->blur()) + "px " + cssColor(shadow->color());
        }
        if (!list.empty())
            style += "text-shadow:" + list + ';';
    }
    // Outlined letters: a stroke around no fill. A negative width strokes
    // filled letters. The stroke is the text's colour unless it has its own.
    const double strokeWidth = numberOfValue(look.strokeWidth).value_or(0);
    if (strokeWidth > 0)
        style += "-webkit-text-stroke-width:1px;-webkit-text-fill-color:transparent;";
    else if (strokeWidth < 0)
        style += "-webkit-text-stroke-width:1px;";
    if (const auto* color = strokeWidth != 0 && look.strokeColor ? look.strokeColor->as<ColorValue>() : nullptr)
        style += "-webkit-text-stroke-color:#" + htmlHexString(color->color()) + ';';

    if (std::optional<double> superscript = numberOfValue(look.superscript)) {
        if (*superscript == 1)
            style += "vertical-align:super;";
        else if (*superscript == -1)
            style += "vertical-align:sub;";
        else
            style += "vertical-align:baseline;";
        // A printed page sets raised and lowered text smaller, as word
        // processors do; the editing page keeps the size the text has.
        if (m_context.settings.forPrint && *superscript != 0)
            style += raisedTextSize(font);
    } else if (const double shift = numberOfValue(look.baselineShift).value_or(0); shift != 0 && std::isfinite(shift)) {
        // Half points, as a share of the text's own size, so that the
        // page's scale does not change it.
        constexpr double kDefaultPointSize = 12;
        const double size = font && font->pointSize() > 0 ? font->pointSize() : kDefaultPointSize;
        style += "vertical-align:" + formatShortest(std::round(shift / 2 / size * 1000) / 1000) + "em;";
    }
    return style;
}

std::string HTMLRunWriter::raisedTextSize(const Font* fontOfText) const
{
    constexpr double kRaisedTextScale = 0.7;
    const std::string& font = m_context.fontCSS(fontOfText);
    std::size_t found = font.find("font-size:");
    if (found == std::string::npos)
        return "font-size:70%;";
    double size = std::atof(font.c_str() + found + 10);
    if (!(size > 0))
        return "font-size:70%;";
    return "font-size:" + formatFixed(size * kRaisedTextScale, 0) + "px;";
}

bool HTMLRunWriter::paragraphCarries(const std::string& name, const std::u16string& value) const
{
    auto found = m_paragraphAttributes.find(name);
    if (found == m_paragraphAttributes.end())
        return false;
    // A document's paragraph class holds the generated class and the
    // element's own words; a fragment's holds the value as it was.
    if (m_context.fragment)
        return found->second == value;
    return hasWord(found->second, value);
}

void HTMLRunWriter::writeRun(std::string& html, const AttributeDictionary& attributes, Range run)
{
    HTMLRunForm& form = m_context.styleCache.runForm(attributes);
    followLinkTarget(form, run);
    if (form.isAttachment) {
        const AttributeValuePtr& attachment = attributes.valueForKey(NSAttachmentAttributeName);
        // An attachment never opens a link of its own: an a element opened
        // for it would have no text to close behind. Inside an open link it
        // stands in the link.
        const std::string& fontCSS = m_context.fontCSS(fontInAttributes(attributes));
        if (std::optional<std::u16string> element =
                HTMLAttachmentWriter::htmlForAttachment(*attachment, m_context, fontCSS)) {
            // A picture's markup carries what the document gave it (names,
            // sizes): a file read elsewhere gets what the sanitiser keeps.
            std::string markup = m_context.settings.exported
                ? HTMLSanitizer::sanitizedHTML(toUtf8(*element), HTMLSanitizer::Use::Export,
                                               HTMLSanitizer::Characters::References)
                : toUtf8(*element);
            HTMLMarkup::appendBodyMarkup(html, markup, m_context.bodyFinish);
        }
        closeLinkIfEnded(html, run);
        return;
    }

    std::u16string_view text = std::u16string_view(m_context.string.string()).substr(run.location, run.length);
    if (form.pageBreak && text.find_first_not_of(u'\f') == std::u16string_view::npos) {
        writePageBreaks(html, text.size());
        closeLinkIfEnded(html, run);
        return;
    }
    if (form.rule && text.find_first_not_of(u'\f') == std::u16string_view::npos) {
        writeRules(html, text.size());
        closeLinkIfEnded(html, run);
        return;
    }
    // A line break that clears the pictures beside the text, as HTML's own
    // "clear" says it.
    if (const IntegerValue* clear = form.lineBreakClear;
        clear && clear->value() >= 1 && clear->value() <= 3 && !text.empty()
        && text.find_first_not_of(u'\u2028') == std::u16string_view::npos) {
        // A book's XHTML has no such attribute: its style says the same.
        static constexpr std::string_view kSides[] = {"left", "right", "all"};
        static constexpr std::string_view kStyles[] = {"left", "right", "both"};
        const std::size_t side = static_cast<std::size_t>(clear->value() - 1);
        const std::string tag = m_context.settings.forEPub
            ? "<br style=\"clear:" + std::string(kStyles[side]) + "\"/>"
            : "<br clear=\"" + std::string(kSides[side]) + "\"/>";
        for (std::size_t count = 0; count < text.size(); ++count)
            HTMLMarkup::appendBodyMarkup(html, tag, m_context.bodyFinish);
        closeLinkIfEnded(html, run);
        return;
    }
    if (text == u"\uFFFC" || (form.hidden && m_context.settings.leavesOutHidden)) {
        // Hidden text, and the character a bookmark of a place stands on,
        // still mark where the bookmark begins, for the links to it.
        if (text != u"\uFFFC" && form.bookmark && !form.bookmark->value().empty()) {
            HTMLAttributeMap marked{{"data-bookmark", form.bookmark->value()}};
            html += "<span";
            m_context.appendAttributes(html, "span", marked);
            html += "></span>";
        }
        closeLinkIfEnded(html, run);
        return;
    }

    bool opensLink = openLink(form, run);

    // A run's span depends on its attributes alone unless it has attributes
    // of its own from a page, whose place beside the paragraph and the link
    // decides where they are written: the others' tag is made once.
    std::string ownTag;
    const std::string* spanTag = &ownTag;
    if (form.customAttributes) {
        ownTag = spanStartTag(form, attributes, run);
    } else {
        std::optional<std::string>& cached = form.spanStartTags[m_paragraphFontIsUniform ? 0 : 1];
        if (!cached)
            cached = m_context.styleCache.spanStartTag(spanTagSource(attributes, !m_paragraphFontIsUniform),
                                                       [&] { return spanStartTag(form, attributes, run); });
        spanTag = &*cached;
    }

    if (opensLink) {
        html += "<a";
        m_context.appendAttributes(html, "a", m_linkAttributes);
        html += '>';
        m_linkElementOpen = true;
    }
    html += *spanTag;
    if (m_context.settings.keepsBlanksEndingLines)
        appendTextKeepingBlanksEndingLines(html, text, run);
    else
        HTMLMarkup::appendBodyText(html, text, !m_context.settings.keepsPlaceholders, m_context.bodyFinish);
    if (!spanTag->empty())
        html += "</span>";
    closeLinkIfEnded(html, run);
}

std::string HTMLRunWriter::spanStartTag(HTMLRunForm& form, const AttributeDictionary& attributes, Range run) const
{
    HTMLAttributeMap spanAttributes;
    if (const StringMapValue* custom = form.customAttributes) {
        for (const auto& [name, value] : custom->map()) {
            if (paragraphCarries(name, value))
                continue;
            if (m_linkRange.isNotFound()) {
                spanAttributes[name] = value;
                continue;
            }
            Range own = rangeOfCustomHTMLAttribute(m_context.string, name, run.location);
            own = intersectionRange(own, m_paragraph);
            if (own != m_linkRange)
                spanAttributes[name] = value;
        }
    }
    // A run in a character style of the document's style sheet keeps the
    // style's name on the page, for the save.
    if (const auto* style = attributes.valueForKeyAs<StringValue>(TECharacterStyleNameAttribute))
        spanAttributes["data-character-style"] = style->value();
    // The page checks spelling in the run's language, and not at all where
    // the document says so.
    const bool keptForTheSave = !m_context.settings.exported;
    m_context.settings.inheritedLanguages.addOwnAttributes(
        form.language, form.eastAsianLanguage,
        keptForTheSave ? attributes.valueForKeyAs<StringValue>(TEComplexScriptLanguageAttribute) : nullptr,
        keptForTheSave, spanAttributes);
    writeScriptMarks(attributes, spanAttributes, keptForTheSave);
    if (form.noProofing)
        spanAttributes["spellcheck"] = u"false";
    // CSS has no double wave: the page shows a wave and keeps the second
    // line here, for the save.
    // Nor a line under the words alone: the page underlines the spaces too.
    if (const double underline = numberOfValue(form.look.underline).value_or(0); underline == 0x509)
        spanAttributes["data-underline"] = u"double-wave";
    else if (underline == 0x8001)
        spanAttributes["data-underline"] = u"words";
    // The page draws a stroke one width; the document's own goes with it.
    constexpr double kOutlineWidth = 3;
    if (const double width = numberOfValue(form.look.strokeWidth).value_or(0); width != 0 && width != kOutlineWidth)
        spanAttributes["data-stroke-width"] = toUtf16(formatShortest(width));
    if (form.shading && !form.shading->value().empty())
        spanAttributes["data-shading"] = form.shading->value();
    if (form.hidden)
        spanAttributes["data-hidden"] = u"1";
    // The page's own tools know one strike-through and raise text only as
    // a superscript: what they cannot show is kept here, for the save.
    if (flagOfValue(form.look.strikeOut) && flagOfValue(form.look.doubleStrikeOut))
        spanAttributes["data-strike"] = u"double";
    // A superscript or subscript keeps the distance it had in its own
    // attribute, which the page drops together with the superscript.
    if (const double shift = numberOfValue(form.look.baselineShift).value_or(0); shift != 0 && std::isfinite(shift)) {
        const double superscript = numberOfValue(form.look.superscript).value_or(0);
        if (superscript == 0)
            spanAttributes["data-baseline-shift"] = toUtf16(formatShortest(shift));
        else if ((superscript > 0) == (shift > 0))
            spanAttributes["data-superscript-shift"] = toUtf16(formatShortest(shift));
    }
    if (form.fieldInstruction && !form.fieldInstruction->value().empty())
        spanAttributes["data-field"] = form.fieldInstruction->value();
    if (form.bookmark && !form.bookmark->value().empty())
        spanAttributes["data-bookmark"] = form.bookmark->value();
    if (form.commentRanges && !form.commentRanges->value().empty())
        spanAttributes["data-comment"] = form.commentRanges->value();
    if (form.kerning)
        spanAttributes["data-kerning"] = toUtf16(std::to_string(form.kerning->value()));
    // Most runs of a fragment are a span with a style alone: its start tag
    // is written once per style.
    if (m_context.settings.stylesRuns) {
        const HTMLRunStyle*& style = form.styles[m_paragraphFontIsUniform ? 0 : 1];
        if (!style) {
            HTMLRunLook look = form.look;
            look.writesFont = !m_paragraphFontIsUniform;
            style = &m_context.styleCache.runStyle(look, [&] {
                HTMLRunStyle made{runStyle(look), {}};
                // A document's spans take their style through its classes
                // and the element's other attributes, never this tag.
                if (!made.css.empty() && m_context.fragment)
                    made.spanStartTag =
                        "<span style=\"" + HTMLMarkup::styleAttributeValue(made.css, m_context.settings.exported) + "\">";
                return made;
            });
        }
        // A run of its own font in a paragraph spaced at a multiple of
        // lines is as tall as that multiple of its font's line on paper.
        const std::string lineHeight = m_paragraphFontIsUniform
            ? std::string()
            : m_context.printedLineHeightCSS(fontOfValue(form.look.font), m_lineMultiple);
        if (m_context.fragment && spanAttributes.empty() && lineHeight.empty())
            return style->css.empty() ? std::string() : style->spanStartTag;
        m_context.applyStyle(spanAttributes, "span", style->css + lineHeight);
    }
    if (spanAttributes.empty())
        return {};
    std::string tag = "<span";
    m_context.appendAttributes(tag, "span", spanAttributes);
    tag += '>';
    return tag;
}

void HTMLRunWriter::appendTextMarkingNoBreakSpaces(std::string& html, std::u16string_view text, bool dropsPlaceholders)
{
    // The page's editing writes a blank typed where a plain one would not
    // show (a paragraph's start, after a picture) as a no-break space too:
    // the document's own are marked, so that the save tells them apart.
    constexpr std::string_view kMarkedNoBreakSpace = "<span data-nbsp=\"\">\xC2\xA0</span>";
    std::size_t start = 0;
    for (std::size_t at = text.find(u'\u00A0'); at != std::u16string_view::npos; at = text.find(u'\u00A0', start)) {
        HTMLMarkup::appendBodyText(html, text.substr(start, at - start), dropsPlaceholders, m_context.bodyFinish);
        html += kMarkedNoBreakSpace;
        start = at + 1;
    }
    HTMLMarkup::appendBodyText(html, text.substr(start), dropsPlaceholders, m_context.bodyFinish);
}

void HTMLRunWriter::appendTextKeepingBlanksEndingLines(std::string& html, std::u16string_view text, Range run)
{
    constexpr std::string_view kKeptBlanksStart = "<span style=\"white-space:pre-wrap;\">";
    const std::u16string& all = m_context.string.string();
    const bool runEndsLine = run.end() == m_paragraph.end() || all[run.end()] == u'\u2028';
    const bool dropsPlaceholders = !m_context.settings.keepsPlaceholders;
    std::size_t lineStart = 0;
    while (lineStart <= text.size()) {
        std::size_t lineEnd = std::min(text.find(u'\u2028', lineStart), text.size());
        std::u16string_view line = text.substr(lineStart, lineEnd - lineStart);
        const bool endsLine = lineEnd < text.size() || runEndsLine;
        // Blanks alone between two tags would be read back as no text: the
        // span keeps them, all plain, as text of its own.
        if (endsLine && !line.empty() && line.find_first_not_of(u' ') == std::u16string_view::npos) {
            html += kKeptBlanksStart;
            html.append(line.size(), ' ');
            html += "</span>";
        } else {
            appendTextMarkingNoBreakSpaces(html, line, dropsPlaceholders);
            if (endsLine && !line.empty() && html.ends_with(' ')) {
                html.pop_back();
                html += kKeptBlanksStart;
                html += " </span>";
            }
        }
        if (lineEnd == text.size())
            break;
        HTMLMarkup::appendBodyText(html, u"\u2028", dropsPlaceholders, m_context.bodyFinish);
        lineStart = lineEnd + 1;
    }
}

} // namespace folio
