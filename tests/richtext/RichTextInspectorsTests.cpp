#include "documents/TextDocument.h"
#include "platform/docframework/DKInspector.h"
#include "platform/docframework/DKInspectorSlice.h"
#include "platform/docframework/DKStackedSlicesPane.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/ScratchFolder.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/graphics/FakeFontCatalog.h"
#include "platform/ui/Action.h"
#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "platform/foundation/Unicode.h"
#include "platform/ui/Menu.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/Pasteboard.h"
#include "platform/ui/PopoverPresentationController.h"
#include "platform/ui/ProgressHUD.h"
#include "platform/ui/SegmentedControl.h"
#include "platform/ui/View.h"
#include "platform/ui/Window.h"
#include "platform/web/FakeWebView.h"
#include "richtext/HeaderFooterSetting.h"
#include "webeditor/EditorInspectors.h"
#include "richtext/RichTextSliceFactory.h"
#include "richtext/RichTextStyling.h"
#include "richtext/RichTextToolCommands.h"
#include "richtext/SelectionTransformer.h"
#include "richtext/StyleMenuCommander.h"
#include "support/VirtualClock.h"
#include "tools/inspectors/ControlSlices.h"
#include "webeditor/EditorFlags.h"
#include "webeditor/PageConnection.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

using Kind = EditorInspectors::Kind;

class InspectorsTest : public test::VirtualClockTest {
protected:
    void SetUp() override
    {
        FontCatalog::setShared(std::make_shared<FakeFontCatalog>());
        EditorFlags::shared().reset();
        ProgressHUD::dismiss();
        loop.scheduleTimer(0.001, true, [this] { view.releaseAll(); });
        window->setRootViewController(editor);
        window->makeKeyAndVisible();
        editor->view()->addSubview(styleRow);
    }
    void TearDown() override
    {
        FontCatalog::setShared(nullptr);
        EditorFlags::shared().reset();
        ProgressHUD::dismiss();
    }
    EditorInspectors::Host host()
    {
        EditorInspectors::Host h;
        h.document = [this] { return &document; };
        h.editor = [this] { return editor.get(); };
        h.viewControllerToPresent = [this] { return editor; };
        h.styleToolbar = [this] { return styleRow; };
        h.isFindOnPageVisible = [this] { return findVisible; };
        h.hideFindOnPage = [this] { findVisible = false; log.push_back("hideFind"); };
        h.isKeyboardVisible = [this] { return keyboard; };
        h.addFakeTextSelectionView = [this] { log.push_back("fake+"); };
        h.removeFakeTextSelectionView = [this] { log.push_back("fake-"); };
        h.addCustomKeyboard = [this] { log.push_back("keys+"); };
        h.removeCustomKeyboardAndClose = [this] { log.push_back("keys-"); };
        h.documentIsDirty = [this] { ++dirty; };
        h.imageOptionSelected = [this](long n) { log.push_back("image " + std::to_string(n)); };
        h.showSpecialCharsMenu = [this] { log.push_back("chars"); };
        return h;
    }
    std::vector<std::string> sliceNames(Kind kind)
    {
        std::vector<std::string> names;
        for (const auto& slice : inspectors->inspector(kind)->mainPane()->slices())
            names.push_back(slice->identifier());
        return names;
    }
    EditorInspectors::Sender fromRow() const { return {nullptr, Rect{{100, 4}, {36, 36}}}; }

    test::ScratchFolder scratch;
    UserDefaults defaults{scratch.file("Preferences.plist")};
    NotificationCenter center;
    Pasteboard pasteboard{center};
    FakeWebView view;
    PageConnection page{&view};
    TextDocument document;
    std::shared_ptr<Window> window = std::make_shared<Window>(Rect{{0, 0}, {1024, 768}});
    std::shared_ptr<ViewController> editor = std::make_shared<ViewController>();
    std::shared_ptr<View> styleRow = std::make_shared<View>(Rect{{0, 700}, {1024, 44}});
    bool findVisible = false;
    bool keyboard = true;
    int dirty = 0;
    std::vector<std::string> log;
    RichTextStyling styling{page, defaults, RichTextStyling::Host{.documentIsDirty = [this] { ++dirty; }}};
    SelectionTransformer transformer{page, styling.toolbar(), styling.characters(), [this] { ++dirty; }};
    StyleMenuCommander styleMenu{page, styling.presets(), {}};
    RichTextToolCommands tools{page, transformer, styling.presets(), defaults, pasteboard, {}};
    RichTextSliceFactory slices{page, styling, styleMenu, tools, defaults,
                                RichTextSliceFactory::Host{.document = [this] { return &document; },
                                                           .documentIsDirty = [this] { ++dirty; },
                                                           .imageOptionSelected = [this](long n) { log.push_back("image " + std::to_string(n)); },
                                                           .showHeaderFooterPreview = [this] { log.push_back("preview"); }}};
    std::shared_ptr<EditorInspectors> inspectors =
        std::make_shared<EditorInspectors>(page, styling.popovers(), slices, host());
};

TEST_F(InspectorsTest, eachPaneStacksItsSlicesInOrder)
{
    inspectors->showTextStyleInspector({});
    EXPECT_EQ(sliceNames(Kind::TextFormat), (std::vector<std::string>{"DKFontAttributesInspectorSlice", "DKParagraphStyleInspectorSlice",
                                                                      "DKFontInspectorSlice", "DKStyleInspectorSlice"}));
    inspectors->showTextStyleInspector(fromRow());
    inspectors->showTextToolsInspectorMenu(fromRow());
    std::vector<std::string> tools = sliceNames(Kind::TextTools);
    ASSERT_EQ(tools.size(), 17u);
    EXPECT_EQ(tools.front(), "DocumentContentsZoomInspectorSlice");
    EXPECT_EQ(tools[15], "DKTextActionsInspectorSlice");
    EXPECT_EQ(tools.back(), "DKStyleInspectorSlice");
    EXPECT_EQ(inspectors->inspector(Kind::TextTools)->mainPane()->tintColor(), Color::colorWithRed(0, 0.47, 1.0, 1.0));
    inspectors->showTextToolsInspectorMenu(fromRow());

    inspectors->showTextInsertItemMenu(fromRow());
    EXPECT_EQ(sliceNames(Kind::InsertItem),
              (std::vector<std::string>{"DKInsertImageInspectorSlice", "DKInsertPhotoInspectorSlice",
                                        "DKSpecialDataAndCharsInspectorSlice", "DKInsertHeaderInspectorSlice"}));
    EXPECT_EQ(inspectors->inspector(Kind::InsertItem)->navigationController()->preferredContentSize().height, 280);
    inspectors->showTextInsertItemMenu(fromRow());

    inspectors->showHeaderInspector(fromRow());
    EXPECT_EQ(sliceNames(Kind::HeaderFooter),
              (std::vector<std::string>{"DKFontHeaderFooterInspectorSlice", "DKHeaderFooterStyleInspectorSlice",
                                        "DKHeaderTopMarginSlice", "DKTextColorAttributeInspectorSlice"}));
    EXPECT_EQ(inspectors->inspector(Kind::HeaderFooter)->mainPane()->slices().back()->title(), u"Text color");
    inspectors->showHeaderInspector(fromRow());

    inspectors->showTextStyleInspectorFromKeyboard(fromRow());
    std::vector<std::string> keyboardPane = sliceNames(Kind::TextFormatFromKeyboard);
    EXPECT_EQ(keyboardPane.size(), 6u);
    EXPECT_EQ(inspectors->inspector(Kind::TextFormatFromKeyboard)->mainPane()->slices()[2]->title(), u"Text background color");
}

TEST_F(InspectorsTest, aSecondPressClosesTheInspectorAndEveryClosingMarksTheDocument)
{
    inspectors->showTextStyleInspector(fromRow());
    EXPECT_TRUE(inspectors->isVisible(Kind::TextFormat));
    EXPECT_TRUE(styling.popovers().isAnyInspectorOrMenuVisible());
    EXPECT_EQ(inspectors->inspector(Kind::TextFormat)->navigationController()->popoverPresentationController()->permittedArrowDirections(),
              unsigned(PopoverArrowDirectionDown));
    inspectors->showTextStyleInspector(fromRow());
    EXPECT_FALSE(inspectors->isVisible(Kind::TextFormat));
    EXPECT_FALSE(styling.popovers().isAnyInspectorOrMenuVisible());
    EXPECT_EQ(dirty, 1);
    EXPECT_EQ(log, (std::vector<std::string>{"fake+", "fake-", "keys+"}));

    // Any other inspector is closed by closing all popovers first.
    inspectors->showTextStyleInspector(fromRow());
    inspectors->showTextInsertItemMenu(fromRow());
    EXPECT_FALSE(inspectors->isVisible(Kind::TextFormat));
    EXPECT_TRUE(inspectors->isVisible(Kind::InsertItem));
    styling.popovers().dismissAllPopover();
    EXPECT_FALSE(inspectors->isVisible(Kind::InsertItem));
}

TEST_F(InspectorsTest, withoutTheKeyboardTheKeyRowShowsTheNotEditingInspectorInstead)
{
    keyboard = false;
    inspectors->showTextStyleInspectorFromKeyboard(fromRow());
    EXPECT_FALSE(inspectors->isVisible(Kind::TextFormatFromKeyboard));
    EXPECT_TRUE(inspectors->isVisible(Kind::NotEditing));
    EXPECT_EQ(sliceNames(Kind::NotEditing), (std::vector<std::string>{"DKNotEditingInspectorSlice"}));
    EXPECT_EQ(view.scriptsMatching("saveCaretSelection").size(), 1u);
    // A second call while it shows does nothing.
    inspectors->showNotEditingMessageFromBarButton(fromRow());
    EXPECT_TRUE(inspectors->isVisible(Kind::NotEditing));
    EXPECT_EQ(view.scriptsMatching("saveCaretSelection").size(), 1u);

    // While the find bar is open, configuring closes it and inspects nothing.
    findVisible = true;
    EXPECT_FALSE(inspectors->configure(Kind::TextTools).has_value());
    EXPECT_FALSE(findVisible);
}

TEST_F(InspectorsTest, insertMenusAreDisabledWithoutTheKeyboard)
{
    keyboard = false;
    std::shared_ptr<Menu> menu = inspectors->showInsertItemMenu(fromRow());
    std::vector<std::shared_ptr<Action>> actions = menu->allActions();
    ASSERT_EQ(actions.size(), 4u);
    EXPECT_EQ(actions[3]->title(), u"Header & Footer");
    for (const auto& action : actions)
        EXPECT_TRUE(action->isDisabled());
    EXPECT_FALSE(menu->performActionWithTitle(u"Insert Image"));

    keyboard = true;
    menu = inspectors->showInsertItemMenu(fromRow());
    EXPECT_TRUE(menu->performActionWithTitle(u"Insert Image"));
    EXPECT_EQ(log, (std::vector<std::string>{"fake+", "image 0"}));
    EXPECT_TRUE(menu->performActionWithTitle(u"Header & Footer"));
    EXPECT_TRUE(inspectors->isVisible(Kind::HeaderFooter));
    // The key row's image menu is never disabled.
    keyboard = false;
    EXPECT_TRUE(inspectors->showInsertImageMenu()->performActionWithTitle(u"Take Photo"));
}

TEST_F(InspectorsTest, segmentsOpenTheirPanesAndGoBackToTheFirst)
{
    inspectors->showTextStyleInspector(fromRow());
    SegmentedControl& segments = *inspectors->styleSegments();
    segments.selectSegment(1);
    auto navigation = inspectors->inspector(Kind::TextFormat)->navigationController();
    EXPECT_EQ(navigation->topViewController(), inspectors->inspector(Kind::TextColor)->mainPane());
    EXPECT_EQ(segments.selectedSegmentIndex(), 0);
    std::vector<std::string> colours;
    for (const auto& slice : inspectors->inspector(Kind::TextColor)->mainPane()->slices())
        colours.push_back(std::string(slice->identifier()) + " " + toUtf8(slice->title()));
    EXPECT_EQ(colours, (std::vector<std::string>{"DKTextColorAttributeInspectorSlice Text color",
                                                 "DKTextColorAttributeInspectorSlice Text background color",
                                                 "DKTextColorAttributeInspectorSlice Paper color"}));
    navigation->popViewControllerAnimated(false);
    segments.selectSegment(2);
    EXPECT_EQ(navigation->topViewController(), inspectors->inspector(Kind::TextLayout)->mainPane());
    EXPECT_EQ(inspectors->inspector(Kind::TextLayout)->mainPane()->slices().size(), 10u);
    inspectors->showTextStyleInspector(fromRow());

    inspectors->showHeaderInspector(fromRow());
    inspectors->headerSegments()->selectSegment(1);
    EXPECT_TRUE(inspectors->isFooterInspectorVisible());
    EXPECT_EQ(inspectors->inspector(Kind::HeaderFooter)->navigationController()->topViewController(),
              inspectors->inspector(Kind::Footer)->mainPane());
}

TEST_F(InspectorsTest, aSelectionOfMoreThanFourThousandCharactersShowsTheProgressOverlay)
{
    const std::string script = "var sel = window.getSelection();sel.toString().length;";
    view.answer(script, "4000");
    inspectors->showProgressHUDifNeeded();
    EXPECT_FALSE(ProgressHUD::isVisible());
    view.answer(script, "4001");
    inspectors->showProgressHUDifNeeded();
    EXPECT_TRUE(ProgressHUD::isVisible());
    EXPECT_TRUE(ProgressHUD::shared().status().empty());
}

TEST_F(InspectorsTest, slicesChangeTheDocumentAndTheStoredHeader)
{
    inspectors->showTextToolsInspectorMenu(fromRow());
    const auto& list = inspectors->inspector(Kind::TextTools)->mainPane()->slices();
    auto top = std::dynamic_pointer_cast<StepperSlice>(list[8]);
    ASSERT_NE(top, nullptr);
    EXPECT_EQ(top->identifier(), "DKPageTopMarginSlice");
    EXPECT_EQ(top->valueLabel()->text(), u"2.54 cm");
    top->increaseButton()->tap();
    EXPECT_EQ(document.docTopMargin(), std::optional<std::string>("2.79"));
    EXPECT_EQ(top->valueLabel()->text(), u"2.79 cm");
    // The document keeps the right edge of the text column; the slice shows
    // and steps the margin beyond it.
    document.setDocRightMargin("19.05");
    auto right = std::dynamic_pointer_cast<StepperSlice>(list[11]);
    ASSERT_NE(right, nullptr);
    EXPECT_EQ(right->identifier(), "DKPageRightMarginSlice");
    right->decreaseButton()->tap();
    EXPECT_EQ(document.docRightMargin(), std::optional<std::string>("19.30"));
    EXPECT_EQ(right->valueLabel()->text(), u"2.29 cm");
    auto insertImage = std::dynamic_pointer_cast<ButtonRowSlice>(list[12]);
    ASSERT_NE(insertImage, nullptr);
    insertImage->buttons()[0]->tap();
    EXPECT_EQ(log.back(), "image 0");
    inspectors->showTextToolsInspectorMenu(fromRow());

    inspectors->showHeaderInspector(fromRow());
    auto style = std::dynamic_pointer_cast<ButtonRowSlice>(inspectors->inspector(Kind::HeaderFooter)->mainPane()->slices()[1]);
    ASSERT_NE(style, nullptr);
    style->buttons()[0]->tap();
    style->buttons()[2]->tap();
    EXPECT_EQ(defaults.stringForKey("currentDocumentHeaderControl"),
              std::optional<std::string>("Helvetica::12::left::black::0.5::YES::Header Author: Mara Quillet [date] - Page "
                                         "[pagenumber] of [totalpages]"));
    // The page's hidden element, which exports and the preview read, holds
    // the new setting at once.
    std::vector<std::string> elements = view.scriptsMatching("pageHeader");
    ASSERT_FALSE(elements.empty());
    std::string element = elements.back();
    EXPECT_EQ(element.find("var e=document.getElementById('pageHeader');if(e)e.outerHTML="), 0u) << element;
    EXPECT_NE(element.find("text-align:left"), std::string::npos) << element;
    EXPECT_NE(element.find("data-enabled=\\'YES\\'"), std::string::npos) << element;

    // The last button shows how the document prints with them.
    EXPECT_EQ(style->buttons().back()->currentTitle(), u"Preview");
    style->buttons().back()->tap();
    EXPECT_EQ(log.back(), "preview");
}

} // namespace
} // namespace folio
