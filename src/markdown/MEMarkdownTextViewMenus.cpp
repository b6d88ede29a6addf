// The insertion menus of the Markdown text view and its special-characters
// picker: each menu is made anew from its table on every key press and
// presented by the view's delegate, anchored at the key.

#include "markdown/MEInsertionMenus.h"
#include "markdown/MEKeyboardToolbar.h"
#include "markdown/MEMarkdownTextView.h"
#include "markdown/METoolbarButton.h"

#include "platform/docframework/DKMenuController.h"
#include "platform/foundation/Localization.h"
#include "platform/foundation/Unicode.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/PopoverPresentationController.h"
#include "platform/ui/Presenter.h"
#include "platform/ui/ScrollView.h"
#include "tools/specialchars/MDSpecialCharsPickerController.h"

namespace folio {

namespace {
constexpr const char* kDocKitTable = "DocKitUIDocument";

std::u16string localizedTitle(const std::string& key, bool docKitTable)
{
    return toUtf16(Localization::localizedString(key, {}, docKitTable ? kDocKitTable : Localization::kDefaultTable));
}

// The popover shows from the key bar, pointing at the key.
void anchorPopover(ViewController& popover, const std::shared_ptr<View>& keyBar, Rect rect)
{
    auto anchor = popover.popoverPresentationController();
    if (!anchor)
        return;
    anchor->setSourceView(keyBar);
    anchor->setSourceRect(rect);
}
} // namespace

Rect MEMarkdownTextView::anchorRectForKey(const METoolbarButton& sender) const
{
    Rect rect = sender.frame();
    if (auto bar = std::dynamic_pointer_cast<MEKeyboardToolbar>(inputAccessoryView()))
        rect.origin.x -= bar->scrollView()->contentOffset().x;
    return rect;
}

bool MEMarkdownTextView::isSpecialCharPickerOnScreen() const
{
    auto navigation = m_specialCharNavigation.lock();
    return navigation && navigation->visibleViewController() && navigation->presentingViewController();
}

void MEMarkdownTextView::dismissSpecialCharPicker()
{
    if (auto navigation = m_specialCharNavigation.lock())
        navigation->dismissViewControllerAnimated(true);
}

void MEMarkdownTextView::showInsertionMenu(MEKeyMenu menu, METoolbarButton& sender)
{
    const MEMenuSpec* spec = insertionMenuSpec(menu);
    if (!spec)
        return;
    if (isSpecialCharPickerOnScreen())
        dismissSpecialCharPicker();
    auto presenter = std::dynamic_pointer_cast<ViewController>(delegateTarget());
    if (!presenter)
        return;

    std::weak_ptr<MEMarkdownTextView> weakSelf = std::static_pointer_cast<MEMarkdownTextView>(weak_from_this().lock());
    auto controller = std::make_shared<DKMenuController>();
    std::weak_ptr<DKMenuController> weakMenu = controller;
    std::vector<std::shared_ptr<DKMenuOption>> options;
    for (const MEMenuItemSpec& item : spec->items) {
        options.push_back(DKMenuOption::optionWithTitle(localizedTitle(item.title, false), nullptr, [weakSelf, weakMenu, item] {
            auto self = weakSelf.lock();
            if (!self)
                return;
            self->performMenuItem(item);
            // NOTE: on the desktop a menu that stayed open would keep the
            // keyboard, and the user's next keys would be lost; a pick ends
            // the menu and the typing goes on in the text.
            if (auto menu = weakMenu.lock(); menu && menu->presentingViewController())
                menu->dismissViewControllerAnimated(true);
            self->becomeFirstResponder();
            Presenter::current().viewDidRequestKeyboardFocus(*self);
        }));
    }
    controller->setSizesToOptionWidth(true);
    controller->setTitle(localizedTitle(spec->title, spec->titleFromDocKitTable));
    controller->setTopOptions(std::move(options));
    if (spec->centred)
        controller->setTextAlignment(TextAlignment::Center);
    if (spec->hasFinishBlock)
        controller->setDidFinish([] {});
    controller->setModalPresentationStyle(ModalPresentationStyle::Popover);
    anchorPopover(*controller, inputAccessoryView(), anchorRectForKey(sender));
    presenter->presentViewController(controller, true, [weakMenu] {
        // Nothing outside the menu stays touchable while it shows.
        if (auto menu = weakMenu.lock(); menu && menu->popoverPresentationController())
            menu->popoverPresentationController()->setPassthroughViews({});
    });
}

void MEMarkdownTextView::performMenuItem(const MEMenuItemSpec& item)
{
    const Range selection = selectedRange();
    switch (item.kind) {
    case MEMenuItemKind::Wrapping:
        if (selection.length > 0) {
            wrapSelectedRangeWithStartString(item.start, item.end);
        } else {
            insertText(item.text);
            setSelectionRange(Range{selection.location + item.caret, 0});
        }
        break;
    case MEMenuItemKind::Template:
        insertText(item.text);
        setSelectionRange(Range{selection.location + item.caret, 0});
        break;
    case MEMenuItemKind::Plain:
        insertText(item.text);
        break;
    case MEMenuItemKind::QuoteMarker: {
        const bool empty = text().empty();
        insertText(empty ? u"> " : u"\n> ");
        setSelectionRange(Range{selection.location + (empty ? 2 : 3), 0});
        break;
    }
    }
}

void MEMarkdownTextView::showSymbolsKeyMenu(METoolbarButton& sender)
{
    if (isSpecialCharPickerOnScreen()) {
        dismissSpecialCharPicker();
        return;
    }
    auto presenter = std::dynamic_pointer_cast<ViewController>(delegateTarget());
    if (!m_specialCharPicker) {
        m_specialCharPicker = std::make_shared<MDSpecialCharsPickerController>(defaults());
        m_specialCharPicker->setTitle(toUtf16(Localization::localizedString("Insert")));
        m_specialCharPicker->setDelegate(std::static_pointer_cast<MEMarkdownTextView>(weak_from_this().lock()));
    }
    if (!presenter)
        return;
    auto navigation = NavigationController::withRootViewController(m_specialCharPicker);
    navigation->setModalPresentationStyle(ModalPresentationStyle::Popover);
    m_specialCharNavigation = navigation;
    if (auto anchor = navigation->popoverPresentationController())
        anchor->setPermittedArrowDirections(PopoverArrowDirectionAny);
    anchorPopover(*navigation, inputAccessoryView(), anchorRectForKey(sender));
    presenter->presentViewController(navigation, true, [weakNavigation = std::weak_ptr<NavigationController>(navigation)] {
        if (auto shown = weakNavigation.lock(); shown && shown->popoverPresentationController())
            shown->popoverPresentationController()->setPassthroughViews({});
    });
}

void MEMarkdownTextView::specialCharsOptionSelected(const std::u16string& option, bool)
{
    insertText(option);
}

} // namespace folio
