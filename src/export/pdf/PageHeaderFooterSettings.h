#pragma once

#include "platform/text/PlatformParagraphStyle.h"

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace folio {

struct ExportPreferences;
class PDFHeaderFooterParagraphs;

// The running header or footer one PDF conversion draws. A fresh record is
// disabled with empty text, so a conversion never inherits an earlier one's.
struct PageHeaderFooter {
    bool enabled = false;
    std::string fontName;
    double fontSize = 0;
    // An HTML colour name or value, for the engine's colour parser.
    std::string color;
    TextAlignment alignment = TextAlignment::Right;
    // Points from the top edge (header) or the bottom edge (footer).
    double distanceFromEdge = 0;
    // The text with the page placeholders still in it.
    std::u16string textTemplate;
    // The paragraphs another program wrote, printed in place of the text
    // where the document's header still shows them.
    std::shared_ptr<const PDFHeaderFooterParagraphs> paragraphs;
};

// The header and footer settings the user sets once for the application.
// They are stored as seven fields joined by "::" (font family, size in
// points, alignment word, colour, distance from the edge in inches, enabled
// flag, text), and carried by web-view editor pages in a hidden element.
class PageHeaderFooterSettings {
public:
    enum class Kind { Header, Footer };

    static constexpr const char* kHeaderKey = "currentDocumentHeaderControl";
    static constexpr const char* kFooterKey = "currentDocumentFooterControl";
    static constexpr std::string_view kFieldSeparator = "::";
    static constexpr std::size_t kFieldCount = 7;
    // Bounds on what a header or footer may ask for (points; UTF-16 units
    // of the text after the document's own placeholders are filled in).
    static constexpr double kMaximumFontSize = 144;
    static constexpr double kMaximumDistance = 1000;
    static constexpr std::size_t kMaximumTextLength = 1000;

    // The settings of one header or footer, field by field, as stored.
    struct Fields {
        std::string fontFamily;
        std::string fontSize;
        std::string alignment;
        std::string color;
        std::string distanceInInches;
        std::string enabled;
        std::string text;
    };

    // What a web-view page answers for its hidden element (empty when the
    // page gives no value), read by the converter through pageElementScript.
    struct PageElementValues {
        std::string enabled;
        std::string fontFamily;
        std::string color;
        std::string fontSize;
        std::string textAlign;
        std::string distance;
        std::optional<std::u16string> textContent;
    };

    enum class PageElementProperty { Enabled, FontFamily, Color, FontSize, TextAlign, Distance, TextContent };

    // The placeholders replaced once per conversion.
    struct ConversionPlaceholders {
        std::u16string title;
        std::u16string date;
        std::u16string dateLong;
    };

    PageHeaderFooterSettings() = delete;

    static const char* userDefaultsKey(Kind kind);

    // The fields of a settings string; nothing for a string with fewer than
    // seven. The text is everything after the sixth separator, so a text
    // holding "::" keeps it.
    static std::optional<Fields> fieldsOfSettings(std::string_view settings);
    // The stored form of the fields.
    static std::string settingsString(const Fields& fields);

    // The effective header or footer from a settings string; absent or
    // malformed settings, or a switched-off one, give a disabled record.
    static PageHeaderFooter fromSettings(const std::optional<std::string>& settings,
                                         const ConversionPlaceholders& placeholders);
    static PageHeaderFooter fromPreferences(Kind kind, const ExportPreferences& preferences,
                                             const ConversionPlaceholders& placeholders);
    // The effective header or footer from a QV page's hidden element.
    static PageHeaderFooter fromPageElement(const PageElementValues& values,
                                            const ConversionPlaceholders& placeholders);
    // The script that reads one value of the page's hidden element.
    static std::string pageElementScript(Kind kind, PageElementProperty property);

    // The hidden element a web-view editor page carries: from the settings
    // string, or the switched-off default when there is none (or it is
    // malformed). Every field is HTML-escaped.
    static std::string pageElement(Kind kind, const std::optional<std::string>& settings);
    static std::string getCurrentPageHeaderControl(const ExportPreferences& preferences);
    static std::string getCurrentPageFooterControl(const ExportPreferences& preferences);

    // "center", "right", "left" and "justify"; any other word means right.
    static TextAlignment alignmentFromWord(std::string_view word);

    // "[title]", "[date]" and "[datelong]", every occurrence, literally.
    static std::u16string replacingConversionPlaceholders(std::u16string_view textTemplate,
                                                          const ConversionPlaceholders& placeholders);
    // "[totalpages]" and then "[pagenumber]" (first page 1) on a copy of the
    // template, so each page starts from the unreplaced placeholders.
    static std::u16string textForPage(std::u16string_view textTemplate, unsigned long pageNumber,
                                      unsigned long totalPages);
    // The placeholders for a conversion of the named document at `now`, dates
    // in the user's locale: short date and time, and long date with short time.
    static ConversionPlaceholders placeholdersForConversion(std::u16string title,
                                                            std::chrono::system_clock::time_point now);
};

} // namespace folio
