#pragma once

#include <string_view>

namespace folio {

// Right-to-left and complex-script text as word processors mark it: the
// run's own direction, the font, size, weight, slant and language its Arabic,
// Hebrew or Indic letters take, and the fonts its East Asian letters and its
// letters above and below U+0080 take. The text system has a key for the
// direction only; the rest are attributes of our own, kept so that a save
// gives a file its fonts and languages back.

// An array of one integer: 1, a right-to-left embedding.
inline constexpr std::string_view NSWritingDirectionAttributeName = "NSWritingDirection";
// Font names as the file's font table gives them.
inline constexpr std::string_view TEComplexScriptFontAttribute = "TEComplexScriptFont";
inline constexpr std::string_view TEEastAsianFontAttribute = "TEEastAsianFont";
inline constexpr std::string_view TEHighAnsiFontAttribute = "TEHighAnsiFont";
inline constexpr std::string_view TELowAnsiFontAttribute = "TELowAnsiFont";
// In points.
inline constexpr std::string_view TEComplexScriptFontSizeAttribute = "TEComplexScriptFontSize";
// Boolean YES.
inline constexpr std::string_view TEComplexScriptBoldAttribute = "TEComplexScriptBold";
inline constexpr std::string_view TEComplexScriptItalicAttribute = "TEComplexScriptItalic";
// A BCP 47 tag.
inline constexpr std::string_view TEComplexScriptLanguageAttribute = "TEComplexScriptLanguage";

enum class TEScriptValueKind { Text, Number, Flag };

struct TEScriptAttribute {
    std::string_view key;
    // The data attribute of the run's span that carries the value on a page.
    std::string_view pageName;
    TEScriptValueKind kind;
};

inline constexpr TEScriptAttribute kTEScriptAttributes[] = {
    {TEComplexScriptFontAttribute, "data-cs-font", TEScriptValueKind::Text},
    {TEComplexScriptFontSizeAttribute, "data-cs-size", TEScriptValueKind::Number},
    {TEComplexScriptBoldAttribute, "data-cs-bold", TEScriptValueKind::Flag},
    {TEComplexScriptItalicAttribute, "data-cs-italic", TEScriptValueKind::Flag},
    {TEComplexScriptLanguageAttribute, "data-cs-lang", TEScriptValueKind::Text},
    {TEEastAsianFontAttribute, "data-east-asian-font", TEScriptValueKind::Text},
    {TEHighAnsiFontAttribute, "data-high-ansi-font", TEScriptValueKind::Text},
    {TELowAnsiFontAttribute, "data-low-ansi-font", TEScriptValueKind::Text},
};

} // namespace folio
