#pragma once

#include "formats/rtf/DKRTFDocumentSettings.h"
#include "platform/foundation/Error.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace folio {

class UserDefaults;

// The one page the rich-text editor edits in, filled from
// resources/pages/richtext-page.html. It has no doctype on purpose: the
// set-up scripts give heights and spacings as bare numbers, which only quirks
// mode takes as pixels.
class RichTextPageTemplate {
public:
    static constexpr const char* kErrorDomain = "RichTextPageTemplate";

    static constexpr int kFontSizeOffset = 6;
    static constexpr const char* kNightPaperColor = "#f5efdc";

    // The text style a page opens with.
    struct Style {
        std::string fontFamily = "Helvetica";
        int fontSize = 12;   // as the user sees it; the page gets it plus the offset
        std::string fontColor = "Black";
        std::string paperColor = "White";
    };

    struct Page {
        std::string fontRules;
        std::string helperScriptURL;
        // The page's layout in the window; none leaves the page as it is.
        std::string styleSheetURL;
        std::string paperColor;
        Style style;
        // The hidden header and footer elements (headerElement, footerElement).
        std::string header;
        std::string footer;
        // The document's HTML, placed as it is, and what keeps it alive: it
        // is megabytes long, and read where the document keeps it.
        std::string_view html;
        std::shared_ptr<const void> htmlStorage;
        // The attributes of the element around the document's HTML: the
        // languages its runs inherit (HTMLPageLanguages), as markup.
        std::string wrapperAttributes;
        // The document hyphenates its text, but for the paragraphs that say no.
        bool hyphenated = false;
        // Declarations the editable element starts with: the side margins it
        // would otherwise be given once ready, after a first layout without.
        std::string contentStyle;
        // Components loaded before the helpers (the selection library).
        std::vector<std::string> componentScriptURLs{};
        // The page's own scripts, loaded after the helpers they use.
        std::vector<std::string> pageScriptURLs{};
    };

    // The style the settings give a page: the default style only for a new
    // blank document, the document's own paper colour (as the nearest colour
    // name) over the default, sepia paper in night mode.
    struct Settings {
        bool isNewBlankDocument = false;
        std::optional<std::string> defaultFont;
        double defaultFontSize = 0;
        std::optional<std::string> defaultFontColor;
        std::optional<std::string> defaultPaperColor;
        bool nightMode = false;
        std::optional<std::string> headerSetting;
        std::optional<std::string> footerSetting;
        // The document's own: its text is hyphenated.
        bool autoHyphenation = false;

        // The user's preferences; whether the document is a new blank one is
        // the document's to say.
        static Settings fromDefaults(const UserDefaults& defaults, BlankDocument blank);
    };
    static Style styleFor(const Settings& settings);
    // The page's paper: sepia in night mode, else the document's colour
    // ("RRGGBB") by its nearest name when it has one, else the style's.
    static std::string paperColorFor(const Settings& settings, const Style& style,
                                     const std::optional<std::string>& documentPaperColor);

    // The page, or why there is none (its template is not installed).
    static Result<std::string> build(const Page& page);

    // The hidden header and footer elements, from a stored
    // "family::size::alignment::colour::margin::enabled::text" setting. Each
    // field is escaped; a setting with fewer than seven fields gives the
    // default element.
    static Result<std::string> headerElement(const std::optional<std::string>& setting);
    static Result<std::string> footerElement(const std::optional<std::string>& setting);
};

} // namespace folio
