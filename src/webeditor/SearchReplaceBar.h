#pragma once

#include "platform/ui/ActivityIndicatorView.h"
#include "platform/ui/Button.h"
#include "platform/ui/SegmentedControl.h"
#include "platform/ui/TextField.h"
#include "platform/ui/View.h"

#include <memory>

namespace folio {

// The two bars the editor shows above the keyboard, one at a time: the find
// bar (find and replacement fields, previous / count / next, the replace
// buttons) and the link bar (the address field and the unlink button).
// Made once per editor; the commanders show, hide and fill them.
struct SearchReplaceBar {
    static constexpr size_t kPreviousSegment = 0;
    static constexpr size_t kCountSegment = 1;
    static constexpr size_t kNextSegment = 2;

    SearchReplaceBar();

    std::shared_ptr<View> accessoryView = std::make_shared<View>();
    std::shared_ptr<View> searchToolbar = std::make_shared<View>();
    std::shared_ptr<View> insertLinkToolbar = std::make_shared<View>();
    std::shared_ptr<TextField> findOnPage = std::make_shared<TextField>();
    std::shared_ptr<TextField> replaceOnPage = std::make_shared<TextField>();
    std::shared_ptr<TextField> insertLink = std::make_shared<TextField>();
    std::shared_ptr<SegmentedControl> findOnPageControl;
    std::shared_ptr<Button> replaceButton = std::make_shared<Button>();
    std::shared_ptr<Button> replaceAllButton = std::make_shared<Button>();
    std::shared_ptr<Button> unlinkButton = std::make_shared<Button>();
    // Never shown: taking focus with it raises the keyboard with the bars.
    std::shared_ptr<TextField> hiddenTextField = std::make_shared<TextField>();
    std::shared_ptr<ActivityIndicatorView> searchIndicator = std::make_shared<ActivityIndicatorView>();

    std::u16string countLabel() const { return findOnPageControl->titleForSegmentAtIndex(kCountSegment); }
    void setCountLabel(std::u16string label) { findOnPageControl->setTitleForSegmentAtIndex(std::move(label), kCountSegment); }
    void setReplaceEnabled(bool enabled);
};

} // namespace folio
