#pragma once

#include "formats/rtf/DKRTFDocumentSettings.h"

#include <optional>
#include <string>
#include <vector>

namespace folio {

class UserDefaults;

// What the editor sends the page once it reports ready, in order: the night
// inversion, CSS styling for execCommand, the page height, line and paragraph
// spacing (the defaults only for a new blank document), object clean-up,
// footnote numbers, focus for a blank page and smart quotes.
class RichTextPageSetup {
public:
    struct Settings {
        bool darknightMode = false;
        bool isNewBlankDocument = false;
        bool hasDefaultFont = false;
        double defaultLineSpacing = 0;
        double defaultFirstLineIndent = 0;
        double defaultParagraphSpacing = 0;
        double defaultParagraphSpacingBefore = 0;
        double marquentParagraphSpacing = 0;
        double marquentParagraphSpacingBefore = 0;
        bool smartQuotesEnabled = false;

        // The user's preferences; whether the document is a new blank one is
        // the document's to say.
        static Settings fromDefaults(const UserDefaults& defaults, BlankDocument blank);
    };

    // The page height script: the editable element fills the page, less its
    // border and bottom margin.
    static std::string heightScript(double pageHeight);

    static std::vector<std::string> readyScripts(const Settings& settings, double pageHeight);

    // The once-only spacings ("marquentParagraphSpacing…") the set-up used up.
    static std::vector<std::string> consumedSettings(const Settings& settings);
};

} // namespace folio
