#include "markdown/MEMarkdownSyntaxStorage.h"

#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/graphics/ColorArchive.h"
#include "platform/graphics/FontCatalog.h"
#include "platform/text/FontAttributeValue.h"
#include "platform/text/TextAttributeNames.h"

namespace folio {

namespace {

namespace Key = TextAttributeName;

constexpr const char* kFontKey = "markdownDefaultFont";
constexpr const char* kFontSizeKey = "markdownDefaultFontSize";
constexpr const char* kFontColorKey = "markdownDefaultFontColor";
constexpr const char* kAlignmentKey = "markdownDefaultAlignment";
constexpr const char* kLineSpacingKey = "markdownDefaultLineSpacing";
constexpr const char* kFirstLineIndentKey = "markdownDefaultFirstLineIndent";
constexpr const char* kDefaultFontName = "Cousine";
constexpr double kStorageDefaultFontSize = 16;
// The line-spacing and indent settings count in units of six points.
constexpr double kSettingUnit = 6;
// About how much text is styled in one piece when many paragraphs are restyled.
constexpr std::size_t kStylingPieceLength = 16 * 1024;

TextAlignment alignmentFromPlatformValue(std::int64_t value)
{
    switch (value) {
    case 1: return TextAlignment::Center;
    case 2: return TextAlignment::Right;
    case 3: return TextAlignment::Justified;
    case 4: return TextAlignment::Natural;
    default: return TextAlignment::Left;
    }
}

} // namespace

MEMarkdownSyntaxStorage::MEMarkdownSyntaxStorage(UserDefaults* defaults, std::shared_ptr<const FontCatalog> catalog)
    : m_defaults(defaults), m_catalog(std::move(catalog))
{
}

UserDefaults& MEMarkdownSyntaxStorage::defaults() const
{
    return m_defaults ? *m_defaults : UserDefaults::standardUserDefaults();
}

void MEMarkdownSyntaxStorage::processEditing()
{
    restyleAfterEdit(pendingEdit());
    TextStorage::processEditing();
}

void MEMarkdownSyntaxStorage::performReplacementsForRange(Range range)
{
    restyleAfterEdit(TextStorageEdit{TextStorageEditedAttributes, range, 0});
}

MERestyleTracker& MEMarkdownSyntaxStorage::tracker()
{
    if (!m_tracker)
        m_tracker.emplace(m_isTeXSyntax);
    return *m_tracker;
}

void MEMarkdownSyntaxStorage::restyleAfterEdit(const TextStorageEdit& edit)
{
    Range after = edit.editedRange;
    const std::u16string& text = string();
    if (after.isNotFound() || after.location > text.size())
        return;
    after.length = std::min(after.length, text.size() - after.location);
    std::ptrdiff_t oldLength = static_cast<std::ptrdiff_t>(after.length) - edit.changeInLength;
    if (oldLength < 0) {
        tracker().reset();
        oldLength = 0;
    }
    // The edit and the whole line at its end are always restyled and
    // reported; whatever else changed joins them.
    Range line = lineRangeForRange(text, Range{after.end(), 0});
    Range required = unionRange(after, line);
    const auto& rules = attributeDictionary();
    auto areas = tracker().rangesToRestyle(text, rules, Range{after.location, static_cast<std::size_t>(oldLength)}, after,
                                           (edit.editedMask & TextStorageEditedCharacters) != 0);
    if (required.location == 0 && required.length == text.size())
        m_bodyChangedSinceRestyle = false;
    if (m_bodyChangedSinceRestyle) {
        // NOTE: text styled before a change of the body style keeps its look
        // until it is edited, so only the edit and its line take the new one.
        applyStylesToRange(required);
        return;
    }
    for (Range paragraphs : areas)
        restyleParagraphs(paragraphs, intersectionRange(required, paragraphs));
}

MutableAttributedString MEMarkdownSyntaxStorage::styledParagraphs(Range paragraphs)
{
    const std::u16string& text = string();
    const auto& rules = attributeDictionary();
    MutableAttributedString styled(text.substr(paragraphs.location, paragraphs.length), bodyAttributes());
    const std::u16string_view piece = std::u16string_view(text).substr(paragraphs.location, paragraphs.length);
    auto add = [&](const MESyntaxRule& rule, Range range) {
        styled.addAttributes(*rule.attributes, Range{range.location - paragraphs.location, range.length});
    };
    for (std::size_t index = 0; index < rules.size(); ++index) {
        const MESyntaxRule& rule = rules[index];
        if (rule.spanning) {
            tracker().forEachSpanningMatch(index, paragraphs, [&](Range group) { add(rule, group); });
            continue;
        }
        if (!rule.mayMatchIn(piece))
            continue;
        rule.expression.enumerateMatches(text, paragraphs, [&](const RegularExpressionMatch& match, bool&) {
            if (match.size() >= 2 && !match[1].isNotFound() && match[1].length > 0)
                add(rule, match[1]);
        });
    }
    return styled;
}

void MEMarkdownSyntaxStorage::restyleParagraphs(Range paragraphs, Range required)
{
    if (!isValidRange(paragraphs) || paragraphs.length == 0)
        return;
    const std::u16string& text = string();
    // Styled a few paragraphs at a time and put together: in one piece, every
    // rule match in a whole book would split the runs of one long string.
    MutableAttributedString styled;
    for (std::size_t start = paragraphs.location; start < paragraphs.end();) {
        // The piece ends at the paragraph start nearest before the piece
        // length, or after it when one paragraph is longer.
        Range around = tracker().paragraphsAround(text, Range{start + kStylingPieceLength, 0});
        std::size_t end = std::min(paragraphs.end(), around.location > start ? around.location : around.end());
        styled.appendAttributedString(styledParagraphs(Range{start, end - start}));
        start = end;
    }
    // Only what differs from the attributes already there is written, so the
    // views above redraw no more than changed.
    std::size_t first = NotFound;
    std::size_t last = 0;
    for (std::size_t index = 0; index < paragraphs.length;) {
        Range run;
        AttributeDictionaryPtr wanted = styled.attributesAtIndex(index, &run);
        Range current;
        AttributeDictionaryPtr present = backing().attributesAtIndex(paragraphs.location + index, &current);
        std::size_t end = std::min({run.end(), current.end() - paragraphs.location, paragraphs.length});
        end = std::max(end, index + 1);
        if (!attributeDictionariesEqual(wanted, present)) {
            if (first == NotFound)
                first = index;
            last = end;
        }
        index = end;
    }
    Range write = first == NotFound ? Range{NotFound, 0} : Range{paragraphs.location + first, last - first};
    if (required.length > 0)
        write = write.isNotFound() ? required : unionRange(write, required);
    if (write.isNotFound() || write.length == 0)
        return;
    auto part = styled.attributedSubstringFromRange(Range{write.location - paragraphs.location, write.length});
    if (!part)
        return;
    beginEditing();
    backing().replaceCharactersInRangeWithAttributedString(write, *part);
    edited(TextStorageEditedAttributes, write, 0);
    endEditing();
}

void MEMarkdownSyntaxStorage::applyStylesToRange(Range range)
{
    if (!isValidRange(range) || range.length == 0)
        return;
    const std::u16string& text = string();
    // The region is styled in a copy of its own and put back in one step, so
    // the many small changes of the rules never touch the runs of the rest of
    // a long document.
    MutableAttributedString styled(text.substr(range.location, range.length), bodyAttributes());
    const std::u16string_view region = std::u16string_view(text).substr(range.location, range.length);
    for (const MESyntaxRule& rule : attributeDictionary()) {
        if (!rule.mayMatchIn(region))
            continue;
        rule.expression.enumerateMatches(text, range, [&](const RegularExpressionMatch& match, bool&) {
            if (match.size() < 2 || match[1].isNotFound() || match[1].length == 0)
                return;
            styled.addAttributes(*rule.attributes, Range{match[1].location - range.location, match[1].length});
        });
    }
    beginEditing();
    backing().replaceCharactersInRangeWithAttributedString(range, styled);
    edited(TextStorageEditedAttributes, range, 0);
    endEditing();
}

const AttributeDictionaryPtr& MEMarkdownSyntaxStorage::bodyAttributes()
{
    if (!m_bodyAttributes) {
        std::vector<AttributeDictionary::Entry> entries{
            {std::string(Key::ParagraphStyle), bodyParagraphStyle()},
            {std::string(Key::ForegroundColor), ColorValue::make(bodyForegroundColor())},
            {std::string(Key::UnderlineStyle), IntegerValue::make(0)},
        };
        if (const auto& font = bodyFont())
            entries.emplace_back(std::string(Key::Font), FontAttributeValue::make(*font));
        m_bodyAttributes = AttributeDictionary::make(std::move(entries));
    }
    return m_bodyAttributes;
}

const std::vector<MESyntaxRule>& MEMarkdownSyntaxStorage::attributeDictionary()
{
    if (!m_rules) {
        const auto& font = bodyFont();
        if (!font)
            m_rules.emplace();
        else
            m_rules = m_isTeXSyntax ? MESyntaxRules::texRules(*font) : MESyntaxRules::markdownRules(*font, m_catalog);
        // The table decides the paragraphs and the spanning rules.
        m_tracker.emplace(m_isTeXSyntax);
    }
    return *m_rules;
}

const std::optional<Font>& MEMarkdownSyntaxStorage::bodyFont()
{
    if (!m_bodyFont) {
        double size = defaults().floatForKey(kFontSizeKey).value_or(0);
        if (size == 0) {
            size = kStorageDefaultFontSize;
            defaults().setFloat(kFontSizeKey, static_cast<float>(size));
        }
        std::string name = defaults().stringForKey(kFontKey).value_or(kDefaultFontName);
        std::optional<Font> font = Font::fontWithName(name, size, m_catalog);
        // NOTE: a chosen font that has been uninstalled falls back to the
        // default one, and failing that to any installed face, so the text
        // is never shown without a font.
        if (!font)
            font = Font::fontWithName(kDefaultFontName, size, m_catalog);
        if (!font) {
            auto catalog = m_catalog ? m_catalog : FontCatalog::shared();
            auto faces = catalog->faces();
            if (!faces.empty())
                font = Font::fontWithFace(faces.front(), size, catalog);
        }
        m_bodyFont = std::move(font);
    }
    return *m_bodyFont;
}

const Color& MEMarkdownSyntaxStorage::bodyForegroundColor()
{
    if (!m_bodyForegroundColor) {
        std::optional<Color> color;
        if (auto stored = defaults().objectForKey(kFontColorKey); stored && stored->dataValue())
            color = ColorArchive::colorFromData(stored->dataValue()->span());
        m_bodyForegroundColor = color.value_or(Color::colorWithRed(0, 0, 0));
    }
    return *m_bodyForegroundColor;
}

std::int64_t MEMarkdownSyntaxStorage::bodyTextAlignment()
{
    if (m_bodyTextAlignment == 0)
        m_bodyTextAlignment = defaults().integerForKey(kAlignmentKey).value_or(0);
    return m_bodyTextAlignment;
}

double MEMarkdownSyntaxStorage::bodyLineSpacing()
{
    if (m_bodyLineSpacing == 0)
        return kSettingUnit * defaults().floatForKey(kLineSpacingKey).value_or(0);
    return m_bodyLineSpacing;
}

double MEMarkdownSyntaxStorage::bodyFirstLineIndent()
{
    if (m_bodyFirstLineIndent == 0)
        return kSettingUnit * defaults().floatForKey(kFirstLineIndentKey).value_or(0);
    return m_bodyFirstLineIndent;
}

double MEMarkdownSyntaxStorage::bodyFontSize()
{
    if (m_bodyFontSize == 0)
        m_bodyFontSize = kStorageDefaultFontSize;
    return m_bodyFontSize;
}

AttributeValuePtr MEMarkdownSyntaxStorage::bodyParagraphStyle()
{
    PlatformParagraphStyle::Settings settings;
    settings.alignment = alignmentFromPlatformValue(bodyTextAlignment());
    // The platform's line spacing is the space added between lines.
    settings.minimumLineSpacing = bodyLineSpacing();
    settings.firstLineHeadIndent = bodyFirstLineIndent();
    return ParagraphStyleValue::make(PlatformParagraphStyle(std::move(settings)));
}

void MEMarkdownSyntaxStorage::updateBodyAttribute(std::string_view key, AttributeValuePtr value)
{
    m_bodyChangedSinceRestyle = true;
    if (m_bodyAttributes)
        m_bodyAttributes = m_bodyAttributes->dictionaryBySettingValue(key, std::move(value));
}

void MEMarkdownSyntaxStorage::reloadBodyStyle()
{
    m_bodyAttributes.reset();
    m_bodyFont.reset();
    m_bodyForegroundColor.reset();
    m_bodyTextAlignment = 0;
    m_bodyLineSpacing = 0;
    m_bodyFirstLineIndent = 0;
    m_bodyFontSize = 0;
    // The rules' faces and heading sizes come from the body font.
    m_rules.reset();
    m_tracker.reset();
    m_bodyChangedSinceRestyle = false;
    // A tracker that has seen no text restyles all of it.
    performReplacementsForRange(Range{0, string().size()});
}

void MEMarkdownSyntaxStorage::setBodyFont(Font font)
{
    m_bodyFont = std::optional<Font>(font);
    updateBodyAttribute(Key::Font, FontAttributeValue::make(std::move(font)));
}

void MEMarkdownSyntaxStorage::setBodyForegroundColor(Color color)
{
    m_bodyForegroundColor = color;
    updateBodyAttribute(Key::ForegroundColor, ColorValue::make(std::move(color)));
}

void MEMarkdownSyntaxStorage::setBodyTextAlignment(std::int64_t alignment)
{
    m_bodyTextAlignment = alignment;
    updateBodyAttribute(Key::ParagraphStyle, bodyParagraphStyle());
}

void MEMarkdownSyntaxStorage::setBodyLineSpacing(double spacing)
{
    m_bodyLineSpacing = kSettingUnit * spacing;
    updateBodyAttribute(Key::ParagraphStyle, bodyParagraphStyle());
}

void MEMarkdownSyntaxStorage::setBodyFirstLineIndent(double indent)
{
    // The same unit as the getter's, so a value set reads back as it was meant.
    m_bodyFirstLineIndent = kSettingUnit * indent;
    updateBodyAttribute(Key::ParagraphStyle, bodyParagraphStyle());
}

void MEMarkdownSyntaxStorage::setBodyFontSize(double size)
{
    m_bodyFontSize = size;
    std::string name = bodyFont() ? bodyFont()->postScriptName() : std::string(kDefaultFontName);
    std::optional<Font> font = Font::fontWithName(name, size, m_catalog);
    if (!font)
        return;
    m_bodyFont = font;
    updateBodyAttribute(Key::Font, FontAttributeValue::make(std::move(*font)));
}

} // namespace folio
