#pragma once

#include <vector>

namespace folio {

// The rich-text editor's inspector panes and the slices each one stacks, in order.
enum class RichTextPane { TextFormat, TextFormatFromKeyboard, HeaderFooter, Footer, TextColor, TextLayout, InsertItem,
                          InsertImage, TextTools, NotEditing, Other };

struct RichTextSliceSpec {
    // The slice's name, as its identifier.
    const char* kind;
    // The label of a colour slice, and which colour it sets.
    const char* label = nullptr;
    enum class Colour { None, Foreground, Background, Paper } colour = Colour::None;
};

const std::vector<RichTextSliceSpec>& slicesOfPane(RichTextPane pane);

} // namespace folio
