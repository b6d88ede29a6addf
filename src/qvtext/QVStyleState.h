#pragma once

#include <string>

namespace folio {

class PageConnection;

// The style at the caret as the QV page tells it: the six character styles,
// the paragraph alignment, the font family and the size in points. A state
// the page does not answer counts as off; a size it does not tell, or one
// outside 1 to 499 points, as 12, and a size of 460 or more shows as 460.
struct QVStyleState {
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeThrough = false;
    bool superscript = false;
    bool subscript = false;
    bool justifyLeft = false;
    bool justifyRight = false;
    bool justifyCenter = false;
    bool justifyFull = false;
    // The first family of the page's list, without quotes; "Helvetica"
    // when the page names none.
    std::string fontFamily = "Helvetica";
    int fontSize = 12;

    static QVStyleState read(PageConnection& page);

    // The pieces of `read`, for answers already in hand.
    static std::string familyFromAnswer(const std::string& answer);
    static int fontSizeFromAnswer(const std::string& answer);
};

} // namespace folio
