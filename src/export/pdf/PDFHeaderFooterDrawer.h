#pragma once

#include "platform/graphics/Geometry.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/text/PlatformParagraphStyle.h"

#include <string>
#include <vector>

namespace folio {

struct PageHeaderFooter;

// Draws the running header and footer onto a printed page, in
// points with the origin at the page's top left.
class PDFHeaderFooterDrawer {
public:
    struct TextStyle {
        std::string fontName;
        double fontSize = 0;
        TextAlignment alignment = TextAlignment::Right;
        // An HTML colour name or value; black when it does not parse.
        std::string color;
    };

    PDFHeaderFooterDrawer() = delete;

    // The header's box starts `topMargin` points below the top edge, from
    // rect.x to rect.width, 100 points high.
    static void drawHeaderForPageAtIndex(GraphicsContext& context, std::size_t pageIndex, const std::u16string& text,
                                         double topMargin, const TextStyle& style, const Rect& rect);
    // The footer is centred vertically on the line `bottomMargin` points above
    // rect's bottom edge.
    static void drawFooterForPageAtIndex(GraphicsContext& context, std::size_t pageIndex, const std::u16string& text,
                                         double bottomMargin, const TextStyle& style, const Rect& rect);

    // Paragraphs another program wrote: a header's first line stands
    // `topMargin` points below the top edge, a footer's last line ends
    // `bottomMargin` points above the bottom edge, both across `column`'s
    // width (the page's text column, where the tab stops were set).
    static void drawHeaderParagraphs(GraphicsContext& context, const std::vector<GraphicsContext::TextBoxParagraph>& paragraphs,
                                     double topMargin, const Rect& column);
    static void drawFooterParagraphs(GraphicsContext& context, const std::vector<GraphicsContext::TextBoxParagraph>& paragraphs,
                                     double bottomMargin, const Rect& column);

    // The height the text takes wrapped at `width`.
    static double textHeight(GraphicsContext& context, const std::u16string& text, const TextStyle& style, double width);

    // How far the header reaches into a page from its top edge, and the
    // footer from its bottom edge, set as drawPage sets them (points; 0
    // for one switched off): where the body must start and end so that
    // they do not overlap it.
    static double headerReach(GraphicsContext& context, const PageHeaderFooter& header, const Size& pageSize,
                              double leftMargin, double rightMargin);
    static double footerReach(GraphicsContext& context, const PageHeaderFooter& footer, const Size& pageSize,
                              double leftMargin, double rightMargin);

    // A print's margins (points) for pages that print these headers and
    // footers: `margins`, moved in where one reaches further into the page,
    // as far as leaves the body an inch (a quarter of small paper).
    static EdgeInsets marginsClearOfHeads(GraphicsContext& context, const EdgeInsets& margins, const Size& pageSize,
                                          const std::vector<PageHeaderFooter>& headers,
                                          const std::vector<PageHeaderFooter>& footers, double leftMargin,
                                          double rightMargin);

    // Header and footer of one page: rectangles from the side margins
    // (centimetres, scaled by 30 as they always have been for Folio's own
    // one-line heads, exactly for paragraphs) and the page size.
    static void drawPage(GraphicsContext& context, std::size_t pageIndex, std::size_t pageCount, const Size& pageSize,
                         const PageHeaderFooter& header, const PageHeaderFooter& footer, double leftMargin,
                         double rightMargin);
};

} // namespace folio
