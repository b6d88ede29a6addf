#pragma once

#include <string>
#include <string_view>

namespace folio {

class OFStringScanner;
class UserDefaults;

// The page settings of an RTF document, which the reader hands to the editors
// and exports through the user defaults rather than through the text.
//
// Every parse starts by removing the values an earlier document stored, so a
// document without a header, margins or spacing of its own never shows
// another document's. Values are written as they are read and stored to disk
// once, when the parse is done, rather than once per paragraph.
class DKRTFPageSettings {
public:
    static constexpr std::string_view kPageMarginLeftKey = "marquentPageMarginLeft";
    static constexpr std::string_view kPageMarginRightKey = "marquentPageMarginRight";
    static constexpr std::string_view kPageMarginTopKey = "marquentPageMarginTop";
    static constexpr std::string_view kPageMarginBottomKey = "marquentPageMarginBottom";
    static constexpr std::string_view kParagraphSpacingKey = "marquentParagraphSpacing";
    static constexpr std::string_view kParagraphSpacingBeforeKey = "marquentParagraphSpacingBefore";
    static constexpr std::string_view kHeaderControlKey = "currentDocumentHeaderControl";
    static constexpr std::string_view kFooterControlKey = "currentDocumentFooterControl";

    explicit DKRTFPageSettings(UserDefaults& defaults) : m_defaults(defaults) {}

    void resetForNewDocument();
    // Twips, stored as centimetres.
    void setPageMargin(std::string_view key, int twips);
    // Twips, stored as whole points.
    void setParagraphSpacing(std::string_view key, int twips);
    void setHeaderFooterControl(std::string_view key, const std::u16string& settings);
    void synchronize();

    // The raw text of a "{\*\pageHeader ...}" destination: up to the first
    // unescaped "}", which stays unread, with "\\", "\{" and "\}" unescaped.
    // Any other backslash is kept as it is, so files written before the
    // writer escaped anything read as they always did.
    static std::u16string readHeaderFooterText(OFStringScanner& scanner);

private:
    UserDefaults& m_defaults;
};

} // namespace folio
