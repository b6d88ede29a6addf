#pragma once

#include "platform/ui/View.h"

#include <memory>
#include <vector>

namespace folio {

class METoolbarButton;
class ScrollView;

// The bar of markup keys shown with the Markdown text view: a 48-point strip
// with a hairline on top, holding a horizontally scrolling row of keys placed
// 8 points apart.
class MEKeyboardToolbar : public View {
public:
    using Buttons = std::vector<std::shared_ptr<METoolbarButton>>;

    static constexpr double kHeight = 48;
    static constexpr double kGap = 8;
    static constexpr double kAnimationDuration = 0.2;

    // Made outside a window, the bar is 0 points wide and stretches with
    // whoever shows it.
    static std::shared_ptr<MEKeyboardToolbar> toolbarWithButtons(Buttons buttons);

    const Buttons& buttons() const { return m_buttons; }
    const std::shared_ptr<ScrollView>& scrollView() const { return m_scrollView; }
    const std::shared_ptr<View>& toolbarView() const { return m_toolbarView; }
    const std::shared_ptr<View>& topBorder() const { return m_topBorder; }

    void setButtons(Buttons buttons);
    // Animated, the keys that go fade out, the new ones come in after the
    // last place, and every key slides to its place over 0.2 s.
    void setButtons(Buttons buttons, bool animated);

    void setFrame(const Rect& frame) override;

private:
    explicit MEKeyboardToolbar(Buttons buttons);
    // Views can only take subviews once they are shared.
    void buildToolbarView();
    void addButtons();

    Buttons m_buttons;
    std::shared_ptr<ScrollView> m_scrollView;
    std::shared_ptr<View> m_toolbarView;
    std::shared_ptr<View> m_topBorder;
};

} // namespace folio
