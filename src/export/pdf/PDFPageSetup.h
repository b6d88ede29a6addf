#pragma once

#include "export/pdf/PDFPageTemplates.h"
#include "platform/graphics/Geometry.h"

#include <cstddef>
#include <map>
#include <memory>
#include <optional>
#include <string>

namespace folio {

class PDFHeaderFooterParagraphs;

// The page template a document's HTML is wrapped in.
enum class PDFPageKind { RichText, Markdown, QVText, QVOutline };

// Everything one PDF conversion lays its pages out with, decided before it
// starts: the converter reads no settings of its own.
struct PDFPageSetup {
    PDFPageKind kind = PDFPageKind::RichText;
    Size pageSize{612, 810};
    // Top, left, bottom, right in centimetres; a QV body style replaces them.
    EdgeInsets margins;
    // Centimetres: the rich-text page's side margins, and where the header
    // and footer stand.
    double sideLeft = 0;
    double sideRight = 0;
    // Six hexadecimal digits, for pages other than QV ones.
    std::optional<std::string> paperColor;
    MarkdownPageStyle markdownStyle;
    // The "::"-joined header and footer settings; QV pages carry their own.
    std::optional<std::string> headerSettings;
    std::optional<std::string> footerSettings;
    // A rich-text document's first page is a title page, which prints the
    // title page's own header and footer (these, where it has them) in place
    // of the others. Later sections give theirs at their breaks.
    bool titlePage = false;
    std::optional<std::string> titlePageHeaderSettings;
    std::optional<std::string> titlePageFooterSettings;
    // The title pages' own of later sections, by the file's section they
    // were read in (the `fileSection` of the break that starts it); a
    // section without takes the one before.
    std::map<std::size_t, std::string> laterTitlePageHeaderSettings;
    std::map<std::size_t, std::string> laterTitlePageFooterSettings;
    // The running header and footer of later sections that give their own,
    // by the file's section they were read in; a section without carries
    // on the one before, as the word processors print it.
    std::map<std::size_t, std::string> laterHeaderSettings;
    std::map<std::size_t, std::string> laterFooterSettings;
    // Their left pages' own, where the document has facing pages.
    std::map<std::size_t, std::string> laterLeftHeaderSettings;
    std::map<std::size_t, std::string> laterLeftFooterSettings;
    // The headers and footers above as another program wrote them, printed
    // paragraph by paragraph; none where a header is Folio's own or has been
    // changed since the file was read.
    using Paragraphs = std::shared_ptr<const PDFHeaderFooterParagraphs>;
    Paragraphs headerParagraphs;
    Paragraphs footerParagraphs;
    Paragraphs titlePageHeaderParagraphs;
    Paragraphs titlePageFooterParagraphs;
    std::map<std::size_t, Paragraphs> laterTitlePageHeaderParagraphs;
    std::map<std::size_t, Paragraphs> laterTitlePageFooterParagraphs;
    std::map<std::size_t, Paragraphs> laterHeaderParagraphs;
    std::map<std::size_t, Paragraphs> laterFooterParagraphs;
    std::map<std::size_t, Paragraphs> laterLeftHeaderParagraphs;
    std::map<std::size_t, Paragraphs> laterLeftFooterParagraphs;
    // Facing pages: the left (even-numbered) pages print their own header
    // and footer, these, or none where the document gives none; the right
    // ones print the others. A title page prints its own either way.
    bool facingPages = false;
    std::optional<std::string> leftPageHeaderSettings;
    std::optional<std::string> leftPageFooterSettings;
    Paragraphs leftPageHeaderParagraphs;
    Paragraphs leftPageFooterParagraphs;
    // A rich-text document's own paper and margins where its first section
    // gives others, in the words of a section break ("width=12240
    // top=1440"): what its later sections take where they give none.
    std::optional<std::string> documentWidePage;
    // The settings of a rich-text document's first section that no break
    // carries ("columns=2 column-gap=720"), as a break gives them.
    std::optional<std::string> firstSection;
    // A rich-text document's words are hyphenated at line ends.
    bool hyphenated = false;
    // Points between a rich-text document's default tab stops, which its
    // tabs past their paragraph's stops go to; 0 for other pages, whose
    // tabs keep the browser's width.
    double defaultTabInterval = 0;

    bool isQV() const { return kind == PDFPageKind::QVText || kind == PDFPageKind::QVOutline; }
};

} // namespace folio
