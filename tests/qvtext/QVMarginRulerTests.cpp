#include "qvtext/QVMarginRuler.h"

#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/Device.h"
#include "platform/ui/Label.h"
#include "platform/web/FakeWebView.h"
#include "support/DocumentTestSupport.h"
#include "support/VirtualClock.h"
#include "tools/ruler/RulerRangeSlider.h"
#include "webeditor/EditorFlags.h"
#include "webeditor/PageConnection.h"

#include <gtest/gtest.h>

#include <map>

namespace folio {
namespace {

constexpr const char* kMarginScripts = "document.getElementById\\('content'\\)\\.style\\.margin";

class QVMarginRulerTest : public test::VirtualClockTest {
protected:
    QVMarginRulerTest() : connection(&page)
    {
        EditorFlags::shared().reset();
        device.setUserInterfaceIdiom(UserInterfaceIdiom::Pad);
        device.setOrientation(DeviceOrientation::Portrait);
        device.setScreenBounds(makeRect(0, 0, 1024, 1366));
        QVMarginRuler::Host host;
        host.documentIsDirty = [this] { ++dirtied; };
        host.isNewBlankDocument = [this] { return blank; };
        host.isTypewriterMode = [this] { return typewriter; };
        host.isInMultitaskingMode = [this] { return multitasking; };
        host.windowSize = [this] { return window; };
        host.viewSize = [this] { return window; };
        host.wordCounterVisible = [this] { return wordCounter; };
        host.updateWordCounter = [this] { ++wordCounterUpdates; };
        host.refreshPageCounter = [this] { ++counterRefreshes; };
        ruler = std::make_unique<QVMarginRuler>(connection, device, defaults, host);
        // The page answers a read on the next turn, from `answers`.
        page.answerMatching("", [this](const std::string& script) {
            loop.post([this] { page.releaseAll(); });
            auto found = answers.find(script);
            return found == answers.end() ? std::string() : found->second;
        });
        ruler->viewDidLoad();
    }
    ~QVMarginRulerTest() override { EditorFlags::shared().reset(); }

    std::vector<std::string> marginScripts() const { return page.scriptsMatching(kMarginScripts); }

    testing_support::ScratchFolder folder{"qvtext-ruler"};
    UserDefaults defaults{folder.path("Preferences.plist")};
    NotificationCenter center;
    Device device{center};
    FakeWebView page;
    PageConnection connection;
    std::unique_ptr<QVMarginRuler> ruler;
    std::map<std::string, std::string> answers;
    Size window{1024, 1366};
    int dirtied = 0;
    int wordCounterUpdates = 0;
    int counterRefreshes = 0;
    bool typewriter = false;
    bool blank = false;
    bool multitasking = false;
    bool wordCounter = false;
};

TEST_F(QVMarginRulerTest, storedMarginsPlaceTheHandlesAndIndentThePage)
{
    defaults.setFloat("marquentPageMarginLeft", 2.54f);
    defaults.setFloat("marquentPageMarginRight", 2.54f);
    ruler->updateRulerMarginValues();
    EXPECT_FLOAT_EQ(ruler->slider().lowerValue(), 2.54f);
    EXPECT_FLOAT_EQ(ruler->slider().upperValue(), 19.05f);
    // Full-screen portrait tablet: each ruler centimetre is 0.905 page centimetres.
    std::vector<std::string> sent = marginScripts();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_NE(sent[0].find("marginLeft='2.30cm'"), std::string::npos) << sent[0];
    EXPECT_EQ(dirtied, 0);
    EXPECT_EQ(ruler->topAlertBar()->alpha(), 1.0);
    // The banner goes two seconds later, and the page counter is read again.
    loop.advanceVirtualClock(QVMarginRuler::kBannerSecondsAfterRestore);
    EXPECT_EQ(ruler->topAlertBar()->alpha(), 0.0);
    EXPECT_EQ(ruler->topAlertBar()->text(), u"");
    EXPECT_EQ(counterRefreshes, 1);
}

TEST_F(QVMarginRulerTest, missingOrNegativeStoredMarginsPutTheHandlesAtTheSheetEdges)
{
    defaults.setFloat("marquentPageMarginLeft", -3.0f);
    defaults.setFloat("marquentPageMarginRight", 0.0f);
    ruler->updateRulerMarginValues();
    EXPECT_FLOAT_EQ(ruler->slider().lowerValue(), 0.0f);
    EXPECT_FLOAT_EQ(ruler->slider().upperValue(), 21.59f);
    ASSERT_EQ(marginScripts().size(), 1u);
    EXPECT_NE(marginScripts()[0].find("marginRight='0.00cm'"), std::string::npos);
}

TEST_F(QVMarginRulerTest, aNewBlankDocumentKeepsTheRulerAndIsMarkedChanged)
{
    blank = true;
    defaults.setFloat("marquentPageMarginLeft", 5.0f);
    ruler->updateRulerMarginValues();
    EXPECT_FLOAT_EQ(ruler->slider().lowerValue(), 0.0f);
    EXPECT_FLOAT_EQ(ruler->slider().upperValue(), 21.59f);
    EXPECT_EQ(dirtied, 1);
    // The store's flag, left by another document, does not make this one blank.
    blank = false;
    defaults.setBool("isNewBlankDocument", true);
    ruler->updateRulerMarginValues();
    EXPECT_FLOAT_EQ(ruler->slider().lowerValue(), 5.0f);
    EXPECT_EQ(dirtied, 1);
}

TEST_F(QVMarginRulerTest, aNarrowOrSplitWindowRestoresTheValuesButSendsNothing)
{
    window = {700, 1366};
    defaults.setFloat("marquentPageMarginLeft", 3.0f);
    ruler->updateRulerMarginValues();
    EXPECT_FLOAT_EQ(ruler->slider().lowerValue(), 3.0f);
    EXPECT_TRUE(marginScripts().empty());
    EXPECT_EQ(ruler->topAlertBar()->text(), u"");
}

TEST_F(QVMarginRulerTest, aSplitScreenWindowScalesTheRulerByItsWidth)
{
    device.setOrientation(DeviceOrientation::LandscapeLeft);
    multitasking = true;
    window = {507, 768};
    ruler->slider().setLowerValue(2.0f);
    ruler->slider().setUpperValue(19.59f);
    ruler->rulerMarginValuesChangedNoDocumentDirty();
    ASSERT_EQ(marginScripts().size(), 1u);
    EXPECT_EQ(marginScripts()[0], "document.getElementById('content').style.marginLeft='0.81cm';"
                                  "document.getElementById('content').style.marginRight='0.81cm';");
    EXPECT_TRUE(ruler->slider().isHidden());
    EXPECT_TRUE(ruler->topAlertBar()->isHidden());
    EXPECT_EQ(dirtied, 0);
}

TEST_F(QVMarginRulerTest, theBannerReadsTheLeftMarginAndTheRightEdgeInInches)
{
    ruler->slider().setLowerValue(2.54f);
    ruler->slider().setUpperValue(19.05f);
    ruler->rulerMarginValuesChangedNoDocumentDirty();
    EXPECT_EQ(ruler->topAlertBar()->text(), u"Margin Left 1.0 - Margin Right 7.5");
    // A newer read-out replaces the pending hide; it lasts five seconds.
    loop.advanceVirtualClock(4.0);
    ruler->rulerMarginValuesChangedNoDocumentDirty();
    loop.advanceVirtualClock(4.0);
    EXPECT_EQ(ruler->topAlertBar()->alpha(), 1.0);
    wordCounter = true;
    loop.advanceVirtualClock(1.5);
    EXPECT_EQ(ruler->topAlertBar()->alpha(), 1.0) << "the word counter takes the line over and stays";
    EXPECT_EQ(wordCounterUpdates, 1);
    // Without the counter the line fades when the read-out is over.
    wordCounter = false;
    ruler->rulerMarginValuesChangedNoDocumentDirty();
    loop.advanceVirtualClock(5.5);
    EXPECT_EQ(ruler->topAlertBar()->alpha(), 0.0);
    EXPECT_EQ(ruler->topAlertBar()->text(), u"");
}

TEST_F(QVMarginRulerTest, aFinishedDragAppliesTheMarginsExceptInTypewriterMode)
{
    ruler->slider().setLowerValue(4.0f);
    ruler->slider().sendActionsForControlEvent(ControlEvent::ValueChanged);
    ASSERT_EQ(marginScripts().size(), 1u);
    EXPECT_NE(marginScripts()[0].find("marginLeft='3.62cm'"), std::string::npos);
    typewriter = true;
    ruler->slider().sendActionsForControlEvent(ControlEvent::ValueChanged);
    EXPECT_EQ(marginScripts().size(), 1u);
}

TEST_F(QVMarginRulerTest, thePopoverMarginsGoToTheBodyAndReadBack)
{
    ruler->paperMarginChanged(0, 3.0);
    ruler->paperMarginChanged(3, 1.255);
    ruler->paperMarginChanged(4, 9.0);
    EXPECT_EQ(page.scriptsMatching("getBody\\(\\)\\.style\\.margin"),
              (std::vector<std::string>{"tinymce.activeEditor.getBody().style.marginLeft = '3.00cm';",
                                        "tinymce.activeEditor.getBody().style.marginBottom = '1.25cm';"}));
    // Every side, even one that is none, marks the document changed.
    EXPECT_EQ(dirtied, 3);
    answers["tinymce.activeEditor.getBody().style.marginLeft"] = "3cm";
    answers["tinymce.activeEditor.getBody().style.marginTop"] = "";
    EXPECT_EQ(ruler->currentDocumentPageLeftMargin(), 3.0);
    EXPECT_EQ(ruler->currentDocumentPageTopMargin(), 0.0);
}

TEST_F(QVMarginRulerTest, theSaveKeepsTheLeftMarginAndTheUpperHandle)
{
    ruler->slider().setLowerValue(2.54f);
    ruler->slider().setUpperValue(19.05f);
    EXPECT_EQ(ruler->leftMarginToSave(), "2.54");
    EXPECT_EQ(ruler->rightMarginToSave(), "19.05");
    ruler->slider().setUpperValue(21.59f);
    EXPECT_EQ(ruler->rightMarginToSave(), "21.59");
}

} // namespace
} // namespace folio
