#include "platform/ui/ActivityIndicatorView.h"
#include "platform/ui/Button.h"
#include "platform/ui/Menu.h"
#include "platform/ui/ScrollView.h"
#include "platform/ui/SegmentedControl.h"
#include "platform/ui/Slider.h"
#include "platform/ui/Stepper.h"
#include "platform/ui/Switch.h"
#include "platform/ui/TextField.h"
#include "platform/ui/RecordingPresenter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace folio {
namespace {

TEST(ViewTest, hierarchyMovesViewsAndRefusesCycles)
{
    auto root = std::make_shared<View>(makeRect(0, 0, 100, 100));
    auto a = std::make_shared<View>();
    auto b = std::make_shared<View>();
    ASSERT_TRUE(root->addSubview(a));
    ASSERT_TRUE(a->addSubview(b));
    EXPECT_FALSE(b->addSubview(root));
    EXPECT_FALSE(a->addSubview(a));
    EXPECT_TRUE(b->isDescendantOfView(root.get()));

    // Moving b to root takes it away from a.
    ASSERT_TRUE(root->insertSubviewAtIndex(b, 0));
    EXPECT_TRUE(a->subviews().empty());
    EXPECT_EQ(root->subviews().front(), b);
    EXPECT_EQ(b->superview(), root);
    b->removeFromSuperview();
    EXPECT_EQ(b->superview(), nullptr);
    EXPECT_EQ(root->subviews().size(), 1u);
}

TEST(ViewTest, findsTaggedViewsDepthFirstAndConvertsPointsThroughScrolledParents)
{
    auto root = std::make_shared<View>(makeRect(0, 0, 400, 400));
    auto panel = std::make_shared<View>(makeRect(50, 60, 200, 200));
    auto button = std::make_shared<View>(makeRect(10, 20, 30, 30));
    button->setTag(7);
    panel->addSubview(button);
    root->addSubview(panel);
    EXPECT_EQ(root->viewWithTag(7), button);
    EXPECT_EQ(root->viewWithTag(8), nullptr);

    EXPECT_EQ(button->convertPointToView({1, 2}, root.get()), (Point{61, 82}));
    EXPECT_EQ(root->convertPointToView({61, 82}, button.get()), (Point{1, 2}));
    // Scrolling the panel by 15 points moves its content up.
    panel->setBounds(makeRect(0, 15, 200, 200));
    EXPECT_EQ(button->convertPointToView({0, 0}, root.get()), (Point{60, 65}));
    EXPECT_EQ(panel->frame().origin, (Point{50, 60}));
}

TEST(ViewTest, alphaStaysBetweenZeroAndOne)
{
    View view;
    view.setAlpha(1.7);
    EXPECT_EQ(view.alpha(), 1.0);
    view.setAlpha(-2);
    EXPECT_EQ(view.alpha(), 0.0);
}

TEST(ButtonTest, titlesAndImagesFallBackToTheNormalStateAndDisabledButtonsSendNothing)
{
    auto button = std::make_shared<Button>();
    button->setTitle(u"Bold");
    button->setTitle(u"Bold (on)", ControlState::Selected);
    EXPECT_EQ(button->currentTitle(), u"Bold");
    button->setSelected(true);
    EXPECT_EQ(button->currentTitle(), u"Bold (on)");
    EXPECT_EQ(button->titleForState(ControlState::Highlighted), u"Bold");

    std::vector<ControlEvent> events;
    button->addAction(ControlEvent::TouchDown, [&](Control& control) {
        EXPECT_TRUE(control.isHighlighted());
        events.push_back(ControlEvent::TouchDown);
    });
    button->addAction(ControlEvent::TouchUpInside, [&](Control&) { events.push_back(ControlEvent::TouchUpInside); });
    EXPECT_TRUE(button->tap());
    EXPECT_EQ(events, (std::vector<ControlEvent>{ControlEvent::TouchDown, ControlEvent::TouchUpInside}));
    EXPECT_FALSE(button->isHighlighted());

    button->setEnabled(false);
    EXPECT_FALSE(button->tap());
    EXPECT_EQ(button->state(), ControlState::Disabled);
    EXPECT_EQ(events.size(), 2u);
}

TEST(ButtonTest, menuAsPrimaryActionOpensTheMenuInsteadOfSendingActions)
{
    test::RecordingPresenter presenter;
    auto button = std::make_shared<Button>();
    int taps = 0;
    button->addAction(ControlEvent::TouchUpInside, [&](Control&) { ++taps; });
    auto menu = Menu::make(u"", {});
    button->setMenu(menu);
    button->setShowsMenuAsPrimaryAction(true);
    EXPECT_TRUE(button->tap());
    EXPECT_EQ(taps, 0);
    ASSERT_EQ(presenter.menus.size(), 1u);
    EXPECT_EQ(presenter.menus[0].menu, menu.get());
    EXPECT_EQ(presenter.menus[0].anchor, button.get());
    EXPECT_TRUE(button->isMenuOpen());
}

class RecordingFieldDelegate : public TextFieldDelegate {
public:
    std::vector<std::string> calls;
    bool allowChange = true;
    bool allowEnd = true;
    bool textFieldShouldBeginEditing(TextField&) override { calls.push_back("shouldBegin"); return true; }
    void textFieldDidBeginEditing(TextField&) override { calls.push_back("didBegin"); }
    bool textFieldShouldChangeCharactersInRange(TextField&, Range range, const std::u16string& text) override
    {
        calls.push_back("change " + std::to_string(range.location) + "," + std::to_string(range.length) + " " +
                        std::to_string(text.size()));
        return allowChange;
    }
    bool textFieldShouldReturn(TextField&) override { calls.push_back("return"); return true; }
    bool textFieldShouldEndEditing(TextField&) override { calls.push_back("shouldEnd"); return allowEnd; }
    void textFieldDidEndEditing(TextField&) override { calls.push_back("didEnd"); }
};

TEST(TextFieldTest, typingAsksTheDelegateAndEditingBeginsAndEndsWithFirstResponder)
{
    auto field = std::make_shared<TextField>();
    auto delegate = std::make_shared<RecordingFieldDelegate>();
    field->setDelegate(delegate);
    field->setText(u"ab");
    EXPECT_FALSE(field->insertText(u"x")) << "typing needs editing to have begun";

    ASSERT_TRUE(field->becomeFirstResponder());
    EXPECT_TRUE(field->isEditing());
    int changes = 0;
    field->addAction(ControlEvent::EditingChanged, [&](Control&) { ++changes; });
    EXPECT_TRUE(field->insertText(u"c"));
    EXPECT_EQ(field->text(), u"abc");
    delegate->allowChange = false;
    EXPECT_FALSE(field->insertText(u"d"));
    EXPECT_EQ(field->text(), u"abc");
    delegate->allowChange = true;
    EXPECT_TRUE(field->pressReturn());

    delegate->allowEnd = false;
    EXPECT_FALSE(field->resignFirstResponder());
    EXPECT_TRUE(field->isFirstResponder());
    delegate->allowEnd = true;
    EXPECT_TRUE(field->resignFirstResponder());
    EXPECT_FALSE(field->isEditing());
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(delegate->calls, (std::vector<std::string>{"shouldBegin", "didBegin", "change 2,0 1", "change 3,0 1", "return",
                                                         "shouldEnd", "shouldEnd", "didEnd"}));
}

TEST(TextFieldTest, deleteBackwardRemovesAWholeSurrogatePairAndRefusesToSplitOne)
{
    auto field = std::make_shared<TextField>();
    field->setText(u"a\U0001F600");
    ASSERT_TRUE(field->becomeFirstResponder());
    EXPECT_TRUE(field->deleteBackward());
    EXPECT_EQ(field->text(), u"a");
    field->setText(u"\U0001F600b");
    EXPECT_FALSE(field->replaceCharactersInRange(Range{1, 1}, u"x"));
    EXPECT_FALSE(field->replaceCharactersInRange(Range{0, 1}, u"x"));
    EXPECT_FALSE(field->replaceCharactersInRange(Range{2, 5}, u"x"));
    EXPECT_EQ(field->text(), u"\U0001F600b");
    field->resignFirstResponder();
}

TEST(ValueControlTest, userChangesSendValueChangedAndCodeChangesDoNot)
{
    int changes = 0;
    auto count = [&](Control&) { ++changes; };

    auto toggle = std::make_shared<Switch>();
    toggle->addAction(ControlEvent::ValueChanged, count);
    toggle->setOn(true);
    EXPECT_EQ(changes, 0);
    EXPECT_TRUE(toggle->toggle());
    EXPECT_FALSE(toggle->isOn());
    EXPECT_EQ(changes, 1);

    auto segments = std::make_shared<SegmentedControl>(std::vector<std::u16string>{u"Text", u"Layout"});
    segments->addAction(ControlEvent::ValueChanged, count);
    segments->setSelectedSegmentIndex(5);
    EXPECT_EQ(segments->selectedSegmentIndex(), SegmentedControl::kNoSegment);
    EXPECT_TRUE(segments->selectSegment(1));
    EXPECT_TRUE(segments->selectSegment(1));
    EXPECT_EQ(changes, 2) << "reselecting the same segment changes nothing";
    segments->setEnabledForSegmentAtIndex(false, 0);
    EXPECT_FALSE(segments->selectSegment(0));
    EXPECT_FALSE(segments->selectSegment(9));
    segments->insertSegmentWithTitle(u"Tools", 0);
    EXPECT_EQ(segments->selectedSegmentIndex(), 2);

    auto slider = std::make_shared<Slider>();
    slider->addAction(ControlEvent::ValueChanged, count);
    slider->setMinimumValue(10);
    slider->setMaximumValue(20);
    EXPECT_EQ(slider->value(), 10);
    EXPECT_TRUE(slider->slideTo(35));
    EXPECT_EQ(slider->value(), 20);
    slider->setValue(std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(slider->value(), 10);
    EXPECT_EQ(changes, 3);
}

TEST(ValueControlTest, stepperStopsAtItsLimitsOrWraps)
{
    auto stepper = std::make_shared<Stepper>();
    stepper->setMinimumValue(1);
    stepper->setMaximumValue(3);
    stepper->setStepValue(-4);
    EXPECT_EQ(stepper->stepValue(), 1);
    int changes = 0;
    stepper->addAction(ControlEvent::ValueChanged, [&](Control&) { ++changes; });
    EXPECT_TRUE(stepper->increment());
    EXPECT_TRUE(stepper->increment());
    EXPECT_FALSE(stepper->increment());
    EXPECT_EQ(stepper->value(), 3);
    stepper->setWraps(true);
    EXPECT_TRUE(stepper->increment());
    EXPECT_EQ(stepper->value(), 1);
    EXPECT_EQ(changes, 3);
}

TEST(ActivityIndicatorTest, hidesWhenStopped)
{
    ActivityIndicatorView spinner;
    spinner.setHidesWhenStopped(true);
    EXPECT_TRUE(spinner.isHidden());
    spinner.startAnimating();
    EXPECT_TRUE(spinner.isAnimating());
    EXPECT_FALSE(spinner.isHidden());
    spinner.stopAnimating();
    EXPECT_TRUE(spinner.isHidden());
}

class ScrollJournal : public ScrollViewDelegate {
public:
    int scrolls = 0;
    int drags = 0;
    void scrollViewDidScroll(ScrollView&) override { ++scrolls; }
    void scrollViewWillBeginDragging(ScrollView&) override { ++drags; }
};

TEST(ScrollViewTest, dragsStayInsideTheContentLandOnPagesAndObeyScrollEnabled)
{
    auto scroll = std::make_shared<ScrollView>(makeRect(0, 0, 100, 200));
    auto delegate = std::make_shared<ScrollJournal>();
    scroll->setDelegate(delegate);
    scroll->setContentSize({100, 1000});
    EXPECT_EQ(scroll->dragTo({0, 5000}), (Point{0, 800}));
    EXPECT_EQ(scroll->dragTo({0, -40}), (Point{0, 0}));
    scroll->setContentInset({10, 0, 0, 0});
    EXPECT_EQ(scroll->dragTo({0, -40}), (Point{0, -10}));

    scroll->setContentInset({});
    scroll->setPagingEnabled(true);
    EXPECT_EQ(scroll->dragTo({0, 290}), (Point{0, 200}));
    EXPECT_EQ(scroll->dragTo({0, 310}), (Point{0, 400}));

    scroll->setScrollEnabled(false);
    EXPECT_EQ(scroll->dragTo({0, 0}), (Point{0, 400}));
    // Code may still scroll anywhere, even with scrolling disabled.
    scroll->setContentOffset({0, -50});
    EXPECT_EQ(scroll->contentOffset(), (Point{0, -50}));
    scroll->setContentOffset({0, std::nan("")});
    EXPECT_EQ(scroll->contentOffset(), (Point{0, -50}));
    EXPECT_EQ(delegate->drags, 5);
    EXPECT_EQ(delegate->scrolls, 6);
}

} // namespace
} // namespace folio
