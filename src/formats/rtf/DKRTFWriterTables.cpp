#include "formats/rtf/DKRTFWriter.h"

#include "engine/model/TEAttributeKeys.h"
#include "engine/model/TECSSListStyle.h"
#include "engine/model/TEParagraphBorders.h"
#include "engine/model/TEShading.h"
#include "formats/rtf/DKRTFFontNameEncoding.h"
#include "formats/rtf/DKRTFForeignHeaderFooter.h"
#include "formats/rtf/DKRTFTitlePage.h"
#include "formats/rtf/DKRTFReaderListTable.h"
#include "platform/foundation/Unicode.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/FontCatalog.h"
#include "platform/text/FontAttributeValue.h"

#include <algorithm>
#include <unordered_set>

namespace folio {

namespace {

constexpr std::string_view kDefaultFontName = "Helvetica";

// Whether two runs' list arrays hold the very same lists, level by level.
bool sameListObjects(const AttributeValue* a, const AttributeValue* b)
{
    if (a == b)
        return true;
    const auto* first = a ? a->as<ArrayValue>() : nullptr;
    const auto* second = b ? b->as<ArrayValue>() : nullptr;
    return first && second && std::ranges::equal(first->elements(), second->elements());
}

} // namespace

const std::vector<const AttributeDictionary*>& DKRTFWriter::dictionariesInOrderOfFirstUse()
{
    if (m_dictionariesInOrder)
        return *m_dictionariesInOrder;
    // A long text has tens of thousands of runs and a few hundred
    // dictionaries: the tables are drawn from the dictionaries, met once.
    std::vector<const AttributeDictionary*> dictionaries;
    std::unordered_set<const AttributeDictionary*> seen;
    const AttributeDictionary* previous = nullptr;
    bool first = true;
    m_attributedString.forEachRun(Range{0, m_attributedString.length()},
                                  [&](const AttributeDictionaryPtr& attributes, Range) {
                                      if (!first && attributes.get() == previous)
                                          return;
                                      first = false;
                                      previous = attributes.get();
                                      if (seen.insert(previous).second)
                                          dictionaries.push_back(previous);
                                  });
    m_dictionariesInOrder = std::move(dictionaries);
    return *m_dictionariesInOrder;
}

bool DKRTFWriter::showsNoLetters(const AttributeDictionary& attributes) const
{
    if (attributes.containsKey(NSAttachmentAttributeName) || attributes.containsKey(TEPageBreakAttribute) ||
        attributes.containsKey(TEHorizontalRuleStyleAttribute) || m_fontlessParagraphEnds.contains(&attributes))
        return true;
    // A list item's marker is drawn from the list, in the item's font; the
    // page hands it back in its own default font, which is none of the
    // document's.
    const auto* field = attributes.valueForKeyAs<StringValue>(TEFieldAttribute);
    return field && field->value() == TEFieldAttributeValue;
}

void DKRTFWriter::findFontlessParagraphEnds()
{
    m_fontlessParagraphEnds.clear();
    struct Use {
        bool letters = false;
        bool afterNote = false;
        bool isNote = false;
    };
    std::unordered_map<const AttributeDictionary*, Use> uses;
    const std::u16string_view text = m_attributedString.string();
    bool previousIsNote = false;
    m_attributedString.forEachRun(Range{0, text.size()}, [&](const AttributeDictionaryPtr& attributes, Range run) {
        const AttributeDictionary* dictionary = attributes ? attributes.get() : AttributeDictionary::empty().get();
        // Tens of thousands of runs share a few thousand dictionaries: what
        // a dictionary holds is looked at once, when it is first met.
        auto [found, isNew] = uses.try_emplace(dictionary);
        Use& use = found->second;
        // A page break or a rule shows no letters either: the paragraph end
        // after it, which the page hands back in its own default font, has
        // none of its own.
        if (isNew)
            use.isNote = dictionary->containsKey(NSAttachmentAttributeName) ||
                dictionary->containsKey(TEPageBreakAttribute) || dictionary->containsKey(TEHorizontalRuleStyleAttribute);
        use.letters = use.letters ||
            text.substr(run.location, run.length).find_first_not_of(u"\n\r") != std::u16string_view::npos;
        use.afterNote = use.afterNote || previousIsNote;
        // A break the page read back as a line of its own ends its
        // paragraph itself: an empty line after it is a paragraph of its
        // own, in the font the document gave it.
        previousIsNote = use.isNote && text[run.end() - 1] != u'\n';
    });
    for (const auto& [dictionary, use] : uses) {
        if (!use.letters && (use.afterNote || !dictionary->containsKey(kCTFontAttributeName)))
            m_fontlessParagraphEnds.insert(dictionary);
    }
}

bool DKRTFWriter::documentNamedFont(const std::string& name) const { return m_documentFontNames.contains(name); }

const std::string* DKRTFWriter::documentNameOfFamily(const std::string& family, std::uint32_t traits) const
{
    constexpr std::uint32_t kAnyFace = ~0u;
    if (!m_documentFamilies) {
        m_documentFamilies.emplace();
        for (const std::string& name : m_documentFontNames) {
            if (std::optional<Font> font = Font::fontWithName(name, 12)) {
                m_documentFamilies->emplace(std::make_pair(font->familyName(), kAnyFace), name);
                m_documentFamilies->emplace(
                    std::make_pair(font->familyName(), font->symbolicTraits() & (kFontBoldTrait | kFontItalicTrait)), name);
            }
        }
    }
    // The name the file gave the face ("Helvetica-BoldOblique"), else the
    // family's first.
    auto found = m_documentFamilies->find(std::make_pair(family, traits & (kFontBoldTrait | kFontItalicTrait)));
    if (found == m_documentFamilies->end())
        found = m_documentFamilies->find(std::make_pair(family, kAnyFace));
    return found == m_documentFamilies->end() ? nullptr : &found->second;
}

std::string DKRTFWriter::fontTableName(const AttributeValuePtr& value) const
{
    const auto* font = value ? value->as<FontAttributeValue>() : nullptr;
    if (!font)
        return std::string(kDefaultFontName);
    // A generic family is no font name: the face drawn for it is written.
    if (FontCatalog::isGenericFamily(font->font().postScriptName()) ||
        FontCatalog::isGenericFamily(font->font().familyName())) {
        const std::string& drawn = font->font().face().postScriptName;
        return drawn.empty() || FontCatalog::isGenericFamily(drawn) ? std::string(kDefaultFontName) : drawn;
    }
    // A family this system draws with a stand-in is written by its family
    // name; its bold and italic travel as "\b" and "\i", never as a face
    // name made up for the stand-in.
    if (font->font().isSubstituted()) {
        // The name the document gave the family ("Times-Roman" of a Mac
        // file, read as the family "Times") or the face goes back as it was.
        if (documentNamedFont(font->font().postScriptName()))
            return font->font().postScriptName();
        if (const std::string* named = documentNameOfFamily(font->font().familyName(), font->font().symbolicTraits()))
            return *named;
        return font->font().familyName();
    }
    // Word and LibreOffice name fonts by family ("Times New Roman"), which
    // is what they look for again; a face name of ours would be replaced by
    // another font there. The family stands only for its own bold and
    // italic faces: a light or condensed face keeps its face name.
    const Font& face = font->font();
    if (documentNamedFont(face.familyName()) && !documentNamedFont(face.postScriptName())) {
        // The face a reader finds for the family with "\b" and "\i".
        std::optional<Font> familyFace = Font::fontWithName(face.familyName(), face.pointSize());
        for (std::uint32_t trait : {kFontBoldTrait, kFontItalicTrait}) {
            if (familyFace && (face.symbolicTraits() & trait))
                familyFace = familyFace->copyWithSymbolicTraits(trait, trait);
        }
        if (familyFace && familyFace->postScriptName() == face.postScriptName())
            return face.familyName();
    }
    return face.postScriptName();
}

void DKRTFWriter::writeFontTableEntryWithIndex(std::int32_t index, const std::string& name)
{
    if (name.empty())
        return;
    m_buffer.appendCString("\\f");
    m_buffer.appendInteger(index);
    const std::u16string wide = toUtf16(name);
    std::optional<DKRTFFontNameEncoding> encoded = DKRTFFontNameEncoding::forName(wide);
    if (!encoded) {
        m_buffer.appendCString("\\fnil\\fcharset0 ");
        m_buffer.appendEscapedString(wide);
        m_buffer.appendByte(';');
        return;
    }
    m_buffer.appendCString("\\fnil\\fcharset");
    m_buffer.appendInteger(encoded->characterSet);
    m_buffer.appendByte(' ');
    static constexpr char kHexDigits[] = "0123456789abcdef";
    // The second byte of a double-byte letter may be an ASCII one: readers
    // take the name's escaped bytes together, so every byte is escaped.
    const bool doubleBytes = encoded->bytes.size() != wide.size();
    for (char byte : encoded->bytes) {
        const auto unit = static_cast<unsigned char>(byte);
        if (unit >= 0x80 || (doubleBytes && unit != ' ')) {
            m_buffer.appendCString("\\'");
            m_buffer.appendByte(kHexDigits[unit >> 4]);
            m_buffer.appendByte(kHexDigits[unit & 0xF]);
        } else {
            m_buffer.appendEscapedCharacter(unit);
        }
    }
    m_buffer.appendByte(';');
    if (m_otherCharacterSetFonts.size() <= static_cast<std::size_t>(index))
        m_otherCharacterSetFonts.resize(static_cast<std::size_t>(index) + 1, false);
    m_otherCharacterSetFonts[static_cast<std::size_t>(index)] = true;
}

void DKRTFWriter::setFontInForce(std::int32_t number)
{
    m_state.fontIndex = number;
    m_buffer.setInFontOfOtherCharacterSet(number >= 0 && static_cast<std::size_t>(number) < m_otherCharacterSetFonts.size() &&
                                          m_otherCharacterSetFonts[static_cast<std::size_t>(number)]);
}

void DKRTFWriter::registerFonts()
{
    m_registeredFonts.clear();
    m_fontNumbersByValue.clear();
    m_fontTableNames.clear();
    auto registerName = [this](const std::string& name) {
        if (m_registeredFonts.contains(name))
            return;
        m_registeredFonts.emplace(name, static_cast<std::int32_t>(m_fontTableNames.size()));
        m_fontTableNames.push_back(name);
    };
    // Runs share their dictionaries, and dictionaries their font values:
    // each value is named once, in order of first use, which is the order
    // the table has always had. A dictionary met before holds no new value.
    std::unordered_set<const AttributeValue*> named;
    std::vector<std::string> names;
    findFontlessParagraphEnds();
    for (const AttributeDictionary* attributes : dictionariesInOrderOfFirstUse()) {
        const AttributeValuePtr& value = attributes ? attributes->valueForKey(kCTFontAttributeName) : AttributeValuePtr();
        if (attributes && showsNoLetters(*attributes))
            continue;
        if (named.insert(value.get()).second)
            names.push_back(fontTableName(value));
    }
    // Text that named no font goes back naming none: readers give it their
    // default, and font 0 too, which no font of the table may then be.
    if (m_unnamedFontName && std::ranges::find(names, *m_unnamedFontName) != names.end()) {
        registerName(std::string());
        std::erase(names, *m_unnamedFontName);
    }
    for (const std::string& name : names)
        registerName(name);
    registerScriptFonts(registerName);
    // The style sheet's fonts follow the text's, whose numbers stay as a
    // document without a style sheet has them.
    if (m_styleSheet) {
        for (const std::u16string& name : m_styleSheet->fonts())
            registerName(toUtf8(name));
    }
    // Then the fonts of bullet signs (Word's "o" in Courier New).
    std::unordered_set<const AttributeValue*> lists;
    for (const AttributeDictionary* attributes : dictionariesInOrderOfFirstUse()) {
        const auto* array = attributes ? attributes->valueForKeyAs<ArrayValue>(TETextListsAttribute) : nullptr;
        if (!array || !lists.insert(array).second)
            continue;
        for (const AttributeValuePtr& list : array->elements()) {
            const auto* style = list ? list->as<TECSSListStyle>() : nullptr;
            if (style && style->markerText() && style->markerText()->bullet && !style->markerText()->font.empty())
                registerName(toUtf8(style->markerText()->font));
        }
    }
    // An empty text still gets the font its (absent) runs would use, so
    // that a reader finds font 0 defined.
    if (m_registeredFonts.empty())
        registerName(std::string(kDefaultFontName));
    // The header names the document's default fonts for each kind of
    // letters by their numbers here.
    if (m_scriptDefaults) {
        for (const DKRTFScriptDefaults::WordName& word : DKRTFScriptDefaults::kWords) {
            if (const std::optional<std::string>& font = m_scriptDefaults->font(word.word))
                registerName(*font);
        }
    }
    // Last, so that the text's fonts keep the numbers they always had.
    for (const auto& settings : {m_settings.pageHeader, m_settings.pageFooter}) {
        if (auto look = settings ? DKRTFForeignHeaderFooter::lookOfSettings(*settings) : std::nullopt)
            registerName(look->family);
    }
    for (const std::u16string& name : m_headerFooterForms.fonts())
        registerName(toUtf8(name));
    for (const auto& [note, form] : m_noteForms) {
        for (const std::u16string& name : form.fonts())
            registerName(toUtf8(name));
    }
}

void DKRTFWriter::writeFontTable()
{
    m_otherCharacterSetFonts.clear();
    m_buffer.appendCString("{\\fonttbl");
    for (std::size_t number = 0; number < m_fontTableNames.size(); ++number)
        writeFontTableEntryWithIndex(static_cast<std::int32_t>(number), m_fontTableNames[number]);
    m_buffer.appendCString("}\n");
}

std::int32_t DKRTFWriter::registeredFontNumber(const std::string& name) const
{
    if (m_unnamedFontName && name == *m_unnamedFontName && !m_registeredFonts.contains(name))
        return kUnnamedFontNumber;
    auto found = m_registeredFonts.find(name);
    return found == m_registeredFonts.end() ? 0 : found->second;
}

void DKRTFWriter::writeColorTable()
{
    m_registeredColors.clear();
    m_colorNumbersByValue.clear();
    m_buffer.appendCString("{\\colortbl");
    DKRTFColorTableEntry defaultEntry;
    defaultEntry.writeToDataBuffer(m_buffer);
    m_registeredColors.emplace(defaultEntry, 0);
    // Colours are numbered in order of first use, foreground before
    // background within a run, so the same text always gives the same table.
    auto registerEntry = [this](const Color& color) {
        DKRTFColorTableEntry entry = DKRTFColorTableEntry::entryWithColor(&color);
        if (m_registeredColors.contains(entry))
            return;
        entry.writeToDataBuffer(m_buffer);
        m_registeredColors.emplace(entry, static_cast<std::int32_t>(m_registeredColors.size()));
    };
    auto registerColor = [&registerEntry](const AttributeDictionary& attributes, std::string_view key) {
        if (const auto* value = attributes.valueForKeyAs<ColorValue>(key))
            registerEntry(value->color());
    };
    // Runs share their dictionaries: a dictionary seen before adds no colour.
    bool blackUnderline = false;
    for (const AttributeDictionary* attributes : dictionariesInOrderOfFirstUse()) {
        if (!attributes)
            continue;
        registerColor(*attributes, kCTForegroundColorAttributeName);
        registerColor(*attributes, NSBackgroundColorAttributeName);
        registerColor(*attributes, NSUnderlineColorAttributeName);
        registerColor(*attributes, NSStrokeColorAttributeName);
        for (std::string_view key : {NSUnderlineColorAttributeName, NSStrokeColorAttributeName})
            if (const auto* color = attributes->valueForKeyAs<ColorValue>(key))
                blackUnderline |= DKRTFColorTableEntry::entryWithColor(&color->color()) == defaultEntry;
        // A shadow of measures names its colour without the opacity; a
        // shading names the colours it mixes.
        const DKRTFCharacterMarks& marks = characterMarks(*attributes);
        std::optional<TEShading> paragraphShading;
        if (const auto* text = attributes->valueForKeyAs<StringValue>(TEParagraphShadingAttribute))
            paragraphShading = TEShading::fromText(toUtf8(text->value()));
        const Color* paragraphColors[] = {paragraphShading && paragraphShading->color ? &*paragraphShading->color : nullptr,
                                          paragraphShading && paragraphShading->fill ? &*paragraphShading->fill : nullptr};
        // And a paragraph's borders theirs.
        std::vector<const Color*> colors{marks.shadowMeasures && marks.shadowMeasures->color ? &marks.shadowMeasures->color->color() : nullptr,
                                         marks.shading.color ? &marks.shading.color->color() : nullptr,
                                         marks.shading.fill ? &marks.shading.fill->color() : nullptr, paragraphColors[0],
                                         paragraphColors[1]};
        std::optional<TEParagraphBorders> borders;
        if (const auto* text = attributes->valueForKeyAs<StringValue>(TEParagraphBordersAttribute))
            borders = TEParagraphBorders::fromText(toUtf8(text->value()));
        if (borders) {
            for (const std::optional<TEParagraphBorders::Border>& side : borders->sides)
                colors.push_back(side && side->color ? &*side->color : nullptr);
        }
        for (const Color* color : colors) {
            if (!color)
                continue;
            blackUnderline |= DKRTFColorTableEntry::entryWithColor(color) == defaultEntry;
            registerEntry(*color);
        }
    }
    if (m_styleSheet) {
        for (const std::shared_ptr<const ColorValue>& color : m_styleSheet->colors())
            if (color)
                registerEntry(color->color());
    }
    for (const auto& settings : {m_settings.pageHeader, m_settings.pageFooter}) {
        auto look = settings ? DKRTFForeignHeaderFooter::lookOfSettings(*settings) : std::nullopt;
        if (look && look->color)
            registerEntry(*look->color);
    }
    for (const std::shared_ptr<const ColorValue>& color : m_headerFooterForms.colors())
        if (color)
            registerEntry(color->color());
    for (const auto& [note, form] : m_noteForms) {
        for (const std::shared_ptr<const ColorValue>& color : form.colors())
            if (color)
                registerEntry(color->color());
    }
    // Black is the table's first colour, which "\\ulc0" does not name (it is
    // the text's own colour): an underline drawn in black has black again,
    // last, as an entry of its own.
    m_blackUnderlineColorNumber = 0;
    if (blackUnderline) {
        m_blackUnderlineColorNumber = static_cast<std::int32_t>(m_registeredColors.size());
        defaultEntry.writeToDataBuffer(m_buffer);
    }
    m_buffer.appendCString("}\n");
    // The style sheet follows the colour table, as RTF orders the header.
    writeStyleSheet();
    m_buffer.appendCString("\\pard\n");
}

bool DKRTFWriter::writeForeignHeaderFooter(DKRTFForeignHeaderFooter::Kind kind, std::u16string_view settings)
{
    std::optional<DKRTFForeignHeaderFooter::Look> look = DKRTFForeignHeaderFooter::lookOfSettings(settings);
    if (!look)
        return false;
    std::int32_t colorNumber = 0;
    if (look->color) {
        // The table's white, which the default entry writes, comes before
        // every registered colour but black.
        auto found = m_registeredColors.find(DKRTFColorTableEntry::entryWithColor(&*look->color));
        colorNumber = found == m_registeredColors.end() || found->second == 0 ? 0 : found->second + 1;
    }
    return DKRTFForeignHeaderFooter::writeGroup(m_buffer, kind, settings, registeredFontNumber(look->family), colorNumber);
}

void DKRTFWriter::writeHeadersAndFooters()
{
    using Group = DKRTFHeaderFooterForms::Group;
    // Whether the first section's header and footer stand at a distance
    // from the paper's edge the settings give.
    struct {
        bool header = false;
        bool footer = false;
    } written;
    std::vector<Group>& groups = m_headerFooterForms.groups;
    for (DKRTFForeignHeaderFooter::Kind kind : {DKRTFForeignHeaderFooter::Kind::Header, DKRTFForeignHeaderFooter::Kind::Footer}) {
        const bool header = kind == DKRTFForeignHeaderFooter::Kind::Header;
        const std::optional<std::u16string>& settings = header ? m_settings.pageHeader : m_settings.pageFooter;
        auto shown = std::find_if(groups.begin(), groups.end(), [&](const Group& group) {
            return group.shownAs && DKRTFHeaderFooterForms::isHeader(group) == header;
        });
        // The group the settings were read from says more than they do (its
        // paragraphs, tabs, styles and fields): it goes back for as long as
        // the settings are as read. One written from our own settings is
        // written from them again, in the form that tells it is.
        if (shown != groups.end() && settings && !shown->settingsAreOwn
            && DKRTFForeignHeaderFooter::showTheSame(*settings, toUtf16(*shown->shownAs))) {
            if (shown->section == 0)
                (header ? written.header : written.footer) = true;
            if (shown->section == 0 && DKRTFForeignHeaderFooter::lookOfSettings(*settings))
                DKRTFForeignHeaderFooter::writeDistance(m_buffer, kind, *settings);
            continue;
        }
        if (shown != groups.end())
            groups.erase(shown);
        const bool own = settings && writeForeignHeaderFooter(kind, *settings);
        (header ? written.header : written.footer) = own;
        // The settings' header takes the place of the file's one for every
        // page, which would otherwise stand beside it.
        if (own) {
            const std::string allPages = header ? "header" : "footer";
            std::erase_if(groups, [&](const Group& group) { return group.section == 0 && group.word == allPages; });
        }
    }
    // The title page's, left and right pages' headers and footers the
    // document came with, which Folio does not edit, go back as they were;
    // their distance from the paper's edge yields to the one of the header
    // or footer Folio edits.
    std::string words = m_headerFooterForms.words;
    if (written.header)
        words = DKRTFTitlePage::withoutDistance(words, "\\headery");
    if (written.footer)
        words = DKRTFTitlePage::withoutDistance(words, "\\footery");
    m_buffer.appendCString(words);
    writeSectionHeadersAndFooters(0);
}

void DKRTFWriter::writeSectionHeadersAndFooters(int section)
{
    auto font = [this](int number) -> std::optional<int> {
        if (number < 0 || static_cast<std::size_t>(number) >= m_headerFooterForms.fonts().size())
            return std::nullopt;
        return registeredFontNumber(toUtf8(m_headerFooterForms.fonts()[static_cast<std::size_t>(number)]));
    };
    auto color = [this](int number) -> std::optional<int> {
        const auto& colors = m_headerFooterForms.colors();
        if (number <= 0 || static_cast<std::size_t>(number) >= colors.size())
            return std::nullopt;
        return keptColorNumber(colors[static_cast<std::size_t>(number)]);
    };
    for (const DKRTFHeaderFooterForms::Group& group : m_headerFooterForms.groups) {
        if (group.section != section)
            continue;
        m_buffer.appendCString(m_headerFooterForms.groupRTF(group, font, color));
        m_buffer.appendByte('\n');
    }
}

std::optional<int> DKRTFWriter::keptColorNumber(const std::shared_ptr<const ColorValue>& color) const
{
    if (!color)
        return std::nullopt;
    auto found = m_registeredColors.find(DKRTFColorTableEntry::entryWithColor(&color->color()));
    // The default entry stands for two slots of the table, black and
    // white, so every later entry is one further on.
    if (found == m_registeredColors.end())
        return std::nullopt;
    return found->second == 0 ? 0 : found->second + 1;
}

std::int32_t DKRTFWriter::registeredColorNumber(const AttributeDictionary& attributes, std::string_view key) const
{
    const auto* value = attributes.valueForKeyAs<ColorValue>(key);
    DKRTFColorTableEntry entry = DKRTFColorTableEntry::entryWithColor(value ? &value->color() : nullptr);
    auto found = m_registeredColors.find(entry);
    return found == m_registeredColors.end() ? 0 : found->second;
}

void DKRTFWriter::writeLevelText(const TECSSListStyle::MarkerText& words, std::size_t depth)
{
    // "\'LL" counts the characters, "\'0N" stands for level N's number,
    // and "\levelnumbers" says where in the text the numbers are: the
    // words, then each outer level's number and its words, then the
    // level's own number and the words after it.
    std::vector<std::pair<std::size_t, std::u16string_view>> pieces;
    for (const TECSSListStyle::MarkerText::OuterNumber& outer : words.outer)
        pieces.emplace_back(static_cast<std::size_t>(outer.level), outer.after);
    pieces.emplace_back(depth, words.after);
    const auto byte = [this](std::size_t value) {
        static constexpr char kDigits[] = "0123456789abcdef";
        m_buffer.appendCString("\\'");
        m_buffer.appendByte(kDigits[(value >> 4) & 0xF]);
        m_buffer.appendByte(kDigits[value & 0xF]);
    };
    const auto units = [this](std::u16string_view text) {
        for (char16_t unit : text) {
            if (unit < 0x80 && unit >= 0x20 && unit != u'\\' && unit != u'{' && unit != u'}' && unit != u';') {
                m_buffer.appendByte(static_cast<char>(unit));
            } else {
                m_buffer.appendCString("\\u");
                m_buffer.appendInteger(static_cast<std::int16_t>(unit));
                m_buffer.appendCString(" ?");
            }
        }
    };
    if (words.bullet) {
        // A bullet's sign, set in its own font.
        byte(std::min<std::size_t>(words.before.size(), 255));
        units(words.before);
        m_buffer.appendCString(";}{\\levelnumbers;}");
        if (auto font = m_registeredFonts.find(toUtf8(words.font)); !words.font.empty() && font != m_registeredFonts.end()) {
            m_buffer.appendCString("\\f");
            m_buffer.appendInteger(font->second);
        }
        return;
    }
    std::vector<std::size_t> numbers;
    std::size_t length = words.before.size();
    for (const auto& [level, after] : pieces) {
        numbers.push_back(++length);
        length += after.size();
    }
    byte(std::min<std::size_t>(length, 255));
    units(words.before);
    for (const auto& [level, after] : pieces) {
        byte(level);
        units(after);
    }
    m_buffer.appendCString(";}{\\levelnumbers");
    for (std::size_t number : numbers)
        byte(number);
    m_buffer.appendCString(";}");
}

namespace {

// "\levelnfc23": the level's markers are bullets.
constexpr int kBulletNumberType = 23;

} // namespace

std::u16string DKRTFWriter::nextMarkerText(const AttributeDictionary& marker)
{
    // A marker that names its lists starts a level (or a list) when they
    // differ from the last; one that names none goes on at the last level.
    if (const auto* lists = marker.valueForKeyAs<ArrayValue>(TETextListsAttribute); lists && !lists->isEmpty()) {
        if (lists->elements().front().get() != m_markerList) {
            if (m_markerList && !m_markerLevels.empty())
                m_markerListsLeft[m_markerList] = m_markerLevels.front();
            m_markerList = lists->elements().front().get();
            m_markerLevels.clear();
            if (auto left = m_markerListsLeft.find(m_markerList); left != m_markerListsLeft.end())
                m_markerLevels.push_back(left->second);
        }
        // Deeper levels start again after the item of an outer one.
        m_markerLevels.resize(lists->count());
        m_markerLevels.back().style = lists->elements().back()->as<TECSSListStyle>();
    }
    if (m_markerLevels.empty() || !m_markerLevels.back().style)
        return {};
    MarkerLevel& level = m_markerLevels.back();
    const std::int64_t start = std::max<std::int64_t>(level.style->startingItemNumber(), 1);
    level.number = level.number == 0 ? start : TECSSListStyle::itemNumber(level.number, 1);
    // What the level's text in the list table gives: the marker's words
    // around the number, the number and a full stop, or a bullet.
    std::optional<std::u16string> text = level.style->markerWithText(level.number, [this](int outer) -> std::int64_t {
        const auto at = static_cast<std::size_t>(outer);
        return at + 1 < m_markerLevels.size() ? std::max<std::int64_t>(m_markerLevels[at].number, 1) : 1;
    });
    if (!text && level.style->type() == TECSSListStyleType::None)
        return {};
    if (!text && TECSSListStyle::RTFNumberTypeForLevel(level.style->type()) == kBulletNumberType)
        text = u"\u2022";
    if (!text) {
        TECSSListStyle numbered = *level.style;
        numbered.setMarkerText(TECSSListStyle::MarkerText{u"", u".", TEListNumbering::OfType});
        text = numbered.markerWithText(level.number);
    }
    return text ? *text + u'\t' : std::u16string();
}

void DKRTFWriter::writeBulletLevelText(const TECSSListStyle* style)
{
    // The level's own bullet (a hollow circle, a square), as the page
    // draws it: other readers draw the level from this text.
    char16_t bullet = u'\u2022';
    std::u16string marker = style ? style->prefixWithCounter(1).value_or(u"") : u"";
    std::erase(marker, u'\t');
    if (marker.size() == 1 && marker[0] > 0x7F && marker[0] < 0x8000 && marker[0] != u'\uFFFC')
        bullet = marker[0];
    m_buffer.appendCString("\\'01\\u");
    m_buffer.appendInteger(static_cast<std::int32_t>(bullet));
    m_buffer.appendCString(" ?;}{\\levelnumbers;}");
}

void DKRTFWriter::writeListTable()
{
    // One RTF list per outermost list, in order of first use, with a level
    // for every depth its items reach; the type of a level is that of the
    // first item at that depth. Neighbouring runs with equal lists count as
    // one stretch, named by its first run's list; but an item's marker in
    // other list objects starts a list of its own, however alike the two
    // are (two bullet lists one after another), since the item finds its
    // number by those objects and one missed was written as the first list.
    m_listNumbers.clear();
    // The style of each level, none where the list array held no style.
    std::vector<std::vector<const TECSSListStyle*>> lists;
    // A text without lists needs no table. One that is a single list from
    // its first item to its last needs one all the same: without it, a
    // reader takes the items' markers for their text and the list is gone.
    bool first = true;
    AttributeValuePtr stretchValue;
    const AttributeDictionary* previous = nullptr;
    m_attributedString.forEachRun(Range{0, m_attributedString.length()}, [&](const AttributeDictionaryPtr& attributes,
                                                                             Range) {
        if (!first && attributes.get() == previous)
            return;
        previous = attributes.get();
        const AttributeValuePtr& value = attributes ? attributes->valueForKey(TETextListsAttribute) : AttributeValuePtr();
        if (first)
            first = false;
        else if (sameListObjects(value.get(), stretchValue.get())
                 || (attributeValuesEqual(value, stretchValue) && !(attributes && isListMarker(*attributes))))
            return;
        stretchValue = value;
        const auto* array = value ? value->as<ArrayValue>() : nullptr;
        if (!array || array->isEmpty())
            return;
        auto [number, added] = m_listNumbers.emplace(array->elements().front().get(), lists.size() + 1);
        if (added)
            lists.emplace_back();
        std::vector<const TECSSListStyle*>& levels = lists[number->second - 1];
        for (std::size_t depth = levels.size(); depth < array->count(); ++depth)
            levels.push_back((*array)[depth]->as<TECSSListStyle>());
    });
    if (lists.empty())
        return;

    m_buffer.appendCString("{\\*\\listtable");
    std::int64_t templateId = 1;
    m_listSublevels.clear();
    for (std::size_t list = 0; list < lists.size(); ++list) {
        const std::string listId = std::to_string(list + 1);
        m_buffer.appendCString("\n{\\list\\listtemplateid");
        m_buffer.appendCString(listId);
        m_buffer.appendCString("\\listhybrid");
        for (std::size_t depth = 0; depth < lists[list].size(); ++depth) {
            const TECSSListStyle* style = lists[list][depth];
            const TECSSListStyleType type = style ? style->type() : TECSSListStyleType::Inherit;
            const std::optional<TECSSListStyle::MarkerText>& words = style ? style->markerText() : std::nullopt;
            // The file's own numbering style goes back as it came.
            const int numberType = words && words->numberFormat >= 0 ? words->numberFormat
                : words ? DKRTFReaderListTable::numberFormatOfNumbering(words->numbering)
                              .value_or(TECSSListStyle::RTFNumberTypeForLevel(type))
                        : TECSSListStyle::RTFNumberTypeForLevel(type);
            const std::int32_t alignment = words ? static_cast<std::int32_t>(words->alignment) : 0;
            const std::string indent = std::to_string((depth + 1) * 720);
            m_buffer.appendCString("{\\listlevel\\levelnfc");
            m_buffer.appendInteger(numberType);
            m_buffer.appendCString("\\levelnfcn");
            m_buffer.appendInteger(numberType);
            // A list numbered from elsewhere than 1 says so, for other
            // readers to show the numbers its markers give.
            const std::int64_t start =
                style ? std::clamp<std::int64_t>(style->startingItemNumber(), 1, INT32_MAX) : 1;
            m_buffer.appendCString("\\leveljc");
            m_buffer.appendInteger(alignment);
            m_buffer.appendCString("\\leveljcn");
            m_buffer.appendInteger(alignment);
            // Outer levels' numbers print in decimal digits.
            if (words && !words->outer.empty())
                m_buffer.appendCString("\\levellegal");
            m_buffer.appendCString("\\levelfollow");
            m_buffer.appendInteger(static_cast<std::int32_t>(words ? words->follow : TEListLabelFollow::Tab));
            m_buffer.appendCString("\\levelstartat");
            m_buffer.appendInteger(static_cast<std::int32_t>(start));
            m_buffer.appendCString("\\levelspace360\\levelindent0{\\*\\levelmarker \\{");
            m_buffer.appendCString(TECSSListStyle::listStyleRTFString(type));
            m_buffer.appendCString("}{\\leveltext\\leveltemplateid");
            m_buffer.appendCString(std::to_string(templateId++));
            // Other readers draw the level from its text: the level's number
            // and a full stop, the words around it, or the bullet itself.
            if (words)
                writeLevelText(*words, depth);
            else if (numberType == kBulletNumberType)
                writeBulletLevelText(style);
            else
                m_buffer.appendCString("\\'02\\'00.;}{\\levelnumbers\\'01;}");
            // Markers in a size of their own are drawn in it.
            if (const std::optional<int> size = style ? style->markerHalfPoints() : std::nullopt) {
                m_buffer.appendCString("\\fs");
                m_buffer.appendInteger(*size);
            }
            m_buffer.appendCString("\\fi-360\\li");
            m_buffer.appendCString(indent);
            m_buffer.appendCString("\\lin");
            m_buffer.appendCString(indent);
            m_buffer.appendCString("}\n");
        }
        m_buffer.appendCString("{\\listname ;}\\listid");
        m_buffer.appendCString(listId);
        m_buffer.appendByte('}');
        m_listSublevels.push_back(static_cast<std::int64_t>(lists[list].size()) - 1);
    }
    m_buffer.appendCString("}\n{\\*\\listoverridetable");
    for (std::size_t list = 1; list <= lists.size(); ++list) {
        std::string number = std::to_string(list);
        m_buffer.appendCString("{\\listoverride\\listid");
        m_buffer.appendCString(number);
        m_buffer.appendCString("\\listoverridecount0\\ls");
        m_buffer.appendCString(number);
        m_buffer.appendByte('}');
    }
    m_buffer.appendCString("}\n");
    m_state.listCount = static_cast<std::int32_t>(lists.size() + 1);
}

} // namespace folio
