#include "platform/foundation/Unicode.h"
#include "platform/graphics/FakeFontCatalog.h"
#include "platform/ui/Button.h"
#include "qvtext/QVStyleBarState.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

class QVStyleBarStateTest : public testing::Test {
protected:
    void SetUp() override { FontCatalog::setShared(std::make_shared<FakeFontCatalog>()); }
    void TearDown() override { FontCatalog::setShared(nullptr); }

    static QVStyleMonitor::Snapshot snapshot(const char* family, int size, bool bold = false, bool italic = false,
                                             bool underline = false)
    {
        QVStyleMonitor::Snapshot result;
        result.style.fontFamily = family;
        result.style.fontSize = size;
        result.style.bold = bold;
        result.style.italic = italic;
        result.style.underline = underline;
        return result;
    }
    std::string title(const std::shared_ptr<Button>& button) const
    {
        return toUtf8(button->titleForState(ControlState::Normal));
    }

    QVStyleBarState::Buttons buttons{std::make_shared<Button>(), std::make_shared<Button>(), std::make_shared<Button>(),
                                     std::make_shared<Button>(), std::make_shared<Button>(), std::make_shared<Button>()};
    QVStyleBarState bar{buttons};
};

TEST_F(QVStyleBarStateTest, theBarShowsTheStylesTheSizeAndTheFontAtTheCaret)
{
    bar.apply(snapshot("Georgia", 18, true, false, true));
    EXPECT_TRUE(buttons.styleBold->isHighlighted());
    EXPECT_FALSE(buttons.styleItalic->isHighlighted());
    EXPECT_TRUE(buttons.styleUnderline->isHighlighted());
    EXPECT_EQ(title(buttons.styleFontSize), "18");
    EXPECT_EQ(title(buttons.styleFontName), "Georgia") << "a family's base face shows the family";
    EXPECT_TRUE(buttons.styleBold->isEnabled());
    EXPECT_TRUE(buttons.styleItalic->isEnabled());

    EXPECT_EQ(buttons.styleAlign->symbolName(), "text.alignleft") << "no alignment told is left";

    QVStyleMonitor::Snapshot centred = snapshot("Georgia", 18);
    centred.style.justifyCenter = true;
    bar.apply(centred);
    EXPECT_FALSE(buttons.styleBold->isHighlighted()) << "a style that goes off lets its button out";
    EXPECT_FALSE(buttons.styleUnderline->isHighlighted());
    EXPECT_EQ(buttons.styleAlign->symbolName(), "text.aligncenter");
    centred.style.justifyCenter = false;
    centred.style.justifyRight = true;
    bar.apply(centred);
    EXPECT_EQ(buttons.styleAlign->symbolName(), "text.alignright");
    centred.style.justifyFull = true;
    bar.apply(centred);
    EXPECT_EQ(buttons.styleAlign->symbolName(), "text.justify");
}

TEST_F(QVStyleBarStateTest, theFontButtonNamesTheFaceAndOffersOnlyWhatItTakes)
{
    // The page's answer as it comes: quoted, with fallbacks after a comma.
    bar.updateCurrentFont("\"Georgia-Italic\", serif");
    EXPECT_EQ(title(buttons.styleFontName), "Georgia Italic") << "another face shows its own name";
    EXPECT_FALSE(buttons.styleBold->isEnabled()) << "an italic face is a design of its own";
    EXPECT_TRUE(buttons.styleItalic->isEnabled());

    bar.updateCurrentFont("Avenir-Light");
    EXPECT_EQ(title(buttons.styleFontName), "Avenir Light");
    EXPECT_FALSE(buttons.styleBold->isEnabled()) << "a weight of its own takes no bold";

    bar.updateCurrentFont("ChalkboardSE-Regular");
    EXPECT_TRUE(buttons.styleBold->isEnabled());
    EXPECT_FALSE(buttons.styleItalic->isEnabled()) << "the family has no italic face";

    // A font this machine lacks is shown by the page in a fallback face,
    // which takes both.
    bar.updateCurrentFont("'No Such Face', serif");
    EXPECT_EQ(title(buttons.styleFontName), "Helvetica");
    EXPECT_TRUE(buttons.styleBold->isEnabled());
    EXPECT_TRUE(buttons.styleItalic->isEnabled());
}

} // namespace
} // namespace folio
