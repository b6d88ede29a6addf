// The Markdown text view's key bar and its find and replace bar: the keys of
// the key sets, what each press does, and swapping the two bars.

#include "markdown/MEFindReplaceBar.h"
#include "markdown/MEKeyboardToolbar.h"
#include "markdown/MEMarkdownTextView.h"
#include "markdown/METoolbarButton.h"

#include "platform/foundation/Unicode.h"
#include "platform/ui/Device.h"
#include "platform/ui/Presenter.h"
#include "platform/ui/TextField.h"

namespace folio {

namespace {
constexpr const char16_t* kTabText = u"    ";
} // namespace

std::shared_ptr<METoolbarButton> MEMarkdownTextView::createButtonWithTitle(std::u16string title, std::function<void()> handler)
{
    auto button = METoolbarButton::buttonWithTitle(std::move(title));
    button->addEventHandler(std::move(handler), ControlEvent::TouchUpInside);
    return button;
}

std::shared_ptr<METoolbarButton> MEMarkdownTextView::createButtonWithTitleAndBackgroundColor(std::u16string title, Color color,
                                                                                             std::function<void()> handler)
{
    auto button = METoolbarButton::buttonWithTitleAndBackgroundColor(std::move(title), color);
    button->addEventHandler(std::move(handler), ControlEvent::TouchUpInside);
    return button;
}

std::shared_ptr<METoolbarButton> MEMarkdownTextView::createButtonWithTitleAndImage(std::u16string title, std::string image,
                                                                                   std::function<void()> handler)
{
    auto button = METoolbarButton::buttonWithTitleAndImage(std::move(title), std::move(image));
    button->addEventHandler(std::move(handler), ControlEvent::TouchUpInside);
    return button;
}

std::shared_ptr<METoolbarButton> MEMarkdownTextView::createButtonWithTitleAndBackgroundImage(std::u16string title, std::string image,
                                                                                             std::function<void()> handler)
{
    auto button = METoolbarButton::buttonWithTitleAndBackgroundImage(std::move(title), std::move(image));
    button->addEventHandler(std::move(handler), ControlEvent::TouchUpInside);
    return button;
}

std::vector<std::shared_ptr<METoolbarButton>> MEMarkdownTextView::buttons()
{
    return buttonsForKeys(markdownKeySet(Device::current().isPad()));
}

std::vector<std::shared_ptr<METoolbarButton>> MEMarkdownTextView::texButtons()
{
    return buttonsForKeys(texKeySet(Device::current().isPad()));
}

std::vector<std::shared_ptr<METoolbarButton>> MEMarkdownTextView::buttonsForKeys(const std::vector<MEKeySpec>& keys)
{
    std::vector<std::shared_ptr<METoolbarButton>> made;
    std::weak_ptr<MEMarkdownTextView> weakSelf = std::static_pointer_cast<MEMarkdownTextView>(weak_from_this().lock());
    for (const MEKeySpec& key : keys) {
        // The handler holds the view and its own key weakly; a key outliving
        // its view does nothing.
        auto slot = std::make_shared<std::weak_ptr<METoolbarButton>>();
        auto handler = [weakSelf, slot, key] {
            auto self = weakSelf.lock();
            auto button = slot->lock();
            if (self && button)
                self->pressKey(key, *button);
        };
        std::shared_ptr<METoolbarButton> button;
        switch (key.face) {
        case MEKeyFace::Title: button = createButtonWithTitle(key.title, handler); break;
        case MEKeyFace::Image: button = createButtonWithTitleAndImage(u"", key.image, handler); break;
        case MEKeyFace::MenuKey: button = createButtonWithTitleAndBackgroundImage(key.title, "grayEmptyButton", handler); break;
        }
        *slot = button;
        made.push_back(button);
    }
    return made;
}

void MEMarkdownTextView::pressKey(const MEKeySpec& key, METoolbarButton& sender)
{
    const Range selection = selectedRange();
    switch (key.kind) {
    case MEKeyKind::Character:
        if (selection.length > 0)
            wrapSelectedRangeWithString(key.text);
        else
            insertText(key.text);
        break;
    case MEKeyKind::Pair:
        if (selection.length > 0) {
            wrapSelectedRangeWithStartString(key.text, key.closingText);
        } else {
            insertText(key.text + key.closingText);
            setSelectionRange(Range{selection.location + key.text.size(), 0});
        }
        break;
    case MEKeyKind::ForwardDelete: {
        if (selection.length > 0) {
            replaceRange(selection, u"");
            break;
        }
        // At the end of the text there is nothing to delete.
        if (selection.location >= text().size())
            break;
        std::size_t after = selection.location + 1;
        if (after < text().size() && isHighSurrogate(text()[selection.location]) && isLowSurrogate(text()[after]))
            ++after;
        setSelectionRange(Range{after, 0});
        deleteBackward();
        break;
    }
    case MEKeyKind::Tab: insertText(kTabText); break;
    case MEKeyKind::KeyboardDown: resignFirstResponder(); break;
    case MEKeyKind::ArrowLeft: moveBackward(); break;
    case MEKeyKind::ArrowDown: moveDown(); break;
    case MEKeyKind::ArrowUp: moveUp(); break;
    case MEKeyKind::ArrowRight: moveForward(); break;
    case MEKeyKind::Menu:
        if (key.menu == MEKeyMenu::Symbols)
            showSymbolsKeyMenu(sender);
        else
            showInsertionMenu(key.menu, sender);
        break;
    }
}

std::shared_ptr<MEKeyboardToolbar> MEMarkdownTextView::makeKeyBar()
{
    auto bar = MEKeyboardToolbar::toolbarWithButtons(isTeXFormat() ? texButtons() : buttons());
    // Made outside any window, the bar starts at width 0 and stretches with
    // the window it is shown in; one made at the text's width keeps that
    // width's layout, and the window shows its keys clipped.
    bar->setFrame(makeRect(0, 0, 0, MEKeyboardToolbar::kHeight));
    return bar;
}

void MEMarkdownTextView::installKeyBar()
{
    if (inputAccessoryView())
        return;
    setInputAccessoryView(makeKeyBar());
    reloadInputViews();
}

void MEMarkdownTextView::showSearchTextMode()
{
    becomeFirstResponder();
    if (!m_searchAccessoryView) {
        m_searchAccessoryView = MEFindReplaceBar::make(*this, Device::current().isPad());
        m_searchAccessoryView->setCloseAction([this] {
            hideSearchTextMode();
            // NOTE: on the desktop no on-screen keyboard goes away with the
            // bar, and the keys typed after Done belong in the text. The
            // text gets the keyboard without becoming first responder, which
            // would end the search: the matches stay marked until the next
            // edit or click.
            Presenter::current().viewDidRequestKeyboardFocus(*this);
        });
    }
    m_searchAccessoryView->prepareForShowing();
    setInputAccessoryView(m_searchAccessoryView);
    // NOTE: with no on-screen keyboard to raise, the typing goes straight
    // into the find field.
    m_searchAccessoryView->findOnPage()->becomeFirstResponder();
    reloadInputViews();
}

void MEMarkdownTextView::hideSearchTextMode()
{
    if (m_searchAccessoryView)
        m_searchAccessoryView->resignFields();
    // Closing leaves the search and its highlights as they are.
    setInputAccessoryView(makeKeyBar());
    reloadInputViews();
}

bool MEMarkdownTextView::willBecomeFirstResponder()
{
    if (m_isClosingDocument)
        return false;
    if (isEditable() && m_searchAccessoryView && inputAccessoryView() == m_searchAccessoryView) {
        resetSearch();
        hideSearchTextMode();
    }
    return SHTextView::willBecomeFirstResponder();
}

} // namespace folio
