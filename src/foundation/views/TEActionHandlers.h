#pragma once

#include <functional>

namespace folio {

class View;

// Tap and long-press callbacks on any view, without a target object: the
// first call adds one recognizer to the view, later calls replace its callback.
void setTapActionWithBlock(View& view, std::function<void()> block);
// The callback runs as the long press begins.
void setLongPressActionWithBlock(View& view, std::function<void()> block);

} // namespace folio
