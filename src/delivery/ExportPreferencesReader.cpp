#include "delivery/ExportPreferencesReader.h"

#include "documents/MarkdownPageMargins.h"
#include "documents/PageSizes.h"
#include "export/PageMargins.h"
#include "formats/rtf/DKRTFPageSettings.h"
#include "platform/foundation/UserDefaults.h"

namespace folio {

ExportPreferences ExportPreferencesReader::read(const UserDefaults& defaults)
{
    // Read at full precision: the printed page number sits a margin's width
    // from the sheet's edge, to the point.
    auto margins = [&](std::string_view prefix) {
        auto side = [&](const char* name) { return defaults.doubleForKey(std::string(prefix) + name).value_or(0); };
        return EdgeInsets{side("Top"), side("Left"), side("Bottom"), side("Right")};
    };
    ExportPreferences preferences;
    preferences.paperColor = defaults.stringForKey("currentPaperColor");
    preferences.documentMargins = margins(PageMargins::kDocumentPrefix);
    // A Markdown side with no setting keeps the border the editor shows.
    preferences.markdownMargins = MarkdownPageMargins::read([&](const std::string& key) { return defaults.doubleForKey(key); });
    preferences.headerSettings = defaults.stringForKey(DKRTFPageSettings::kHeaderControlKey);
    preferences.footerSettings = defaults.stringForKey(DKRTFPageSettings::kFooterControlKey);
    if (std::optional<std::string> paper = defaults.stringForKey(PageSizes::kDefaultPageSizeKey))
        preferences.pageSize = PageSizes::sizeFromPageSize(*paper);
    preferences.pageNumbers = defaults.boolForKey("pageNumbersEnabled").value_or(false);
    preferences.markdownAlignment = static_cast<int>(defaults.integerForKey("markdownDefaultAlignment").value_or(0));
    preferences.markdownLineSpacing = defaults.doubleForKey("markdownDefaultLineSpacing").value_or(0);
    preferences.markdownFirstLineIndent = defaults.doubleForKey("markdownDefaultFirstLineIndent").value_or(0);
    preferences.markdownFont = defaults.stringForKey("markdownDefaultFont").value_or("");
    preferences.markdownFontSize = defaults.doubleForKey("markdownDefaultFontSize").value_or(0);
    return preferences;
}

} // namespace folio
