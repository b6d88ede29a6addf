#pragma once

#include "engine/model/TESectionBreak.h"
#include "platform/graphics/Geometry.h"

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace folio {

class OFStringScanner;

// The page settings an RTF document carries beside its text, as the reader
// found them, by the keys under which the editors keep them in the user
// defaults. The reader only answers them; the document decides to store them.
class DKRTFPageSettings {
public:
    static constexpr std::string_view kPageMarginLeftKey = "marquentPageMarginLeft";
    static constexpr std::string_view kPageMarginRightKey = "marquentPageMarginRight";
    static constexpr std::string_view kPageMarginTopKey = "marquentPageMarginTop";
    static constexpr std::string_view kPageMarginBottomKey = "marquentPageMarginBottom";
    static constexpr std::string_view kParagraphSpacingKey = "marquentParagraphSpacing";
    static constexpr std::string_view kParagraphSpacingBeforeKey = "marquentParagraphSpacingBefore";
    static constexpr std::string_view kHeaderControlKey = "currentDocumentHeaderControl";
    static constexpr std::string_view kFooterControlKey = "currentDocumentFooterControl";
    // The paper in points, under which the document keeps it while open.
    static constexpr std::string_view kPaperWidthKey = "documentPaperWidth";
    static constexpr std::string_view kPaperHeightKey = "documentPaperHeight";
    // The document's style sheet, as DKRTFStyleSheet keeps it, for the save.
    static constexpr std::string_view kStyleSheetKey = "documentStyleSheet";
    // The names of the document's font table as the file wrote them, each
    // ended by ";" (which RTF font names cannot hold), for the save. A ";"
    // first says that some of its text named no font at all, and was given
    // the reader's stand-in: the save names none for it again.
    static constexpr std::string_view kFontNamesKey = "documentFontNames";
    // Other programs' headers and footers of the forms Folio does not keep
    // (first page, left and right pages), as RTF, for the save.
    static constexpr std::string_view kOtherHeaderFooterFormsKey = "documentOtherHeaderFooterForms";
    // Pages bound as a book: the inside and outside margins of facing pages
    // mirror each other (1 when they do), and the gutter, in twips, is room
    // added to the inside margin for the binding.
    static constexpr std::string_view kMirroredMarginsKey = "documentMirroredMargins";
    static constexpr std::string_view kGutterKey = "documentGutter";
    // The distance between the default tab stops, in twips.
    static constexpr std::string_view kDefaultTabWidthKey = "documentDefaultTabWidth";
    // Where footnotes and endnotes stand and how they are numbered, as the
    // RTF words the document gave ("\\ftnbj\\ftnnar\\aenddoc..."), for the save.
    static constexpr std::string_view kNoteSettingsKey = "documentNoteSettings";
    // Words are hyphenated at line ends (1 when they are), except in the
    // paragraphs that say no.
    static constexpr std::string_view kAutoHyphenationKey = "documentAutoHyphenation";
    // How hyphenation goes where it is on: the zone at the right margin
    // within which a word is broken (twips), the most lines in a row that
    // may end in a hyphen (0 for any number) and whether words in capitals
    // are broken (1) or not (0); none where the document gives none.
    static constexpr std::string_view kHyphenationZoneKey = "documentHyphenationZone";
    static constexpr std::string_view kHyphenationConsecutiveLinesKey = "documentHyphenationConsecutiveLines";
    static constexpr std::string_view kHyphenateCapitalsKey = "documentHyphenateCapitals";
    // The document's own paper and margins where its first section, whose
    // settings are the page's, gives others: in twips, in the words a
    // section break keeps its settings in ("width=12240 top=1440"), for the
    // save to write both back as they came.
    static constexpr std::string_view kDocumentWidePageKey = "documentWidePage";
    // How the first section starts, its columns and its turned paper, in the
    // words a section break keeps its settings in ("continuous columns=2
    // landscape"), where the file gives any, for the save.
    static constexpr std::string_view kFirstSectionKey = "documentFirstSection";
    // The document's defaults for complex-script and East Asian text, as
    // DKRTFScriptDefaults keeps them, for the save.
    static constexpr std::string_view kScriptDefaultsKey = "documentScriptDefaults";
    // The document's title, author, times, counts and its users' own
    // properties, as DKRTFDocumentInfo keeps them, for the save.
    static constexpr std::string_view kDocumentInfoKey = "documentInfo";
    // Where the document's page and line numbers start and the side its
    // gutter is on, which the page does not show, as the RTF words the
    // document gave ("\\pgnstart5\\linestart10\\gutterprl"), for the save.
    static constexpr std::string_view kPageWordsKey = "documentPageWords";
    // The paper and margins the file never gave, as DKRTFUnstatedPage keeps
    // them: the page shows RTF's defaults, the save writes none of them.
    static constexpr std::string_view kUnstatedPageKey = "documentUnstatedPage";

    // RTF's margins for a document that names none, in twips.
    static constexpr int kDefaultSideMarginTwips = 1800;
    static constexpr int kDefaultTopBottomMarginTwips = 1440;

    // Twips, kept as centimetres.
    void setPageMargin(std::string_view key, int twips);
    // The document's own margin, which the first section's may stand over.
    void setDocumentPageMargin(std::string_view key, int twips);
    // The first section's margin (twips), which stands where the document
    // names none of its own.
    void setSectionPageMargin(std::string_view key, int twips);
    // Twips; the section's own size stands where the document gives none.
    void setPaperWidth(int twips) { m_paperWidth = twips; }
    void setPaperHeight(int twips) { m_paperHeight = twips; }
    void setSectionPaperWidth(int twips);
    void setSectionPaperHeight(int twips);
    // After the whole text was read: the first section's paper and margins,
    // which word processors lay the first pages out on, stand over the
    // document's (which are kept aside where they differ); a margin neither
    // gives takes RTF's own default (1800 twips left and right, 1440 top and
    // bottom). A margin the document gives, 0 included, stays where the
    // section gives none. `paperIsMeaningful` is false for a document whose
    // paper size is a constant of its writer rather than its page.
    void completeWithRTFDefaults(bool paperIsMeaningful);
    // Twips, kept as whole points.
    void setParagraphSpacing(std::string_view key, int twips);
    void setHeaderFooterControl(std::string_view key, const std::u16string& settings);
    // A header or footer another program wrote, as settings: it stands
    // where the document gives no settings of Folio's own.
    void setForeignHeaderFooterControl(std::string_view key, const std::string& settings);
    void setStyleSheet(std::string serialized) { m_texts.insert_or_assign(std::string(kStyleSheetKey), std::move(serialized)); }
    void setFontNames(std::string names) { m_texts.insert_or_assign(std::string(kFontNamesKey), std::move(names)); }
    void setMirroredMargins() { m_numbers.insert_or_assign(std::string(kMirroredMarginsKey), 1.0f); }
    void setAutoHyphenation() { m_numbers.insert_or_assign(std::string(kAutoHyphenationKey), 1.0f); }
    // Twips; the widest margin a page can have at most.
    void setHyphenationZone(int twips);
    // 0 for any number of lines; more than a page's worth is damage.
    void setHyphenationConsecutiveLines(int lines);
    void setHyphenateCapitals(bool capitals)
    {
        m_numbers.insert_or_assign(std::string(kHyphenateCapitalsKey), capitals ? 1.0f : 0.0f);
    }
    // The first section's start, columns (a usable count), gap between them
    // (twips) and turned paper, given before its first break.
    void setFirstSectionStart(TESectionBreak::Start start) { m_firstSection.start = start; }
    void setFirstSectionColumns(int columns);
    void setFirstSectionColumnSpacing(int twips);
    void setFirstSectionLandscape(bool landscape) { m_firstSection.landscape = landscape; }
    // Twips. The first section's stands where the document gives none.
    void setGutter(int twips) { m_numbers.insert_or_assign(std::string(kGutterKey), static_cast<float>(twips)); }
    void setSectionGutter(int twips) { m_numbers.try_emplace(std::string(kGutterKey), static_cast<float>(twips)); }
    void addNoteSetting(const std::string& word) { m_texts[std::string(kNoteSettingsKey)] += word; }
    void addPageWord(const std::string& word) { m_texts[std::string(kPageWordsKey)] += word; }
    // The first section's settings, given before its first break.
    TESectionBreak::Settings& firstSection() { return m_firstSection; }
    void setDefaultTabWidth(int twips)
    {
        m_numbers.insert_or_assign(std::string(kDefaultTabWidthKey), static_cast<float>(twips));
    }
    void setScriptDefaults(std::string defaults)
    {
        m_texts.insert_or_assign(std::string(kScriptDefaultsKey), std::move(defaults));
    }
    void setDocumentInfo(std::string info) { m_texts.insert_or_assign(std::string(kDocumentInfoKey), std::move(info)); }
    void setOtherHeaderFooterForms(std::string forms)
    {
        m_texts.insert_or_assign(std::string(kOtherHeaderFooterFormsKey), std::move(forms));
    }

    // A margin (centimetres), spacing (points), the gutter or default tab
    // width (twips) or the mirrored margins and hyphenation (1); nothing when
    // the document gives none.
    std::optional<float> number(std::string_view key) const;
    // The paper the document is laid out on, in points; nothing when it
    // gives no usable size.
    std::optional<Size> paperSize() const;
    // A header or footer's "::"-joined settings; nothing when the document gives none.
    std::optional<std::string> text(std::string_view key) const;

    // Every key a document's page settings stand under, given or not.
    static constexpr std::array<std::string_view, 27> kKeys{
        kPageMarginLeftKey,   kPageMarginRightKey,        kPageMarginTopKey, kPageMarginBottomKey, kParagraphSpacingKey,
        kParagraphSpacingBeforeKey, kHeaderControlKey, kFooterControlKey, kPaperWidthKey,    kPaperHeightKey,
        kStyleSheetKey, kFontNamesKey, kOtherHeaderFooterFormsKey, kMirroredMarginsKey, kGutterKey,
        kDefaultTabWidthKey, kNoteSettingsKey, kAutoHyphenationKey, kDocumentWidePageKey, kHyphenationZoneKey,
        kHyphenationConsecutiveLinesKey, kHyphenateCapitalsKey, kFirstSectionKey,
        kScriptDefaultsKey, kDocumentInfoKey, kPageWordsKey, kUnstatedPageKey};
    // The values the document gives, by key.
    const std::map<std::string, float, std::less<>>& numbers() const { return m_numbers; }
    const std::map<std::string, std::string, std::less<>>& texts() const { return m_texts; }

    // The raw text of a "{\*\pageHeader ...}" destination: up to the first
    // unescaped "}", which stays unread, with "\\", "\{" and "\}" unescaped.
    // Any other backslash is kept as it is, so files written before the
    // writer escaped anything read as they always did.
    static std::u16string readHeaderFooterText(OFStringScanner& scanner);

private:
    std::map<std::string, float, std::less<>> m_numbers;
    std::map<std::string, std::string, std::less<>> m_texts;
    std::map<std::string, int, std::less<>> m_sectionMargins;
    std::map<std::string, int, std::less<>> m_documentMargins;
    std::optional<int> m_paperWidth;
    std::optional<int> m_paperHeight;
    std::optional<int> m_sectionPaperWidth;
    std::optional<int> m_sectionPaperHeight;
    TESectionBreak::Settings m_firstSection;
    bool m_paperIsMeaningful = true;
};

} // namespace folio
