#include "export/pdf/PDFHeaderFooterDrawer.h"

#include "export/pdf/PDFHeaderFooterParagraphs.h"
#include "export/pdf/PageHeaderFooterSettings.h"
#include "engine/css/ColorHTML.h"
#include "platform/foundation/Unicode.h"

#include "platform/graphics/GraphicsContext.h"

#include <algorithm>
#include <optional>

namespace folio {

namespace {

constexpr double kDrawerPointsPerCentimetre = 72 / 2.54;
constexpr double kLeastBodyHeight = 72;

GraphicsContext::TextBoxStyle boxStyle(const PDFHeaderFooterDrawer::TextStyle& style)
{
    GraphicsContext::TextBoxStyle box;
    box.family = style.fontName.empty() ? "Helvetica" : style.fontName;
    box.pointSize = style.fontSize;
    switch (style.alignment) {
    case TextAlignment::Center:
        box.alignment = GraphicsContext::TextBoxStyle::Alignment::Center;
        break;
    case TextAlignment::Right:
        box.alignment = GraphicsContext::TextBoxStyle::Alignment::Right;
        break;
    case TextAlignment::Justified:
        box.alignment = GraphicsContext::TextBoxStyle::Alignment::Justified;
        break;
    default:
        box.alignment = GraphicsContext::TextBoxStyle::Alignment::Left;
        break;
    }
    std::optional<Color> color = colorWithHTMLName(style.color);
    if (color && color->canProvideRGBComponents())
        box.color = *color;
    return box;
}

void drawText(GraphicsContext& context, const std::u16string& text, const PDFHeaderFooterDrawer::TextStyle& style,
              const Rect& box)
{
    context.drawTextInBox(text, boxStyle(style), box);
}

} // namespace

double PDFHeaderFooterDrawer::textHeight(GraphicsContext& context, const std::u16string& text, const TextStyle& style,
                                         double width)
{
    return context.heightOfTextInBox(text, boxStyle(style), width);
}

void PDFHeaderFooterDrawer::drawHeaderForPageAtIndex(GraphicsContext& context, std::size_t, const std::u16string& text,
                                                     double topMargin, const TextStyle& style, const Rect& rect)
{
    double x = rect.origin.x;
    drawText(context, text, style, Rect{{x, topMargin}, {rect.size.width - x, 100}});
}

void PDFHeaderFooterDrawer::drawFooterForPageAtIndex(GraphicsContext& context, std::size_t, const std::u16string& text,
                                                     double bottomMargin, const TextStyle& style, const Rect& rect)
{
    double x = rect.origin.x;
    double height = textHeight(context, text, style, rect.size.width - x);
    drawText(context, text, style,
             Rect{{x, rect.size.height - bottomMargin - height / 2}, {rect.size.width - x, height + 4}});
}

void PDFHeaderFooterDrawer::drawHeaderParagraphs(GraphicsContext& context,
                                                 const std::vector<GraphicsContext::TextBoxParagraph>& paragraphs,
                                                 double topMargin, const Rect& column)
{
    // A header may take the upper half of the page, and no more.
    const double height = std::max(column.size.height / 2 - topMargin, 0.0);
    context.drawParagraphsInBox(paragraphs, Rect{{column.origin.x, topMargin}, {column.size.width, height}});
}

void PDFHeaderFooterDrawer::drawFooterParagraphs(GraphicsContext& context,
                                                 const std::vector<GraphicsContext::TextBoxParagraph>& paragraphs,
                                                 double bottomMargin, const Rect& column)
{
    const double bottom = column.size.height - bottomMargin;
    // A footer grows upwards from its distance, as far as the lower half of the page.
    const double top = std::max(bottom - context.heightOfParagraphsInBox(paragraphs, column.size.width),
                                column.size.height / 2);
    context.drawParagraphsInBox(paragraphs, Rect{{column.origin.x, top}, {column.size.width, column.size.height - top}});
}

namespace {

// Where drawPage sets a page's heads: Folio's one-line heads from the side
// margins scaled by 30 to the page's width less the right one, another
// program's paragraphs in the text's own column, so that their tab stops
// fall where that program set them.
struct HeadPlaces {
    HeadPlaces(const Size& pageSize, double leftMargin, double rightMargin)
        : x(leftMargin * 30)
        , width(pageSize.width - rightMargin * 30)
        , column{{leftMargin * kDrawerPointsPerCentimetre, 0},
                 {pageSize.width - (leftMargin + rightMargin) * kDrawerPointsPerCentimetre, pageSize.height}}
    {
    }
    double x;
    double width;
    Rect column;
};

PDFHeaderFooterDrawer::TextStyle styleOf(const PageHeaderFooter& head)
{
    return {head.fontName, head.fontSize, head.alignment, head.color};
}

} // namespace

double PDFHeaderFooterDrawer::headerReach(GraphicsContext& context, const PageHeaderFooter& header,
                                          const Size& pageSize, double leftMargin, double rightMargin)
{
    if (!header.enabled)
        return 0;
    const HeadPlaces places(pageSize, leftMargin, rightMargin);
    const double top = header.distanceFromEdge;
    if (header.paragraphs) {
        const double height =
            context.heightOfParagraphsInBox(header.paragraphs->paragraphsForPage(1, 1), places.column.size.width);
        return top + std::min(height, std::max(pageSize.height / 2 - top, 0.0));
    }
    const std::u16string text = PageHeaderFooterSettings::textForPage(header.textTemplate, 1, 1);
    return top + std::min(textHeight(context, text, styleOf(header), places.width - places.x), 100.0);
}

double PDFHeaderFooterDrawer::footerReach(GraphicsContext& context, const PageHeaderFooter& footer,
                                          const Size& pageSize, double leftMargin, double rightMargin)
{
    if (!footer.enabled)
        return 0;
    const HeadPlaces places(pageSize, leftMargin, rightMargin);
    const double bottom = footer.distanceFromEdge;
    if (footer.paragraphs) {
        const double height =
            context.heightOfParagraphsInBox(footer.paragraphs->paragraphsForPage(1, 1), places.column.size.width);
        return std::min(bottom + height, pageSize.height / 2);
    }
    // Centred on its line: half of it stands below.
    const std::u16string text = PageHeaderFooterSettings::textForPage(footer.textTemplate, 1, 1);
    return bottom + textHeight(context, text, styleOf(footer), places.width - places.x) / 2;
}

EdgeInsets PDFHeaderFooterDrawer::marginsClearOfHeads(GraphicsContext& context, const EdgeInsets& margins,
                                                      const Size& pageSize, const std::vector<PageHeaderFooter>& headers,
                                                      const std::vector<PageHeaderFooter>& footers, double leftMargin,
                                                      double rightMargin)
{
    double top = margins.top;
    double bottom = margins.bottom;
    for (const PageHeaderFooter& header : headers)
        top = std::max(top, headerReach(context, header, pageSize, leftMargin, rightMargin));
    for (const PageHeaderFooter& footer : footers)
        bottom = std::max(bottom, footerReach(context, footer, pageSize, leftMargin, rightMargin));
    // The heads give way where the body would have no room left: the
    // margins' own share stays, what the heads add shrinks alike.
    const double leastBody = std::min(kLeastBodyHeight, pageSize.height / 4);
    const double spare = std::max(pageSize.height - leastBody - margins.top - margins.bottom, 0.0);
    const double added = (top - margins.top) + (bottom - margins.bottom);
    if (added > spare) {
        const double share = added > 0 ? spare / added : 0;
        top = margins.top + (top - margins.top) * share;
        bottom = margins.bottom + (bottom - margins.bottom) * share;
    }
    EdgeInsets clear = margins;
    clear.top = top;
    clear.bottom = bottom;
    return clear;
}

void PDFHeaderFooterDrawer::drawPage(GraphicsContext& context, std::size_t pageIndex, std::size_t pageCount,
                                     const Size& pageSize, const PageHeaderFooter& header,
                                     const PageHeaderFooter& footer, double leftMargin, double rightMargin)
{
    const HeadPlaces places(pageSize, leftMargin, rightMargin);
    const double x = places.x;
    const double width = places.width;
    const Rect& column = places.column;
    if (header.enabled && header.paragraphs) {
        drawHeaderParagraphs(context, header.paragraphs->paragraphsForPage(pageIndex + 1, pageCount),
                             header.distanceFromEdge, column);
    } else if (header.enabled) {
        std::u16string text = PageHeaderFooterSettings::textForPage(header.textTemplate, pageIndex + 1, pageCount);
        drawHeaderForPageAtIndex(context, pageIndex, text, header.distanceFromEdge,
                                 styleOf(header),
                                 Rect{{x, header.distanceFromEdge}, {width, 100}});
    }
    if (footer.enabled && footer.paragraphs) {
        drawFooterParagraphs(context, footer.paragraphs->paragraphsForPage(pageIndex + 1, pageCount),
                             footer.distanceFromEdge, column);
    } else if (footer.enabled) {
        std::u16string text = PageHeaderFooterSettings::textForPage(footer.textTemplate, pageIndex + 1, pageCount);
        drawFooterForPageAtIndex(context, pageIndex, text, footer.distanceFromEdge,
                                 styleOf(footer),
                                 Rect{{x, 0}, {width, pageSize.height}});
    }
}

} // namespace folio
