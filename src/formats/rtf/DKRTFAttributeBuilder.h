#pragma once

#include "engine/model/TEShading.h"
#include "formats/rtf/DKRTFReaderState.h"
#include "platform/graphics/Font.h"
#include "platform/text/AttributeDictionary.h"

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace folio {

class DKRTFReaderFontTable;
class DKRTFReaderListTable;

// Turns a formatting state into the attribute set under which its text is
// appended, and caches the set on the state. One builder serves one parse:
// it also keeps the fonts and the sets made so far, since a document names
// few fonts and few distinct formattings but changes formatting thousands of
// times. States that format alike share one set object.
class DKRTFAttributeBuilder {
public:
    // What the document has read so far that a set may pick up.
    struct DocumentValues {
        // The URL of the last hyperlink field, given to text inside "\fldrslt".
        std::u16string linkTarget;
        // The instruction of the field last read when it is no hyperlink,
        // for its result to take up.
        std::u16string fieldInstruction;
        // The bookmarks begun and not yet ended, in the order they began,
        // with the length of the text where each began.
        struct OpenBookmark {
            std::u16string name;
            std::size_t textLength = 0;
        };
        std::vector<OpenBookmark> openBookmarks;
        // The tags of the comment ranges begun and not yet ended, likewise.
        std::vector<std::u16string> openCommentRanges;
        // Changes with every bookmark or comment range begun or ended: a set
        // cached before then is stale even in a group that did not see the
        // change.
        unsigned bookmarksVersion = 0;
        // 0, or 1 / -1 after "\footnotetable" / "\footnotetable0".
        int footnoteTableMarker = 0;
        // The names of the style sheet's paragraph styles, by number; empty
        // when the document has no style sheet.
        std::map<int, AttributeValuePtr> paragraphStyleNames;
        // The same for its character styles.
        std::map<int, AttributeValuePtr> characterStyleNames;
    };

    // Whether the sets carry fonts. A reading for its words alone (the plain
    // text) goes without: finding a font asks the system's font configuration,
    // which costs more than reading a small document does.
    enum class Fonts { Resolved, Omitted };

    DKRTFAttributeBuilder(const DKRTFReaderFontTable& fonts, DKRTFReaderListTable& lists, DocumentValues& values,
                          Fonts fontUse = Fonts::Resolved);
    Fonts fontUse() const { return m_fontUse; }
    // Whether any text read named no font, and was given the table's stand-in.
    bool foundUnnamedFont() const { return m_foundUnnamedFont; }

    // The state's cached set, or a new one (then cached). Building advances
    // the state's list tracking.
    const AttributeDictionaryPtr& stringAttributes(DKRTFReaderState& state, unsigned currentListType);

private:
    using Paragraph = DKRTFReaderState::Paragraph;
    // Paragraphs by value, one object for each: a set's paragraph is
    // compared by its address.
    struct ParagraphHash {
        std::size_t operator()(const std::shared_ptr<const Paragraph>& paragraph) const;
    };
    struct ParagraphEqual {
        bool operator()(const std::shared_ptr<const Paragraph>& a, const std::shared_ptr<const Paragraph>& b) const
        {
            return *a == *b;
        }
    };
    // Everything a set is made of but lists and links, which are added anew
    // for each paragraph that has them. Values are kept by address: every
    // set in the cache holds its values, so an address cannot come back for
    // another value while its set is kept.
    struct Formatting {
        const AttributeValue* foregroundColor = nullptr;
        const AttributeValue* backgroundColor = nullptr;
        const AttributeValue* underlineColor = nullptr;
        const AttributeValue* font = nullptr;
        unsigned underline = 0;
        int footnoteTableMarker = 0;
        int superscriptCount = 0;
        int characterStyleNumber = -1;
        bool strike = false;
        bool inTable = false;
        int characterSpacing = 0;
        DKRTFCharacterMarks marks;
        DKRTFScriptMarks scriptMarks;
        // The interned paragraph (see internedParagraph).
        const Paragraph* paragraph = nullptr;
        friend bool operator==(const Formatting&, const Formatting&) = default;
    };
    // A state's formatting where it stands, to look a set up by without
    // copying the state's paragraph and marks into a key.
    struct FormattingOfState {
        const DKRTFReaderState& state;
        const AttributeValue* font = nullptr;
        int footnoteTableMarker = 0;
        const Paragraph* paragraph = nullptr;
    };
    struct FormattingHash {
        using is_transparent = void;
        std::size_t operator()(const Formatting& formatting) const;
        std::size_t operator()(const FormattingOfState& formatting) const;
    };
    struct FormattingEqual {
        using is_transparent = void;
        bool operator()(const Formatting& a, const Formatting& b) const { return a == b; }
        bool operator()(const FormattingOfState& a, const Formatting& b) const;
        bool operator()(const Formatting& a, const FormattingOfState& b) const { return (*this)(b, a); }
    };
    struct FontRequest {
        int number = 0;
        double size = 0;
        bool bold = false;
        bool italic = false;
        friend bool operator==(const FontRequest&, const FontRequest&) = default;
    };
    struct FontRequestHash {
        std::size_t operator()(const FontRequest& request) const;
    };

    // The one paragraph object of the builder's equal to the state's: every
    // run of a paragraph looks its set up, and most paragraphs of a
    // document are formatted like others before them, each in an object of
    // its own, which compared field by field cost more than the rest of
    // the look-up.
    const Paragraph* internedParagraph(const DKRTFReaderState& state);
    // The set shared by every state that formats alike, lists and links
    // aside; `paragraph` is the state's interned paragraph.
    const AttributeDictionaryPtr& formattingSet(const DKRTFReaderState& state, const Paragraph* paragraph);
    // The formatting's set with the entries the run adds (m_ownEntries).
    AttributeDictionaryPtr setWithOwnEntries(const AttributeDictionaryPtr& formatted);
    // The link's target as a value: one object for the runs of one target.
    const AttributeValuePtr& linkValue(const std::u16string& target);
    const AttributeValuePtr& fontValue(const DKRTFReaderState& state);
    AttributeValuePtr fontValueNamed(const std::u16string& name, const std::vector<std::string>& fallbackFamilies,
                                     double size, bool bold, bool italic);
    // The catalog is asked about each name once per document, and the bold
    // and italic faces are looked for once per name: the fonts below are in
    // the default size, and each size is a copy of them.
    const std::optional<Font>& installedFont(const std::u16string& name);
    const std::optional<Font>& styledFont(const std::u16string& name, bool bold, bool italic);
    static AttributeValuePtr paragraphStyleValue(const DKRTFReaderState& state);
    // The languages and letter effects of the run as attributes.
    void addCharacterMarks(const DKRTFCharacterMarks& marks, std::vector<AttributeDictionary::Entry>& entries);
    static TEShading shadingOf(const DKRTFCharacterMarks::Shading& marked);
    static AttributeValuePtr measuredShadow(const DKRTFCharacterMarks::ShadowMeasures& measures);
    // The tag of a Windows language number, as a shared value; none for a
    // number no language has.
    const AttributeValuePtr& languageValue(unsigned number);
    // The direction and complex-script fonts and languages of the run.
    void addScriptMarks(const DKRTFScriptMarks& marks, std::vector<AttributeDictionary::Entry>& entries);

    const DKRTFReaderFontTable& m_fonts;
    Fonts m_fontUse;
    bool m_foundUnnamedFont = false;
    DKRTFReaderListTable& m_lists;
    DocumentValues& m_values;
    std::map<std::tuple<std::u16string, std::vector<std::string>, double, bool, bool>, AttributeValuePtr> m_fontCache;
    std::map<std::u16string, std::optional<Font>> m_installedFonts;
    std::map<std::tuple<std::u16string, bool, bool>, std::optional<Font>> m_styledFonts;
    // The fonts by number, for the font table's generation they were read in.
    std::unordered_map<FontRequest, AttributeValuePtr, FontRequestHash> m_fontsByNumber;
    std::uint64_t m_fontsGeneration = 0;
    std::unordered_map<Formatting, AttributeDictionaryPtr, FormattingHash, FormattingEqual> m_sets;
    std::unordered_set<std::shared_ptr<const Paragraph>, ParagraphHash, ParagraphEqual> m_paragraphs;
    // The paragraph object last looked up, and its interned equal.
    std::shared_ptr<const Paragraph> m_lastParagraph;
    const Paragraph* m_lastInterned = nullptr;
    std::unordered_map<unsigned, AttributeValuePtr> m_languages;
    // The entries a paragraph adds to its formatting's set, in a buffer kept
    // from one paragraph to the next: it is empty between calls.
    std::vector<AttributeDictionary::Entry> m_ownEntries;
    // The sets made last with entries of their own, by the address of the
    // formatting's set and those of each added key and value, in the order
    // they were added: the runs of a list item or a link add the same
    // objects (the list's array, the link's target) to the same formatting.
    // A slot's set holds the values its key names, so no address can come
    // back for another object while the slot keeps it.
    static constexpr std::size_t kLongestOwnEntriesKey = 17;
    struct SetWithOwnEntries {
        std::array<const void*, kLongestOwnEntriesKey> key{};
        std::size_t length = 0;
        AttributeDictionaryPtr set;
    };
    std::array<SetWithOwnEntries, 256> m_setsWithOwnEntries;
    std::u16string m_linkTarget;
    AttributeValuePtr m_linkValue;
};

} // namespace folio
