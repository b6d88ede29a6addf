#include "foundation/views/TEActivityTitleView.h"

#include "platform/graphics/Font.h"
#include "platform/graphics/FontFace.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/ui/ActivityIndicatorView.h"
#include "platform/ui/Device.h"
#include "platform/ui/Label.h"

#include <algorithm>

namespace folio {

TEActivityTitleView::TEActivityTitleView()
    : m_activityIndicator(std::make_shared<ActivityIndicatorView>(Rect{{0, 0}, {kIndicatorSize, kIndicatorSize}}))
    , m_titleLabel(std::make_shared<Label>())
{
    m_titleLabel->setBackgroundColor(Color::colorWithWhite(0, 0));
    if (auto font = Font::fontMatching("Helvetica", kFontBoldTrait, kTitleFontSize))
        m_titleLabel->setFont(std::make_shared<const Font>(*font));
    m_activityIndicator->setHidesWhenStopped(true);
    // The tablet's light bars take dark grey text; the phone's dark bars white.
    m_titleLabel->setTextColor(Device::current().isPad() ? Color::colorWithRed(113 / 255.0, 120 / 255.0, 128 / 255.0)
                                                         : Color::colorWithWhite(1));
}

const std::u16string& TEActivityTitleView::title() const
{
    return m_titleLabel->text();
}

void TEActivityTitleView::setTitle(std::u16string title)
{
    m_titleLabel->setText(std::move(title));
    m_textSize = {};
    if (const auto& font = m_titleLabel->font())
        if (auto context = GraphicsContext::imageContext({1, 1}))
            m_textSize = (*context)->sizeOfText(m_titleLabel->text(), *font);
    Size indicator = m_activityIndicator->frame().size;
    Rect bounds = this->bounds();
    bounds.size = {m_textSize.width + indicator.width + kSpacing, std::max(m_textSize.height, indicator.height)};
    setBounds(bounds);
    setNeedsLayout();
}

bool TEActivityTitleView::isBusy() const
{
    return m_activityIndicator->isAnimating();
}

void TEActivityTitleView::setBusy(bool busy)
{
    if (busy)
        m_activityIndicator->startAnimating();
    else
        m_activityIndicator->stopAnimating();
    setNeedsLayout();
}

void TEActivityTitleView::layoutSubviews()
{
    if (subviews().empty()) {
        addSubview(m_titleLabel);
        addSubview(m_activityIndicator);
    }
    Size indicator = m_activityIndicator->frame().size;
    double height = bounds().size.height;
    m_activityIndicator->setFrame({{0, (height - indicator.height) / 2}, indicator});
    m_titleLabel->setFrame({{indicator.width + kSpacing, (height - m_textSize.height) / 2}, m_textSize});
}

} // namespace folio
