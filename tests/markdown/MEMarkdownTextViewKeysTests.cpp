#include "markdown/MEKeyboardToolbar.h"
#include "markdown/MEMarkdownTextView.h"
#include "markdown/METoolbarButton.h"

#include "platform/docframework/DKMenuController.h"
#include "platform/foundation/ScratchFolder.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/Device.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/PopoverPresentationController.h"
#include "platform/ui/ScrollView.h"
#include "platform/ui/TextViewDelegate.h"
#include "platform/ui/ViewController.h"
#include "support/VirtualClock.h"
#include "tools/specialchars/MDSpecialCharsPickerController.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

// The text view's delegate, which presents its menus.
class MenuHost : public ViewController, public TextViewDelegate {};

class MEMarkdownTextViewKeysTest : public test::VirtualClockTest {
protected:
    void TearDown() override { Device::current().setUserInterfaceIdiom(m_idiom); }

    std::shared_ptr<MEMarkdownTextView> makeView(const std::u16string& text, bool tablet = true, bool tex = false)
    {
        Device::current().setUserInterfaceIdiom(tablet ? UserInterfaceIdiom::Pad : UserInterfaceIdiom::Phone);
        auto view = std::make_shared<MEMarkdownTextView>(makeRect(0, 0, 400, 300), tex, &defaults);
        view->setText(text);
        host->loadViewIfNeeded();
        view->setDelegate(host);
        view->installKeyBar();
        view->becomeFirstResponder();
        return view;
    }
    static std::shared_ptr<METoolbarButton> key(MEMarkdownTextView& view, const std::u16string& title, const std::string& image = {})
    {
        auto bar = std::dynamic_pointer_cast<MEKeyboardToolbar>(view.inputAccessoryView());
        for (const auto& button : bar ? bar->buttons() : MEKeyboardToolbar::Buttons{}) {
            if (button->title() == title && button->image() == image)
                return button;
        }
        ADD_FAILURE() << "no key " << std::string(title.begin(), title.end()) << image;
        return METoolbarButton::buttonWithTitle(u"?");
    }

    test::ScratchFolder folder;
    UserDefaults defaults{folder.file("Preferences.plist")};
    std::shared_ptr<MenuHost> host = std::make_shared<MenuHost>();
    UserInterfaceIdiom m_idiom = Device::current().userInterfaceIdiom();
};

TEST_F(MEMarkdownTextViewKeysTest, eachDeviceAndKindOfDocumentHasItsKeySet)
{
    auto tablet = makeView(u"");
    auto markdown = tablet->buttons();
    ASSERT_EQ(markdown.size(), 24u);
    EXPECT_EQ(markdown[0]->image(), "tabKey.png") << "a tablet starts with tab";
    EXPECT_EQ(markdown[1]->title(), u"BIU");
    EXPECT_EQ(markdown[16]->title(), u"\u2318");
    EXPECT_EQ(tablet->texButtons().size(), 22u);
    EXPECT_EQ(tablet->texButtons()[2]->title(), u"\u221A");

    auto phone = makeView(u"", false);
    auto phoneKeys = phone->buttons();
    ASSERT_EQ(phoneKeys.size(), 19u);
    EXPECT_EQ(phoneKeys[0]->image(), "keyboardDown.png") << "a phone starts with the key that hides the keyboard";
    for (const auto& button : phoneKeys)
        EXPECT_TRUE(button->bkgImage().empty()) << "a phone has no menu keys";
    EXPECT_EQ(phone->texButtons().size(), 17u);
    EXPECT_NE(phone->buttons()[0], phoneKeys[0]) << "every call makes new keys";
}

TEST_F(MEMarkdownTextViewKeysTest, characterAndTabKeysOnASelectionAndOnACaret)
{
    auto view = makeView(u"one two");
    view->setSelectedRange(Range{4, 3});
    key(*view, u"*")->tap();
    EXPECT_EQ(view->text(), u"one *two*");
    EXPECT_EQ(view->selectedRange(), (Range{5, 3})) << "the word stays selected, without the marks";
    view->setSelectedRange(Range{3, 0});
    key(*view, u"#")->tap();
    EXPECT_EQ(view->text(), u"one# *two*");
    EXPECT_EQ(view->selectedRange(), (Range{4, 0}));

    view->setSelectedRange(Range{0, 3});
    key(*view, u"", "tabKey.png")->tap();
    EXPECT_EQ(view->text(), u"    # *two*") << "tab replaces the selection by four spaces";
    key(*view, u"", "tabKey.png")->tap();
    EXPECT_EQ(view->text(), u"        # *two*");
}

TEST_F(MEMarkdownTextViewKeysTest, pairKeysEncloseASelectionOrPutTheCaretBetween)
{
    auto view = makeView(u"ab");
    view->setSelectedRange(Range{1, 0});
    key(*view, u"(..)")->tap();
    EXPECT_EQ(view->text(), u"a()b");
    EXPECT_EQ(view->selectedRange(), (Range{2, 0}));
    view->setSelectedRange(Range{0, 1});
    key(*view, u"\u201C..\u201D")->tap();
    EXPECT_EQ(view->text(), u"\u201Ca\u201D()b");

    auto tex = makeView(u"x", true, true);
    tex->setSelectedRange(Range{0, 1});
    key(*tex, u"{..}")->tap();
    EXPECT_EQ(tex->text(), u"{x}");
}

TEST_F(MEMarkdownTextViewKeysTest, forwardDeleteRemovesWhatFollowsAndNothingAtTheEnd)
{
    auto view = makeView(u"word \U0001F600!");
    view->setSelectedRange(Range{3, 0});
    key(*view, u"", "deleteForward.png")->tap();
    EXPECT_EQ(view->text(), u"wor \U0001F600!");
    EXPECT_EQ(view->selectedRange(), (Range{3, 0}));
    view->setSelectedRange(Range{4, 0});
    key(*view, u"", "deleteForward.png")->tap();
    EXPECT_EQ(view->text(), u"wor !") << "a character outside the basic plane goes whole";

    view->setSelectedRange(Range{5, 0});
    view->undoManager().removeAllActions();
    key(*view, u"", "deleteForward.png")->tap();
    EXPECT_EQ(view->text(), u"wor !");
    EXPECT_FALSE(view->undoManager().canUndo()) << "at the end of the text nothing happens";

    view->setSelectedRange(Range{0, 3});
    key(*view, u"", "deleteForward.png")->tap();
    EXPECT_EQ(view->text(), u" !");
}

TEST_F(MEMarkdownTextViewKeysTest, arrowsMoveTheCaretAndKeyboardDownEndsEditing)
{
    auto view = makeView(u"ab\ncd", false);
    view->setSelectedRange(Range{1, 0});
    key(*view, u"", "rightCursorKey.png")->tap();
    EXPECT_EQ(view->selectedRange(), (Range{2, 0}));
    key(*view, u"", "leftCursorKey.png")->tap();
    EXPECT_EQ(view->selectedRange(), (Range{1, 0}));
    key(*view, u"", "downCursorKey.png")->tap();
    EXPECT_EQ(view->selectedRange(), (Range{4, 0}));
    key(*view, u"", "upCursorKey.png")->tap();
    EXPECT_EQ(view->selectedRange(), (Range{1, 0}));
    ASSERT_TRUE(view->isFirstResponder());
    key(*view, u"", "keyboardDown.png")->tap();
    EXPECT_FALSE(view->isFirstResponder());
}

TEST_F(MEMarkdownTextViewKeysTest, menuKeysOpenTheirMenuAtTheKey)
{
    auto view = makeView(u"abc");
    auto bar = std::dynamic_pointer_cast<MEKeyboardToolbar>(view->inputAccessoryView());
    bar->scrollView()->setContentOffset(Point{20, 0});
    auto style = key(*view, u"BIU");
    style->tap();
    auto menu = std::dynamic_pointer_cast<DKMenuController>(host->presentedViewController());
    ASSERT_TRUE(menu);
    EXPECT_EQ(menu->title(), u"Style");
    EXPECT_EQ(menu->topOptions().size(), 8u);
    EXPECT_TRUE(menu->sizesToOptionWidth());
    auto anchor = menu->popoverPresentationController();
    EXPECT_EQ(anchor->sourceView(), view->inputAccessoryView());
    EXPECT_EQ(anchor->sourceRect(), makeRect(style->frame().minX() - 20, 0, 34, 38)) << "where the key shows after scrolling";

    view->setSelectedRange(Range{0, 3});
    EXPECT_TRUE(menu->pickOptionWithTitle(u"Bold"));
    EXPECT_EQ(view->text(), u"**abc**");
    EXPECT_FALSE(host->presentedViewController()) << "a pick ends the menu";
    EXPECT_TRUE(view->isFirstResponder()) << "and the typing goes on in the text";

    key(*view, u"H1")->tap();
    menu = std::dynamic_pointer_cast<DKMenuController>(host->presentedViewController());
    ASSERT_TRUE(menu);
    EXPECT_EQ(menu->textAlignment(), TextAlignment::Center);
    EXPECT_FALSE(menu->didFinish());
}

TEST_F(MEMarkdownTextViewKeysTest, theSymbolsKeyOpensAndClosesTheSamePicker)
{
    auto view = makeView(u"");
    auto symbols = key(*view, u"\u272A");
    symbols->tap();
    auto first = std::dynamic_pointer_cast<NavigationController>(host->presentedViewController());
    ASSERT_TRUE(first);
    auto picker = view->specialCharPicker();
    ASSERT_TRUE(picker);
    EXPECT_EQ(first->topViewController(), picker);
    EXPECT_EQ(first->popoverPresentationController()->permittedArrowDirections(), PopoverArrowDirectionAny);
    symbols->tap();
    EXPECT_FALSE(host->presentedViewController()) << "the second press closes it";
    symbols->tap();
    auto again = std::dynamic_pointer_cast<NavigationController>(host->presentedViewController());
    ASSERT_TRUE(again);
    EXPECT_NE(again, first) << "a new navigation controller";
    EXPECT_EQ(again->topViewController(), picker) << "the same picker";

    // A menu key while the picker shows closes the picker and opens its menu.
    key(*view, u"H1")->tap();
    EXPECT_TRUE(std::dynamic_pointer_cast<DKMenuController>(host->presentedViewController()));

    view->setSelectedRange(Range{0, 0});
    view->specialCharsOptionSelected(u"7 Dec", false);
    EXPECT_EQ(view->text(), u"7 Dec");
    EXPECT_EQ(view->selectedRange(), (Range{5, 0}));
}

} // namespace
} // namespace folio
