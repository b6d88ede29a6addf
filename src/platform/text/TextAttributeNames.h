#pragma once

#include <string_view>

namespace folio::TextAttributeName {

// The attribute keys that the platform's text views read. The strings are
// those the text system stores, so attributed text moved between the editors,
// the engine and the pasteboard keeps its meaning.
inline constexpr std::string_view Font = "NSFont";
inline constexpr std::string_view ForegroundColor = "NSColor";
// Text read from RTF and HTML carries its colour under the Core Text key; a
// text view draws it when the run has no colour of its own.
inline constexpr std::string_view CoreTextForegroundColor = "CTForegroundColor";
inline constexpr std::string_view BackgroundColor = "NSBackgroundColor";
inline constexpr std::string_view ParagraphStyle = "NSParagraphStyle";
// Integer values: 0 none, 1 single.
inline constexpr std::string_view UnderlineStyle = "NSUnderline";
inline constexpr std::string_view UnderlineColor = "NSUnderlineColor";
inline constexpr std::string_view StrikethroughStyle = "NSStrikethrough";
// A TextRunDelegate: the character is an object of the delegate's size.
inline constexpr std::string_view RunDelegate = "CTRunDelegate";
// Integer: 1 raises the text (superscript), -1 lowers it.
inline constexpr std::string_view Superscript = "NSSuperScript";
// Boolean YES: the letters are shown as capitals, or lower-case ones as small
// capitals, while the text keeps them as typed.
inline constexpr std::string_view Capitals = "TECapitals";
inline constexpr std::string_view SmallCapitals = "TESmallCapitals";
// Positive: the letters are drawn as outlines, the stroke this percentage of
// the font size wide.
inline constexpr std::string_view StrokeWidth = "NSStrokeWidth";

} // namespace folio::TextAttributeName
