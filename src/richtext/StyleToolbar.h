#pragma once

#include "platform/ui/Button.h"

#include <memory>
#include <string>

namespace folio {

// The buttons of the style tool row that show the formatting at the caret
// and change it. Made once by the editor; the font-state monitor sets their
// states, the style commands read and step them.
struct StyleToolbar {
    std::shared_ptr<Button> styleBold = std::make_shared<Button>();
    std::shared_ptr<Button> styleItalic = std::make_shared<Button>();
    std::shared_ptr<Button> styleUnderline = std::make_shared<Button>();
    std::shared_ptr<Button> styleStrike = std::make_shared<Button>();
    std::shared_ptr<Button> styleSuperscript = std::make_shared<Button>();
    std::shared_ptr<Button> styleSubscrit = std::make_shared<Button>();
    std::shared_ptr<Button> styleAlignLeft = std::make_shared<Button>();
    std::shared_ptr<Button> styleAlignRight = std::make_shared<Button>();
    std::shared_ptr<Button> styleAlignCenter = std::make_shared<Button>();
    std::shared_ptr<Button> styleAlignFull = std::make_shared<Button>();
    std::shared_ptr<Button> styleFontName = std::make_shared<Button>();
    std::shared_ptr<Button> styleFontSize = std::make_shared<Button>();
    std::shared_ptr<Button> styleFontSizeIncrease = std::make_shared<Button>();
    std::shared_ptr<Button> styleFontSizeDecrease = std::make_shared<Button>();
    std::shared_ptr<Button> magicCursorButton = std::make_shared<Button>();
    // The text last put on styleFontSize.
    std::string currentFontSizeTextValue;
};

} // namespace folio
