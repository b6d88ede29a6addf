#pragma once

#include <string>

namespace folio {

// A font as the style panels pass it on: the name asked for (a family or a
// face's PostScript name) and a size. The name is kept as asked even where
// the system draws the font with another face.
struct FontChoice {
    std::string fontName;
    double pointSize = 0;

    // The family the name belongs to, or the name itself when no installed
    // font answers to it.
    std::string familyName() const;
    FontChoice withSize(double size) const { return FontChoice{fontName, size}; }
    friend bool operator==(const FontChoice&, const FontChoice&) = default;
};

} // namespace folio
