#pragma once

#include "platform/foundation/Error.h"

#include <functional>
#include <memory>
#include <string>

namespace folio {

class ViewController;

// How every editor shows a writing-tool panel: as a form sheet inside a
// navigation controller titled `title`, with a Done item that runs
// `dismissPanel`, styled for the current theme.
Status presentToolPanel(ViewController& presenter, const std::shared_ptr<ViewController>& panel, std::u16string title,
                        std::function<void()> dismissPanel);

// Colours the navigation bar of the panel's navigation controller, if any,
// with the theme's picker colours, as tool sheets do when they appear.
void applyToolPanelBarColors(ViewController& panel);

} // namespace folio
