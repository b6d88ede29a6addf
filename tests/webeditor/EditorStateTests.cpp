#include "webeditor/DirtyState.h"
#include "webeditor/EditorFlags.h"
#include "webeditor/OverlayTracker.h"

#include "support/VirtualClock.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

class DirtyStateTest : public test::VirtualClockTest {
protected:
    DirtyStateTest() { dirty.setFollowUp([this] { ++followUps; }); }

    bool document = true;
    int marks = 0;
    int followUps = 0;
    DirtyState dirty{[this] { return document; }, [this] { ++marks; }};
};

TEST_F(DirtyStateTest, marksOnlyWithDocumentInTheForegroundAndNotWhileClosing)
{
    EXPECT_TRUE(dirty.documentIsDirty());
    EXPECT_EQ(marks, 1);

    dirty.setInForeground(false);
    EXPECT_FALSE(dirty.documentIsDirty());
    dirty.setInForeground(true);

    document = false;
    EXPECT_FALSE(dirty.documentIsDirty());
    document = true;

    dirty.setClosing(true);
    EXPECT_FALSE(dirty.documentIsDirty());
    dirty.setForcesChangeWhileClosing(true);
    EXPECT_TRUE(dirty.documentIsDirty());
    // Even forced, a change in the background does not count.
    dirty.setInForeground(false);
    EXPECT_FALSE(dirty.documentIsDirty());
    EXPECT_EQ(marks, 2);
}

TEST_F(DirtyStateTest, followUpRunsOnceAfterTheLastChangeAndNeverAfterClosing)
{
    dirty.documentIsDirty();
    loop.advanceVirtualClock(0.3);
    dirty.documentIsDirty();
    loop.advanceVirtualClock(0.3);
    EXPECT_EQ(followUps, 0);
    loop.advanceVirtualClock(0.25);
    EXPECT_EQ(followUps, 1);

    dirty.documentIsDirty();
    dirty.setClosing(true);
    dirty.setForcesChangeWhileClosing(true);
    dirty.documentIsDirty();
    loop.advanceVirtualClock(1);
    EXPECT_EQ(followUps, 1);
    EXPECT_EQ(marks, 4);
}

class OverlayTrackerTest : public test::VirtualClockTest {
protected:
    void addOverlay(const std::string& name, bool animated, bool countsAsMenu = true)
    {
        visible[name] = false;
        tracker.add({name, [this, name] { return visible[name]; },
                     [this, name](bool withAnimation) {
                         visible[name] = false;
                         dismissed.push_back(name + (withAnimation ? " animated" : ""));
                     },
                     animated, countsAsMenu});
    }

    OverlayTracker tracker;
    std::map<std::string, bool> visible;
    std::vector<std::string> dismissed;
};

TEST_F(OverlayTrackerTest, dismissAllClosesWhatShowsInOrderAndClearsTheFlag)
{
    addOverlay("style inspector", false);
    addOverlay("header inspector", false, false);
    addOverlay("tools picker", true);
    addOverlay("font size picker", true);
    bool findBarHidden = false;
    tracker.setBeforeDismissAllHook([&] { findBarHidden = true; });

    visible["font size picker"] = true;
    visible["style inspector"] = true;
    tracker.setAnyInspectorOrMenuVisible(true);
    tracker.dismissAll();
    EXPECT_TRUE(findBarHidden);
    EXPECT_EQ(dismissed, (std::vector<std::string>{"style inspector", "font size picker animated"}));
    EXPECT_FALSE(tracker.isAnyInspectorOrMenuVisible());

    // The header inspector is not asked by anyMenuVisible.
    visible["header inspector"] = true;
    EXPECT_FALSE(tracker.anyMenuVisible());
    visible["tools picker"] = true;
    EXPECT_TRUE(tracker.anyMenuVisible());
}

TEST_F(OverlayTrackerTest, keepingTheAnimatedOnesLeavesThePickersOpen)
{
    addOverlay("style inspector", false);
    addOverlay("tools picker", true);
    visible["style inspector"] = true;
    visible["tools picker"] = true;
    tracker.setAnyInspectorOrMenuVisible(true);
    tracker.dismissAll(OverlayTracker::Scope::KeepAnimated);
    EXPECT_EQ(dismissed, (std::vector<std::string>{"style inspector"}));
    EXPECT_FALSE(tracker.isAnyInspectorOrMenuVisible());
}

TEST_F(OverlayTrackerTest, inspectorCallbacksAndPostedFlag)
{
    int dismissedInspectors = 0;
    tracker.setInspectorDismissedHook([&] {
        EXPECT_FALSE(tracker.isAnyInspectorOrMenuVisible());
        ++dismissedInspectors;
    });
    tracker.inspectorWillAppear();
    EXPECT_TRUE(tracker.anyMenuVisible());
    tracker.inspectorDidDismiss();
    EXPECT_EQ(dismissedInspectors, 1);

    tracker.menuIsVisible(true);
    EXPECT_FALSE(tracker.isAnyInspectorOrMenuVisible()) << "takes effect on a later turn";
    loop.runOnce();
    EXPECT_TRUE(tracker.isAnyInspectorOrMenuVisible());

    // A posted change never reaches a tracker that is gone.
    auto shortLived = std::make_unique<OverlayTracker>();
    shortLived->menuIsVisible(true);
    shortLived.reset();
    loop.runOnce();
}

TEST(EditorFlagsTest, resetPutsEveryFlagBack)
{
    EditorFlags& flags = EditorFlags::shared();
    flags.currentDocumentTextZoomPercent = 150;
    flags.isFindOnPageVisible = true;
    flags.isShowingExportMenuFromDocument = true;
    flags.pageUpDownButtonPressed = true;
    flags.isiPadPro = true;
    flags.selectedFontNameInPanel = "Georgia";
    flags.reset();
    EXPECT_EQ(flags.currentDocumentTextZoomPercent, 0);
    EXPECT_FALSE(flags.isFindOnPageVisible);
    EXPECT_FALSE(flags.isShowingExportMenuFromDocument);
    EXPECT_FALSE(flags.pageUpDownButtonPressed);
    EXPECT_FALSE(flags.isiPadPro);
    EXPECT_FALSE(flags.selectedFontNameInPanel);
    EXPECT_EQ(&flags, &EditorFlags::shared());
}

} // namespace
} // namespace folio
