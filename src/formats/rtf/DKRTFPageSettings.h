#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace folio {

class OFStringScanner;
class UserDefaults;

// The page settings an RTF document carries beside its text, as the reader
// found them, by the keys under which the editors keep them in the user
// defaults. The reader only answers them; the document decides to store them.
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

    // Twips, kept as centimetres.
    void setPageMargin(std::string_view key, int twips);
    // Twips, kept as whole points.
    void setParagraphSpacing(std::string_view key, int twips);
    void setHeaderFooterControl(std::string_view key, const std::u16string& settings);

    // A margin (centimetres) or spacing (points); nothing when the document gives none.
    std::optional<float> number(std::string_view key) const;
    // A header or footer's "::"-joined settings; nothing when the document gives none.
    std::optional<std::string> text(std::string_view key) const;

    // Replaces what an earlier document left under these keys with this
    // document's values, so that a document without a header, margins or
    // spacing of its own never shows another's, and writes the store once.
    void store(UserDefaults& defaults) const;

    // The raw text of a "{\*\pageHeader ...}" destination: up to the first
    // unescaped "}", which stays unread, with "\\", "\{" and "\}" unescaped.
    // Any other backslash is kept as it is, so files written before the
    // writer escaped anything read as they always did.
    static std::u16string readHeaderFooterText(OFStringScanner& scanner);

private:
    std::map<std::string, float, std::less<>> m_numbers;
    std::map<std::string, std::string, std::less<>> m_texts;
};

} // namespace folio
