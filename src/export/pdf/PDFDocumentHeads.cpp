#include "export/pdf/PDFDocumentHeads.h"

#include "export/ExportSource.h"
#include "export/pdf/PDFHeaderFooterParagraphs.h"
#include "export/pdf/PDFPageSetup.h"
#include "formats/rtf/DKRTFForeignHeaderFooter.h"
#include "formats/rtf/DKRTFHeaderFooterForms.h"
#include "platform/foundation/Unicode.h"

namespace folio {

namespace {

PDFPageSetup::Paragraphs paragraphsOf(const DKRTFHeaderFooterForms& forms, const DKRTFHeaderFooterForms::Group& group)
{
    std::optional<AttributedString> text = forms.textOf(group);
    if (!text)
        return nullptr;
    // What the word processor hides, its pages do not print either.
    PDFPageSetup::Paragraphs paragraphs =
        PDFHeaderFooterParagraphs::fromText(ExportSource::withoutHiddenText(text->mutableCopy()));
    // A line the settings say as well prints as Folio's own heads print,
    // among them the group a file of ours carries for other programs.
    return paragraphs && paragraphs->exceedOneLine() ? paragraphs : nullptr;
}

} // namespace

void PDFDocumentHeads::addParagraphs(PDFPageSetup& setup, std::string_view keptForms)
{
    if (keptForms.empty())
        return;
    const DKRTFHeaderFooterForms forms = DKRTFHeaderFooterForms::fromSerialized(keptForms);
    for (const DKRTFHeaderFooterForms::Group& group : forms.groups) {
        const bool header = DKRTFHeaderFooterForms::isHeader(group);
        if (DKRTFHeaderFooterForms::isFirstPage(group)) {
            // The same title page heads the settings were read from: the
            // first section's first, each later section's first.
            if (group.section > 0) {
                auto& later = header ? setup.laterTitlePageHeaderParagraphs : setup.laterTitlePageFooterParagraphs;
                if (PDFPageSetup::Paragraphs paragraphs = paragraphsOf(forms, group))
                    later.emplace(static_cast<std::size_t>(group.section), std::move(paragraphs));
                continue;
            }
            PDFPageSetup::Paragraphs& first = header ? setup.titlePageHeaderParagraphs : setup.titlePageFooterParagraphs;
            if (!first)
                first = paragraphsOf(forms, group);
            continue;
        }
        // Once the header is edited, the settings are what prints, as they
        // are what a save writes.
        const std::optional<std::string>& settings = header ? setup.headerSettings : setup.footerSettings;
        if (!group.shownAs || !settings
            || !DKRTFForeignHeaderFooter::showTheSame(toUtf16(*settings), toUtf16(*group.shownAs)))
            continue;
        PDFPageSetup::Paragraphs& running = header ? setup.headerParagraphs : setup.footerParagraphs;
        if (!running)
            running = paragraphsOf(forms, group);
    }
}

} // namespace folio
