#include "shell/MDViewerViewController.h"

#include "platform/graphics/Color.h"
#include "platform/text/AttributeValue.h"
#include "platform/text/TextAttributeNames.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/ProgressHUD.h"
#include "platform/ui/TextView.h"
#include "platform/ui/UIThemes.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

TEST(MDViewerViewController, showsItsTextReadOnlyUnderTheDocumentBarAndTakesTheOverlayAway)
{
    auto text = std::make_unique<AttributedString>(
        u"Chapter one",
        AttributeDictionary::make({{std::string(TextAttributeName::ForegroundColor),
                                    ColorValue::make(Color::colorWithRed(0.5, 0, 0))}}));
    auto viewer = std::make_shared<MDViewerViewController>(*text);
    // The caller's text may go before the view loads.
    AttributedString shown = *text;
    text.reset();
    auto navigation = NavigationController::withRootViewController(viewer);
    ProgressHUD::show();
    ASSERT_TRUE(ProgressHUD::isVisible());

    viewer->loadViewIfNeeded();
    ASSERT_TRUE(viewer->textView());
    EXPECT_EQ(viewer->textView()->textStorage()->attributedString(), shown);
    EXPECT_EQ(navigation->navigationBarColors().background, UIThemes::DKDocumentViewTopToolBarBackgroundColor());
    EXPECT_EQ(navigation->navigationBarColors().foreground, UIThemes::DKPickerNavigationBarTintColor());
    EXPECT_FALSE(ProgressHUD::isVisible());

    // Typing changes nothing.
    viewer->textView()->insertText(u"x");
    EXPECT_EQ(viewer->textView()->textStorage()->string(), u"Chapter one");
}

} // namespace
} // namespace folio
