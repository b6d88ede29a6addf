#include "webeditor/FindBarController.h"

#include "webeditor/SearchReplaceBar.h"

namespace folio {

FindBarController::FindBarController(SearchReplaceBar& bar)
    : m_bar(bar)
{
    setPreferredContentSize(kBarSize);
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
