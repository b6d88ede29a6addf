#include "platform/docframework/DKDocument.h"
#include "platform/docframework/DKInspector.h"
#include "platform/docframework/DKInspectorDelegate.h"
#include "platform/docframework/DKInspectorSlice.h"
#include "platform/docframework/DKStackedSlicesPane.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/PopoverPresentationController.h"
#include "platform/ui/View.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

class PlainDocument : public DKDocument {
public:
    Status readFromURL(const std::string&) override { return Status::success(); }
    Result<Data> contentsForType(const std::string&) override { return Data(); }
};

class OtherDocument : public PlainDocument {};

class RecordingSlice : public DKInspectorSlice {
public:
    explicit RecordingSlice(std::string name, double height = 44) : name(std::move(name)), height(height) {}
    bool isAppropriateForInspectedObject(const DKDocument& object) const override
    {
        return dynamic_cast<const OtherDocument*>(&object) == nullptr;
    }
    void updateInterfaceFromInspectedObjects(int reason) override { reasons.push_back(reason); }
    double preferredHeight() const override { return height; }

    std::string name;
    double height;
    std::vector<int> reasons;
};

class Delegate : public DKInspectorDelegate {
public:
    std::vector<std::shared_ptr<DKInspectorSlice>> makeAvailableSlicesForStackedSlicesPane(DKInspector& inspector,
                                                                                          DKStackedSlicesPane& pane) override
    {
        ++asked;
        if (&pane != inspector.mainPane().get())
            return {std::make_shared<RecordingSlice>("pushed")};
        return {std::make_shared<RecordingSlice>("first", 60), std::make_shared<RecordingSlice>("second", 30)};
    }
    std::vector<DKDocument*> inspectableObjects(DKInspector&) override { return objects; }
    void inspectorWillAppear(DKInspector&) override { events.push_back("appear"); }
    void inspectorDidDismiss(DKInspector&) override { events.push_back("dismiss"); }

    std::vector<DKDocument*> objects;
    std::vector<std::string> events;
    int asked = 0;
};

class DKInspectorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        window = std::make_shared<Window>(Rect{{0, 0}, {1024, 768}});
        root = std::make_shared<ViewController>();
        window->setRootViewController(root);
        window->makeKeyAndVisible();
        delegate = std::make_shared<Delegate>();
        delegate->objects = {&document, &other};
        inspector = DKInspector::make(470);
        inspector->setDelegate(delegate);
        item = BarButtonItem::withSymbol("textformat", nullptr);
    }

    std::vector<std::string> sliceNames(const DKStackedSlicesPane& pane) const
    {
        std::vector<std::string> names;
        for (const auto& slice : pane.slices())
            names.push_back(static_cast<RecordingSlice&>(*slice).name);
        return names;
    }

    PlainDocument document;
    OtherDocument other;
    std::shared_ptr<Window> window;
    std::shared_ptr<ViewController> root;
    std::shared_ptr<Delegate> delegate;
    std::shared_ptr<DKInspector> inspector;
    std::shared_ptr<BarButtonItem> item;
};

TEST_F(DKInspectorTest, showsTheDelegatesSlicesStackedInAPopoverAndTellsTheDelegateOnEachShowing)
{
    ASSERT_TRUE(inspector->inspectFromBarButtonItem(*root, item).ok());
    EXPECT_TRUE(inspector->isVisible());
    EXPECT_EQ(root->presentedViewController(), inspector->navigationController());
    EXPECT_EQ(inspector->navigationController()->modalPresentationStyle(), ModalPresentationStyle::Popover);
    EXPECT_EQ(inspector->navigationController()->popoverPresentationController()->barButtonItem(), item);
    EXPECT_EQ(inspector->navigationController()->preferredContentSize().height, 470);
    EXPECT_EQ(sliceNames(*inspector->mainPane()), (std::vector<std::string>{"first", "second"}));
    // Stacked one under the other, in the delegate's order.
    const auto& slices = inspector->mainPane()->slices();
    EXPECT_EQ(slices[0]->view()->frame().origin.y, 0);
    EXPECT_EQ(slices[1]->view()->frame().origin.y, 60);
    EXPECT_EQ(slices[1]->view()->superview(), inspector->mainPane()->view());
    EXPECT_EQ(static_cast<RecordingSlice&>(*slices[0]).reasons, (std::vector<int>{DKInspectorSlice::UpdateReasonDefault}));
    // A slice sees only the objects it can show.
    EXPECT_EQ(slices[0]->appropriateObjectsForInspection(), (std::vector<DKDocument*>{&document}));
    EXPECT_EQ(delegate->events, (std::vector<std::string>{"appear"}));

    // A second showing while shown is refused; after a dismissal, a new
    // slice list is asked for.
    EXPECT_FALSE(inspector->inspectFromBarButtonItem(*root, item).ok());
    inspector->dismissAnimated(false);
    EXPECT_FALSE(inspector->isVisible());
    EXPECT_EQ(root->presentedViewController(), nullptr);
    auto firstList = inspector->mainPane()->slices();
    ASSERT_TRUE(inspector->inspectFromRect(*root, Rect{{10, 10}, {30, 30}}, root->view(), PopoverArrowDirectionUp).ok());
    EXPECT_NE(inspector->mainPane()->slices()[0], firstList[0]);
    EXPECT_EQ(inspector->navigationController()->popoverPresentationController()->barButtonItem(), nullptr);
    EXPECT_EQ(inspector->navigationController()->popoverPresentationController()->sourceView(), root->view());
    EXPECT_EQ(delegate->events, (std::vector<std::string>{"appear", "dismiss", "appear"}));
}

TEST_F(DKInspectorTest, aTouchOutsideDismissesAndTellsTheDelegateOnce)
{
    ASSERT_TRUE(inspector->inspectFromBarButtonItem(*root, item).ok());
    EXPECT_TRUE(inspector->navigationController()->popoverPresentationController()->touchOutside(nullptr));
    EXPECT_FALSE(inspector->isVisible());
    inspector->dismissAnimated(true);
    EXPECT_EQ(delegate->events, (std::vector<std::string>{"appear", "dismiss"}));
}

TEST_F(DKInspectorTest, pushedPanesStackAboveTheMainPaneUntilTheNextShowing)
{
    auto colour = DKInspector::make();
    colour->setDelegate(delegate);
    ASSERT_TRUE(inspector->inspectFromBarButtonItem(*root, item).ok());
    inspector->pushPane(colour->mainPane(), false);
    EXPECT_EQ(inspector->navigationController()->topViewController(), colour->mainPane());
    EXPECT_EQ(sliceNames(*colour->mainPane()), (std::vector<std::string>{"first", "second"}));
    inspector->dismissAnimated(false);
    ASSERT_TRUE(inspector->inspectFromBarButtonItem(*root, item).ok());
    EXPECT_EQ(inspector->navigationController()->viewControllers().size(), 1u);
    inspector->dismissAnimated(false);
    // The colour inspector can still be shown on its own.
    ASSERT_TRUE(colour->inspectFromBarButtonItem(*root, item).ok());
    EXPECT_EQ(colour->navigationController()->topViewController(), colour->mainPane());
}

TEST_F(DKInspectorTest, updatesTakeTheObjectsAgainAndNestedChangesEndOnce)
{
    ASSERT_TRUE(inspector->inspectFromBarButtonItem(*root, item).ok());
    delegate->objects = {&document};
    inspector->updateInterfaceFromInspectedObjects(DKInspectorSlice::UpdateReasonObjectsEdited);
    EXPECT_EQ(inspector->inspectedObjects(), (std::vector<DKDocument*>{&document}));
    auto& slice = static_cast<RecordingSlice&>(*inspector->mainPane()->slices()[1]);
    EXPECT_EQ(slice.reasons, (std::vector<int>{0, DKInspectorSlice::UpdateReasonObjectsEdited}));

    int ended = 0;
    inspector->setDidChangeObserver([&] { ++ended; });
    inspector->willBeginChangingInspectedObjects();
    inspector->willBeginChangingInspectedObjects();
    inspector->didEndChangingInspectedObjects();
    EXPECT_TRUE(inspector->isChangingInspectedObjects());
    EXPECT_EQ(ended, 0);
    inspector->didEndChangingInspectedObjects();
    inspector->didEndChangingInspectedObjects();
    EXPECT_EQ(ended, 1);
    EXPECT_FALSE(inspector->isChangingInspectedObjects());
}

} // namespace
} // namespace folio
