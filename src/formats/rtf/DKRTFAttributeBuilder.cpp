#include "formats/rtf/DKRTFAttributeBuilder.h"

#include "formats/rtf/DKRTFReaderFontTable.h"
#include "formats/rtf/DKRTFReaderListTable.h"
#include "formats/rtf/DKRTFReaderState.h"
#include "engine/model/TEAttributeKeys.h"
#include "engine/model/TEScriptAttributes.h"
#include "engine/model/TEShading.h"
#include "platform/foundation/HashMixing.h"
#include "platform/foundation/LocaleIdentifier.h"
#include "platform/foundation/Unicode.h"
#include "platform/graphics/Font.h"
#include "platform/text/FontAttributeValue.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <optional>
#include <span>

namespace folio {

namespace {

constexpr double kDefaultFontSize = 12;
constexpr float kTwipsPerCentimetre = 566.96f;

std::optional<Font> fontNamed(const std::u16string& name, double size)
{
    return Font::fontWithName(toUtf8(name), size);
}

} // namespace

DKRTFAttributeBuilder::DKRTFAttributeBuilder(const DKRTFReaderFontTable& fonts, DKRTFReaderListTable& lists,
                                             DocumentValues& values, Fonts fontUse)
    : m_fonts(fonts)
    , m_fontUse(fontUse)
    , m_lists(lists)
    , m_values(values)
{
}

const AttributeValuePtr& DKRTFAttributeBuilder::fontValue(const DKRTFReaderState& state)
{
    static const AttributeValuePtr kNoFont;
    if (m_fontUse == Fonts::Omitted)
        return kNoFont;
    if (m_fontsGeneration != m_fonts.generation()) {
        m_fontsByNumber.clear();
        m_fontsGeneration = m_fonts.generation();
    }
    double size = state.fontSize() > 0 ? state.fontSize() : kDefaultFontSize;
    FontRequest request{state.fontNumber(), size, state.bold(), state.italic()};
    if (auto known = m_fontsByNumber.find(request); known != m_fontsByNumber.end())
        return known->second;
    m_foundUnnamedFont = m_foundUnnamedFont || !m_fonts.namesFont(state.fontNumber());
    AttributeValuePtr value = fontValueNamed(m_fonts.fontNameAtIndex(state.fontNumber()),
                                             m_fonts.fallbackFamiliesAtIndex(state.fontNumber()), size, state.bold(),
                                             state.italic());
    return m_fontsByNumber.emplace(request, std::move(value)).first->second;
}

std::size_t DKRTFAttributeBuilder::FontRequestHash::operator()(const FontRequest& request) const
{
    std::uint64_t hash = static_cast<std::uint64_t>(static_cast<std::uint32_t>(request.number)) << 2
        | (request.bold ? 1u : 0u) | (request.italic ? 2u : 0u);
    hash = hashMultiplyStep(hash, std::bit_cast<std::uint64_t>(request.size));
    return hashFinish(hash);
}

AttributeValuePtr DKRTFAttributeBuilder::fontValueNamed(const std::u16string& name,
                                                        const std::vector<std::string>& fallbackFamilies, double size,
                                                        bool bold, bool italic)
{
    auto key = std::make_tuple(name, fallbackFamilies, size, bold, italic);
    if (auto cached = m_fontCache.find(key); cached != m_fontCache.end())
        return cached->second;
    const std::optional<Font>& face = styledFont(name, bold, italic);
    AttributeValuePtr value;
    if (face && fallbackFamilies.empty())
        value = FontAttributeValue::make(face->copyWithSize(size));
    else if (face)
        value = FontAttributeValue::make(face->copyWithSize(size).copyWithFallbackFamilies(fallbackFamilies));
    m_fontCache.emplace(std::move(key), value);
    return value;
}

const std::optional<Font>& DKRTFAttributeBuilder::installedFont(const std::u16string& name)
{
    auto known = m_installedFonts.find(name);
    if (known == m_installedFonts.end())
        known = m_installedFonts.emplace(name, fontNamed(name, kDefaultFontSize)).first;
    return known->second;
}

const std::optional<Font>& DKRTFAttributeBuilder::styledFont(const std::u16string& name, bool bold, bool italic)
{
    auto key = std::make_tuple(name, bold, italic);
    if (auto known = m_styledFonts.find(key); known != m_styledFonts.end())
        return known->second;

    // A font this system does not have is drawn in the document's default
    // but keeps its name, so that saving does not rename it.
    std::optional<Font> font = installedFont(name);
    const bool missing = !font;
    if (missing)
        font = installedFont(u"Helvetica");
    if (font) {
        // A family without the bold or italic face keeps its regular one: the
        // text stays in the font it asked for.
        // A face the name already gives ("Helvetica-BoldOblique" of a Mac
        // file) stays the face of that name, which a save writes again.
        if (bold && !(font->symbolicTraits() & kFontBoldTrait)) {
            if (auto boldFont = font->copyWithSymbolicTraits(kFontBoldTrait, kFontBoldTrait))
                font = std::move(boldFont);
        }
        if (italic && !(font->symbolicTraits() & kFontItalicTrait)) {
            if (auto italicFont = font->copyWithSymbolicTraits(kFontItalicTrait, kFontItalicTrait))
                font = std::move(italicFont);
        }
        if (missing && !name.empty())
            font = Font::substituteFont(toUtf8(name), *font);
    }
    return m_styledFonts.emplace(std::move(key), std::move(font)).first->second;
}

namespace {

// The largest paper RTF writers offer is 22 inches a side: spacing and
// indents past it hold nothing but blank pages (a hostile file asking for
// two billion twips would print tens of thousands of them).
constexpr double kLargestPagePoints = 22 * 72;

double pageBound(double value, double limit)
{
    return std::clamp(value, -limit, limit);
}

// "\sl" is three kinds of spacing: with "\slmult1" a multiple of single
// spacing (240 twips a line), without it a least line height in twips
// that taller letters still push apart, and negative an exact height that
// nothing changes. Each stays its own kind, or a file's lines move apart.
void setLineSpacing(const DKRTFReaderState::Paragraph& paragraph, PlatformParagraphStyle::Settings& settings)
{
    settings.minimumLineSpacing = 1.0;
    if (paragraph.lineSpacing == 1 || paragraph.lineSpacing == 0)
        return;
    if (paragraph.lineSpacing < 0) {
        const double height = std::min(-static_cast<double>(paragraph.lineSpacing) / 20.0, kLargestPagePoints);
        settings.minimumLineHeight = height;
        settings.maximumLineHeight = height;
    } else if (!paragraph.lineSpacingIsMultiple) {
        settings.minimumLineHeight = std::min(paragraph.lineSpacing / 20.0, kLargestPagePoints);
    } else if (const float multiple = static_cast<float>(paragraph.lineSpacing) / 240.0f; multiple <= 1300.0f) {
        // A multiple is of the font's own line height, as word processors
        // space lines.
        settings.minimumLineSpacing = static_cast<double>(multiple);
        if (settings.minimumLineSpacing != 1.0)
            settings.lineHeightMultiple = settings.minimumLineSpacing;
    }
}

} // namespace

AttributeValuePtr DKRTFAttributeBuilder::paragraphStyleValue(const DKRTFReaderState& state)
{
    const DKRTFReaderState::Paragraph& paragraph = state.paragraph();
    PlatformParagraphStyle::Settings settings;
    settings.alignment = static_cast<TextAlignment>(paragraph.alignment <= 3 ? paragraph.alignment : 0);
    // Stored documents carry these odd units (centimetres for the first
    // line, a ruler scale for the head indent); the HTML writer undoes them.
    settings.firstLineHeadIndent = paragraph.firstLineIndent == 0
        ? 0.0
        : pageBound(static_cast<double>(static_cast<float>(paragraph.firstLineIndent) / kTwipsPerCentimetre),
                    kLargestPagePoints * 2.54 / 72);
    float headIndent = static_cast<float>(paragraph.leftIndent) * 80.0f / 1096.0f;
    settings.headIndent = headIndent > 730.0f ? 0.0 : static_cast<double>(headIndent);
    // A right indent ("\ri") is a tail indent measured back from the
    // right margin, negative, in the left indent's scale.
    float tailIndent = static_cast<float>(paragraph.rightIndent) * 80.0f / 1096.0f;
    settings.tailIndent = tailIndent > 730.0f || tailIndent <= 0.0f ? 0.0 : -static_cast<double>(tailIndent);
    setLineSpacing(paragraph, settings);
    settings.paragraphSpacing = pageBound(paragraph.paragraphSpacing / 20.0, kLargestPagePoints);
    settings.paragraphSpacingBefore = pageBound(paragraph.paragraphSpacingBefore / 20.0, kLargestPagePoints);
    if (!paragraph.tabs.empty()) {
        std::vector<TextTab> tabs;
        for (const DKRTFReaderState::Paragraph::Tab& tab : paragraph.tabs) {
            static constexpr TextAlignment kAlignments[] = {TextAlignment::Left, TextAlignment::Right,
                                                            TextAlignment::Center, TextAlignment::Right};
            tabs.push_back(TextTab{pageBound(tab.position / 20.0, kLargestPagePoints), kAlignments[tab.kind & 3],
                                   tab.kind == 3, tab.leader});
        }
        settings.tabStops = std::move(tabs);
    }
    settings.keepWithNext = paragraph.keepWithNext;
    settings.keepTogether = paragraph.keepTogether;
    settings.widowControl = paragraph.widowControl;
    settings.outlineLevel = paragraph.outlineLevel;
    settings.noHyphenation = paragraph.noHyphenation;
    settings.contextualSpacing = paragraph.contextualSpacing;
    int direction = paragraph.baseWritingDirection;
    settings.baseWritingDirection = static_cast<WritingDirection>(direction >= -1 && direction <= 1 ? direction : -1);
    return ParagraphStyleValue::make(PlatformParagraphStyle(std::move(settings)));
}

namespace {

// Looked up at every change of formatting: a multiply per field spreads
// them well enough for a table of a few hundred sets, for a fraction of
// the cost of combining each field's hash. A stored set and a state's
// formatting that are alike hash alike.
std::size_t formattingHash(const AttributeValue* foregroundColor, const AttributeValue* backgroundColor,
                           const AttributeValue* underlineColor, const AttributeValue* font, unsigned underline,
                           int superscriptCount, int characterStyleNumber, int characterSpacing,
                           int footnoteTableMarker, bool strike, bool inTable, const DKRTFCharacterMarks& marks,
                           const DKRTFScriptMarks& scriptMarks, const DKRTFReaderState::Paragraph* paragraph)
{
    std::uint64_t hash = 0;
    auto mix = [&hash](std::uint64_t value) { hash = hashMultiplyStep(hash, value); };
    mix(reinterpret_cast<std::uintptr_t>(foregroundColor));
    mix(reinterpret_cast<std::uintptr_t>(backgroundColor));
    mix(reinterpret_cast<std::uintptr_t>(underlineColor));
    mix(reinterpret_cast<std::uintptr_t>(font));
    mix(static_cast<std::uint64_t>(underline) << 32 | static_cast<std::uint32_t>(superscriptCount));
    mix(static_cast<std::uint64_t>(static_cast<std::uint32_t>(characterStyleNumber)) << 32
        | static_cast<std::uint32_t>(characterSpacing));
    mix(static_cast<std::uint64_t>(static_cast<std::uint32_t>(footnoteTableMarker)) << 8
        | (strike ? 1u : 0u) | (inTable ? 2u : 0u));
    mix(marks.packed());
    mix(scriptMarks.packed());
    mix(reinterpret_cast<std::uintptr_t>(paragraph));
    return hashFinish(hash);
}

} // namespace

std::size_t DKRTFAttributeBuilder::FormattingHash::operator()(const Formatting& formatting) const
{
    return formattingHash(formatting.foregroundColor, formatting.backgroundColor, formatting.underlineColor,
                          formatting.font, formatting.underline, formatting.superscriptCount,
                          formatting.characterStyleNumber, formatting.characterSpacing,
                          formatting.footnoteTableMarker, formatting.strike, formatting.inTable, formatting.marks,
                          formatting.scriptMarks, formatting.paragraph);
}

std::size_t DKRTFAttributeBuilder::FormattingHash::operator()(const FormattingOfState& formatting) const
{
    const DKRTFReaderState& state = formatting.state;
    return formattingHash(state.foregroundColor().get(), state.backgroundColor().get(), state.underlineColor().get(),
                          formatting.font, state.underline(), state.superscriptCount(), state.characterStyleNumber(),
                          state.characterSpacing(), formatting.footnoteTableMarker, state.strike(), state.inTable(),
                          state.characterMarks(), state.scriptMarks(), formatting.paragraph);
}

bool DKRTFAttributeBuilder::FormattingEqual::operator()(const FormattingOfState& a, const Formatting& b) const
{
    const DKRTFReaderState& state = a.state;
    return state.foregroundColor().get() == b.foregroundColor && state.backgroundColor().get() == b.backgroundColor
        && state.underlineColor().get() == b.underlineColor && a.font == b.font && state.underline() == b.underline
        && a.footnoteTableMarker == b.footnoteTableMarker && state.superscriptCount() == b.superscriptCount
        && state.characterStyleNumber() == b.characterStyleNumber && state.strike() == b.strike
        && state.inTable() == b.inTable && state.characterSpacing() == b.characterSpacing
        && a.paragraph == b.paragraph && state.characterMarks() == b.marks && state.scriptMarks() == b.scriptMarks;
}

const AttributeDictionaryPtr& DKRTFAttributeBuilder::stringAttributes(DKRTFReaderState& state, unsigned currentListType)
{
    const unsigned version = m_values.bookmarksVersion;
    if (state.cachedAttributes(version))
        return state.cachedAttributes(version);

    // The list attributes come first, as they also advance the state's list
    // tracking. A set with them or with a link is the paragraph's own: its
    // list objects are new, and the writer tells lists apart by them. It is
    // the shared set of its formatting with those entries added.
    if (!m_lists.allListsFinished())
        m_lists.addListAttributes(state, currentListType, m_ownEntries);
    if (state.link() != 0 && !m_values.linkTarget.empty()) {
        static const AttributeKey kLinkKey(TELinkAttribute);
        m_ownEntries.emplace_back(kLinkKey, linkValue(m_values.linkTarget));
    }
    if (!state.fieldInstructions().empty()) {
        static const AttributeKey kFieldKey(TEFieldInstructionAttribute);
        m_ownEntries.emplace_back(kFieldKey, StringValue::make(state.fieldInstructions()));
    }
    if (!m_values.openBookmarks.empty()) {
        // Bookmarks may overlap: the text keeps every one that holds it.
        // NOTE: only the innermost few of a file that opens bookmarks by the
        // thousand without ending them, so that each run's set stays small;
        // an outer one is kept again on the text after them.
        constexpr std::size_t kMostBookmarksOnARun = 32;
        static const AttributeKey kBookmarkKey(TEBookmarkAttribute);
        const auto& open = m_values.openBookmarks;
        std::u16string names;
        for (auto bookmark = open.size() > kMostBookmarksOnARun ? open.end() - kMostBookmarksOnARun : open.begin();
             bookmark != open.end(); ++bookmark)
            names.append(names.empty() ? u"" : u"\n").append(bookmark->name);
        m_ownEntries.emplace_back(kBookmarkKey, StringValue::make(std::move(names)));
    }
    if (!m_values.openCommentRanges.empty()) {
        static const AttributeKey kCommentRangeKey(TECommentRangeAttribute);
        std::u16string tags;
        for (const std::u16string& tag : m_values.openCommentRanges)
            tags += (tags.empty() ? u"" : u" ") + tag;
        m_ownEntries.emplace_back(kCommentRangeKey, StringValue::make(std::move(tags)));
    }

    const AttributeDictionaryPtr& formatted = formattingSet(state, internedParagraph(state));
    if (m_ownEntries.empty()) {
        state.setCachedAttributes(formatted, version);
    } else {
        state.setCachedAttributes(setWithOwnEntries(formatted), version);
        m_ownEntries.clear();
    }
    return state.cachedAttributes(version);
}

AttributeDictionaryPtr DKRTFAttributeBuilder::setWithOwnEntries(const AttributeDictionaryPtr& formatted)
{
    const std::size_t length = 1 + 2 * m_ownEntries.size();
    if (length > kLongestOwnEntriesKey)
        return formatted->dictionaryByAddingEntries(std::span(m_ownEntries));
    std::array<const void*, kLongestOwnEntriesKey> key{};
    key[0] = formatted.get();
    for (std::size_t index = 0; index < m_ownEntries.size(); ++index) {
        key[1 + 2 * index] = m_ownEntries[index].first.data();
        key[2 + 2 * index] = m_ownEntries[index].second.get();
    }
    std::uint64_t hash = length;
    for (std::size_t index = 0; index < length; ++index)
        hash = hashMultiplyStep(hash, reinterpret_cast<std::uintptr_t>(key[index]));
    SetWithOwnEntries& slot = m_setsWithOwnEntries[(hash >> 56) % m_setsWithOwnEntries.size()];
    if (slot.set && slot.length == length && slot.key == key)
        return slot.set;
    slot.set = formatted->dictionaryByAddingEntries(std::span(m_ownEntries));
    slot.key = key;
    slot.length = length;
    return slot.set;
}

const AttributeValuePtr& DKRTFAttributeBuilder::linkValue(const std::u16string& target)
{
    if (!m_linkValue || target != m_linkTarget) {
        m_linkTarget = target;
        m_linkValue = URLValue::make(toUtf8(target));
    }
    return m_linkValue;
}

std::size_t DKRTFAttributeBuilder::ParagraphHash::operator()(const std::shared_ptr<const Paragraph>& shared) const
{
    const Paragraph& paragraph = *shared;
    std::uint64_t hash = 0;
    auto mix = [&hash](std::uint64_t value) { hash = hashMultiplyStep(hash, value); };
    mix(static_cast<std::uint64_t>(static_cast<std::uint32_t>(paragraph.firstLineIndent)) << 32
        | static_cast<std::uint32_t>(paragraph.leftIndent));
    mix(static_cast<std::uint64_t>(static_cast<std::uint32_t>(paragraph.rightIndent)) << 32
        | static_cast<std::uint32_t>(paragraph.lineSpacing));
    mix(static_cast<std::uint64_t>(static_cast<std::uint32_t>(paragraph.paragraphSpacing)) << 32
        | static_cast<std::uint32_t>(paragraph.paragraphSpacingBefore));
    mix(static_cast<std::uint64_t>(static_cast<std::uint8_t>(paragraph.baseWritingDirection))
        | (paragraph.lineSpacingIsMultiple ? 0x100u : 0u) | (paragraph.keepWithNext ? 0x200u : 0u)
        | (paragraph.keepTogether ? 0x400u : 0u) | (paragraph.widowControl ? 0x800u : 0u)
        | static_cast<std::uint64_t>(static_cast<std::uint32_t>(paragraph.styleNumber)) << 16);
    mix(static_cast<std::uint64_t>(static_cast<std::uint8_t>(paragraph.outlineLevel))
        | (paragraph.noHyphenation ? 0x100u : 0u) | (paragraph.contextualSpacing ? 0x200u : 0u)
        | static_cast<std::uint64_t>(paragraph.alignment) << 16 | static_cast<std::uint64_t>(paragraph.tabs.size()) << 24
        | static_cast<std::uint64_t>(paragraph.frame.size()) << 40);
    return hashFinish(hash);
}

const DKRTFReaderState::Paragraph* DKRTFAttributeBuilder::internedParagraph(const DKRTFReaderState& state)
{
    // The runs of a paragraph are groups of their own, each a copy of the
    // paragraph's state that shares its paragraph object. Held here, that
    // object changes no more (a state copies a paragraph it shares before
    // changing it) and its address names it.
    if (&state.paragraph() != m_lastParagraph.get()) {
        m_lastParagraph = state.sharedParagraph();
        m_lastInterned = m_paragraphs.insert(m_lastParagraph).first->get();
    }
    return m_lastInterned;
}

const AttributeDictionaryPtr& DKRTFAttributeBuilder::formattingSet(const DKRTFReaderState& state,
                                                                   const Paragraph* paragraph)
{
    const AttributeValuePtr& font = fontValue(state);
    if (auto shared = m_sets.find(FormattingOfState{state, font.get(), m_values.footnoteTableMarker, paragraph});
        shared != m_sets.end())
        return shared->second;
    Formatting formatting{state.foregroundColor().get(),
                          state.backgroundColor().get(),
                          state.underlineColor().get(),
                          font.get(),
                          state.underline(),
                          m_values.footnoteTableMarker,
                          state.superscriptCount(),
                          state.characterStyleNumber(),
                          state.strike(),
                          state.inTable(),
                          state.characterSpacing(),
                          state.characterMarks(),
                          state.scriptMarks(),
                          paragraph};

    // Room for every key a set may hold, so that the entries are not moved
    // while the set is made.
    constexpr std::size_t kLargestFormattingSet = 32;
    std::vector<AttributeDictionary::Entry> entries;
    entries.reserve(kLargestFormattingSet);
    auto set = [&entries](std::string_view key, AttributeValuePtr value) {
        if (value)
            entries.emplace_back(AttributeKey(key), std::move(value));
    };

    set(kCTForegroundColorAttributeName, state.foregroundColor());
    // A highlight shows over the shading.
    const TEShading shading = shadingOf(state.characterMarks().shading);
    if (state.backgroundColor())
        set(NSBackgroundColorAttributeName, state.backgroundColor());
    else if (std::optional<Color> look = shading.look())
        set(NSBackgroundColorAttributeName, ColorValue::make(*look));
    if (!shading.isEmpty())
        set(TEShadingAttribute, StringValue::make(toUtf16(shading.text())));
    if (const TEShading paragraphShading = shadingOf(state.paragraph().shading); !paragraphShading.isEmpty())
        set(TEParagraphShadingAttribute, StringValue::make(toUtf16(paragraphShading.text())));
    if (const std::string borders = state.paragraph().borders.text(); !borders.empty())
        set(TEParagraphBordersAttribute, StringValue::make(toUtf16(borders)));
    if (!state.paragraph().frame.empty())
        set(TEParagraphFrameAttribute, StringValue::make(toUtf16(state.paragraph().frame)));
    if ((state.underline() & 0xFF) != 0) {
        set(kCTUnderlineStyleAttributeName, IntegerValue::make(state.underline()));
        set(NSUnderlineColorAttributeName, state.underlineColor());
    }
    if (m_values.footnoteTableMarker == 1)
        set(TETextIsFootnoteTableAttribute, StringValue::make(u"1"));
    else if (m_values.footnoteTableMarker == -1)
        set(TETextIsFootnoteTableAttribute, StringValue::make(u"-1"));
    set(kCTFontAttributeName, font);
    if (state.strike())
        set(TEStrikeOutAttribute, BoolValue::make(true));
    if (state.superscriptCount() != 0)
        set(kCTSuperscriptAttributeName, IntegerValue::make(state.superscriptCount()));
    // In points, as the text system kerns.
    if (state.characterSpacing() != 0)
        set(kCTKernAttributeName, DoubleValue::make(state.characterSpacing() / 20.0));
    addCharacterMarks(state.characterMarks(), entries);
    addScriptMarks(state.scriptMarks(), entries);
    set(kCTParagraphStyleAttributeName, paragraphStyleValue(state));
    if (auto name = m_values.paragraphStyleNames.find(state.paragraph().styleNumber);
        name != m_values.paragraphStyleNames.end())
        set(TEParagraphStyleNameAttribute, name->second);
    if (auto name = m_values.characterStyleNames.find(state.characterStyleNumber());
        name != m_values.characterStyleNames.end())
        set(TECharacterStyleNameAttribute, name->second);
    // Every run says whether it is table text; the writer expects both keys.
    set(TEIsTableKey, IntegerValue::make(state.inTable() ? 1 : 0));
    set(TEIsTableRowKey, IntegerValue::make(state.inTable() ? 1 : 0));

    return m_sets.emplace(formatting, AttributeDictionary::make(std::move(entries))).first->second;
}

void DKRTFAttributeBuilder::addCharacterMarks(const DKRTFCharacterMarks& marks,
                                              std::vector<AttributeDictionary::Entry>& entries)
{
    static const AttributeKey kLanguage(kCTLanguageAttributeName);
    static const AttributeKey kEastAsianLanguage(TEEastAsianLanguageAttribute);
    static const AttributeKey kNoProofing(TENoProofingAttribute);
    static const AttributeKey kCapitals(TECapitalsAttribute);
    static const AttributeKey kSmallCapitals(TESmallCapitalsAttribute);
    static const AttributeKey kShadows(TEShadowsAttribute);
    static const AttributeKey kStrokeWidth(NSStrokeWidthAttributeName);
    if (marks.language != 0)
        if (const AttributeValuePtr& language = languageValue(marks.language))
            entries.emplace_back(kLanguage, language);
    if (marks.eastAsianLanguage != 0)
        if (const AttributeValuePtr& language = languageValue(marks.eastAsianLanguage))
            entries.emplace_back(kEastAsianLanguage, language);
    if (marks.noProofing)
        entries.emplace_back(kNoProofing, BoolValue::make(true));
    if (marks.capitals)
        entries.emplace_back(kCapitals, BoolValue::make(true));
    if (marks.smallCapitals)
        entries.emplace_back(kSmallCapitals, BoolValue::make(true));
    if (marks.hidden) {
        static const AttributeKey kHidden(TEHiddenAttribute);
        entries.emplace_back(kHidden, BoolValue::make(true));
    }
    if (marks.shadow && marks.shadowMeasures) {
        entries.emplace_back(kShadows, ArrayValue::make({measuredShadow(*marks.shadowMeasures)}));
    } else if (marks.shadow) {
        // Word gives a shadow no measures: a grey one a point down and to
        // the right, as word processors draw it.
        static const AttributeValuePtr kShadow = ArrayValue::make(
            {ShadowValue::make(Size{1, 1}, 1, Color::colorWithRed(128 / 255.0, 128 / 255.0, 128 / 255.0))});
        entries.emplace_back(kShadows, kShadow);
    }
    // Positive: outlined letters, not filled. TextEdit's own width comes
    // after Word's "\outl0", for readers that know only Word's.
    constexpr double kOutlineWidth = 3;
    std::optional<double> strokeWidth;
    if (marks.strokeWidth)
        strokeWidth = *marks.strokeWidth / 20.0;
    else if (marks.outline)
        strokeWidth = kOutlineWidth;
    if (strokeWidth) {
        static const AttributeKey kStrokeColor(NSStrokeColorAttributeName);
        entries.emplace_back(kStrokeWidth, DoubleValue::make(*strokeWidth));
        if (marks.strokeColor)
            entries.emplace_back(kStrokeColor, marks.strokeColor);
    }
    if (marks.doubleStrike) {
        static const AttributeKey kDoubleStrike(TEDoubleStrikeOutAttribute);
        entries.emplace_back(kDoubleStrike, BoolValue::make(true));
    }
    if (marks.baselineShift != 0) {
        static const AttributeKey kBaselineShift(TEBaselineShiftAttribute);
        entries.emplace_back(kBaselineShift, IntegerValue::make(marks.baselineShift));
    }
    if (marks.kerning) {
        static const AttributeKey kKerning(TEKerningAttribute);
        entries.emplace_back(kKerning, IntegerValue::make(*marks.kerning));
    }
}

TEShading DKRTFAttributeBuilder::shadingOf(const DKRTFCharacterMarks::Shading& marked)
{
    return TEShading{marked.pattern, marked.shading,
                     marked.color ? std::optional<Color>(marked.color->color()) : std::nullopt,
                     marked.fill ? std::optional<Color>(marked.fill->color()) : std::nullopt};
}

AttributeValuePtr DKRTFAttributeBuilder::measuredShadow(const DKRTFCharacterMarks::ShadowMeasures& measures)
{
    // TextEdit's offsets go up from the text, the page's down. Without an
    // opacity a colour of the table is its own and the automatic colour is
    // TextEdit's third of black.
    Color color = measures.color ? measures.color->color() : Color::colorWithRed(0, 0, 0, 1 / 3.0);
    if (measures.opacity > 0)
        color = color.colorWithAlphaComponent(measures.opacity / 255.0);
    return ShadowValue::make(Size{measures.x / 20.0, -measures.y / 20.0}, measures.blur / 20.0, color);
}

void DKRTFAttributeBuilder::addScriptMarks(const DKRTFScriptMarks& marks,
                                           std::vector<AttributeDictionary::Entry>& entries)
{
    if (marks == DKRTFScriptMarks())
        return;
    if (marks.rightToLeft) {
        static const AttributeValuePtr kRightToLeftEmbedding = ArrayValue::make({IntegerValue::make(1)});
        entries.emplace_back(AttributeKey(NSWritingDirectionAttributeName), kRightToLeftEmbedding);
    }
    auto addFont = [&](std::string_view key, int number) {
        if (number >= 0 && m_fonts.hasEntry(number))
            entries.emplace_back(AttributeKey(key), StringValue::make(m_fonts.fontNameAtIndex(number)));
    };
    addFont(TEComplexScriptFontAttribute, marks.complexFont);
    addFont(TEEastAsianFontAttribute, marks.eastAsianFont);
    addFont(TEHighAnsiFontAttribute, marks.highAnsiFont);
    addFont(TELowAnsiFontAttribute, marks.lowAnsiFont);
    if (marks.complexSize > 0)
        entries.emplace_back(AttributeKey(TEComplexScriptFontSizeAttribute), DoubleValue::make(marks.complexSize / 2.0));
    if (marks.complexBold)
        entries.emplace_back(AttributeKey(TEComplexScriptBoldAttribute), BoolValue::make(true));
    if (marks.complexItalic)
        entries.emplace_back(AttributeKey(TEComplexScriptItalicAttribute), BoolValue::make(true));
    if (marks.complexLanguage != 0)
        if (const AttributeValuePtr& language = languageValue(marks.complexLanguage))
            entries.emplace_back(AttributeKey(TEComplexScriptLanguageAttribute), language);
}

const AttributeValuePtr& DKRTFAttributeBuilder::languageValue(unsigned number)
{
    auto [found, isNew] = m_languages.try_emplace(number);
    if (isNew) {
        std::string tag = languageTagForWindowsLanguage(number);
        if (!tag.empty())
            found->second = StringValue::make(toUtf16(tag));
    }
    return found->second;
}

} // namespace folio
