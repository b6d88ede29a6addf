#pragma once

#include "platform/ui/ViewController.h"

namespace folio {

struct SearchReplaceBar;

// Shows the find bar in a window of its own kind (a popover over the page),
// as the desktop has no bar above a keyboard. The bar and what it does stay
// the find commander's; this only lays the bar out.
class FindBarController final : public ViewController {
public:
    static constexpr Size kBarSize{716, 44};

    explicit FindBarController(SearchReplaceBar& bar);

protected:
    void loadView() override;

private:
    SearchReplaceBar& m_bar;
};

} // namespace folio
