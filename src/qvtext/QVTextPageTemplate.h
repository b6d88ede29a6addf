#pragma once

#include "formats/rtf/DKRTFDocumentSettings.h"
#include "platform/foundation/Error.h"

#include <optional>
#include <string>
#include <string_view>

namespace folio {

class UserDefaults;

// The page the QV text editor edits in: TinyMCE on a text area that holds
// the document's HTML. The markup is the resource "pages/qvtext.html"; its
// "{{name}}" places are filled here, URLs and the document's text through the
// HTML escaper, the editor's settings as script literals.
class QVTextPageTemplate {
public:
    static constexpr const char* kErrorDomain = "QVTextPageTemplate";
    enum ErrorCode { MissingResource = 1 };
    static constexpr const char* kTemplateResource = "qvtext.html";
    static constexpr const char* kDefaultFontFamily = "Helvetica";
    static constexpr int kDefaultFontSize = 12;

    struct Page {
        std::string tinymceURL;
        std::string helpersURL;
        std::string checklistURL;
        // The selection library and its word moves, for the caret commands.
        std::string rangyURL;
        std::string rangyTextRangeURL;
        std::string bootstrapURL;
        int fontSize = kDefaultFontSize;
        std::string fontFamily = kDefaultFontFamily;
        // The @font-face rules of the listed and the user's fonts.
        std::string fontRules;
        std::string language = "en";
        // The document's HTML. Escaped into the text area, whose value is
        // then exactly this text: a text that holds "</textarea>" or an
        // escaped "&lt;" opens as the same text.
        std::string html;
    };

    // The body font: the user's default font only for a new blank document.
    struct BodyFont {
        std::string family = kDefaultFontFamily;
        int size = kDefaultFontSize;
    };
    static BodyFont bodyFont(const UserDefaults& defaults, BlankDocument blank);

    // TinyMCE's interface language for the session's language code ("pt"
    // gives "pt_BR", anything unknown "en").
    static std::string languageCode(std::string_view localeLanguage);

    // The page from its template text; an error when the template's places
    // and the page's values disagree.
    static Result<std::string> fill(std::string_view pageTemplate, const Page& page);
    // The page from the installed template.
    static Result<std::string> build(const Page& page);
};

} // namespace folio
