#include "engine/html/writer/HTMLShadingCSS.h"

#include "engine/css/ColorHTML.h"
#include "engine/model/TEShading.h"

#include <array>
#include <cstddef>

namespace folio {

namespace {

enum class Lines { Horizontal, Vertical, Forward, Backward };

// The lines that make each pattern, in TEShading's order; the dark ones are
// drawn twice as thick. Word's forward diagonal runs down to the right.
struct PatternLines {
    std::array<Lines, 2> lines;
    int count;
    bool dark;
};

constexpr std::array<PatternLines, 12> kPatternLines{{
    {{Lines::Horizontal}, 1, false},
    {{Lines::Vertical}, 1, false},
    {{Lines::Forward}, 1, false},
    {{Lines::Backward}, 1, false},
    {{Lines::Horizontal, Lines::Vertical}, 2, false},
    {{Lines::Forward, Lines::Backward}, 2, false},
    {{Lines::Horizontal}, 1, true},
    {{Lines::Vertical}, 1, true},
    {{Lines::Forward}, 1, true},
    {{Lines::Backward}, 1, true},
    {{Lines::Horizontal, Lines::Vertical}, 2, true},
    {{Lines::Forward, Lines::Backward}, 2, true},
}};

// The direction across the lines.
const char* angle(Lines lines)
{
    switch (lines) {
    case Lines::Horizontal:
        return "180deg";
    case Lines::Vertical:
        return "90deg";
    case Lines::Forward:
        return "45deg";
    case Lines::Backward:
        return "135deg";
    }
    return "180deg";
}

} // namespace

std::string HTMLShadingCSS::patternImage(const TEShading& shading)
{
    if (shading.pattern < 1 || shading.pattern > static_cast<int>(kPatternLines.size()))
        return {};
    const PatternLines& pattern = kPatternLines[static_cast<std::size_t>(shading.pattern - 1)];
    const std::string line = "#" + htmlHexString(shading.color.value_or(Color::colorWithRed(0, 0, 0)));
    const std::string fill = "#" + htmlHexString(shading.fill.value_or(Color::colorWithRed(1, 1, 1)));
    // Lines a pixel (dark: two) wide every four pixels; the lower layer
    // carries the fill between its lines, an upper one lets it through.
    const std::string width = pattern.dark ? "2px" : "1px";
    std::string image;
    for (int index = 0; index < pattern.count; ++index) {
        const bool lowest = index == pattern.count - 1;
        if (!image.empty())
            image += ',';
        image += std::string("repeating-linear-gradient(") + angle(pattern.lines[static_cast<std::size_t>(index)]) + "," +
            line + " 0 " + width + "," + (lowest ? fill : std::string("transparent")) + " " + width + " 4px)";
    }
    return image;
}

} // namespace folio
