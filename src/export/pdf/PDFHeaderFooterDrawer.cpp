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

constexpr double kPointsPerCentimetre = 72 / 2.54;

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

void PDFHeaderFooterDrawer::drawPage(GraphicsContext& context, std::size_t pageIndex, std::size_t pageCount,
                                     const Size& pageSize, const PageHeaderFooter& header,
                                     const PageHeaderFooter& footer, double leftMargin, double rightMargin)
{
    double x = leftMargin * 30;
    double width = pageSize.width - rightMargin * 30;
    // Another program's paragraphs stand in the text's own column, so that
    // their tab stops fall where that program set them.
    const Rect column{{leftMargin * kPointsPerCentimetre, 0},
                      {pageSize.width - (leftMargin + rightMargin) * kPointsPerCentimetre, pageSize.height}};
    if (header.enabled && header.paragraphs) {
        drawHeaderParagraphs(context, header.paragraphs->paragraphsForPage(pageIndex + 1, pageCount),
                             header.distanceFromEdge, column);
    } else if (header.enabled) {
        std::u16string text = PageHeaderFooterSettings::textForPage(header.textTemplate, pageIndex + 1, pageCount);
        drawHeaderForPageAtIndex(context, pageIndex, text, header.distanceFromEdge,
                                 {header.fontName, header.fontSize, header.alignment, header.color},
                                 Rect{{x, header.distanceFromEdge}, {width, 100}});
    }
    if (footer.enabled && footer.paragraphs) {
        drawFooterParagraphs(context, footer.paragraphs->paragraphsForPage(pageIndex + 1, pageCount),
                             footer.distanceFromEdge, column);
    } else if (footer.enabled) {
        std::u16string text = PageHeaderFooterSettings::textForPage(footer.textTemplate, pageIndex + 1, pageCount);
        drawFooterForPageAtIndex(context, pageIndex, text, footer.distanceFromEdge,
                                 {footer.fontName, footer.fontSize, footer.alignment, footer.color},
                                 Rect{{x, 0}, {width, pageSize.height}});
    }
}

} // namespace folio
