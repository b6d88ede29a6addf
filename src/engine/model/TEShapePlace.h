#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace folio {

// A picture a word processor set in a shape of its own ("{\shp ...}") keeps
// the shape's placement as the file's own words, in the order it gave them
// ("\shpleft2880\shptop200\shpright4080\shpbottom800\shpbxcolumn\shpbypara
// \shpwr2"): a save writes the shape back around the picture, and the page
// and print set the picture at the shape's offset. Text from the editing
// page or a file is taken only where it is such words alone, so that
// nothing else reaches a saved file through it.
struct TEShapePlace {
    // The picture's attribute that carries the words, on the page too.
    static constexpr const char* kAttributeKey = "data-shape";
    // Set on a picture of a group of shapes that another picture of the
    // group follows: it takes no room of the column's, so that the next is
    // placed from the column's edge too, and the text goes beside the last.
    static constexpr const char* kGroupGoesOnKey = "data-shape-group";

    // The placement words ("\shp..." with or without a number) at the top
    // level of a shape's instructions (what follows "\*\shpinst"); empty
    // when it gives none.
    static std::string wordsOfInstructions(std::u16string_view instructions);
    static bool isWellFormed(std::u16string_view words);
    // Whether text wraps beside the shape: square, tight or through ("\\shpwr2", 4, 5).
    static bool wrapsText(std::u16string_view words);

    // Where a shape that text wraps beside stands, in points from the left
    // edge of the text's column and down from the top of the paragraph it
    // is anchored in; none for a shape that counts from elsewhere (the page,
    // the margin's top) or that text does not wrap beside.
    struct Offset {
        double left = 0;
        double top = 0;
    };
    static std::optional<Offset> offsetInColumn(std::u16string_view words);
};

} // namespace folio
