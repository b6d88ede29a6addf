#pragma once

#include "export/pdf/PageHeaderFooterSettings.h"
#include "platform/graphics/GraphicsContext.h"

#include <memory>
#include <string>
#include <vector>

namespace folio {

class AttributedString;

// A header or footer printed as the file holds it: its paragraphs, each on
// lines of its own, with their alignment, tab stops, indents and spacing,
// and the runs in their fonts, sizes, faces and colours. The page number and
// count stand in the runs as the placeholders Folio's one-line headers carry,
// filled in for each page.
class PDFHeaderFooterParagraphs {
public:
    // Bounds on what a header or footer may ask for: more than a page's
    // worth of paragraphs is no header, and is cut.
    static constexpr std::size_t kMaximumParagraphs = 40;
    static constexpr std::size_t kMaximumTextLength = 4000;

    // The paragraphs of the text; nothing when it holds no words.
    static std::shared_ptr<const PDFHeaderFooterParagraphs> fromText(const AttributedString& text);

    // A copy with the title and dates of the conversion in place of their
    // placeholders.
    std::shared_ptr<const PDFHeaderFooterParagraphs> withConversionPlaceholders(
        const PageHeaderFooterSettings::ConversionPlaceholders& placeholders) const;
    // The paragraphs as one page prints them.
    std::vector<GraphicsContext::TextBoxParagraph> paragraphsForPage(unsigned long pageNumber,
                                                                     unsigned long totalPages) const;

    const std::vector<GraphicsContext::TextBoxParagraph>& paragraphs() const { return m_paragraphs; }
    // Whether they say more than one line of Folio's settings can: several
    // paragraphs, tabs, runs of different looks, bold or italic words.
    bool exceedOneLine() const;

private:
    std::vector<GraphicsContext::TextBoxParagraph> m_paragraphs;
};

} // namespace folio
