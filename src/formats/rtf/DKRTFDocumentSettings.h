#pragma once

#include "formats/rtf/DKRTFUnstatedPage.h"
#include "platform/graphics/Geometry.h"

#include <optional>
#include <string>

namespace folio {

class AttributedString;

// Whether the document written was just made blank and has not been shown
// in its editor yet: the document's own flag, handed to the writer.
enum class BlankDocument { No, Yes };

// What an RTF document says about its pages beside the text: paper colour,
// margins, page header and footer, and the scroll bookmark. The document
// hands them to the writer directly; older callers put them as attributes on
// the first character of the text, which fromFirstCharacter reads.
struct DKRTFDocumentSettings {
    // Six hexadecimal digits, red, green and blue ("papercolor").
    std::optional<std::u16string> paperColor;
    // Centimetres. The right value is where the right margin stands measured
    // from the left paper edge, as the editor's ruler keeps it.
    float leftMargin = 0;
    float rightMargin = 0;
    float topMargin = 0;
    float bottomMargin = 0;
    // The "::"-joined header and footer settings of the page.
    std::optional<std::u16string> pageHeader;
    std::optional<std::u16string> pageFooter;
    // Points: the paper the document is laid out on; the writer's own
    // default (A4) when the document gives none.
    std::optional<Size> paperSize;
    // The style sheet the document was read with, as DKRTFStyleSheet keeps
    // it; none for a document without one.
    std::optional<std::string> styleSheet;
    // The names of the font table the document was read with, each ended
    // by ";": a font named there by its family is written back so.
    std::optional<std::string> fontNames;
    // Other programs' header and footer groups of the forms Folio does not
    // keep, as RTF, written back as they came.
    std::optional<std::string> otherHeaderFooterForms;
    // Facing pages mirror their margins ("\\margmirror"), and the inside
    // margin has room for the binding (the gutter, in twips).
    bool mirroredMargins = false;
    int gutter = 0;
    // The distance between default tab stops in twips ("\\deftab"); 0 when
    // the document gives none, which writes none.
    int defaultTabWidth = 0;
    // Where footnotes and endnotes stand and how they are numbered, as the
    // RTF words the document was read with; written back only while they
    // are control words and nothing else.
    std::optional<std::string> noteSettings;
    // Words are hyphenated at line ends ("\\hyphauto"), except in the
    // paragraphs that say no.
    bool autoHyphenation = false;
    // The zone at the right margin a word is broken in (twips), the most
    // lines in a row ending in a hyphen (0: any) and whether capitals are
    // broken; none where the document gives none.
    std::optional<int> hyphenationZone;
    std::optional<int> hyphenationConsecutiveLines;
    std::optional<bool> hyphenateCapitals;
    // The document's own paper and margins where its first section gives
    // others, in twips, in the words of a section break's settings; the
    // margins and paper above are then the first section's.
    std::optional<std::string> documentWidePage;
    // How the first section starts, its columns and turned paper, in the
    // words of a section break's settings.
    std::optional<std::string> firstSection;
    // The document's defaults for complex-script and East Asian text, as
    // DKRTFScriptDefaults keeps them.
    std::optional<std::string> scriptDefaults;
    // The document's title, author, times, counts and its users' own
    // properties, as DKRTFDocumentInfo keeps them.
    std::optional<std::string> documentInfo;
    // Where its page and line numbers start and the side of its gutter, as
    // the RTF words it gave.
    std::optional<std::string> pageWords;
    // The paper and margins the file never gave and the person has not set
    // since: none of them is written ("docUnstatedPage").
    DKRTFUnstatedPage unstatedPage;
    // "xebookmark"; its presence also selects the view size of the header line.
    std::optional<std::u16string> bookmark;
    // A new blank document takes the standard side margins whatever it says.
    // The document says so; nothing the text carries does.
    bool isNewBlankDocument = false;

    // The attributes "papercolor", "docLeftMargin", "docRightMargin",
    // "docTopMargin", "docBottomMargin", "docPaperWidth", "docPaperHeight",
    // "pageHeader", "pageFooter", "docStyleSheet", "docFontNames", "docOtherHeaderFooterForms",
    // "docMirroredMargins", "docGutter", "docDefaultTabWidth", "docNoteSettings", "docAutoHyphenation",
    // "docHyphenationZone", "docHyphenationConsecutiveLines", "docHyphenateCapitals", "docWidePage",
    // "docFirstSection", "docScriptDefaults", "docInfo", "docPageWords", "docUnstatedPage" and "xebookmark" at character 0. An empty
    // text gives the defaults.
    static DKRTFDocumentSettings fromFirstCharacter(const AttributedString& text,
                                                    BlankDocument blank = BlankDocument::No);
};

} // namespace folio
