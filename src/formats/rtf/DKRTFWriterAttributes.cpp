#include "formats/rtf/DKRTFWriter.h"

#include "engine/model/TEAttributeKeys.h"
#include "engine/model/TEParagraphBorders.h"
#include "engine/model/TEParagraphFrame.h"
#include "engine/model/TEShading.h"
#include "engine/model/TEAttributeQueries.h"
#include "engine/model/TESectionBreak.h"
#include "engine/attachments/TETextAttachment.h"
#include "platform/graphics/FontFace.h"
#include "platform/text/AttributeDictionaryAccess.h"
#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/Unicode.h"
#include "platform/text/FontAttributeValue.h"

#include <algorithm>
#include <cmath>
#include <tuple>
#include <utility>

namespace folio {

namespace {

constexpr float kAttributeTwipsPerCentimetre = 566.96f;
constexpr double kSingleLineSpacing = 240;
constexpr double kLargestLineSpacing = 1920;
constexpr double kFallbackLineSpacing = 360;
// Points: the tallest line a page of the largest paper holds.
constexpr double kLargestLineHeight = 22 * 72;
// Points; farther than any page is wide.
constexpr double kLargestTabStop = 20000;

// Flags such as "LISTEND" or the page break are on when present, unless they
// hold a number that is 0: the reader marks every run outside a table with
// its table keys at 0, and those must not start a table.
bool hasFlag(const AttributeDictionary& attributes, std::string_view key)
{
    if (!attributes.containsKey(key))
        return false;
    const AttributeValuePtr& value = attributes.valueForKey(key);
    if (const auto* number = value->as<IntegerValue>())
        return number->value() != 0;
    if (const auto* number = value->as<DoubleValue>())
        return number->value() != 0;
    if (const auto* flag = value->as<BoolValue>())
        return flag->value();
    return true;
}

const ArrayValue* listArray(const AttributeDictionary& attributes)
{
    return attributes.valueForKeyAs<ArrayValue>(TETextListsAttribute);
}

std::optional<std::string> linkOf(const AttributeDictionary& attributes)
{
    const AttributeValuePtr& value = attributes.valueForKey(TELinkAttribute);
    if (!value)
        return std::nullopt;
    if (const auto* url = value->as<URLValue>())
        return url->urlString();
    if (const auto* string = value->as<StringValue>())
        return toUtf8(string->value());
    return std::nullopt;
}

// A value of several names or instructions one a line, as the lines that
// are not empty.
std::vector<std::u16string> lines(const StringValue* value)
{
    std::vector<std::u16string> found;
    for (std::size_t start = 0; value && start <= value->value().size();) {
        const std::size_t end = std::min(value->value().find(u'\n', start), value->value().size());
        if (end > start)
            found.push_back(value->value().substr(start, end - start));
        start = end + 1;
    }
    return found;
}

const char* attributeAlignmentWord(std::int32_t alignment)
{
    switch (static_cast<TextAlignment>(alignment)) {
    case TextAlignment::Right:
        return "\\qr";
    case TextAlignment::Center:
        return "\\qc";
    case TextAlignment::Justified:
        return "\\qj";
    default:
        return "\\ql";
    }
}

const char* underlineWord(std::uint32_t value)
{
    if ((value & 0xFF) == 0)
        return "\\ul0";
    switch (value) {
    case 0x101:
        return "\\uld";
    case 0x201:
        return "\\uldash";
    case 0x301:
        return "\\uldashd";
    case 0x401:
        return "\\uldashdd";
    case 0x009:
        return "\\uldb";
    case 0x002:
        return "\\ulth";
    case 0x102:
        return "\\ulthd";
    case 0x202:
        return "\\ulthdash";
    case 0x302:
        return "\\ulthdashd";
    case 0x402:
        return "\\ulthdashdd";
    case 0x501:
        return "\\ulwave";
    case 0x502:
        return "\\ulhwave";
    case 0x509:
        return "\\ululdbwave";
    case 0x8001:
        return "\\ulw";
    default:
        return "\\ul";
    }
}

// Doubles are truncated as the C conversion does; values beyond the 32-bit
// range (absurd indents) are pinned rather than left undefined.
std::int32_t truncated(double value)
{
    if (!std::isfinite(value))
        return 0;
    return static_cast<std::int32_t>(std::clamp(value, -2147483648.0, 2147483647.0));
}

// The stops a reader can take back: at a position past the paragraph's
// edge that rounds to a whole twip above zero.
std::vector<TextTab> writableTabStops(const std::optional<std::vector<TextTab>>& stops)
{
    std::vector<TextTab> writable;
    if (!stops)
        return writable;
    for (const TextTab& stop : *stops)
        if (std::isfinite(stop.location) && std::round(stop.location * 20) >= 1 && stop.location <= kLargestTabStop)
            writable.push_back(stop);
    return writable;
}

} // namespace

void DKRTFWriter::writeTabStops(const std::vector<TextTab>& stops)
{
    for (const TextTab& stop : stops) {
        if (stop.decimal)
            m_buffer.appendCString("\\tqdec");
        else if (stop.alignment == TextAlignment::Right)
            m_buffer.appendCString("\\tqr");
        else if (stop.alignment == TextAlignment::Center)
            m_buffer.appendCString("\\tqc");
        if (stop.leader == u'.')
            m_buffer.appendCString("\\tldot");
        else if (stop.leader == u'-')
            m_buffer.appendCString("\\tlhyph");
        else if (stop.leader == u'_')
            m_buffer.appendCString("\\tlul");
        m_buffer.appendCString("\\tx");
        m_buffer.appendInteger(truncated(std::round(stop.location * 20)));
    }
}

bool DKRTFWriter::writeOnChange(const char* controlWord, std::int32_t value, std::int32_t& lastWritten)
{
    if (value == lastWritten)
        return false;
    m_buffer.appendCString(controlWord);
    m_buffer.appendInteger(value);
    lastWritten = value;
    return true;
}

bool DKRTFWriter::isListMarker(const AttributeDictionary& attributes)
{
    auto field = stringForKey(attributes, TEFieldAttribute);
    return field && *field == TEFieldAttributeValue;
}

void DKRTFWriter::writeListNumbering(const ArrayValue& lists, bool endsAList)
{
    // Every item names its list and level when they differ from the item
    // before: returning to an outer level is named too, or a reader would
    // keep the item, and every item after it, inside the inner list.
    auto number = lists.isEmpty() ? m_listNumbers.end() : m_listNumbers.find(lists.elements().front().get());
    const std::int64_t list = number == m_listNumbers.end() ? 1 : static_cast<std::int64_t>(number->second);
    const std::int64_t level = std::max<std::int64_t>(static_cast<std::int64_t>(lists.count()) - 1, 0);
    if (list == m_writtenList && level == m_writtenLevel)
        return;
    // An item of another list, or a deeper level of this one, while one is
    // open starts a list inside it; one that ends the list before starts a
    // list of its own.
    if (endsAList) {
        m_enclosingLists.clear();
    } else if (!m_enclosingLists.empty() && m_enclosingLists.back().list == list
               && level <= m_enclosingLists.back().level) {
        while (!m_enclosingLists.empty() && m_enclosingLists.back().list == list
               && level <= m_enclosingLists.back().level)
            m_enclosingLists.pop_back();
    } else if (m_writtenList != 0 && (list != m_writtenList || level > m_writtenLevel)) {
        m_enclosingLists.push_back({m_writtenList, m_writtenLevel, m_markerList, m_markerLevels});
    }
    writeListAndLevel(list, level);
}

void DKRTFWriter::writeListAndLevel(std::int64_t list, std::int64_t level)
{
    m_buffer.appendCString("\\ls");
    m_buffer.appendInteger(list);
    m_buffer.appendCString("\\ilvl");
    m_buffer.appendInteger(level);
    m_buffer.appendByte('\n');
    m_writtenList = list;
    m_writtenLevel = level;
}

void DKRTFWriter::returnToEnclosingList()
{
    if (m_enclosingLists.empty())
        return;
    EnclosingList enclosing = std::move(m_enclosingLists.back());
    m_enclosingLists.pop_back();
    writeListAndLevel(enclosing.list, enclosing.level);
    m_markerList = enclosing.markerList;
    m_markerLevels = std::move(enclosing.markerLevels);
}

void DKRTFWriter::writeParagraphAttributes(const AttributeDictionary& attributes, const AttributeDictionary* itemText)
{
    if (hasFlag(attributes, TEPageBreakAttribute)) {
        // A paragraph's own break goes with the paragraph's settings.
        if (hasFlag(attributes, TEPageBreakBeforeParagraphAttribute)) {
            m_pageBreakBeforeNextParagraph = true;
        } else {
            // A break after a frame's paragraph is no part of the frame:
            // in it, the frame would hold the break and its page.
            if (!m_state.paragraphFrame.empty() && paragraphFrameText(attributes) != m_state.paragraphFrame) {
                m_buffer.appendCString("\\pard\n");
                resetWrittenParagraphState();
            }
            m_buffer.appendCString("\\page ");
        }
        return;
    }
    if (hasFlag(attributes, TEHorizontalRuleStyleAttribute)) {
        m_buffer.appendCString(kRuleGroup);
        return;
    }
    PlatformParagraphStyle::Settings style;
    style.lineHeightMultiple = 1.0;
    if (const auto* value = attributes.valueForKeyAs<ParagraphStyleValue>(kCTParagraphStyleAttributeName))
        style = value->style().settings();
    const ArrayValue* lists = listArray(attributes);
    const bool inList = lists || attributes.containsKey(TETextIsListAttribute);
    // A list item's marker may be laid out on stops of its own; the item's
    // stops are those of its text.
    std::vector<TextTab> tabStops;
    if (!inList) {
        tabStops = writableTabStops(style.tabStops);
    } else if (const auto* item = itemText ? itemText->valueForKeyAs<ParagraphStyleValue>(kCTParagraphStyleAttributeName)
                                           : nullptr) {
        tabStops = writableTabStops(item->style().tabStops());
    }
    // A reader adds every stop named to those in force; only "\pard" clears
    // them, and with them everything else written for the paragraph. The
    // keeps and contextual spacing end the same way.
    const bool keepEnds = (!style.keepWithNext && m_state.keepWithNext == 1) ||
        (!style.keepTogether && m_state.keepTogether == 1) || (style.outlineLevel == 0 && m_state.outlineLevel > 0) ||
        (!style.contextualSpacing && m_state.contextualSpacing == 1);
    // Word and LibreOffice rule a group of paragraphs off as one box (with
    // "\brdrbtw" between them) until a "\pard": taking the lines away side
    // by side leaves the group's last paragraph without its bottom line.
    if ((tabStops != m_state.tabStops && !m_state.tabStops.empty()) || keepEnds
        || (!m_state.paragraphBorders.empty() && paragraphBordersText(attributes) != m_state.paragraphBorders)
        || (!m_state.paragraphFrame.empty() && paragraphFrameText(attributes) != m_state.paragraphFrame)
        || (m_state.pageBreakBefore == 1 && !m_pageBreakBeforeNextParagraph)) {
        const std::int64_t list = m_writtenList;
        const std::int64_t level = m_writtenLevel;
        m_buffer.appendCString("\\pard\n");
        resetWrittenParagraphState();
        // A later item of a list read from a file names no list of its own:
        // it stays in the list of the item before.
        if (inList && !lists && list != 0)
            writeListAndLevel(list, level);
    }
    writeParagraphStyle(attributes);

    if (lists && isListMarker(attributes))
        writeListNumbering(*lists, attributes.containsKey(TETextEndOfListAttribute));
    else if (inList && isListMarker(attributes) && attributes.containsKey(TETextEndOfListAttribute))
        returnToEnclosingList();

    bool changed = false;
    // Named again where it is in force: this program's reader breaks the
    // page where the word stands.
    if (std::exchange(m_pageBreakBeforeNextParagraph, false)) {
        m_buffer.appendCString("\\pagebb");
        m_state.pageBreakBefore = 1;
        changed = true;
    }
    // Rounded, not cut: the ruler scale of "\li680" is a hair under 680
    // twips in single precision, and cutting lost a twip at every save. An
    // item made on the page starts its first line at its head indent, in
    // the page's units, and is written as it always was; an item read from
    // a file has the indents the file gave it, in the file's units.
    const bool ownListIndents = inList && style.firstLineHeadIndent != style.headIndent;
    std::int32_t leftIndent = inList && !ownListIndents
        ? truncated(static_cast<float>(truncated(style.headIndent * 1096)) / 80.0f)
        : truncated(std::round(style.headIndent * 1096.0 / 80.0));
    changed |= writeOnChange("\\li", leftIndent, m_state.leftIndent);
    // A right indent is kept as a negative tail indent, in the left
    // indent's scale.
    const double tailIndent = std::isfinite(style.tailIndent) ? std::min(style.tailIndent, 0.0) : 0.0;
    changed |= writeOnChange("\\ri", truncated(std::round(-tailIndent * 1096.0 / 80.0)), m_state.rightIndent);

    if (lists) {
        // A file's first line mostly hangs left of the text, where the
        // marker goes, but never past the paragraph's own left edge.
        std::int32_t firstLine = leftIndent;
        const auto indent = static_cast<float>(style.firstLineHeadIndent);
        if (ownListIndents && std::isfinite(indent))
            firstLine = truncated(std::round(
                std::max(indent, -static_cast<float>(leftIndent) / kAttributeTwipsPerCentimetre) * kAttributeTwipsPerCentimetre));
        m_buffer.appendCString("\\fi");
        m_buffer.appendInteger(firstLine);
        m_state.firstLineIndent = firstLine;
        changed = true;
    } else {
        float indent = static_cast<float>(style.firstLineHeadIndent);
        // 0.56 is what the editor's ruler leaves when the indent is removed.
        if (indent == 0.56f)
            indent = 0;
        // A hanging first line (a negative indent) stands out to the left,
        // but never past the paragraph's own left edge.
        indent = std::max(indent, -static_cast<float>(leftIndent) / kAttributeTwipsPerCentimetre);
        if (indent > 11332)
            indent = 0;
        // Rounded, not cut: the page holds the indent to a thousandth of a
        // centimetre, a little either side of the twip that was read.
        std::int32_t twips = indent == 0 ? 0 : truncated(std::round(indent * kAttributeTwipsPerCentimetre));
        changed |= writeOnChange("\\fi", twips, m_state.firstLineIndent);
    }

    changed |= writeOnChange("\\sa", truncated(style.paragraphSpacing * 20), m_state.paragraphSpacing);
    changed |= writeOnChange("\\sb", truncated(style.paragraphSpacingBefore * 20), m_state.paragraphSpacingBefore);
    if (tabStops != m_state.tabStops) {
        writeTabStops(tabStops);
        m_state.tabStops = std::move(tabStops);
        changed = true;
    }
    // Off after a style was named is what the style says, as the reader
    // takes it; nothing is written for it.
    for (auto [keeps, word, written] : {std::tuple{style.keepWithNext, "\\keepn", &m_state.keepWithNext},
                                        std::tuple{style.keepTogether, "\\keep", &m_state.keepTogether},
                                        std::tuple{style.contextualSpacing, "\\contextualspace", &m_state.contextualSpacing}}) {
        if (keeps && *written != 1) {
            m_buffer.appendCString(word);
            changed = true;
        }
        *written = keeps ? 1 : 0;
    }
    if (style.widowControl != (m_state.widowControl == 1) && (style.widowControl || m_state.widowControl == 1)) {
        m_buffer.appendCString(style.widowControl ? "\\widctlpar" : "\\nowidctlpar");
        changed = true;
    }
    m_state.widowControl = style.widowControl ? 1 : 0;
    const int outlineLevel = style.outlineLevel >= 1 && style.outlineLevel <= 9 ? style.outlineLevel : 0;
    if (outlineLevel != 0 && outlineLevel != m_state.outlineLevel) {
        m_buffer.appendCString("\\outlinelevel");
        m_buffer.appendInteger(outlineLevel - 1);
        changed = true;
    }
    m_state.outlineLevel = outlineLevel;
    if (style.noHyphenation != (m_state.noHyphenation == 1) && (style.noHyphenation || m_state.noHyphenation == 1)) {
        m_buffer.appendCString(style.noHyphenation ? "\\hyphpar0" : "\\hyphpar");
        changed = true;
    }
    m_state.noHyphenation = style.noHyphenation ? 1 : 0;
    changed |= writeParagraphShading(attributes);
    changed |= writeParagraphBorders(attributes);
    changed |= writeParagraphFrame(attributes);

    changed |= writeLineSpacing(style);

    auto direction = static_cast<std::int32_t>(style.baseWritingDirection);
    auto alignment = static_cast<std::int32_t>(style.alignment);
    if (direction != m_state.direction) {
        if (style.baseWritingDirection != WritingDirection::Natural)
            m_buffer.appendCString(style.baseWritingDirection == WritingDirection::RightToLeft ? "\\rtlpar"
                                                                                               : "\\ltrpar");
        m_state.direction = direction;
        if (alignment != m_state.alignment) {
            m_buffer.appendCString(attributeAlignmentWord(alignment));
            m_state.alignment = alignment;
        }
        m_buffer.appendByte('\n');
    } else if (alignment != m_state.alignment) {
        m_buffer.appendCString(attributeAlignmentWord(alignment));
        m_state.alignment = alignment;
        m_buffer.appendByte('\n');
    } else if (changed) {
        m_buffer.appendByte('\n');
    }
}

bool DKRTFWriter::writeLineSpacing(const PlatformParagraphStyle::Settings& style)
{
    // A least or exact line height, in points, is the word processors' own
    // "\sl" in twips, exact ones negative; "\slmult0" says that it is no
    // multiple, for readers that keep "\slmult1" from a paragraph before.
    const double least = std::isfinite(style.minimumLineHeight) ? style.minimumLineHeight : 0;
    const double most = std::isfinite(style.maximumLineHeight) ? style.maximumLineHeight : 0;
    std::int32_t spacing = 0;
    std::int32_t multiple = 0;
    if (least > 0 && most == least) {
        spacing = -truncated(std::round(std::min(least, kLargestLineHeight) * 20));
    } else if (least > 0 && most == 0) {
        spacing = truncated(std::round(std::min(least, kLargestLineHeight) * 20));
    } else {
        // Text read from RTF or from the page's "line-height" carries a
        // paragraph's own spacing as the minimum line spacing (a multiple);
        // the line height multiple is a default for all paragraphs. Without
        // either the paragraph is single spaced.
        const double lines = style.minimumLineSpacing > 0 ? style.minimumLineSpacing
            : style.lineHeightMultiple > 0               ? style.lineHeightMultiple
                                                         : 1.0;
        // Rounded, not cut: a multiple read from "\sl276" is 1.15 in single
        // precision, a hair under 276 twips.
        double twips = std::round(lines * kSingleLineSpacing);
        if (twips > kLargestLineSpacing)
            twips = kFallbackLineSpacing;
        spacing = truncated(twips);
        multiple = 1;
    }
    if (spacing == m_state.lineSpacing && multiple == m_state.lineSpacingIsMultiple)
        return false;
    m_buffer.appendCString("\\sl");
    m_buffer.appendInteger(spacing);
    m_buffer.appendCString(multiple ? "\\slmult1" : "\\slmult0");
    m_state.lineSpacing = spacing;
    m_state.lineSpacingIsMultiple = multiple;
    return true;
}

void DKRTFWriter::writeSuperscriptStep(std::int32_t level)
{
    std::int32_t current = m_state.superscript;
    if ((current > 0 && level < current) || (current < 0 && level > current)) {
        m_buffer.appendCString("\\nosupersub");
        current = 0;
    }
    for (; current < level; ++current)
        m_buffer.appendCString("\\super");
    for (; current > level; --current)
        m_buffer.appendCString("\\sub");
    m_state.superscript = level;
}

const DKRTFWriter::CharacterFormatting& DKRTFWriter::characterFormatting(const AttributeDictionary& attributes)
{
    auto [found, isNew] = m_characterFormatting.try_emplace(&attributes);
    CharacterFormatting& formatting = found->second;
    if (!isNew)
        return formatting;
    double fontSize = 12;
    const AttributeValuePtr& fontValue = attributes.valueForKey(kCTFontAttributeName);
    if (const auto* value = fontValue ? fontValue->as<FontAttributeValue>() : nullptr) {
        fontSize = value->font().pointSize();
        formatting.bold = (value->font().symbolicTraits() & kFontBoldTrait) != 0;
        formatting.italic = (value->font().symbolicTraits() & kFontItalicTrait) != 0;
        auto [number, isNewFont] = m_fontNumbersByValue.try_emplace(fontValue.get());
        if (isNewFont)
            number->second = registeredFontNumber(fontTableName(fontValue));
        formatting.fontNumber = number->second;
    } else {
        formatting.fontNumber = registeredFontNumber(fontTableName(nullptr));
    }
    formatting.keepsFontInForce = showsNoLetters(attributes);
    formatting.halfPoints = truncated(std::round(2 * fontSize));
    formatting.strike = intForKey(attributes, TEStrikeOutAttribute, 0) != 0;
    formatting.underline = unsignedIntForKey(attributes, kCTUnderlineStyleAttributeName, 0);
    formatting.superscript = intForKey(attributes, kCTSuperscriptAttributeName, 0);
    if (const double kerning = TEAttributeQueries::kerning(attributes); std::isfinite(kerning))
        formatting.characterSpacing = truncated(std::round(std::clamp(kerning, -1584.0, 1584.0) * 20));
    formatting.characterMarks = characterMarks(attributes);
    formatting.scriptMarks = scriptMarks(attributes);
    formatting.foregroundColor = colorNumberOfValue(attributes.valueForKey(kCTForegroundColorAttributeName));
    formatting.backgroundColor = colorNumberOfValue(attributes.valueForKey(NSBackgroundColorAttributeName));
    // A background that is the look of the run's shading is written as that
    // shading alone; another one shows over it, as a highlight.
    if (const DKRTFCharacterMarks::Shading& marked = formatting.characterMarks.shading; marked.shading != 0 || marked.pattern != 0 || marked.fill) {
        TEShading shading{marked.pattern, marked.shading,
                          marked.color ? std::optional<Color>(marked.color->color()) : std::nullopt,
                          marked.fill ? std::optional<Color>(marked.fill->color()) : std::nullopt};
        const auto* background = attributes.valueForKeyAs<ColorValue>(NSBackgroundColorAttributeName);
        if (std::optional<Color> look = shading.look(); look && background
            && DKRTFColorTableEntry::entryWithColor(&*look) == DKRTFColorTableEntry::entryWithColor(&background->color()))
            formatting.backgroundColor = 0;
    }
    if (const AttributeValuePtr& underline = attributes.valueForKey(NSUnderlineColorAttributeName);
        underline && underline->as<ColorValue>()) {
        formatting.underlineColor = colorNumberOfValue(underline);
        if (formatting.underlineColor == 0)
            formatting.underlineColor = m_blackUnderlineColorNumber;
    }
    formatting.lists = listArray(attributes);
    formatting.listMarker = isListMarker(attributes);
    formatting.inList = formatting.lists || attributes.containsKey(TETextIsListAttribute);
    formatting.listEnd = hasFlag(attributes, TEListEndMarker);
    formatting.link = linkOf(attributes);
    formatting.hidden = hasFlag(attributes, TEHiddenAttribute);
    formatting.bookmarks = lines(attributes.valueForKeyAs<StringValue>(TEBookmarkAttribute));
    if (const auto* ranges = attributes.valueForKeyAs<StringValue>(TECommentRangeAttribute)) {
        for (std::u16string& tag : componentsSeparatedByString(std::u16string_view(ranges->value()), u" "))
            if (!tag.empty())
                formatting.commentRanges.push_back(std::move(tag));
    }
    formatting.fields = lines(attributes.valueForKeyAs<StringValue>(TEFieldInstructionAttribute));
    formatting.attachment = attributes.valueForKeyAs<TETextAttachment>(NSAttachmentAttributeName);
    formatting.isPicture = formatting.attachment && !formatting.attachment->attributeForKey("attachmentType");
    formatting.footnoteTable = intForKey(attributes, TETextIsFootnoteTableAttribute, 0);
    formatting.pageBreak = hasFlag(attributes, TEPageBreakAttribute);
    formatting.rule = hasFlag(attributes, TEHorizontalRuleStyleAttribute);
    formatting.sectionBreak = attributes.valueForKeyAs<TESectionBreak>(TESectionBreakAttribute);
    if (m_styleSheet) {
        if (const auto* style = attributes.valueForKeyAs<StringValue>(TECharacterStyleNameAttribute))
            formatting.characterStyle = m_styleSheet->characterStyleNumber(style->value()).value_or(-1);
    }
    return formatting;
}

bool DKRTFWriter::writeParagraphShading(const AttributeDictionary& attributes)
{
    std::optional<TEShading> shading;
    if (const auto* text = attributes.valueForKeyAs<StringValue>(TEParagraphShadingAttribute))
        shading = TEShading::fromText(toUtf8(text->value()));
    const std::string text = shading ? shading->text() : std::string();
    if (text == m_state.paragraphShading)
        return false;
    // The share first: it starts a shading afresh, the pattern after it;
    // all of it 0 ends one.
    const TEShading written = shading.value_or(TEShading());
    m_buffer.appendCString("\\shading");
    m_buffer.appendInteger(written.shading);
    if (written.pattern >= 1 && written.pattern <= static_cast<int>(TEShading::kPatterns.size())) {
        m_buffer.appendCString("\\bg");
        m_buffer.appendCString(std::string(TEShading::kPatterns[static_cast<std::size_t>(written.pattern - 1)]).c_str());
    }
    m_buffer.appendCString("\\cfpat");
    m_buffer.appendInteger(writtenColorNumber(written.color));
    m_buffer.appendCString("\\cbpat");
    m_buffer.appendInteger(writtenColorNumber(written.fill));
    m_state.paragraphShading = text;
    return true;
}

std::string DKRTFWriter::paragraphBordersText(const AttributeDictionary& attributes)
{
    std::optional<TEParagraphBorders> borders;
    if (const auto* text = attributes.valueForKeyAs<StringValue>(TEParagraphBordersAttribute))
        borders = TEParagraphBorders::fromText(toUtf8(text->value()));
    return borders ? borders->text() : std::string();
}

bool DKRTFWriter::writeParagraphBorders(const AttributeDictionary& attributes)
{
    const std::string text = paragraphBordersText(attributes);
    const std::optional<TEParagraphBorders> borders = TEParagraphBorders::fromText(text);
    if (text == m_state.paragraphBorders)
        return false;
    static constexpr std::string_view kSideWords[] = {"\\brdrt", "\\brdrl", "\\brdrb", "\\brdrr", "\\brdrbtw", "\\brdrbar"};
    static_assert(std::size(kSideWords) == TEParagraphBorders::kSides.size());
    const TEParagraphBorders before = TEParagraphBorders::fromText(m_state.paragraphBorders).value_or(TEParagraphBorders());
    const TEParagraphBorders after = borders.value_or(TEParagraphBorders());
    for (std::size_t index = 0; index < after.sides.size(); ++index) {
        const std::optional<TEParagraphBorders::Border>& side = after.sides[index];
        // A side the paragraph before had and this one has not is taken away.
        if (!side && !before.sides[index])
            continue;
        m_buffer.appendCString(kSideWords[index]);
        if (!side) {
            m_buffer.appendCString("\\brdrnone");
            continue;
        }
        // A side without a kind of line goes back as it came, without one.
        if (side->style > 0) {
            m_buffer.appendCString("\\brdr");
            m_buffer.appendCString(TEParagraphBorders::kStyles[static_cast<std::size_t>(side->style - 1)]);
        }
        if (side->style > 0 || side->width != 0) {
            m_buffer.appendCString("\\brdrw");
            m_buffer.appendInteger(side->width);
        }
        if (side->style > 0 || side->space != 0) {
            m_buffer.appendCString("\\brsp");
            m_buffer.appendInteger(side->space);
        }
        if (side->color) {
            m_buffer.appendCString("\\brdrcf");
            m_buffer.appendInteger(writtenColorNumber(*side->color));
        }
    }
    m_state.paragraphBorders = text;
    return true;
}

std::string DKRTFWriter::paragraphFrameText(const AttributeDictionary& attributes)
{
    const auto* text = attributes.valueForKeyAs<StringValue>(TEParagraphFrameAttribute);
    return text && TEParagraphFrame::isWellFormed(text->value()) ? toUtf8(text->value()) : std::string();
}

bool DKRTFWriter::writeParagraphFrame(const AttributeDictionary& attributes)
{
    // A frame that ends was ended by the "\pard" before.
    const std::string text = paragraphFrameText(attributes);
    if (text == m_state.paragraphFrame)
        return false;
    m_buffer.appendCString(text.c_str());
    m_state.paragraphFrame = text;
    return true;
}

std::int32_t DKRTFWriter::colorNumberOfValue(const AttributeValuePtr& value)
{
    const auto* color = value ? value->as<ColorValue>() : nullptr;
    auto [number, isNew] = m_colorNumbersByValue.try_emplace(color ? value.get() : nullptr);
    if (isNew) {
        auto found = m_registeredColors.find(DKRTFColorTableEntry::entryWithColor(color ? &color->color() : nullptr));
        number->second = found == m_registeredColors.end() ? 0 : found->second;
    }
    return number->second;
}

void DKRTFWriter::writeFontAttributes(const CharacterFormatting& formatting)
{
    const bool inForce = formatting.keepsFontInForce && m_state.fontIndex != -1;
    const std::int32_t fontNumber = inForce ? m_state.fontIndex : formatting.fontNumber;
    const std::int32_t halfPoints = inForce ? m_state.fontSize : formatting.halfPoints;
    const bool bold = inForce ? m_state.bold : formatting.bold;
    const bool italic = inForce ? m_state.italic : formatting.italic;
    const bool strike = formatting.strike;

    bool wroteOutput = false;
    writeFootnoteTableSwitch(formatting.footnoteTable, wroteOutput);

    const std::optional<std::string>& link = formatting.link;
    bool sameLink = (m_state.link != 0) == link.has_value() && link == m_previousLink;
    if (!sameLink && m_previousLink && link != m_previousLink) {
        closeLink();
        sameLink = !link;
    }

    const ArrayValue* lists = formatting.lists;
    const bool marker = formatting.listMarker;
    // Any run after the marker ends its group, so that the group is closed
    // even when the marker is followed by text outside the list.
    if (!marker && m_state.isPrefixIndex == 1) {
        m_buffer.appendByte('}');
        m_state.isPrefixIndex = 0;
    }

    // RTF cannot take back a complex-script or East Asian font: a run
    // without one starts its formatting afresh. Nor a kerning: "\kerning0"
    // says the text is not kerned, which a run that says nothing does not.
    const bool dropsKerning = !formatting.characterMarks.kerning && m_state.characterMarks.kerning;
    // Nor a font: text that names none goes on from "\\plain".
    const bool dropsFont = fontNumber == kUnnamedFontNumber && m_state.fontIndex >= 0;
    if (!formatting.keepsFontInForce && (dropsScriptMarks(formatting.scriptMarks) || dropsKerning || dropsFont)) {
        m_state.characterStyle = kCharacterStyleToRestart;
        writeCharacterStyle(formatting.characterStyle);
    } else if (m_styleSheet) {
        writeCharacterStyle(formatting.characterStyle);
    }
    const bool unknown = std::exchange(m_state.characterFormattingUnknown, false);
    // Word and LibreOffice read "\\f", "\\b", "\\fs" and "\\lang" after
    // "\\rtlch" as the complex-script letters' own: the run's are written
    // left to right, its direction after them.
    if (m_state.scriptMarks.rightToLeft && !formatting.keepsFontInForce) {
        m_buffer.appendCString("\\ltrch");
        m_state.scriptMarks.rightToLeft = false;
        wroteOutput = true;
    }
    bool nothingWrittenYet = m_state.fontIndex == -1;
    bool sizeChanged = nothingWrittenYet || halfPoints != m_state.fontSize;
    bool boldChanged = unknown || (nothingWrittenYet ? bold : bold != m_state.bold);
    bool italicChanged = unknown || (nothingWrittenYet ? italic : italic != m_state.italic);
    bool strikeChanged = unknown || (nothingWrittenYet ? strike : strike != m_state.strike);

    if (fontNumber == kUnnamedFontNumber) {
        setFontInForce(fontNumber);
    } else if (nothingWrittenYet || fontNumber != m_state.fontIndex) {
        m_buffer.appendCString("\\f");
        m_buffer.appendInteger(fontNumber);
        setFontInForce(fontNumber);
        wroteOutput = true;
    }
    if (boldChanged) {
        m_buffer.appendCString(bold ? "\\b" : "\\b0");
        m_state.bold = bold;
        wroteOutput = true;
    }
    if (italicChanged) {
        m_buffer.appendCString(italic ? "\\i" : "\\i0");
        m_state.italic = italic;
        wroteOutput = true;
    }
    // A double line is its own word, and is ended by its own word.
    const bool doubleStrike = strike && formatting.characterMarks.doubleStrike;
    bool& doubleStrikeInForce = m_state.characterMarks.doubleStrike;
    if (strikeChanged || doubleStrike != doubleStrikeInForce) {
        if (doubleStrike)
            m_buffer.appendCString("\\striked1");
        else if (doubleStrikeInForce)
            m_buffer.appendCString(strike ? "\\striked0\\strike" : "\\striked0");
        else
            m_buffer.appendCString(strike ? "\\strike" : "\\strike0");
        m_state.strike = strike;
        doubleStrikeInForce = doubleStrike;
        wroteOutput = true;
    }
    if (sizeChanged) {
        m_buffer.appendCString("\\fs");
        m_buffer.appendInteger(halfPoints);
        m_state.fontSize = halfPoints;
        wroteOutput = true;
    }
    // A character style may space its letters: the run says its own.
    if (formatting.characterSpacing != m_state.characterSpacing || unknown) {
        // Quarter points for readers that know no more, then the twips.
        m_buffer.appendCString("\\expnd");
        m_buffer.appendInteger(formatting.characterSpacing / 5);
        m_buffer.appendCString("\\expndtw");
        m_buffer.appendInteger(formatting.characterSpacing);
        m_state.characterSpacing = formatting.characterSpacing;
        wroteOutput = true;
    }
    wroteOutput |= writeCharacterMarks(formatting.characterMarks, unknown);
    if (!formatting.keepsFontInForce)
        wroteOutput |= writeScriptMarks(formatting.scriptMarks, unknown);

    const std::uint32_t underline = formatting.underline;
    const std::int32_t superscript = formatting.superscript;
    if (unknown) {
        // A style may raise or lower its text: it starts from the baseline.
        m_buffer.appendCString("\\nosupersub");
        wroteOutput = true;
    }
    if (underline != m_state.underline || unknown) {
        m_buffer.appendCString(underlineWord(underline));
        m_state.underline = underline;
        if (superscript != m_state.superscript)
            writeSuperscriptStep(superscript);
        m_buffer.appendByte(' ');
    } else if (superscript != m_state.superscript) {
        writeSuperscriptStep(superscript);
        m_buffer.appendByte(' ');
    } else if (wroteOutput) {
        m_buffer.appendByte(' ');
    }

    writeColorAttributes(formatting);
    // After the run's font, so that the picture's line is as high as the
    // file had it, also where a style's "\plain" has just reset the size.
    if (formatting.attachment)
        writeAttachment(*formatting.attachment);

    const bool listEnd = formatting.listEnd;
    // Every item's marker is written, so that readers that do not number
    // the items themselves show each one's.
    if (formatting.inList && m_state.isPrefixIndex == 0) {
        if (marker) {
            m_state.isPrefixIndex = 1;
            m_buffer.appendCString("{\\listtext");
            // Its own size, which the group's end takes back.
            const TECSSListStyle* item = lists && lists->count() > 0
                ? (*lists)[lists->count() - 1]->as<TECSSListStyle>() : nullptr;
            if (const std::optional<int> size = item ? item->markerHalfPoints() : std::nullopt) {
                m_buffer.appendCString("\\fs");
                m_buffer.appendInteger(*size);
            }
            ++m_state.listPrefixIndex;
        }
        if (lists && listEnd)
            m_state.listPrefixIndex = -1;
    }
    m_state.previousWasList = lists && listEnd && !marker ? 1 : 0;

    writeFieldOpenings(formatting);
    if (!sameLink)
        writeLinkOpening(link);
}

void DKRTFWriter::writeColorAttributes(const CharacterFormatting& formatting)
{
    const std::int32_t foreground = formatting.foregroundColor;
    if (foreground != m_state.foregroundColorIndex) {
        m_buffer.appendCString("\\cf");
        m_buffer.appendInteger(foreground == 0 ? 0 : foreground + 1);
        m_buffer.appendByte(' ');
        m_state.foregroundColorIndex = foreground;
    }
    // A background is written as a highlight, which other word processors
    // show (most ignore character shading); 0 ends it.
    const std::int32_t background = formatting.backgroundColor;
    if (background != m_state.backgroundColorIndex) {
        m_buffer.appendCString("\\highlight");
        m_buffer.appendInteger(background == 0 ? 0 : background + 1);
        m_buffer.appendByte(' ');
        m_state.backgroundColorIndex = background;
    }
    // Numbered as the text's colours are; 0 is the text's own.
    const std::int32_t underline = formatting.underline != 0 ? formatting.underlineColor : m_state.underlineColorIndex;
    if (underline != m_state.underlineColorIndex) {
        m_buffer.appendCString("\\ulc");
        m_buffer.appendInteger(underline == 0 ? 0 : underline + 1);
        m_buffer.appendByte(' ');
        m_state.underlineColorIndex = underline;
    }
}

void DKRTFWriter::writeLinkOpening(const std::optional<std::string>& link)
{
    if (!link) {
        m_shouldWriteTerminatingLink = false;
        m_state.link = 0;
        m_previousLink.reset();
        return;
    }
    m_buffer.appendCString("{\\field{\\*\\fldinst{HYPERLINK ");
    // A link to a place in the document names its bookmark with "\\l":
    // Word and LibreOffice take "#name" for a file's address.
    const bool inDocument = link->starts_with('#') && link->size() > 1;
    m_buffer.appendCString(inDocument ? "\\\\l \"" : "\"");
    m_buffer.appendCString(inDocument ? link->substr(1) : *link);
    m_buffer.appendCString("\"}}{\\fldrslt ");
    m_stateAtLinkOpening = m_state;
    m_shouldWriteTerminatingLink = true;
    m_state.link = 1;
    m_previousLink = link;
}

} // namespace folio
