#pragma once

#include "platform/graphics/Geometry.h"
#include "platform/ui/Device.h"

#include <string>

namespace folio {

// Where the editor's bar items go for the window's width. Items are named by
// letter: C compact close, W writing assistant, U undo, R redo, Y text
// style, I insert, T tools, S share; "_" is a fixed space.
class BarLayout {
public:
    struct Input {
        bool isPhone = false;
        Size viewSize;           // the editor's view
        Rect screenBounds;       // the main screen
        DeviceOrientation orientation = DeviceOrientation::Portrait;
        int systemMajorVersion = 17;
        // The window's horizontal size class is regular.
        bool regularWidth = true;
    };
    struct Result {
        // Groups on system versions that have them, plain items before.
        bool usesGroups = true;
        bool titleViewHidden = false;
        // Only without groups: the top alert bar follows the title view.
        bool topAlertBarHidden = false;
        std::string leading;
        std::string trailing;
        friend bool operator==(const Result&, const Result&) = default;
    };

    static constexpr double kNarrowTitleWidth = 768;

    static Result layoutFor(const Input& input);
};

} // namespace folio
