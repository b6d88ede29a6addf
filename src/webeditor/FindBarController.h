#pragma once

#include "platform/ui/ViewController.h"

#include <functional>
#include <memory>

namespace folio {

struct SearchReplaceBar;

// Shows the find bar in a window of its own kind (a popover over the page),
// as the desktop has no bar above a keyboard. The bar and what it does stay
// the find commander's; this only lays the bar out.
class FindBarController final : public ViewController {
public:
    // One row holds every control from this width on; a narrower page gets
    // the bar in two rows, find above replace, so that nothing is cut off.
    static constexpr double kOneRowWidth = 748;
    static constexpr double kRowHeight = 44;

    // The bar as wide as `width` allows (never wider than one row needs).
    FindBarController(SearchReplaceBar& bar, double width = kOneRowWidth);

    // Shows the bar as a popover along the bottom of `page`, where the bar
    // above a keyboard would be, so that it covers no text at the top.
    // Answers the shown controller, or null when there is nothing to show on.
    static std::shared_ptr<ViewController> presentAlongBottom(
        SearchReplaceBar& bar, const std::shared_ptr<View>& page,
        const std::function<void(std::shared_ptr<ViewController>)>& present);

protected:
    void loadView() override;

private:
    SearchReplaceBar& m_bar;
    Size m_size;
};

} // namespace folio
