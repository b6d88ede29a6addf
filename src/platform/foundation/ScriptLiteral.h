#pragma once

#include <string>
#include <string_view>

namespace folio {

// Writes values into script source sent to a page. Every value placed in a
// script goes through here, so that no text of a document or of a user can
// end a string early, start a new statement, or close the page's <script>
// element when the script is embedded in HTML.
class ScriptLiteral {
public:
    // A complete single-quoted JavaScript string literal, quotes included.
    // Quotes, backslash, control characters, U+2028, U+2029 and "<" are
    // escaped; lone surrogates survive as \u escapes.
    static std::string quote(std::u16string_view text);
    static std::string quote(std::string_view utf8);

    // The shortest text that reads back as the same double, always with "."
    // as decimal separator whatever the process locale is. Integral values
    // have no fraction ("14", not "14.0"); NaN and infinities, which have no
    // literal form, become "0" so that a script never breaks on them.
    static std::string number(double value);

    // Fixed notation with the given count of decimals in the C locale, the
    // way "%.2f" formats for scripts. Non-finite values become 0 as above.
    static std::string fixed(double value, int decimals);
};

} // namespace folio
