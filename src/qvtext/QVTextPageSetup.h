#pragma once

#include "formats/rtf/DKRTFDocumentSettings.h"

#include <optional>
#include <string>
#include <vector>

namespace folio {

class UserDefaults;

// What the QV text editor does to its page once TinyMCE is up: the stored
// body style goes back onto the body, then the user's font, paper and, for
// a new blank document, the default spacing and margins.
class QVTextPageSetup {
public:
    static constexpr const char* kDefaultMargin = "2.54";

    struct Settings {
        bool isNewBlankDocument = false;
        bool darknightMode = false;
        std::optional<std::string> defaultFont;
        std::optional<double> defaultFontSize;
        std::optional<std::string> defaultPaperColor;
        std::optional<std::string> defaultFontColor;
        std::optional<std::string> defaultBackgroundFontColor;
        double defaultLineSpacing = 0;
        std::optional<double> defaultFirstLineIndent;
        std::optional<double> defaultParagraphSpacing;
        // Centimetres; 0 when unset, as the page gets them.
        double marginTop = 0, marginBottom = 0, marginLeft = 0, marginRight = 0;

        // Whether the document is new and blank is its own to say; the
        // store holds only the user's preferences.
        static Settings fromDefaults(const UserDefaults& defaults, BlankDocument blank);
    };

    // Reads the style of the last "bodyStyle" element in the page: "" when
    // the page has none, else "=" and the style.
    static std::string storedStyleScript();
    // The style from that answer; none when the page had no element.
    static std::optional<std::string> storedStyleFromAnswer(const std::string& answer);
    // Gives the body the restored style (when there is one), takes every
    // "bodyStyle" element out of the content and starts the undo history
    // from the page as it now is, so that undoing never brings one back.
    static std::string restoreBodyStyleScript(const std::optional<std::string>& storedStyle);

    static std::string backgroundColorScript();
    // Font, night mode and paper, given the body's background colour as the
    // page answered it.
    static std::vector<std::string> fontAndPaperScripts(const Settings& settings, const std::string& pageBackground);
    // The default spacing and margins of a new blank document; none for
    // another document. An unset margin is the standard one, as the
    // document records it.
    static std::vector<std::string> blankDocumentScripts(const Settings& settings);
    // A margin of a new blank document, page and record alike: the stored
    // value when above 0, else the standard margin (centimetres, "%.2f").
    static std::string documentMargin(double stored);
};

} // namespace folio
