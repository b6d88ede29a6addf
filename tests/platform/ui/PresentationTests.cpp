#include "platform/ui/AlertController.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/Device.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/NavigationItem.h"
#include "platform/ui/PopoverPresentationController.h"
#include "platform/ui/TextField.h"
#include "platform/ui/View.h"
#include "platform/ui/Window.h"
#include "platform/ui/RecordingPresenter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace folio {
namespace {

// Writes every life-cycle call into a shared journal, tagged with a name.
class JournalController : public ViewController {
public:
    JournalController(std::string name, std::vector<std::string>& journal) : m_name(std::move(name)), m_journal(journal) {}

protected:
    void viewDidLoad() override { m_journal.push_back(m_name + ".load"); }
    void viewWillAppear(bool) override { m_journal.push_back(m_name + ".willAppear"); }
    void viewDidAppear(bool) override { m_journal.push_back(m_name + ".didAppear"); }
    void viewWillDisappear(bool) override { m_journal.push_back(m_name + ".willDisappear"); }
    void viewDidDisappear(bool) override { m_journal.push_back(m_name + ".didDisappear"); }
    void viewWillTransitionToSize(Size size) override
    {
        m_journal.push_back(m_name + ".size " + std::to_string(int(size.width)) + "x" + std::to_string(int(size.height)));
    }

private:
    std::string m_name;
    std::vector<std::string>& m_journal;
};

class PresentationTest : public ::testing::Test {
protected:
    std::shared_ptr<JournalController> make(const std::string& name)
    {
        return std::make_shared<JournalController>(name, journal);
    }
    // A window showing `root`, with the journal cleared of its start-up calls.
    void show(const std::shared_ptr<ViewController>& root)
    {
        window = std::make_shared<Window>(makeRect(0, 0, 1024, 768));
        window->setRootViewController(root);
        window->makeKeyAndVisible();
        journal.clear();
    }

    std::vector<std::string> journal;
    std::shared_ptr<Window> window;
    test::RecordingPresenter presenter;
};

TEST_F(PresentationTest, viewLoadsOnceOnFirstUseAndAppearanceComesInPairs)
{
    auto root = make("root");
    EXPECT_FALSE(root->isViewLoaded());
    auto view = root->view();
    EXPECT_EQ(root->view(), view);
    EXPECT_EQ(journal, (std::vector<std::string>{"root.load"}));
    journal.clear();

    auto window = std::make_shared<Window>(makeRect(0, 0, 800, 600));
    window->setRootViewController(root);
    window->makeKeyAndVisible();
    window->makeKeyAndVisible();
    EXPECT_EQ(journal, (std::vector<std::string>{"root.willAppear", "root.didAppear"}));
    EXPECT_TRUE(root->isVisible());
    EXPECT_EQ(Window::keyWindow(), window.get());
    EXPECT_EQ(root->view()->superview(), window);
    window->close();
    EXPECT_FALSE(root->isVisible());
    EXPECT_EQ(Window::keyWindow(), nullptr);
}

TEST_F(PresentationTest, presentsOverAPresentedControllerAndTopMostFollowsTheChain)
{
    auto root = make("root");
    show(root);
    auto first = make("first");
    first->setModalPresentationStyle(ModalPresentationStyle::FullScreen);
    auto second = make("second");
    second->setModalPresentationStyle(ModalPresentationStyle::FormSheet);

    ASSERT_TRUE(root->presentViewController(first, true));
    ASSERT_TRUE(first->presentViewController(second, true));

    EXPECT_EQ(root->presentedViewController(), first);
    EXPECT_EQ(first->presentedViewController(), second);
    EXPECT_EQ(second->presentingViewController(), first.get());
    EXPECT_EQ(window->topMostViewController(), second);
    // A full-screen sheet hides what is under it; a form sheet does not.
    EXPECT_EQ(journal, (std::vector<std::string>{"first.load", "root.willDisappear", "first.willAppear", "first.didAppear",
                                                 "root.didDisappear", "second.load", "second.willAppear", "second.didAppear"}));
    ASSERT_EQ(presenter.presentations.size(), 2u);
    EXPECT_EQ(presenter.presentations[1].presenting, first.get());
    EXPECT_EQ(presenter.presentations[1].presented, second.get());
}

TEST_F(PresentationTest, refusesASecondPresentationFromTheSameContextWithoutRunningItsCompletion)
{
    auto root = make("root");
    show(root);
    ASSERT_TRUE(root->presentViewController(make("first"), false));
    bool ran = false;
    Status status = root->presentViewController(make("second"), false, [&] { ran = true; });
    EXPECT_FALSE(status.ok());
    EXPECT_FALSE(ran);
    EXPECT_FALSE(status.error().message.empty());
    // Presenting the root over itself would make a loop.
    auto first = root->presentedViewController();
    EXPECT_FALSE(first->presentViewController(root, false).ok());
}

TEST_F(PresentationTest, dismissTearsDownTheChainTopFirstAndRunsTheCompletion)
{
    auto root = make("root");
    show(root);
    auto first = make("first");
    auto second = make("second");
    ASSERT_TRUE(root->presentViewController(first, false));
    ASSERT_TRUE(first->presentViewController(second, false));
    journal.clear();

    int completions = 0;
    root->dismissViewControllerAnimated(true, [&] {
        ++completions;
        // Everything is unlinked by the time the completion runs.
        EXPECT_EQ(root->presentedViewController(), nullptr);
        EXPECT_EQ(second->presentingViewController(), nullptr);
    });
    EXPECT_EQ(completions, 1);
    EXPECT_EQ(journal, (std::vector<std::string>{"second.willDisappear", "second.didDisappear", "first.willDisappear",
                                                 "first.didDisappear"}));
    ASSERT_EQ(presenter.dismissals.size(), 2u);
    EXPECT_EQ(presenter.dismissals[0], second.get());
    EXPECT_EQ(window->topMostViewController(), root);
}

TEST_F(PresentationTest, presentedControllerDismissesItselfAndCompletionRunsEvenWithNothingToDismiss)
{
    auto root = make("root");
    show(root);
    auto sheet = make("sheet");
    ASSERT_TRUE(root->presentViewController(sheet, false));
    bool dismissed = false;
    sheet->dismissViewControllerAnimated(false, [&] { dismissed = true; });
    EXPECT_TRUE(dismissed);
    EXPECT_EQ(root->presentedViewController(), nullptr);

    bool ranWithNothing = false;
    root->dismissViewControllerAnimated(false, [&] { ranWithNothing = true; });
    EXPECT_TRUE(ranWithNothing);
}

TEST_F(PresentationTest, childOfANavigationControllerPresentsThroughIt)
{
    auto editor = make("editor");
    auto navigation = NavigationController::withRootViewController(editor);
    show(navigation);
    auto picker = make("picker");
    ASSERT_TRUE(editor->presentViewController(picker, false));
    EXPECT_EQ(picker->presentingViewController(), navigation.get());
    EXPECT_EQ(navigation->presentedViewController(), picker);
    EXPECT_EQ(editor->presentedViewController(), picker);
    EXPECT_EQ(navigation->visibleViewController(), picker);
    EXPECT_EQ(editor->navigationController(), navigation.get());
}

TEST_F(PresentationTest, popoverNeedsAnAnchorAndKeepsWhereItWasAnchored)
{
    auto root = make("root");
    show(root);
    auto picker = make("picker");
    picker->setModalPresentationStyle(ModalPresentationStyle::Popover);
    auto popover = picker->popoverPresentationController();
    ASSERT_NE(popover, nullptr);
    EXPECT_FALSE(root->presentViewController(picker, true).ok());
    EXPECT_EQ(root->presentedViewController(), nullptr);

    auto toolbar = std::make_shared<View>(makeRect(0, 700, 1024, 44));
    root->view()->addSubview(toolbar);
    popover->setSourceView(toolbar);
    popover->setSourceRect(makeRect(100, 4, 36, 36));
    popover->setPermittedArrowDirections(PopoverArrowDirectionDown);
    ASSERT_TRUE(root->presentViewController(picker, true).ok());
    EXPECT_EQ(popover->sourceView(), toolbar);
    EXPECT_EQ(popover->anchorRect(), makeRect(100, 4, 36, 36));
    EXPECT_EQ(popover->permittedArrowDirections(), unsigned(PopoverArrowDirectionDown));
    // A popover leaves the presenter on screen.
    EXPECT_TRUE(root->isVisible());
}

TEST_F(PresentationTest, popoverAnchoredAtABarItemUsesTheWholeSourceWhenNoRectIsGiven)
{
    auto root = make("root");
    show(root);
    auto item = BarButtonItem::withSymbol("plus", nullptr);
    auto picker = make("picker");
    picker->setModalPresentationStyle(ModalPresentationStyle::Popover);
    picker->popoverPresentationController()->setBarButtonItem(item);
    ASSERT_TRUE(root->presentViewController(picker, false).ok());
    EXPECT_EQ(picker->popoverPresentationController()->barButtonItem(), item);

    auto source = std::make_shared<View>(makeRect(10, 10, 50, 30));
    auto other = make("other");
    other->setModalPresentationStyle(ModalPresentationStyle::Popover);
    other->popoverPresentationController()->setSourceView(source);
    EXPECT_EQ(other->popoverPresentationController()->anchorRect(), makeRect(0, 0, 50, 30));
}

class PopoverDelegate : public PopoverPresentationControllerDelegate {
public:
    bool allowDismiss = true;
    int prepared = 0;
    int didDismiss = 0;
    void prepareForPopoverPresentation(PopoverPresentationController&) override { ++prepared; }
    bool popoverPresentationControllerShouldDismissPopover(PopoverPresentationController&) override { return allowDismiss; }
    void popoverPresentationControllerDidDismissPopover(PopoverPresentationController&) override { ++didDismiss; }
    std::optional<ModalPresentationStyle> adaptivePresentationStyleForTraitCollection(PopoverPresentationController&,
                                                                                       const TraitCollection&) override
    {
        return ModalPresentationStyle::Popover;
    }
};

TEST_F(PresentationTest, touchOutsideHonoursPassthroughViewsAndTheDelegate)
{
    auto root = make("root");
    show(root);
    auto button = std::make_shared<View>(makeRect(0, 0, 40, 40));
    auto inner = std::make_shared<View>(makeRect(5, 5, 10, 10));
    button->addSubview(inner);
    root->view()->addSubview(button);
    auto delegate = std::make_shared<PopoverDelegate>();
    auto picker = make("picker");
    picker->setModalPresentationStyle(ModalPresentationStyle::Popover);
    auto popover = picker->popoverPresentationController();
    popover->setSourceView(button);
    popover->setPassthroughViews({button});
    popover->setDelegate(delegate);
    ASSERT_TRUE(root->presentViewController(picker, false).ok());
    EXPECT_EQ(delegate->prepared, 1);

    EXPECT_FALSE(popover->touchOutside(inner.get()));
    delegate->allowDismiss = false;
    EXPECT_FALSE(popover->touchOutside(nullptr));
    EXPECT_EQ(root->presentedViewController(), picker);
    delegate->allowDismiss = true;
    EXPECT_TRUE(popover->touchOutside(nullptr));
    EXPECT_EQ(root->presentedViewController(), nullptr);
    EXPECT_EQ(delegate->didDismiss, 1);
}

TEST_F(PresentationTest, compactWidthTurnsAPopoverIntoASheetUnlessTheDelegateKeepsIt)
{
    auto root = make("root");
    TraitCollection phone{UserInterfaceIdiom::Phone, UserInterfaceSizeClass::Compact, UserInterfaceSizeClass::Regular,
                          UserInterfaceStyle::Light};
    root->setOverrideTraitCollection(phone);
    show(root);
    auto picker = make("picker");
    picker->setModalPresentationStyle(ModalPresentationStyle::Popover);
    picker->popoverPresentationController()->setSourceView(root->view());
    ASSERT_TRUE(root->presentViewController(picker, false).ok());
    EXPECT_FALSE(root->isVisible());
    root->dismissViewControllerAnimated(false);
    EXPECT_TRUE(root->isVisible());

    auto delegate = std::make_shared<PopoverDelegate>();
    auto kept = make("kept");
    kept->setModalPresentationStyle(ModalPresentationStyle::Popover);
    kept->popoverPresentationController()->setSourceView(root->view());
    kept->popoverPresentationController()->setDelegate(delegate);
    ASSERT_TRUE(root->presentViewController(kept, false).ok());
    EXPECT_TRUE(root->isVisible());
}

TEST_F(PresentationTest, navigationPushAndPopMoveAppearanceBetweenTopControllers)
{
    auto first = make("first");
    auto navigation = NavigationController::withRootViewController(first);
    show(navigation);
    auto second = make("second");
    navigation->pushViewController(second, true);
    EXPECT_EQ(navigation->topViewController(), second);
    EXPECT_EQ(journal, (std::vector<std::string>{"first.willDisappear", "second.load", "second.willAppear", "second.didAppear",
                                                 "first.didDisappear"}));
    journal.clear();
    EXPECT_EQ(navigation->popViewControllerAnimated(true), second);
    EXPECT_EQ(navigation->popViewControllerAnimated(true), nullptr);
    EXPECT_EQ(navigation->viewControllers().size(), 1u);
    EXPECT_EQ(journal, (std::vector<std::string>{"second.willDisappear", "first.willAppear", "first.didAppear",
                                                 "second.didDisappear"}));
    EXPECT_GE(presenter.stackChanges, 2);
}

TEST_F(PresentationTest, sizeTransitionsReachChildrenAndFullScreenPresentationsOnly)
{
    auto editor = make("editor");
    auto navigation = NavigationController::withRootViewController(editor);
    show(navigation);
    auto sheet = make("sheet");
    sheet->setModalPresentationStyle(ModalPresentationStyle::FullScreen);
    ASSERT_TRUE(editor->presentViewController(sheet, false).ok());
    auto popover = make("popover");
    popover->setModalPresentationStyle(ModalPresentationStyle::Popover);
    popover->popoverPresentationController()->setSourceView(sheet->view());
    ASSERT_TRUE(sheet->presentViewController(popover, false).ok());
    journal.clear();

    window->resize(Size{600, 800});
    EXPECT_EQ(journal, (std::vector<std::string>{"editor.size 600x800", "sheet.size 600x800"}));
    EXPECT_EQ(editor->view()->frame().size, (Size{600, 800}));
}

TEST_F(PresentationTest, alertActionByTitleDismissesThenRunsTheHandlerWithTextFieldsFilled)
{
    auto root = make("root");
    show(root);
    auto alert = AlertController::make(u"Insert Link", u"Enter the address");
    ASSERT_TRUE(alert->addTextField([](TextField& field) { field.setPlaceholder(u"https://"); }));
    std::u16string received;
    bool presentedWhenHandled = true;
    std::weak_ptr<AlertController> weakAlert = alert;
    alert->addAction(AlertAction::make(u"Cancel", AlertActionStyle::Cancel));
    alert->addAction(AlertAction::make(u"Insert", AlertActionStyle::Default, [&](AlertAction&) {
        auto strong = weakAlert.lock();
        received = strong->textFields().front()->text();
        presentedWhenHandled = root->presentedViewController() != nullptr;
    }));
    ASSERT_TRUE(root->presentViewController(alert, true).ok());
    EXPECT_EQ(alert->textFields().front()->placeholder(), u"https://");

    alert->textFields().front()->setText(u"https://example.org");
    EXPECT_FALSE(alert->tapActionWithTitle(u"Missing"));
    EXPECT_EQ(root->presentedViewController(), alert);
    EXPECT_TRUE(alert->tapActionWithTitle(u"Insert"));
    EXPECT_EQ(received, u"https://example.org");
    EXPECT_FALSE(presentedWhenHandled);
    EXPECT_EQ(root->presentedViewController(), nullptr);
}

TEST_F(PresentationTest, alertRefusesDisabledActionsASecondCancelAndTextFieldsOnSheets)
{
    auto alert = AlertController::make(u"Delete?", u"");
    int runs = 0;
    auto remove = AlertAction::make(u"Delete", AlertActionStyle::Destructive, [&](AlertAction&) { ++runs; });
    remove->setEnabled(false);
    alert->addAction(remove);
    EXPECT_TRUE(alert->addAction(AlertAction::make(u"Cancel", AlertActionStyle::Cancel)));
    EXPECT_FALSE(alert->addAction(AlertAction::make(u"Never mind", AlertActionStyle::Cancel)));
    EXPECT_FALSE(alert->tapActionWithTitle(u"Delete"));
    EXPECT_EQ(runs, 0);
    remove->setEnabled(true);
    // An alert that was never presented still runs its actions.
    EXPECT_TRUE(alert->tapActionWithTitle(u"Delete"));
    EXPECT_EQ(runs, 1);

    auto sheet = AlertController::make(u"Share", u"", AlertControllerStyle::ActionSheet);
    EXPECT_FALSE(sheet->addTextField());
    EXPECT_TRUE(sheet->textFields().empty());
}

TEST_F(PresentationTest, actionSheetOnATabletIsAPopoverThatNeedsAnAnchor)
{
    Device::current().setUserInterfaceIdiom(UserInterfaceIdiom::Pad);
    auto root = make("root");
    show(root);
    auto sheet = AlertController::make(u"Share", u"", AlertControllerStyle::ActionSheet);
    EXPECT_EQ(sheet->modalPresentationStyle(), ModalPresentationStyle::Popover);
    EXPECT_FALSE(root->presentViewController(sheet, false).ok());
    sheet->popoverPresentationController()->setSourceView(root->view());
    EXPECT_TRUE(root->presentViewController(sheet, false).ok());
}

TEST_F(PresentationTest, navigationItemChangesReachThePresenter)
{
    auto root = make("root");
    int before = presenter.navigationItemChanges;
    root->setTitle(u"Chapter One");
    EXPECT_EQ(root->navigationItem()->title(), u"Chapter One");
    root->navigationItem()->setRightBarButtonItems({BarButtonItem::withTitle(u"Share", nullptr)});
    EXPECT_EQ(presenter.navigationItemChanges, before + 2);
}

} // namespace
} // namespace folio

namespace folio {
namespace {

TEST(NavigationStack, replacingADeepStackTakesEveryOldControllerOut)
{
    auto navigation = NavigationController::withRootViewController(std::make_shared<ViewController>());
    navigation->pushViewController(std::make_shared<ViewController>(), false);
    navigation->pushViewController(std::make_shared<ViewController>(), false);
    auto old = navigation->viewControllers();
    auto fresh = std::make_shared<ViewController>();
    navigation->setViewControllers({fresh}, false);
    EXPECT_EQ(navigation->viewControllers(), (std::vector<std::shared_ptr<ViewController>>{fresh}));
    for (const auto& controller : old)
        EXPECT_EQ(controller->parentViewController(), nullptr);
}

} // namespace
} // namespace folio
