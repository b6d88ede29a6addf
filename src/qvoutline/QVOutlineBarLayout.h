#pragma once

#include "platform/graphics/Geometry.h"

#include <optional>
#include <string>

namespace folio {

// Where the outline editor's bar differs from the QV text editor's (system
// 16 and later): it has no text-style item on a phone, and on a tablet its
// assistant comes second wherever the QV text bar puts it elsewhere. Items
// are named by letter: C compact close, W writing assistant, U undo, R redo,
// Y text style, I insert, T tools, S share.
class QVOutlineBarLayout {
public:
    struct Input {
        bool isPhone = false;
        Size viewSize;
        // The main screen's bounds.
        Size screenSize;
        // The screen is wider than tall, or the device lies on its side.
        bool landscape = false;
    };
    struct Groups {
        bool titleViewHidden = true;
        std::string leading;
        std::string trailing;
        friend bool operator==(const Groups&, const Groups&) = default;
    };

    static constexpr double kNarrowTitleWidth = 768;

    // The outline's own groups for the three layouts that differ; none where
    // the outline takes the QV text editor's.
    static std::optional<Groups> groupsFor(const Input& input);
};

} // namespace folio
