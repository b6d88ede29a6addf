#include "webeditor/SearchReplaceBar.h"

#include "platform/foundation/Localization.h"
#include "platform/foundation/Unicode.h"
#include "platform/ui/Device.h"

namespace folio {

namespace {

std::u16string searchBarText(const char* text)
{
    return toUtf16(Localization::localizedString(text));
}

} // namespace

SearchReplaceBar::SearchReplaceBar()
    : findOnPageControl(std::make_shared<SegmentedControl>(std::vector<std::u16string>{u"\u25C0", u"0/0", u"\u25B6"}))
{
    bool pad = Device::current().userInterfaceIdiom() == UserInterfaceIdiom::Pad;
    replaceAllButton->setTitle(searchBarText("Replace All"));
    replaceButton->setTitle(pad ? searchBarText("Replace") : searchBarText("R"));
    findOnPage->setPlaceholder(searchBarText("Find"));
    replaceOnPage->setPlaceholder(searchBarText("Replace"));
    hiddenTextField->setHidden(true);
    searchIndicator->setHidesWhenStopped(true);
    searchIndicator->setFrame(Rect{{10, 16}, {20, 20}});
    for (const std::shared_ptr<View>& part : std::vector<std::shared_ptr<View>>{findOnPage, findOnPageControl, replaceOnPage, replaceButton, replaceAllButton, searchIndicator})
        searchToolbar->addSubview(part);
    insertLinkToolbar->addSubview(insertLink);
    insertLinkToolbar->addSubview(unlinkButton);
    accessoryView->addSubview(searchToolbar);
    accessoryView->addSubview(insertLinkToolbar);
    searchToolbar->setHidden(true);
    insertLinkToolbar->setHidden(true);
    findOnPageControl->setEnabled(false);
    // The middle segment only shows where the user is among the matches: a
    // press there would light it up and do nothing.
    findOnPageControl->setEnabledForSegmentAtIndex(false, kCountSegment);
    // The count grows with the replacements ("2/3 1R"): it takes the room the
    // arrows leave, within the control's width.
    findOnPageControl->setApportionsSegmentWidthsByContent(true);
    setReplaceEnabled(false);
}

void SearchReplaceBar::setReplaceEnabled(bool enabled)
{
    replaceButton->setEnabled(enabled);
    replaceAllButton->setEnabled(enabled);
}

} // namespace folio
