#pragma once

#include "platform/graphics/Color.h"

#include <optional>
#include <string>
#include <string_view>

namespace folio {

class AttributedString;
class DKRTFDataBuffer;

// A running header or footer as other word processors write it: a "{\header
// ...}" or "{\footer ...}" group (or its left, right and first-page form)
// holding ordinary RTF paragraphs. Folio keeps a header or footer as its
// "::"-joined settings (font, size, alignment, colour, distance, enabled,
// text); these turn one form into the other, so that a footer of another
// program is shown, printed and saved, and one of ours is seen by other
// programs.
class DKRTFForeignHeaderFooter {
public:
    // The forms in the order they stand in for the one header or footer
    // Folio keeps: the one for every page, right pages, left pages, the
    // first page.
    enum class Form { AllPages = 0, RightPages = 1, LeftPages = 2, FirstPage = 3 };

    DKRTFForeignHeaderFooter() = delete;

    // The group's content (after its control word, up to its closing brace)
    // with the page number ("\chpgn", a PAGE field) and page count (a
    // NUMPAGES field) turned into the "[pagenumber]" and "[totalpages]"
    // placeholders Folio's headers carry, and every other field reduced to
    // its result.
    static std::u16string withPagePlaceholders(std::u16string_view group);
    // The settings of the group's text once read: its words (paragraphs
    // joined by a blank), the first paragraph's alignment and the first
    // character's font family, size and colour; `distanceTwips` from the
    // paper's edge. Nothing when the group holds no words.
    static std::optional<std::string> settingsForText(const AttributedString& text, int distanceTwips);

    // How the group written for the settings shows its words: the first
    // family the settings name (without a style sheet's quotes) and their
    // colour unless it is black, the text's own. Nothing when no group is
    // written for them.
    struct Look {
        std::string family;
        std::optional<Color> color;
    };
    static std::optional<Look> lookOfSettings(std::u16string_view settings);

    // "{\header ...}" or "{\footer ...}" for the settings when they are
    // switched on and hold words, with the placeholders as page number and
    // page count fields, and its distance from the paper's edge
    // ("\headery", "\footery") where it is not the default; nothing is
    // written otherwise. The words are in the font and colour of the
    // writer's tables numbered `fontNumber` and `colorNumber` (0, the text's
    // own colour, names none). Whether it was written.
    enum class Kind { Header, Footer };
    // What follows the group's word, with no blank between.
    static constexpr std::string_view kWrittenGroupOpening = "\\pard\\plain";
    static bool writeGroup(DKRTFDataBuffer& buffer, Kind kind, std::u16string_view settings,
                           std::optional<int> fontNumber = std::nullopt, int colorNumber = 0);
    // "\headery" or "\footery" for the settings' distance from the paper's
    // edge, where it is not the default.
    static void writeDistance(DKRTFDataBuffer& buffer, Kind kind, std::u16string_view settings);
    // Whether two settings show the same header: font, size, alignment,
    // colour, switch and words, whatever form the values are written in;
    // the distance from the edge is not compared.
    static bool showTheSame(std::u16string_view settings, std::u16string_view other);
};

} // namespace folio
