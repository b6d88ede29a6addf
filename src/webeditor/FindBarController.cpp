#include "webeditor/FindBarController.h"

#include "platform/ui/PopoverPresentationController.h"
#include "platform/ui/View.h"
#include "webeditor/SearchReplaceBar.h"

namespace folio {

FindBarController::FindBarController(SearchReplaceBar& bar)
    : m_bar(bar)
{
    setPreferredContentSize(kBarSize);
}

std::shared_ptr<ViewController> FindBarController::presentAlongBottom(
    SearchReplaceBar& bar, const std::shared_ptr<View>& page,
    const std::function<void(std::shared_ptr<ViewController>)>& present)
{
    if (!page || !present)
        return nullptr;
    auto shown = std::make_shared<FindBarController>(bar);
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
    m_bar.searchToolbar->setFrame(Rect{{0, 0}, kBarSize});
    m_bar.searchToolbar->setHidden(false);
    m_bar.findOnPage->setFrame(Rect{{8, 6}, {180, 32}});
    m_bar.findOnPageControl->setFrame(Rect{{196, 6}, {150, 32}});
    m_bar.replaceOnPage->setFrame(Rect{{354, 6}, {140, 32}});
    m_bar.replaceButton->setFrame(Rect{{502, 6}, {76, 32}});
    m_bar.replaceAllButton->setFrame(Rect{{584, 6}, {100, 32}});
    m_bar.searchIndicator->setFrame(Rect{{690, 12}, {20, 20}});
    setView(m_bar.searchToolbar);
}

} // namespace folio
