#include "export/pdf/PDFDocumentHeads.h"

#include "export/ExportSource.h"
#include "export/pdf/PDFHeaderFooterParagraphs.h"
#include "export/pdf/PDFPageSetup.h"
#include "export/pdf/PageHeaderFooterSettings.h"
#include "formats/rtf/DKRTFForeignHeaderFooter.h"
#include "formats/rtf/DKRTFHeaderFooterForms.h"
#include "formats/rtf/DKRTFTitlePage.h"
#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/Unicode.h"

#include <algorithm>
#include <cmath>

namespace folio {

namespace {

using Group = DKRTFHeaderFooterForms::Group;

PDFPageSetup::Paragraphs paragraphsOf(const DKRTFHeaderFooterForms& forms, const Group& group)
{
    std::optional<AttributedString> text = forms.textOf(group);
    if (!text)
        return nullptr;
    // What the word processor hides, its pages do not print either.
    PDFPageSetup::Paragraphs paragraphs =
        PDFHeaderFooterParagraphs::fromText(ExportSource::withoutHiddenText(text->mutableCopy()));
    // A file of ours carries, for other programs, a group written from the
    // settings it also holds: those print as Folio's own heads print. Every
    // other program's header prints as that program placed it, in the
    // text's column, even when it is one plain line.
    if (group.settingsAreOwn && paragraphs && !paragraphs->exceedOneLine())
        return nullptr;
    return paragraphs;
}

// The settings a group prints with: its words' line, or, for a group of
// pictures alone, which has none, an empty line at its distance that its
// paragraphs stand in for, so that the pictures print where the word
// processors print them.
std::optional<std::string> printedSettingsOf(const DKRTFHeaderFooterForms& forms, const Group& group,
                                             int distanceTwips)
{
    if (std::optional<std::string> settings = forms.settingsOf(group, distanceTwips))
        return settings;
    if (!paragraphsOf(forms, group))
        return std::nullopt;
    const double inches = std::round(distanceTwips / 1440.0 * 100) / 100;
    return PageHeaderFooterSettings::settingsString({"Helvetica", "12", "left", "black", formatShortest(inches), "YES", ""});
}

bool printsSettings(const std::optional<std::string>& settings)
{
    const auto fields = settings ? PageHeaderFooterSettings::fieldsOfSettings(*settings) : std::nullopt;
    return fields && boolValue(std::string_view(fields->enabled));
}

// Whether the words ("\titlepg\facingp\headery1008") ask for facing pages.
bool asksForFacingPages(std::string_view words)
{
    constexpr std::string_view kWord = "\\facingp";
    for (std::size_t at = words.find(kWord); at != std::string_view::npos; at = words.find(kWord, at + 1)) {
        const std::size_t end = at + kWord.size();
        if (end >= words.size() || words[end] < 'a' || words[end] > 'z')
            return true;
    }
    return false;
}

void addLeftPages(PDFPageSetup& setup, const DKRTFHeaderFooterForms& forms, std::string_view keptForms)
{
    setup.facingPages = true;
    for (const bool header : {true, false}) {
        const std::string_view leftWord = header ? "headerl" : "footerl";
        auto left = std::find_if(forms.groups.begin(), forms.groups.end(),
                                 [&](const Group& group) { return group.section == 0 && group.word == leftWord; });
        std::optional<std::string>& settings = header ? setup.leftPageHeaderSettings : setup.leftPageFooterSettings;
        PDFPageSetup::Paragraphs& paragraphs = header ? setup.leftPageHeaderParagraphs : setup.leftPageFooterParagraphs;
        // Without a form of their own, left pages print none, as in the
        // word processors.
        if (left == forms.groups.end())
            continue;
        // Where the document's own header was read from the left pages'
        // form, it prints there as it stands, edited or not.
        if (left->shownAs) {
            settings = header ? setup.headerSettings : setup.footerSettings;
            paragraphs = header ? setup.headerParagraphs : setup.footerParagraphs;
            continue;
        }
        settings =
            printedSettingsOf(forms, *left, DKRTFTitlePage::distanceTwips(keptForms, header ? "\\headery" : "\\footery"));
        if (settings)
            paragraphs = paragraphsOf(forms, *left);
    }
}

// A later section's running header or footer, or its left pages' own:
// Folio edits only the first section's, so a later one prints as the file
// gave it. Its distance from the paper's edge is its break's.
void addLaterRunningHead(PDFPageSetup& setup, const DKRTFHeaderFooterForms& forms, const Group& group,
                         std::string_view keptForms)
{
    const bool header = DKRTFHeaderFooterForms::isHeader(group);
    // What follows "header" or "footer": nothing or "r" for every page or
    // the right ones, "l" for the left ones.
    const std::string_view form = std::string_view(group.word).substr(6);
    const bool left = form == "l";
    if (!left && form != "" && form != "r")
        return;
    const auto section = static_cast<std::size_t>(group.section);
    auto& settings = left ? (header ? setup.laterLeftHeaderSettings : setup.laterLeftFooterSettings)
                          : (header ? setup.laterHeaderSettings : setup.laterFooterSettings);
    auto& paragraphs = left ? (header ? setup.laterLeftHeaderParagraphs : setup.laterLeftFooterParagraphs)
                            : (header ? setup.laterHeaderParagraphs : setup.laterFooterParagraphs);
    if (settings.contains(section))
        return;
    std::optional<std::string> shown =
        printedSettingsOf(forms, group, DKRTFTitlePage::distanceTwips(keptForms, header ? "\\headery" : "\\footery"));
    // A group without words still is the section's own: an empty header
    // ends the one before, as it does in the word processors.
    settings.emplace(section, shown.value_or(std::string()));
    if (!shown)
        return;
    if (PDFPageSetup::Paragraphs text = paragraphsOf(forms, group))
        paragraphs.emplace(section, std::move(text));
}

} // namespace

void PDFDocumentHeads::addParagraphs(PDFPageSetup& setup, std::string_view keptForms)
{
    if (keptForms.empty())
        return;
    const DKRTFHeaderFooterForms forms = DKRTFHeaderFooterForms::fromSerialized(keptForms);
    for (const Group& group : forms.groups) {
        const bool header = DKRTFHeaderFooterForms::isHeader(group);
        const int distance = DKRTFTitlePage::distanceTwips(keptForms, header ? "\\headery" : "\\footery");
        if (DKRTFHeaderFooterForms::isFirstPage(group)) {
            // The same title page heads the settings were read from: the
            // first section's first, each later section's first.
            if (group.section > 0) {
                const auto section = static_cast<std::size_t>(group.section);
                auto& later = header ? setup.laterTitlePageHeaderParagraphs : setup.laterTitlePageFooterParagraphs;
                auto& laterSettings = header ? setup.laterTitlePageHeaderSettings : setup.laterTitlePageFooterSettings;
                if (!laterSettings.contains(section))
                    if (std::optional<std::string> pictures = printedSettingsOf(forms, group, distance))
                        laterSettings.emplace(section, std::move(*pictures));
                if (PDFPageSetup::Paragraphs paragraphs = paragraphsOf(forms, group))
                    later.emplace(section, std::move(paragraphs));
                continue;
            }
            std::optional<std::string>& firstSettings =
                header ? setup.titlePageHeaderSettings : setup.titlePageFooterSettings;
            if (!firstSettings)
                firstSettings = printedSettingsOf(forms, group, distance);
            PDFPageSetup::Paragraphs& first = header ? setup.titlePageHeaderParagraphs : setup.titlePageFooterParagraphs;
            if (!first)
                first = paragraphsOf(forms, group);
            continue;
        }
        if (group.section > 0) {
            addLaterRunningHead(setup, forms, group, keptForms);
            continue;
        }
        std::optional<std::string>& settings = header ? setup.headerSettings : setup.footerSettings;
        PDFPageSetup::Paragraphs& running = header ? setup.headerParagraphs : setup.footerParagraphs;
        // A running head of pictures alone stood for no settings when the
        // file was read; it prints while the document has no head of its own.
        const bool runs = group.word == "header" || group.word == "headerr" || group.word == "footer"
            || group.word == "footerr";
        if (runs && !group.shownAs && !printsSettings(settings)) {
            if (std::optional<std::string> pictures = printedSettingsOf(forms, group, distance)) {
                settings = std::move(pictures);
                running = paragraphsOf(forms, group);
            }
            continue;
        }
        // Once the header is edited, the settings are what prints, as they
        // are what a save writes.
        if (!group.shownAs || !settings
            || !DKRTFForeignHeaderFooter::showTheSame(toUtf16(*settings), toUtf16(*group.shownAs)))
            continue;
        if (!running)
            running = paragraphsOf(forms, group);
    }
    if (asksForFacingPages(forms.words))
        addLeftPages(setup, forms, keptForms);
}

} // namespace folio
