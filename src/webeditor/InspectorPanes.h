#pragma once

#include <vector>

namespace folio {

// The web-view editors' inspector panes and the slices each one stacks, in
// order; the rich-text and QV text editors stack the same ones.
enum class InspectorPane { TextFormat, TextFormatFromKeyboard, HeaderFooter, Footer, TextColor, TextLayout, InsertItem,
                          InsertImage, TextTools, NotEditing, Other };

struct InspectorSliceSpec {
    // The slice's name, as its identifier.
    const char* kind;
    // The label of a colour slice, and which colour it sets.
    const char* label = nullptr;
    enum class Colour { None, Foreground, Background, Paper } colour = Colour::None;
};

const std::vector<InspectorSliceSpec>& slicesOfPane(InspectorPane pane);

} // namespace folio
