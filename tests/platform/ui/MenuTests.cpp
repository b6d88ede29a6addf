#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/Action.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/BarButtonItemGroup.h"
#include "platform/ui/Menu.h"
#include "platform/ui/MenuController.h"
#include "platform/ui/NavigationItem.h"
#include "platform/ui/View.h"
#include "platform/ui/RecordingPresenter.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace folio {
namespace {

TEST(MenuTest, findsAndPerformsActionsInSubmenusButNotDisabledOnes)
{
    std::vector<int> picked;
    auto justify = Action::make(u"Justify", "text.justify", [&](Action&) { picked.push_back(0); });
    auto center = Action::make(u"Center", "text.aligncenter", [&](Action&) { picked.push_back(1); });
    auto right = Action::make(u"Right", "text.alignright", [&](Action&) { picked.push_back(2); });
    right->setDisabled(true);
    auto align = Menu::make(u"Align", {justify, center});
    auto menu = Menu::make(u"", {align, right});

    EXPECT_EQ(menu->actionWithTitle(u"Center"), center);
    EXPECT_TRUE(menu->performActionWithTitle(u"Center"));
    EXPECT_FALSE(menu->performActionWithTitle(u"Right"));
    EXPECT_FALSE(menu->performActionWithTitle(u"Left"));
    EXPECT_EQ(picked, (std::vector<int>{1}));
    auto all = menu->allActions();
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[0]->title(), u"Justify");
    EXPECT_EQ(all[2]->symbolName(), "text.alignright");
}

// A responder that handles a fixed set of actions and refuses one on demand,
// like an editor that hides commands while an image is edited.
class EditorResponder : public Responder {
public:
    std::set<std::string> handled{"copy:", "paste:", "highlightYellowTextSelection:", "speakSelectedText:"};
    std::set<std::string> refused;
    std::vector<std::string> performed;
    Responder* next = nullptr;

    bool canBecomeFirstResponder() const override { return true; }
    bool respondsToAction(const std::string& action) const override { return handled.count(action) != 0; }
    bool canPerformAction(const std::string& action, const void* sender) const override
    {
        if (refused.count(action))
            return false;
        return Responder::canPerformAction(action, sender);
    }
    bool performAction(const std::string& action, const void* sender) override
    {
        if (!respondsToAction(action))
            return Responder::performAction(action, sender);
        performed.push_back(action);
        return true;
    }
    Responder* nextResponder() const override { return next; }
};

class EditMenuTest : public ::testing::Test {
protected:
    NotificationCenter center;
    MenuController menu{center};
    std::shared_ptr<EditorResponder> editor = std::make_shared<EditorResponder>();
};

TEST_F(EditMenuTest, showsOnlyWhatTheResponderChainCanPerform)
{
    menu.setMenuItems({{u"AI Assistant", "wisperantActionFromContextualMenu:"},
                       {u"Highlight", "highlightYellowTextSelection:"},
                       {u"Read Aloud", "speakSelectedText:"}});
    auto names = [&] {
        std::vector<std::u16string> titles;
        for (const auto& item : menu.visibleItems(editor.get()))
            titles.push_back(item.title);
        return titles;
    };
    EXPECT_EQ(names(), (std::vector<std::u16string>{u"Copy", u"Paste", u"Highlight", u"Read Aloud"}));

    editor->refused = {"speakSelectedText:", "copy:"};
    EXPECT_EQ(names(), (std::vector<std::u16string>{u"Paste", u"Highlight"}));

    // What the editor does not handle, its next responder may.
    EditorResponder controller;
    controller.handled = {"wisperantActionFromContextualMenu:"};
    editor->next = &controller;
    EXPECT_EQ(names(), (std::vector<std::u16string>{u"Paste", u"AI Assistant", u"Highlight"}));
    EXPECT_TRUE(menu.performItemWithTitle(u"AI Assistant", editor.get()));
    EXPECT_EQ(controller.performed, (std::vector<std::string>{"wisperantActionFromContextualMenu:"}));
    EXPECT_FALSE(menu.performItemWithTitle(u"Read Aloud", editor.get()));
    EXPECT_TRUE(editor->performed.empty());
}

TEST_F(EditMenuTest, firstResponderIsValidatedWhenNoResponderIsGiven)
{
    ASSERT_TRUE(editor->becomeFirstResponder());
    EXPECT_EQ(menu.visibleItems().size(), 2u);
    EXPECT_TRUE(menu.performItemWithTitle(u"Paste"));
    EXPECT_EQ(editor->performed, (std::vector<std::string>{"paste:"}));
    editor->resignFirstResponder();
    EXPECT_TRUE(menu.visibleItems().empty());
    EXPECT_FALSE(menu.performItemWithTitle(u"Paste"));
}

TEST_F(EditMenuTest, showAndHidePostTheirNotificationsOnceAndRememberTheTarget)
{
    test::RecordingPresenter presenter;
    std::vector<std::string> posted;
    bool visibleDuringWillShow = true;
    center.addObserver("", &menu, [&](const Notification& note) {
        posted.push_back(note.name);
        if (note.name == kMenuControllerWillShowMenuNotification)
            visibleDuringWillShow = menu.isMenuVisible();
    });
    auto view = std::make_shared<View>(makeRect(0, 0, 300, 300));
    menu.showMenuFromView(view, makeRect(10, 20, 30, 5));
    menu.showMenuFromView(view, makeRect(40, 20, 30, 5));
    EXPECT_TRUE(menu.isMenuVisible());
    EXPECT_EQ(menu.targetView(), view);
    EXPECT_EQ(menu.targetRect(), makeRect(40, 20, 30, 5));
    menu.hideMenu();
    menu.hideMenu();
    EXPECT_FALSE(menu.isMenuVisible());
    EXPECT_FALSE(visibleDuringWillShow);
    EXPECT_EQ(posted, (std::vector<std::string>{kMenuControllerWillShowMenuNotification, kMenuControllerDidShowMenuNotification,
                                                kMenuControllerWillHideMenuNotification, kMenuControllerDidHideMenuNotification}));
    EXPECT_EQ(presenter.editMenuChanges, 3);
}

TEST(BarButtonItemTest, tapRunsTheActionOrOpensTheMenuAndDisabledItemsDoNothing)
{
    test::RecordingPresenter presenter;
    int undos = 0;
    auto undo = BarButtonItem::withSymbol("arrow.uturn.backward", [&](BarButtonItem&) { ++undos; });
    undo->setTitle(u"Undo");
    EXPECT_TRUE(undo->tap());
    undo->setEnabled(false);
    EXPECT_FALSE(undo->tap());
    EXPECT_EQ(undos, 1);

    auto share = BarButtonItem::withSymbol("square.and.arrow.up", nullptr);
    EXPECT_FALSE(share->tap());
    auto menu = Menu::make(u"", {Action::make(u"PDF", "", nullptr)});
    share->setMenu(menu);
    EXPECT_TRUE(share->tap());
    ASSERT_EQ(presenter.menus.size(), 1u);
    EXPECT_EQ(presenter.menus[0].anchor, share.get());

    EXPECT_FALSE(BarButtonItem::fixedSpace(30)->tap());
}

TEST(NavigationItemTest, groupsTakePrecedenceOverPlainItemLists)
{
    auto close = BarButtonItem::withSymbol("chevron.backward", nullptr);
    auto undo = BarButtonItem::withTitle(u"Undo", nullptr);
    auto redo = BarButtonItem::withTitle(u"Redo", nullptr);
    auto share = BarButtonItem::withTitle(u"Share", nullptr);
    NavigationItem item;
    item.setLeftBarButtonItems({close, BarButtonItem::fixedSpace(30), undo});
    item.setRightBarButtonItems({share});
    EXPECT_EQ(item.effectiveLeadingItems().size(), 3u);

    item.setLeadingItemGroups({BarButtonItemGroup::fixedGroup({close}),
                               BarButtonItemGroup::movableGroup("Text_Undo_GroupCustomization", {undo}),
                               BarButtonItemGroup::movableGroup("Text_Redo_GroupCustomization", {redo})});
    item.setTrailingItemGroups({BarButtonItemGroup::optionalGroup("Text_Share_GroupCustomization", true, {share})});
    auto leading = item.effectiveLeadingItems();
    ASSERT_EQ(leading.size(), 3u);
    EXPECT_EQ(leading[2], redo);
    EXPECT_EQ(item.itemWithTitle(u"Share"), share);
    EXPECT_EQ(item.itemWithTitle(u"Tools"), nullptr);
    EXPECT_EQ(item.trailingItemGroups()[0]->kind(), BarButtonItemGroupKind::Optional);
    EXPECT_EQ(item.trailingItemGroups()[0]->customizationIdentifier(), "Text_Share_GroupCustomization");
}

} // namespace
} // namespace folio
