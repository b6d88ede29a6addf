#include "documents/DocumentSeeds.h"
#include "documents/TextDocument.h"
#include "platform/foundation/Data.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/BarButtonItemGroup.h"
#include "platform/ui/BarContainerView.h"
#include "platform/ui/Button.h"
#include "platform/ui/Device.h"
#include "platform/ui/KeyCommand.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/NavigationItem.h"
#include "platform/web/FakeWebView.h"
#include "qvtext/QVTextAssistant.h"
#include "qvtext/QVTextDialect.h"
#include "qvtext/QVTextKeyBars.h"
#include "qvtext/QVTextViewController.h"
#include "qvtext/QVViewModes.h"
#include "support/DocumentTestSupport.h"
#include "support/VirtualClock.h"
#include "webeditor/EditorBarItems.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace folio {
namespace {

class QVTextEditorToolsTest : public test::VirtualClockTest {
protected:
    QVTextEditorToolsTest()
    {
        Result<Data> stored = DocumentSeeds::compressedPage("<p>Text</p>");
        testing_support::writeFile(path, std::string(stored->stringView()));
        document = std::make_shared<TextDocument>(path);
        EXPECT_TRUE(document->readFromURL(path).ok());
        editor = std::make_shared<QVTextViewController>(*document, FakeWebView::factoryKeeping(page));
    }
    ~QVTextEditorToolsTest() override { std::filesystem::remove(QVTextAssistant::waitingFilePath()); }

    std::vector<std::string> groupNames(const std::vector<std::shared_ptr<BarButtonItemGroup>>& groups)
    {
        std::vector<std::string> names;
        for (const auto& group : groups)
            names.push_back(group->customizationIdentifier());
        return names;
    }

    testing_support::ScratchFolder folder{"qvtext-editor-tools"};
    std::string path = folder.path("Notes.qvtext");
    std::shared_ptr<TextDocument> document;
    FakeWebView* page = nullptr;
    std::shared_ptr<QVTextViewController> editor;
};

TEST_F(QVTextEditorToolsTest, theEditorsNavigationItemCarriesItsBarWithTheAssistant)
{
    editor->loadViewIfNeeded();
    NavigationItem& navigation = *editor->navigationItem();
    ASSERT_FALSE(navigation.trailingItemGroups().empty());
    std::vector<std::string> trailing = groupNames(navigation.trailingItemGroups());
    EXPECT_NE(std::find(trailing.begin(), trailing.end(), "QVText_Tools_GroupCustomization"), trailing.end());
    EXPECT_NE(std::find(trailing.begin(), trailing.end(), "QVText_InsertItem_GroupCustomization"), trailing.end());
    bool assistantShown = false;
    for (const auto& groups : {navigation.leadingItemGroups(), navigation.trailingItemGroups()}) {
        for (const auto& group : groups) {
            for (const auto& item : group->barButtonItems())
                assistantShown = assistantShown || item == editor->tools().assistant().wisperantBarButtonItem();
        }
    }
    EXPECT_TRUE(assistantShown);
    // Every item that shows does something: a menu or an action.
    for (const auto& group : navigation.trailingItemGroups()) {
        for (const auto& item : group->barButtonItems())
            EXPECT_TRUE(item->isHidden() || item->menu() || item->hasAction()) << group->customizationIdentifier();
    }
    // The key bars ride in their accessory bar from the start.
    EXPECT_NE(editor->tools().keyBars().inputAccessoryView(), nullptr);
}

TEST_F(QVTextEditorToolsTest, toolsMenuRowsReachTheEditorsViewModes)
{
    editor->loadViewIfNeeded();
    bool counter = editor->viewModes().wordCounterVisible();
    editor->tools().toolsOptionSelected(8);
    EXPECT_NE(editor->viewModes().wordCounterVisible(), counter);
    EXPECT_FALSE(editor->viewModes().isTypewriterMode());
    editor->tools().toolsOptionSelected(4);
    EXPECT_TRUE(editor->viewModes().isTypewriterMode());
    // The switch is stored: the tests after this one start without the counter.
    UserDefaults::standardUserDefaults().removeObjectForKey("wordCounterVisible");
}

bool floats(const BarContainerView& container, const std::shared_ptr<View>& view)
{
    for (const BarContainerView::Floating& floating : container.floatingViews()) {
        if (floating.view == view)
            return true;
    }
    return false;
}

bool pressEscape(QVTextViewController& editor)
{
    for (const std::shared_ptr<KeyCommand>& command : editor.keyCommands()) {
        if (command->matches(kKeyInputEscape, KeyModifierNone))
            return command->perform();
    }
    return false;
}

// Full screen and typewriter mode hide the window's bar: the exit button
// drawn over the page's top right corner, and Escape, lead back out.
TEST_F(QVTextEditorToolsTest, theModesHideTheWindowsBarAndShowTheirExitButtonOverThePage)
{
    auto navigation = NavigationController::withRootViewController(editor);
    editor->loadViewIfNeeded();
    auto* container = dynamic_cast<BarContainerView*>(editor->view().get());
    ASSERT_NE(container, nullptr);
    const std::shared_ptr<Button>& exit = editor->viewModes().exitFullScreenMode();
    EXPECT_FALSE(exit->symbolName().empty()) << "the button shows what it does";

    editor->viewModes().fullScreenDocumentMode();
    ASSERT_TRUE(editor->viewModes().isFullScreenDocumentMode());
    EXPECT_TRUE(navigation->isNavigationBarHidden());
    ASSERT_TRUE(floats(*container, exit));
    EXPECT_FALSE(exit->isHidden());
    const BarContainerView::Placement& placement = container->floatingViews().back().placement;
    EXPECT_EQ(placement.horizontal, BarContainerView::Alignment::End);
    EXPECT_EQ(placement.vertical, BarContainerView::Alignment::Start);
    exit->sendActionsForControlEvent(ControlEvent::TouchUpInside);
    EXPECT_FALSE(editor->viewModes().isFullScreenDocumentMode());
    EXPECT_FALSE(navigation->isNavigationBarHidden());
    EXPECT_FALSE(floats(*container, exit));

    editor->tools().toolsOptionSelected(4);
    ASSERT_TRUE(editor->viewModes().isTypewriterMode());
    EXPECT_TRUE(navigation->isNavigationBarHidden());
    ASSERT_TRUE(container->contentBand().has_value()) << "the page is a band";
    EXPECT_EQ(container->contentBand()->height, QVViewModes::kTypewriterBandHeight);
    EXPECT_TRUE(floats(*container, exit));
    EXPECT_TRUE(floats(*container, editor->viewModes().topDividerTypewriter()));
    EXPECT_TRUE(floats(*container, editor->viewModes().bottomDividerTypewriter()));
    EXPECT_TRUE(editor->viewModes().topDividerTypewriter()->backgroundColor().has_value()) << "the lines are drawn";

    ASSERT_TRUE(pressEscape(*editor));
    EXPECT_FALSE(editor->viewModes().isTypewriterMode());
    EXPECT_FALSE(navigation->isNavigationBarHidden());
    EXPECT_FALSE(container->contentBand().has_value()) << "the page fills its room again";
    EXPECT_TRUE(container->floatingViews().size() <= 1u) << "only the page counter may float";
    EXPECT_FALSE(floats(*container, exit));
    // Escape outside the modes changes nothing.
    ASSERT_TRUE(pressEscape(*editor));
    EXPECT_FALSE(navigation->isNavigationBarHidden());
}

TEST_F(QVTextEditorToolsTest, textTheAssistantLeftWaitingGoesIntoTheReadyPage)
{
    ASSERT_TRUE(Data::fromString("<p>Waiting</p>").writeToFile(QVTextAssistant::waitingFilePath()).ok());
    UserDefaults::standardUserDefaults().setBool(QVTextAssistant::kWaitingKey, true);
    editor->loadViewIfNeeded();
    loop.runOnce();
    page->finishLoad();
    page->sendPageMessage(QVTextDialect::kReadySignal);
    ASSERT_TRUE(editor->isPageReady());
    loop.advanceVirtualClock(QVTextAssistant::kWaitingTextDelay);
    EXPECT_EQ(page->scriptsMatching("mceInsertContent").size(), 1u);
    EXPECT_FALSE(std::filesystem::exists(QVTextAssistant::waitingFilePath()));
    EXPECT_FALSE(UserDefaults::standardUserDefaults().boolForKey(QVTextAssistant::kWaitingKey).value_or(true));
}

} // namespace
} // namespace folio
