#pragma once

#include "webeditor/BarLayout.h"

namespace folio {

// Where the QV text editor's bar items go for the window's width, in
// BarLayout's letters. It differs from the rich-text editor's table: on a
// tablet only a window at most half the short screen side wide (or a third
// of the long side in landscape) moves undo and redo to the trailing side,
// and a landscape window at least half the long side wide puts the
// assistant after redo.
class QVTextBarLayout {
public:
    static BarLayout::Result layoutFor(const BarLayout::Input& input);
};

} // namespace folio
