#pragma once

#include "platform/ui/View.h"

#include <memory>
#include <string>

namespace folio {

class ActivityIndicatorView;
class Label;

// A navigation title with a busy indicator beside it.
class TEActivityTitleView : public View {
public:
    static constexpr double kTitleFontSize = 20;
    static constexpr double kIndicatorSize = 20;
    static constexpr double kSpacing = 5;

    TEActivityTitleView();

    const std::u16string& title() const;
    // Sizes the view to the text, the indicator and the space between them.
    void setTitle(std::u16string title);
    bool isBusy() const;
    void setBusy(bool busy);

    const std::shared_ptr<ActivityIndicatorView>& activityIndicator() const { return m_activityIndicator; }
    const std::shared_ptr<Label>& titleLabel() const { return m_titleLabel; }

protected:
    void layoutSubviews() override;

private:
    std::shared_ptr<ActivityIndicatorView> m_activityIndicator;
    std::shared_ptr<Label> m_titleLabel;
    Size m_textSize;
};

} // namespace folio
