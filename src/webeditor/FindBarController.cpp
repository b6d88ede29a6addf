#include "webeditor/FindBarController.h"

#include "platform/ui/PopoverPresentationController.h"
#include "platform/ui/View.h"
#include "webeditor/SearchReplaceBar.h"

#include <algorithm>

namespace folio {

namespace {

constexpr double kMargin = 8;
constexpr double kGap = 8;
constexpr double kFieldTop = 6;
constexpr double kFieldHeight = 32;
constexpr double kFindWidth = 180;
// The arrows and the count: wide enough for the toolkit's own padding, so
// that the next arrow is not drawn under the replace field.
constexpr double kControlWidth = 180;
constexpr double kReplaceWidth = 140;
constexpr double kReplaceButtonWidth = 76;
constexpr double kReplaceAllWidth = 100;
constexpr double kIndicatorSize = 20;
// The narrowest bar: the count and the buttons keep their widths, the fields
// give up theirs.
constexpr double kNarrowestWidth = 2 * kMargin + 80 + kGap + kControlWidth + kGap + kIndicatorSize;

} // namespace

FindBarController::FindBarController(SearchReplaceBar& bar, double width)
    : m_bar(bar)
{
    width = std::max(kNarrowestWidth, std::min(width, kOneRowWidth));
    m_size = Size{width, width >= kOneRowWidth ? kRowHeight : 2 * kRowHeight};
    setPreferredContentSize(m_size);
}

std::shared_ptr<ViewController> FindBarController::presentAlongBottom(
    SearchReplaceBar& bar, const std::shared_ptr<View>& page,
    const std::function<void(std::shared_ptr<ViewController>)>& present)
{
    if (!page || !present)
        return nullptr;
    // Inside the page, with a little room on either side.
    auto shown = std::make_shared<FindBarController>(bar, page->frame().size.width - 2 * kMargin);
    shown->setModalPresentationStyle(ModalPresentationStyle::Popover);
    if (std::shared_ptr<PopoverPresentationController> popover = shown->popoverPresentationController()) {
        popover->setSourceView(page);
        popover->setSourceRect(Rect{{page->frame().size.width / 2, page->frame().size.height - 1}, {1, 1}});
        popover->setPermittedArrowDirections(PopoverArrowDirectionDown);
    }
    present(shown);
    return shown;
}

void FindBarController::loadView()
{
    m_bar.searchToolbar->setFrame(Rect{{0, 0}, m_size});
    m_bar.searchToolbar->setHidden(false);
    double width = m_size.width;
    if (width >= kOneRowWidth) {
        double x = kMargin;
        auto place = [&x](const std::shared_ptr<View>& view, double wide) {
            view->setFrame(Rect{{x, kFieldTop}, {wide, kFieldHeight}});
            x += wide + kGap;
        };
        place(m_bar.findOnPage, kFindWidth);
        place(m_bar.findOnPageControl, kControlWidth);
        place(m_bar.replaceOnPage, kReplaceWidth);
        place(m_bar.replaceButton, kReplaceButtonWidth);
        place(m_bar.replaceAllButton, kReplaceAllWidth);
        m_bar.searchIndicator->setFrame(Rect{{x, kFieldTop + 6}, {kIndicatorSize, kIndicatorSize}});
    } else {
        // Find, the arrows and the count above; replace and its buttons below.
        double right = width - kMargin;
        m_bar.searchIndicator->setFrame(Rect{{right - kIndicatorSize, kFieldTop + 6}, {kIndicatorSize, kIndicatorSize}});
        double controlX = right - kIndicatorSize - kGap - kControlWidth;
        m_bar.findOnPageControl->setFrame(Rect{{controlX, kFieldTop}, {kControlWidth, kFieldHeight}});
        m_bar.findOnPage->setFrame(Rect{{kMargin, kFieldTop}, {controlX - kGap - kMargin, kFieldHeight}});
        double second = kRowHeight + kFieldTop;
        double allX = right - kReplaceAllWidth;
        double replaceX = allX - kGap - kReplaceButtonWidth;
        m_bar.replaceAllButton->setFrame(Rect{{allX, second}, {kReplaceAllWidth, kFieldHeight}});
        m_bar.replaceButton->setFrame(Rect{{replaceX, second}, {kReplaceButtonWidth, kFieldHeight}});
        m_bar.replaceOnPage->setFrame(Rect{{kMargin, second}, {std::max(40.0, replaceX - kGap - kMargin), kFieldHeight}});
    }
    setView(m_bar.searchToolbar);
}

} // namespace folio
